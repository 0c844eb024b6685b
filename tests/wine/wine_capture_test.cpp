// The meter's capture on the system's waveIn functions, run under Wine against a private
// PulseAudio server whose null sinks are fed exact sample patterns (tests/wine/run.sh).
//
//   wine_capture_test.exe --pattern A|B <seconds> <file>   writes a stream to play into a sink
//   wine_capture_test.exe <device name A> <device name B>   the checks; exit status 0 when all pass
//
// The meter's own operations (capture/capture.h) run unchanged on WindowsWaveIn; this program
// plays the meter window's part: it receives the notifications and does the capture's share of
// the buffer handling (release, read, free, queue a fresh one).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "capture/capture.h"
#include "capture/windows_wave_in.h"
#include "config/notice.h"
#include "config/settings.h"
#include "tests/support/capture_stop.h"
#include "tests/wine/capture_log.h"
#include "tests/wine/message_window.h"
#include "tests/wine/returned_buffers.h"
#include "tests/wine/sample_pattern.h"

namespace kestrin::wine_test {
namespace {

constexpr uint32_t kBufferBytes = 4400;
constexpr size_t kSteadyBuffers = 80;        // checked on the first device, about 2 s
constexpr size_t kSecondDeviceBuffers = 40;  // checked on the second device after the restart
constexpr uint32_t kFirstSoundTimeoutMs = 8000;
constexpr uint32_t kCaptureTimeoutMs = 15000;
constexpr uint32_t kStopTimeoutMs = 5000;
// Three queued buffers hold 74.8 ms: a program held up longer than that loses sound, as the meter
// would on a machine that busy.
constexpr double kHeldUpMs = 3 * 24.94;
constexpr const char* kResetDeviceText =
    "The configured Input Device is not available and will be reset to the default.";
constexpr const char* kSettingsFile = "wine_capture_test.ini";

class Checks {
  public:
    void Check(bool ok, const std::string& what) {
        ++(ok ? m_passed : m_failed);
        std::printf("%s %s\n", ok ? "ok    " : "FAILED", what.c_str());
    }
    int Summary() const {
        std::printf("%d passed, %d failed\n", m_passed, m_failed);
        return m_failed == 0 ? 0 : 1;
    }

  private:
    int m_passed = 0;
    int m_failed = 0;
};

class RecordingNotifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::printf("message box \"%s\": %s\n", caption.c_str(), text.c_str());
        messages.emplace_back(text, caption);
    }
    void EndProgram() override { ++ends; }
    bool Quiet() const { return messages.empty() && ends == 0; }
    std::vector<std::pair<std::string, std::string>> messages;
    int ends = 0;
};

void LogBreaks(const StreamCheck& check) {
    for (const std::string& line : check.breaks) std::printf("  out of place: %s\n", line.c_str());
}

