#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace kestrin {

// The wave-input calls the meter makes, with the platform's result codes and record shapes, so
// that the meter's own capture code is written once for every sound system.

using MMRESULT = uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

constexpr int32_t WAVE_MAPPER = -1;      // device id that lets the sound system choose
constexpr uint32_t MM_WIM_DATA = 0x3C0;  // a filled buffer came back

constexpr uint32_t WHDR_DONE = 0x1;
constexpr uint32_t WHDR_PREPARED = 0x2;
constexpr uint32_t WHDR_INQUEUE = 0x10;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

struct WAVEHDR {
    char* lpData = nullptr;        // the data block
    uint32_t dwBufferLength = 0;   // bytes the device may fill
    uint32_t dwBytesRecorded = 0;  // bytes the device did fill
    uintptr_t dwUser = 0;
    uint32_t dwFlags = 0;
    uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;  // the platform's
    uintptr_t reserved = 0;     // the platform's
};
constexpr uint32_t kWaveHdrSize = 32;  // the size every header call is given

constexpr int kMaxPnameLen = 32;
struct WAVEINCAPS {
    char szPname[kMaxPnameLen] = {};  // device name, NUL-terminated when shorter
};

// An open device; opaque to the meter.
struct WaveInDevice;
using HWAVEIN = WaveInDevice*;

// Where a device posts its buffer notifications: for the Qt-based implementations the QObject
// (the meter window) that receives a WimDataEvent, on Windows the window handle.
using WaveInReceiver = void*;

class WaveIn {
  public:
    virtual ~WaveIn() = default;
    virtual uint32_t GetNumDevs() = 0;
    virtual MMRESULT GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) = 0;
    // The device's name as the device list shows it: what szPname holds (the characters up to
    // the first NUL, at most 32), whatever GetDevCaps's result. A sound system whose names are
    // longer than szPname gives them whole, each name telling its device apart from the others.
    virtual std::string DeviceName(uint32_t deviceId) {
        WAVEINCAPS caps{};
        GetDevCaps(deviceId, &caps);
        return std::string(caps.szPname, strnlen(caps.szPname, kMaxPnameLen));
    }
    // What the device of an id is, as text that stays the same when the list is fetched again and
    // the device's position in it moves (the server's own name for it, say); empty when unknown.
    // Ids count in the list as last fetched.
    virtual std::string DeviceIdentity(int32_t deviceId) {
        (void)deviceId;
        return {};
    }
    // Format query: 0 when the device can record the format, WAVERR_BADFORMAT when it can't, any
    // other code when the device can't be used at all. Opens nothing.
    virtual MMRESULT QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) = 0;
    // Opens the device; from then on one notification per filled buffer, in queue order.
    virtual MMRESULT Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                          WaveInReceiver receiver) = 0;
    // The frames per second an open device records at. A sound system that converts on its own
    // (Windows) records at the format's rate and gives 0. One that can record each input at the
    // rate it runs at gives that rate, whatever the format asked: the samples are then the input's
    // own, where a conversion to another rate would add peaks the input never had.
    virtual uint32_t RecordingRate(HWAVEIN device) {
        (void)device;
        return 0;
    }
    virtual MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) = 0;
    virtual MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) = 0;
    virtual MMRESULT Start(HWAVEIN device) = 0;
    virtual MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) = 0;
    // Stops recording and hands back every queued buffer, the one being filled partly filled.
    virtual MMRESULT Reset(HWAVEIN device) = 0;
    // Closes the device; WAVERR_STILLPLAYING while buffers are still queued to it. The handle is
    // invalid afterwards.
    virtual MMRESULT Close(HWAVEIN device) = 0;
};

// The platform's own sound system: the PulseAudio client (pulse_wave_in.cpp), on Windows the
// waveIn functions (windows_wave_in.cpp).
std::unique_ptr<WaveIn> MakePlatformWaveIn();

}  // namespace kestrin
