#include "tests/wine/wine_meter.h"

#include <fstream>
#include <sstream>
#include <thread>

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

WineMeter::WineMeter(WineSession& session, const std::string& settings,
                     const PrivateSoundServer* sound, const std::filesystem::path& folder)
    : m_session(session), m_folder(folder.empty() ? m_temp.path() : folder) {
    const std::filesystem::path exe = m_folder / "kestrin.exe";
    std::filesystem::copy_file(KESTRIN_WINDOWS_EXE, exe,
                               std::filesystem::copy_options::overwrite_existing);
    m_settings = m_folder / "kestrin.ini";
    if (!settings.empty()) std::ofstream(m_settings, std::ios::binary) << settings;
    m_program.Start({"wine", exe.string()}, session.Environment(sound),
                    (m_folder / "wine.log").string());
}

WineMeter::~WineMeter() {
    if (m_program.Running()) m_program.Stop();
}

std::string WineMeter::AwaitWindow(const std::string& caption, std::chrono::milliseconds timeout) {
    std::string window;
    PollUntil(
        [&] {
            const std::vector<std::string> found = m_session.FindWindows(caption);
            if (!found.empty()) window = found.back();
            return !window.empty() || !m_program.Running();
        },
        timeout);
    return window;
}

bool WineMeter::AwaitWindowGone(const std::string& caption, std::chrono::milliseconds timeout) {
    return PollUntil([&] { return m_session.FindWindows(caption).empty(); }, timeout);
}

std::optional<int> WineMeter::AwaitExit(std::chrono::milliseconds timeout) {
    return m_program.WaitExit(timeout);
}

std::string WineMeter::Settings() const { return ReadFile(m_settings); }

std::string WineMeter::log() const { return ReadFile(m_folder / "wine.log"); }

}  // namespace kestrin::test
