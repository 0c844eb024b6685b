#include "capture/windows_wave_in.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

namespace kestrin {
namespace {

// The system headers define many of our names as macros (MM_WIM_DATA, WAVEINCAPS, ...), so this
// file refers to our own records and constants through these names only.
using MeterHeader = WAVEHDR;
using MeterCaps = WAVEINCAPS;
using MeterFormat = WAVEFORMATEX;
constexpr uint32_t kMeterWimData = MM_WIM_DATA;
constexpr MMRESULT kMeterBadFormat = WAVERR_BADFORMAT;
constexpr int32_t kMeterWaveMapper = WAVE_MAPPER;
constexpr uint32_t kMeterHeaderSize = kWaveHdrSize;

}  // namespace
}  // namespace kestrin

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

namespace kestrin {
namespace {

static_assert(kMeterWimData == MM_WIM_DATA);
static_assert(kMeterBadFormat == WAVERR_BADFORMAT);
static_assert(static_cast<UINT>(kMeterWaveMapper) == WAVE_MAPPER);
static_assert(sizeof(::WAVEINCAPSA) == 48, "the capabilities record is passed with size 48");
static_assert(sizeof(MeterCaps::szPname) == sizeof(::WAVEINCAPSA::szPname));

// The system fills our headers in place: every field must lie where it expects it.
static_assert(sizeof(MeterHeader) == sizeof(::WAVEHDR));
static_assert(offsetof(MeterHeader, lpData) == offsetof(::WAVEHDR, lpData));
static_assert(offsetof(MeterHeader, dwBufferLength) == offsetof(::WAVEHDR, dwBufferLength));
static_assert(offsetof(MeterHeader, dwBytesRecorded) == offsetof(::WAVEHDR, dwBytesRecorded));
static_assert(offsetof(MeterHeader, dwUser) == offsetof(::WAVEHDR, dwUser));
static_assert(offsetof(MeterHeader, dwFlags) == offsetof(::WAVEHDR, dwFlags));
static_assert(offsetof(MeterHeader, dwLoops) == offsetof(::WAVEHDR, dwLoops));
static_assert(offsetof(MeterHeader, lpNext) == offsetof(::WAVEHDR, lpNext));
static_assert(offsetof(MeterHeader, reserved) == offsetof(::WAVEHDR, reserved));
static_assert(sizeof(MeterHeader::dwUser) == sizeof(::WAVEHDR::dwUser));
static_assert(sizeof(MeterHeader::reserved) == sizeof(::WAVEHDR::reserved));

// Handles and headers cross as integers of pointer width, which keep the bits.
::HWAVEIN Native(HWAVEIN device) {
    return reinterpret_cast<::HWAVEIN>(reinterpret_cast<uintptr_t>(device));
}

HWAVEIN Meter(::HWAVEIN device) {
    return reinterpret_cast<HWAVEIN>(reinterpret_cast<uintptr_t>(device));
}

::WAVEHDR* Native(MeterHeader* header) { return reinterpret_cast<::WAVEHDR*>(header); }

UINT NativeHeaderSize(uint32_t size) {
    return size == kMeterHeaderSize ? static_cast<UINT>(sizeof(::WAVEHDR)) : size;
}

::WAVEFORMATEX Native(const MeterFormat& format) {
    ::WAVEFORMATEX native{};
    native.wFormatTag = format.wFormatTag;
    native.nChannels = format.nChannels;
    native.nSamplesPerSec = format.nSamplesPerSec;
    native.nAvgBytesPerSec = format.nAvgBytesPerSec;
    native.nBlockAlign = format.nBlockAlign;
    native.wBitsPerSample = format.wBitsPerSample;
    native.cbSize = format.cbSize;
    return native;
}

}  // namespace

uint32_t WindowsWaveIn::GetNumDevs() { return waveInGetNumDevs(); }

MMRESULT WindowsWaveIn::GetDevCaps(uint32_t deviceId, MeterCaps* caps) {
    ::WAVEINCAPSA native{};
    const MMRESULT result = waveInGetDevCapsA(deviceId, &native, sizeof native);
    if (caps) std::memcpy(caps->szPname, native.szPname, sizeof caps->szPname);
    return result;
}

std::string WindowsWaveIn::DeviceIdentity(int32_t deviceId) {
    ::WAVEINCAPSA native{};
    if (waveInGetDevCapsA(static_cast<UINT_PTR>(static_cast<UINT>(deviceId)), &native,
                          sizeof native) != MMSYSERR_NOERROR) {
        return {};
    }
    return std::to_string(deviceId) + ":" +
           std::string(native.szPname, strnlen(native.szPname, sizeof native.szPname));
}

MMRESULT WindowsWaveIn::QueryFormat(int32_t deviceId, const MeterFormat& format) {
    ::WAVEFORMATEX native = Native(format);
    return waveInOpen(nullptr, static_cast<UINT>(deviceId), &native, 0, 0, WAVE_FORMAT_QUERY);
}

MMRESULT WindowsWaveIn::Open(HWAVEIN* device, int32_t deviceId, const MeterFormat& format,
                             WaveInReceiver receiver) {
    ::WAVEFORMATEX native = Native(format);
    ::HWAVEIN opened = nullptr;
    const MMRESULT result = waveInOpen(&opened, static_cast<UINT>(deviceId), &native,
                                       reinterpret_cast<DWORD_PTR>(receiver), 0, CALLBACK_WINDOW);
    if (result == MMSYSERR_NOERROR && device) *device = Meter(opened);
    return result;
}

MMRESULT WindowsWaveIn::PrepareHeader(HWAVEIN device, MeterHeader* header, uint32_t size) {
    return waveInPrepareHeader(Native(device), Native(header), NativeHeaderSize(size));
}

MMRESULT WindowsWaveIn::AddBuffer(HWAVEIN device, MeterHeader* header, uint32_t size) {
    return waveInAddBuffer(Native(device), Native(header), NativeHeaderSize(size));
}

MMRESULT WindowsWaveIn::Start(HWAVEIN device) { return waveInStart(Native(device)); }

MMRESULT WindowsWaveIn::UnprepareHeader(HWAVEIN device, MeterHeader* header, uint32_t size) {
    return waveInUnprepareHeader(Native(device), Native(header), NativeHeaderSize(size));
}

MMRESULT WindowsWaveIn::Reset(HWAVEIN device) { return waveInReset(Native(device)); }

MMRESULT WindowsWaveIn::Close(HWAVEIN device) { return waveInClose(Native(device)); }

bool WimDataFromNativeMessage(const void* message, HWAVEIN* device, MeterHeader** header) {
    const auto* msg = static_cast<const MSG*>(message);
    if (!msg || msg->message != MM_WIM_DATA) return false;
    *device = Meter(reinterpret_cast<::HWAVEIN>(msg->wParam));
    *header = reinterpret_cast<MeterHeader*>(msg->lParam);
    return true;
}

std::unique_ptr<WaveIn> MakePlatformWaveIn() { return std::make_unique<WindowsWaveIn>(); }

}  // namespace kestrin
