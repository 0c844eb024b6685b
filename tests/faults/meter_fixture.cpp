#include "tests/faults/meter_fixture.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/private_sound_server.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPoll{50};
// Nested boxes open within a buffer period of each other: no new one for this long means done.
constexpr milliseconds kBoxesSettled{400};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::vector<std::string>> Table(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::stringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace

std::string MeterFixture::Settings(const std::string& deviceName) {
    const char* lines[] = {
        "[Input]",      "Device Name=", "Short Name=Studio 3",
        "[Form]",       "cal=-18",      "decay=3",
        "amber=1",      "ontop=0",      "PeakHold=1",
        "dbScale=0",    "ABLR=1",       "Msix=0",
        "AColor=65280", "BColor=255",   "MColor=16776960",
        "SColor=65535", "password=",    "Locked=0",
        "left=40",      "top=30",       "showMS=1",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        if (std::string(line) == "Device Name=") text += deviceName;
        text += "\r\n";
    }
    return text;
}

void MeterFixture::SetUp() {
    m_desktop = std::make_unique<DesktopSession>();
    m_boxes = std::make_unique<AccessibleBoxes>(m_desktop->sessionBus());
}

void MeterFixture::TearDown() {
    m_meter.Stop();
    m_boxes.reset();
    m_desktop.reset();
}

void MeterFixture::StartMeter(const std::string& settings,
                              const std::vector<std::string>& soundVariables) {
    const std::filesystem::path meter = m_folder.path() / "kestrin";
    std::filesystem::copy_file(KESTRIN_METER_EXECUTABLE, meter);
    {
        std::ofstream out(m_folder.path() / "kestrin.ini", std::ios::binary);
        out << settings;
    }
    std::vector<std::string> variables = m_desktop->ClientVariables();
    variables.insert(variables.end(), soundVariables.begin(), soundVariables.end());
    m_meter.Start({meter.string()}, EnvironmentWith(variables),
                  (m_folder.path() / "meter.log").string());
}

bool MeterFixture::AwaitMeterWindow() {
    const auto deadline = Clock::now() + kWindowTimeout;
    while (Clock::now() < deadline && m_meter.Running()) {
        if (!m_desktop->Windows(m_meter.pid(), std::string("^") + kShortName + "$").empty()) {
            return true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

bool MeterFixture::AwaitRecordingFrom(const PrivateSoundServer& server,
                                      const std::string& sourceName) {
    const auto deadline = Clock::now() + kWindowTimeout;
    while (Clock::now() < deadline && m_meter.Running()) {
        std::string sources, outputs;
        if (server.Pactl({"list", "short", "sources"}, &sources) == 0 &&
            server.Pactl({"list", "short", "source-outputs"}, &outputs) == 0) {
            std::string index;
            for (const auto& row : Table(sources)) {
                if (row.size() > 1 && row[1] == sourceName) index = row[0];
            }
            for (const auto& row : Table(outputs)) {
                if (!index.empty() && row.size() > 1 && row[1] == index) return true;
            }
        }
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

std::vector<ShownBox> MeterFixture::AwaitBoxes(size_t count, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<ShownBox> boxes = m_boxes->Read();
    auto changed = Clock::now();
    while (Clock::now() < deadline) {
        if (boxes.size() >= count && Clock::now() - changed >= kBoxesSettled) break;
        std::this_thread::sleep_for(kPoll);
        std::vector<ShownBox> now = m_boxes->Read();
        if (now.size() != boxes.size()) changed = Clock::now();
        boxes = std::move(now);
    }
    return boxes;
}

std::vector<std::string> MeterFixture::BoxWindows() const {
    return m_desktop->Windows(m_meter.pid(), "Error$");
}

Clock::time_point MeterFixture::DismissNewestBox() {
    const std::vector<std::string> windows = BoxWindows();
    const auto when = Clock::now();
    if (!windows.empty()) m_desktop->PressReturn(windows.back());
    return when;
}

std::optional<int> MeterFixture::AwaitExit(milliseconds timeout) {
    return m_meter.WaitExit(timeout);
}

std::string MeterFixture::SettingsBytes() const {
    return ReadFile(m_folder.path() / "kestrin.ini");
}

std::string MeterFixture::Diagnostics() {
    std::string text = "meter output:\n" + ReadFile(m_folder.path() / "meter.log");
    if (m_meter.Running()) {
        text += "meter windows:";
        for (const std::string& window : m_desktop->Windows(m_meter.pid(), ".", false)) {
            text += " [" + m_desktop->WindowName(window) + "]";
        }
        text += "\naccessible windows:";
        for (const std::string& name : m_boxes->TopLevelNames()) text += " [" + name + "]";
        text += "\n";
    }
    return text + m_desktop->log();
}

std::vector<int16_t> ToneSecond() {
    constexpr int kRate = 44100;
    constexpr double kPi = 3.14159265358979323846;
    std::vector<int16_t> samples;
    samples.reserve(2 * kRate);
    for (int i = 0; i < kRate; ++i) {
        const auto value =
            static_cast<int16_t>(std::lround(8000.0 * std::sin(2 * kPi * 441 * i / kRate)));
        samples.push_back(value);
        samples.push_back(static_cast<int16_t>(-value));
    }
    return samples;
}

}  // namespace kestrin::test
