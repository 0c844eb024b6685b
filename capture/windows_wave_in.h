#pragma once

#include "capture/wave_in.h"

namespace kestrin {

// Records through the Windows multimedia waveIn functions: each call goes to its waveIn
// counterpart and the result code comes back unchanged. The receiver is the native window (HWND)
// of the meter window; the system posts MM_WIM_DATA to it for every filled buffer, on the thread
// that runs that window's message loop.
//
// An HWAVEIN from this class is the system's own handle value, not a WaveInDevice, since
// MM_WIM_DATA carries that value; it is never dereferenced. Our WAVEHDR has the system's layout
// on Windows, so headers are passed as they are. The header size the meter gives (kWaveHdrSize,
// the 32 bytes of a 32-bit header) stands for the whole header: the system is given its own
// sizeof(WAVEHDR), 48 bytes on 64-bit Windows. Any other size is passed on as it is.
class WindowsWaveIn : public WaveIn {
  public:
    uint32_t GetNumDevs() override;
    // waveInGetDevCapsA; the name is copied whatever the result, so a device whose capabilities
    // can't be read gets an empty one.
    MMRESULT GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) override;
    // The system gives no lasting name: the id and the device's name ("3:Line In"), so that a
    // list that changed under the same id still tells another device; empty when the
    // capabilities can't be read.
    std::string DeviceIdentity(int32_t deviceId) override;
    // waveInOpen with WAVE_FORMAT_QUERY, no handle, no callback.
    MMRESULT QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) override;
    // waveInOpen with CALLBACK_WINDOW to the receiver, an HWND; instance 0.
    MMRESULT Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                  WaveInReceiver receiver) override;
    MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Start(HWAVEIN device) override;
    MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Reset(HWAVEIN device) override;
    // waveInClose. Windows refuses while buffers are queued (WAVERR_STILLPLAYING); Wine closes
    // anyway, so reset first and close once every buffer has come back.
    MMRESULT Close(HWAVEIN device) override;
};

// For the meter window's native-event hook: true when `message`, a Windows MSG*, is MM_WIM_DATA,
// with the device that filled the buffer (wParam) and the buffer's header (lParam).
bool WimDataFromNativeMessage(const void* message, HWAVEIN* device, WAVEHDR** header);

}  // namespace kestrin
