#include "capture/capture.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <vector>

#include "capture/capture_devices.h"
#include "capture/coarse_timer.h"
#include "config/notice.h"
#include "config/settings.h"

namespace kestrin {

int32_t DeviceIndex = 0;
HWAVEIN CaptureHandle = nullptr;

namespace {

constexpr uint32_t kBytesPerFrame = 4;  // 16-bit stereo
constexpr int kQueuedAtOpen = 3;

struct QueueTexts {
    const char* prepare;
    const char* add;
    const char* caption;
};
constexpr QueueTexts kStartUpTexts{"InPrepare error", "Add buffer error", kErrorCaption};
constexpr QueueTexts kRequeueTexts{"In Prepare error 2", "Add buffer error 2", kRequeueCaption};

WaveIn* installedWaveIn = nullptr;
std::unique_ptr<WaveIn> platformWaveIn;
WaveInReceiver captureReceiver = nullptr;
// Never destroyed: the meter does not stop its capture at the end, and the buffers still queued
// then stay reachable until the process is gone instead of turning into leaks at exit.
std::map<HWAVEIN, OpenDevice>& openDevices = *new std::map<HWAVEIN, OpenDevice>;
std::string captureIdentity;  // of CaptureHandle's device, as it was opened

// The watch for a device that has stopped returning buffers. Each buffer of the device now open
// only notes the time; a coarse timer looks at it when the limit would be reached, so while
// buffers come it ticks once per limit, not several times a second.
using WatchClock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kLongestRecheck{250};
const char* const kStalledText =
    "The input device has stopped delivering sound. The program will end.";
std::chrono::milliseconds stallTimeout = kStallTimeout;
WatchClock::time_point lastBuffer;  // the last buffer of CaptureHandle, or its opening
WatchClock::time_point nextLook;    // when the watch's timer is due
CoarseTimer* watchTimer = nullptr;  // made on first use, on the user-interface thread; kept

// How soon a look that came late looks again.
std::chrono::milliseconds Recheck() {
    return std::clamp(stallTimeout / 4, std::chrono::milliseconds(5), kLongestRecheck);
}

void LookAgainIn(std::chrono::milliseconds delay) {
    delay = std::max(delay, std::chrono::milliseconds(1));
    nextLook = WatchClock::now() + delay;
    watchTimer->Start(static_cast<int>(delay.count()));
}

void Fail(const char* text, const char* caption, HWAVEIN device);

void OnWatchTick() {
    const WatchClock::time_point now = WatchClock::now();
    // A look that comes late found the thread held up elsewhere: buffers that arrived meanwhile
    // may still wait in the queue behind it, so a look soon after judges.
    if (now - nextLook > Recheck()) {
        LookAgainIn(Recheck());
        return;
    }
    const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastBuffer);
    if (silent < stallTimeout) {
        LookAgainIn(stallTimeout - silent);
        return;
    }
    Fail(kStalledText, kErrorCaption, CaptureHandle);
}

void StartWatch() {
    lastBuffer = WatchClock::now();
    if (!watchTimer) watchTimer = new CoarseTimer(OnWatchTick);
    LookAgainIn(stallTimeout);
}

// A failure of a device: its box, then the end. Only the first failure of a device is shown; the
// failures that follow from it while that box is open (each of its buffers handed back fails to
// be replaced) add no box of their own.
void Fail(const char* text, const char* caption, HWAVEIN device) {
    StopWatch();
    auto it = openDevices.find(device);
    if (it != openDevices.end()) {
        if (it->second.failureShown) return;
        it->second.failureShown = true;
    }
    notifier().ShowMessage(text, caption);
    notifier().EndProgram();
}

// The stored device name is cleared before the end. Should the settings file refuse the write,
// the program still ends: the capture can't run, so carrying on would leave a frozen meter.
void ResetDeviceAndEnd() {
    StopWatch();
    try {
        ResetDevice();
    } catch (const std::exception& e) {
        notifier().ShowError(e.what());
    }
    notifier().EndProgram();
}

WAVEFORMATEX CaptureFormat(uint32_t rate) {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.nAvgBytesPerSec = rate * kBytesPerFrame;
    format.nBlockAlign = kBytesPerFrame;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    return format;
}

void CloseIfDone(std::map<HWAVEIN, OpenDevice>::iterator it) {
    if (!it->second.left || !it->second.outstanding.empty()) return;
    // A refusal leaves the device listed as open.
    if (waveIn().Close(it->first) == MMSYSERR_NOERROR) openDevices.erase(it);
}

}  // namespace

void SetWaveIn(WaveIn* w) { installedWaveIn = w; }

WaveIn& waveIn() {
    if (installedWaveIn) return *installedWaveIn;
    if (!platformWaveIn) platformWaveIn = MakePlatformWaveIn();
    return *platformWaveIn;
}

void SetCaptureReceiver(WaveInReceiver receiver) { captureReceiver = receiver; }

std::vector<std::string> ListInputDevices() {
    std::vector<std::string> names;
    const uint32_t count = waveIn().GetNumDevs();
    names.reserve(count);
    // A device whose capabilities can't be read keeps its place in the list, with an empty name.
    for (uint32_t id = 0; id < count; ++id) names.push_back(waveIn().DeviceName(id));
    return names;
}