std::string Text(const char* format, double a, double b = 0, double c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

bool WriteFileBytes(const char* path, const std::string& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string ReadFileBytes(const char* path) {
    std::string bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file) return bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

WAVEFORMATEX CaptureFormat() {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 176400;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    return format;
}

class CaptureScenario {
  public:
    CaptureScenario() : m_log(m_windows) {
        NowMs();
        SetNotifier(&m_notifier);
        SetSettingsFilePath(kSettingsFile);
        SetWaveIn(&m_log);
        SetCaptureReceiver(m_window.handle());
    }
    ~CaptureScenario() {
        SetCaptureReceiver(nullptr);
        SetWaveIn(nullptr);
        SetNotifier(nullptr);
    }

    int Run(const std::string& nameA, const std::string& nameB) {
        m_checks.Check(m_window.handle() != nullptr, "message-only window created");
        if (FindDevices(nameA, nameB) && QueryFormats() && NoDevice() && RecordOnFirst() &&
            RestartOnSecond()) {
            Stop();
            StallWatch();
        }
        return m_checks.Summary();
    }

  private:
    bool FindDevices(const std::string& nameA, const std::string& nameB) {
        m_names = ListInputDevices();
        for (size_t i = 0; i < m_names.size(); ++i) {
            std::printf("device %zu: %s\n", i, m_names[i].c_str());
        }
        m_idA = Find(nameA);
        m_idB = Find(nameB);
        m_checks.Check(m_idA >= 0, "device list holds \"" + nameA + "\"");
        m_checks.Check(m_idB >= 0, "device list holds \"" + nameB + "\"");
        return m_idA >= 0 && m_idB >= 0;
    }

    // What the system answers is handed up unchanged.
    bool QueryFormats() {
        const WAVEFORMATEX format = CaptureFormat();
        m_checks.Check(m_windows.QueryFormat(m_idA, format) == 0, "format query: 0 for a device");
        m_checks.Check(m_windows.QueryFormat(WAVE_MAPPER, format) == 0,
                       "format query: 0 for the mapper");
        const MMRESULT missing = m_windows.QueryFormat(NoDeviceId(), format);
        m_checks.Check(
            missing != 0 && missing != WAVERR_BADFORMAT,
            Text("format query: %.0f (neither 0 nor 32) for an id with no device", missing));
        WAVEFORMATEX unknownTag = format;
        unknownTag.wFormatTag = 0x7777;
        m_checks.Check(m_windows.QueryFormat(m_idA, unknownTag) == WAVERR_BADFORMAT,
                       "format query: 32 for a format the device can't record");
        return true;
    }

    // An id with no device: only the store's message, the stored name cleared, nothing opened.
    bool NoDevice() {
        const bool seeded = WriteFileBytes(kSettingsFile, "[Input]\r\nDevice Name=Gone\r\n");
        m_checks.Check(seeded, "settings file written");
        // What a save killed before its rename left.
        const char* leftover = "wine_capture_test.ini.0badf00d.tmp";
        WriteFileBytes(leftover, "[Input]\r\nDevice");
        DeviceIndex = NoDeviceId();
        OpenCapture();
        m_checks.Check(!std::filesystem::exists(leftover),
                       "no device: the save took what a killed save left");
        m_checks.Check(m_notifier.messages.size() == 1 &&
                           m_notifier.messages[0].first == kResetDeviceText &&
                           m_notifier.messages[0].second == " Kestrin Error",
                       "no device: only the reset message");
        m_checks.Check(m_notifier.ends == 1, "no device: the program is told to end");
        m_checks.Check(test::CaptureStopped() && CaptureHandle == nullptr,
                       "no device: nothing opened");
        m_checks.Check(ReadFileBytes(kSettingsFile) == "[Input]\r\nDevice Name=\r\n",
                       "no device: the stored name cleared, the file's other bytes kept");
        MeterSettings.DeviceName = "unchanged";
        LoadSettings();
        m_checks.Check(MeterSettings.DeviceName.empty(), "no device: the cleared name reads back");
        m_notifier.messages.clear();
        m_notifier.ends = 0;
        return seeded;
    }

    // Exact frames, in queue order, three buffers kept queued.
    bool RecordOnFirst() {
        DeviceIndex = m_idA;
        const double openedMs = NowMs();
        OpenCapture();
        m_deviceA = CaptureHandle;
        m_checks.Check(m_deviceA != nullptr && m_notifier.Quiet(), "open: recording, no message");
        m_checks.Check(m_log.Outstanding(m_deviceA) == 3, "open: three buffers queued");
        const bool sound = RunUntil(
            [&] { return !m_returned.empty() && FromStream(m_returned.back(), kStreamAFirst); },
            kFirstSoundTimeoutMs);
        m_checks.Check(sound, Text("first sound %.0f ms after the opening", NowMs() - openedMs));
        if (!sound) return false;
        const size_t first = m_returned.size() - 1;
        RunUntil([&] { return m_returned.size() >= first + kSteadyBuffers; }, kCaptureTimeoutMs);
        m_endA = m_returned.size();
        m_checks.Check(m_endA - first >= kSteadyBuffers,
                       Text("%.0f buffers with sound", static_cast<double>(m_endA - first)));

        bool fromA = true, oldest = true, full = true, threeQueued = true;
        for (size_t i = 0; i < m_endA; ++i) {
            const Returned& r = m_returned[i];
            fromA = fromA && r.device == m_deviceA;
            oldest = oldest && r.oldestQueued;
            full = full && r.bytes == kBufferBytes && r.done;
            threeQueued = threeQueued && r.outstandingAfter == 3;
        }
        m_checks.Check(fromA && oldest, "each buffer came back from its device, in queue order");
        m_checks.Check(full, "each buffer done with 4400 bytes (1100 frames)");
        m_checks.Check(threeQueued, "three buffers queued again after each one");
        const StreamCheck a = FollowStream(m_returned, first, m_endA, kStreamAFirst);
        m_lastFrameA = a.lastFrame;
        const bool heldUp = !CheckStream("first device", a, first, m_endA);
        CheckInterval(first, m_endA, heldUp);
        return true;
    }

    // Every frame is the one played, bit for bit, after the frame before it. Frames skipped are
    // sound lost, which only a program held up for longer than its queued buffers last may lose.
    // False when it lost sound so.
    bool CheckStream(const std::string& what, const StreamCheck& check, size_t begin, size_t end) {
        LogBreaks(check);
        m_checks.Check(
            check.changed == 0,
            what + Text(": %.0f frames bit for bit in order (%.0f changed)",
                        static_cast<double>(check.frames), static_cast<double>(check.changed)));
        if (check.silentFrames > 0) {
            std::printf("  the player fell behind: %zu frames of silence, nothing skipped\n",
                        check.silentFrames);
        }
        const double longestMs = LongestIntervalMs(m_returned, begin, end);
        if (check.lostFrames > 0 && longestMs > kHeldUpMs) {
            std::printf("  %zu frames lost while this program was held up for %.1f ms\n",
                        check.lostFrames, longestMs);
            return false;
        }
        m_checks.Check(check.lostFrames == 0, what + Text(": no sound lost (%.0f frames)",
                                                          static_cast<double>(check.lostFrames)));
        return true;
    }

    // The time lost while held up stretches the mean, which then tells nothing.
    void CheckInterval(size_t begin, size_t end, bool heldUp) {
        const double meanMs = (m_returned[end - 1].arrivalMs - m_returned[begin].arrivalMs) /
                              static_cast<double>(end - 1 - begin);
        double shortest = 1e9, longest = 0;
        for (size_t i = begin + 1; i < end; ++i) {
            const double gap = m_returned[i].arrivalMs - m_returned[i - 1].arrivalMs;
            shortest = std::min(shortest, gap);
            longest = std::max(longest, gap);
        }
        const std::string text = Text("mean buffer interval %.2f ms (shortest %.1f, longest %.1f)",
                                      meanMs, shortest, longest);
        if (heldUp) {
            std::printf("  %s\n", text.c_str());
            return;
        }
        m_checks.Check(meanMs > 22.0 && meanMs < 28.0, text);
    }

    // The first device hands back its three buffers, each released by it and replaced on the
    // second device, which then holds six; the first is closed after its last buffer.
    bool RestartOnSecond() {
        DeviceIndex = m_idB;
        RestartCapture();
        m_deviceB = CaptureHandle;
        m_checks.Check(m_log.Resets(m_deviceA) == 1, "restart: the device left is reset");
        m_checks.Check(m_deviceB != nullptr && m_deviceB != m_deviceA && m_notifier.Quiet(),
                       "restart: the second device is recording, no message");
        m_checks.Check(m_log.Outstanding(m_deviceB) == 3, "restart: three buffers queued to it");
        RunUntil([&] { return m_log.Closed(m_deviceA) && SoundFromB() >= kSecondDeviceBuffers; },
                 kCaptureTimeoutMs);
        const size_t end = m_returned.size();

        std::vector<size_t> handedBack;
        for (size_t i = m_endA; i < end; ++i) {
            if (m_returned[i].device == m_deviceA) handedBack.push_back(i);
        }
        m_checks.Check(handedBack.size() == 3 && handedBack.back() == m_endA + 2,
                       Text("restart: %.0f buffers handed back, before any of the second device",
                            static_cast<double>(handedBack.size())));
        if (handedBack.size() != 3) return false;
        const Returned* back = &m_returned[m_endA];
        m_checks.Check(back[0].oldestQueued && back[1].oldestQueued && back[2].oldestQueued &&
                           back[0].done && back[1].done && back[2].done,
                       "restart: handed back in queue order, each done");
        m_checks.Check(back[0].bytes <= kBufferBytes && back[1].bytes == 0 && back[2].bytes == 0,
                       Text("restart: the partly filled one first (%.0f bytes), then empty ones",
                            back[0].bytes));
        const StreamCheck tail =
            FollowStream(m_returned, m_endA, m_endA + 1, kStreamAFirst, m_lastFrameA);
        CheckStream("restart: the partly filled one, after the last full one", tail, m_endA - 1,
                    m_endA + 1);
        m_checks.Check(back[0].outstandingAfter == 4 && back[1].outstandingAfter == 5 &&
                           back[2].outstandingAfter == 6,
                       "restart: each replaced on the second device, which holds six");
        m_checks.Check(m_log.StrayReleases() == 0,
                       "every buffer released by the device that returned it");
        m_checks.Check(m_log.Closed(m_deviceA), "restart: the device left closed after its last");

        size_t first = m_endA + 3;
        while (first < end && !FromStream(m_returned[first], kStreamBFirst)) ++first;
        bool oldest = true, full = true, sixQueued = true;
        for (size_t i = m_endA + 3; i < end; ++i) {
            const Returned& r = m_returned[i];
            oldest = oldest && r.device == m_deviceB && r.oldestQueued;
            full = full && r.bytes == kBufferBytes && r.done;
            sixQueued = sixQueued && r.outstandingAfter == 6;
        }
        m_checks.Check(
            end - first >= kSecondDeviceBuffers,
            Text("second device: %.0f buffers with sound", static_cast<double>(end - first)));
        m_checks.Check(oldest && full, "second device: full buffers, in queue order");
        m_checks.Check(sixQueued, "second device: six buffers queued again after each one");
        const StreamCheck b = FollowStream(m_returned, first, end, kStreamBFirst);
        CheckStream("second device", b, first, end);
        return true;
    }

    // An orderly stop: everything comes back and is released, and the device is closed.
    void Stop() {
        test::StopCapture();
        const bool stopped = RunUntil([] { return test::CaptureStopped(); }, kStopTimeoutMs);
        m_checks.Check(stopped && m_log.Closed(m_deviceB) && m_log.TotalOutstanding() == 0,
                       "stop: every buffer released, the device closed");
        m_checks.Check(m_notifier.Quiet() && m_log.FailedCalls() == 0,
                       "no message and no failed call while recording");
    }

    // A device that stops returning buffers (here none is queued to it any more) is told once the
    // watch's limit has passed since its last buffer: through the system's own timer, whose ticks
    // this thread's message loop dispatches as the meter window's loop does.
    void StallWatch() {
        constexpr uint32_t kLimitMs = 300;
        SetStallTimeout(std::chrono::milliseconds(kLimitMs));
        DeviceIndex = m_idA;
        OpenCapture();
        m_checks.Check(StallWatchRunning() && m_notifier.Quiet(), "watch: running once recording");
        m_requeue = false;
        const size_t before = m_returned.size();
        const bool told = RunUntil([&] { return m_notifier.ends > 0; }, kStopTimeoutMs);
        const double toldMs = NowMs();
        m_checks.Check(told && m_notifier.messages.size() == 1 &&
                           m_notifier.messages[0].first ==
                               "The input device has stopped delivering sound. The program will "
                               "end." &&
                           m_notifier.messages[0].second == " Kestrin Error" &&
                           m_notifier.ends == 1,
                       "watch: a device that stopped returning buffers is told once, then the end");
        const bool afterLimit =
            m_returned.size() == before + 3 && toldMs - m_returned.back().arrivalMs >= kLimitMs;
        m_checks.Check(afterLimit,
                       Text("watch: told %.0f ms after the last of its three buffers",
                            m_returned.empty() ? 0 : toldMs - m_returned.back().arrivalMs));
        test::StopCapture();
        m_checks.Check(RunUntil([] { return test::CaptureStopped(); }, kStopTimeoutMs),
                       "watch: the capture stops afterwards");
        m_requeue = true;
        SetStallTimeout(kStallTimeout);
    }

    // The capture's share of the meter's buffer handling, in the meter's order.
    void OnWimData(HWAVEIN device, WAVEHDR* header) {
        Returned r;
        r.device = device;
        r.oldestQueued = m_log.TakeReturned(device, header);
        r.bytes = header->dwBytesRecorded;
        r.done = (header->dwFlags & WHDR_DONE) != 0;
        r.arrivalMs = NowMs();
        ReleaseBuffer(header, device);
        r.frames = FrameNumbers(header->lpData, std::min(r.bytes, kBufferBytes));
        FreeBuffer(header);
        if (m_requeue) QueueBuffer(QueueMessages::Requeue);
        r.outstandingAfter = CaptureHandle ? m_log.Outstanding(CaptureHandle) : 0;
        m_returned.push_back(std::move(r));
    }

    template <typename Done>
    bool RunUntil(Done done, uint32_t timeoutMs) {
        return m_window.RunUntil([this](HWAVEIN d, WAVEHDR* h) { OnWimData(d, h); }, done,
                                 timeoutMs);
    }

    size_t SoundFromB() const {
        size_t count = 0;
        for (size_t i = m_endA; i < m_returned.size(); ++i) {
            if (m_returned[i].device == m_deviceB && FromStream(m_returned[i], kStreamBFirst)) {
                ++count;
            }
        }
        return count;
    }

    int Find(const std::string& name) const {
        const auto it = std::find(m_names.begin(), m_names.end(), name);
        return it == m_names.end() ? -1 : static_cast<int>(it - m_names.begin());
    }

    int32_t NoDeviceId() const { return static_cast<int32_t>(m_names.size()) + 3; }

    Checks m_checks;
    RecordingNotifier m_notifier;
    WindowsWaveIn m_windows;
    CaptureLog m_log;
    MessageWindow m_window;
    std::vector<std::string> m_names;
    int m_idA = -1;
    int m_idB = -1;
    HWAVEIN m_deviceA = nullptr;
    HWAVEIN m_deviceB = nullptr;
    std::vector<Returned> m_returned;  // every buffer handled, in order of arrival
    size_t m_endA = 0;                 // buffers handled before the restart
    uint32_t m_lastFrameA = 0;         // frame number of the last frame before the restart
    bool m_requeue = true;             // a returned buffer is replaced, as the meter does
};

int WritePattern(const std::string& stream, int seconds, const std::string& path) {
    const uint32_t frames = static_cast<uint32_t>(seconds) * kFramesPerSecond;
    if (seconds <= 0 || frames > kStreamFrames) return 2;
    return WritePatternFile(path, stream == "B" ? kStreamBFirst : kStreamAFirst, frames) ? 0 : 2;
}

}  // namespace
}  // namespace kestrin::wine_test

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 5 && std::strcmp(argv[1], "--pattern") == 0) {
        return kestrin::wine_test::WritePattern(argv[2], std::atoi(argv[3]), argv[4]);
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <device name A> <device name B>\n", argv[0]);
        return 2;
    }
    kestrin::wine_test::CaptureScenario scenario;
    return scenario.Run(argv[1], argv[2]);
}