void OpenCapture() {
    // The design's format, asked of every sound system; one that records each input at its own
    // rate tells the rate once the device is open.
    const WAVEFORMATEX format = CaptureFormat(kDesignRate);
    const MMRESULT query = waveIn().QueryFormat(DeviceIndex, format);
    if (query != MMSYSERR_NOERROR) {
        if (query == WAVERR_BADFORMAT) {
            notifier().ShowMessage(
                "Wave Format Error. Your soundcard may not be suitable for this program or there "
                "may be a hardware problem.",
                kErrorCaption);
        }
        ResetDeviceAndEnd();
        return;
    }
    // Taken once the device has answered the query, and before it opens: the id counts in the
    // list as it is now.
    std::string identity = DeviceIdentity(DeviceIndex);
    HWAVEIN device = nullptr;
    if (waveIn().Open(&device, DeviceIndex, format, captureReceiver) != MMSYSERR_NOERROR) {
        notifier().ShowMessage(
            "Soundcard not available, or input channel may be in use by another program.",
            kErrorCaption);
        ResetDeviceAndEnd();
        return;
    }
    CaptureHandle = device;
    captureIdentity = std::move(identity);
    // A handle the sound system gives again after a close starts with nothing outstanding.
    OpenDevice& opened = openDevices[device] = OpenDevice{};
    // Taken at every opening: the rate an input runs at may have changed since the last.
    const uint32_t ownRate = waveIn().RecordingRate(device);
    opened.rate = ownRate != 0 ? ownRate : format.nSamplesPerSec;
    opened.bufferBytes = BufferFrames(opened.rate) * kBytesPerFrame;
    for (int i = 0; i < kQueuedAtOpen; ++i) {
        if (!QueueBuffer(QueueMessages::StartUp)) return;
    }
    if (waveIn().Start(CaptureHandle) != MMSYSERR_NOERROR) {
        Fail("Start error", kErrorCaption, CaptureHandle);
        return;
    }
    StartWatch();
}

uint32_t CaptureRate() {
    auto it = openDevices.find(CaptureHandle);
    return CaptureHandle && it != openDevices.end() ? it->second.rate : 0;
}

bool QueueBuffer(QueueMessages messages) {
    // No device is open to take it: the capture has been stopped.
    if (!CaptureHandle) return true;
    OpenDevice& open = openDevices[CaptureHandle];
    const QueueTexts& texts = messages == QueueMessages::StartUp ? kStartUpTexts : kRequeueTexts;
    const uint32_t bufferBytes =
        open.bufferBytes != 0 ? open.bufferBytes : kDesignBufferFrames * kBytesPerFrame;
    auto* header = new WAVEHDR{};
    // Cleared, so that a buffer handed back partly filled reads as silence past what was recorded.
    header->lpData = new char[bufferBytes + 1]();
    header->dwBufferLength = bufferBytes;
    if (waveIn().PrepareHeader(CaptureHandle, header, kWaveHdrSize) != MMSYSERR_NOERROR) {
        FreeBuffer(header);
        Fail(texts.prepare, texts.caption, CaptureHandle);
        return false;
    }
    if (waveIn().AddBuffer(CaptureHandle, header, kWaveHdrSize) != MMSYSERR_NOERROR) {
        waveIn().UnprepareHeader(CaptureHandle, header, kWaveHdrSize);
        FreeBuffer(header);
        Fail(texts.add, texts.caption, CaptureHandle);
        return false;
    }
    open.outstanding.push_back(header);
    return true;
}

bool ReleaseBuffer(WAVEHDR* header, HWAVEIN device) {
    if (device == CaptureHandle) lastBuffer = WatchClock::now();
    if (waveIn().UnprepareHeader(device, header, kWaveHdrSize) != MMSYSERR_NOERROR) {
        Fail("In-UnPrepare error", kErrorCaption, device);
        return false;
    }
    auto it = openDevices.find(device);
    if (it == openDevices.end()) return true;
    std::vector<WAVEHDR*>& outstanding = it->second.outstanding;
    outstanding.erase(std::remove(outstanding.begin(), outstanding.end(), header),
                      outstanding.end());
    CloseIfDone(it);
    return true;
}

void FreeBuffer(WAVEHDR* header) {
    if (!header) return;
    delete[] header->lpData;
    delete header;
}

void RestartCapture() {
    StopWatch();
    const HWAVEIN left = CaptureHandle;
    if (left) waveIn().Reset(left);
    OpenCapture();
    if (left && CaptureHandle != left) Abandon(left);
}

void CloseCapture() {
    StopWatch();
    CaptureHandle = nullptr;
    for (auto& [device, open] : openDevices) {
        waveIn().Reset(device);
        // The buffers the reset handed back are released here, not from messages that the ended
        // event loop will never dispatch.
        for (WAVEHDR* header : open.outstanding) {
            waveIn().UnprepareHeader(device, header, kWaveHdrSize);
            FreeBuffer(header);
        }
        open.outstanding.clear();
        waveIn().Close(device);
    }
    openDevices.clear();
}

std::string DeviceIdentity(int32_t deviceId) { return waveIn().DeviceIdentity(deviceId); }

std::string CaptureIdentity() { return CaptureHandle ? captureIdentity : std::string(); }

void SetStallTimeout(std::chrono::milliseconds timeout) { stallTimeout = timeout; }

bool StallWatchRunning() { return watchTimer && watchTimer->active(); }

void StopWatch() {
    if (watchTimer) watchTimer->Stop();
}

std::map<HWAVEIN, OpenDevice>& OpenDevices() { return openDevices; }

void Abandon(HWAVEIN device) {
    auto it = openDevices.find(device);
    if (it == openDevices.end()) return;
    it->second.left = true;
    CloseIfDone(it);
}

}  // namespace kestrin
