#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/wave_in.h"

namespace kestrin {

// The device id in use: a position in the device list (-1 lets the sound system choose).
extern int32_t DeviceIndex;
// The device now open; every fresh buffer goes to it.
extern HWAVEIN CaptureHandle;

// The sound system the meter records through, and the window its notifications go to. Until one
// is set, the platform's own is used (the PulseAudio client; the waveIn functions on Windows).
// SetWaveIn(nullptr) goes back to it.
void SetWaveIn(WaveIn* waveIn);
WaveIn& waveIn();
void SetCaptureReceiver(WaveInReceiver receiver);

// Which failure messages QueueBuffer shows: those of opening, or those of the buffer pipeline.
enum class QueueMessages { StartUp, Requeue };

// Names of all input devices in device-id order.
std::vector<std::string> ListInputDevices();
// Query, open, three buffers, start. On any failure the program ends inside it.
void OpenCapture();
// A fresh 4401-byte block with a header declaring 4400, prepared and added to CaptureHandle.
// False when it failed and the program has been told to end.
bool QueueBuffer(QueueMessages messages);
// Lets the device that returned the buffer go of it; the caller frees block and header after.
void ReleaseBuffer(WAVEHDR* header, HWAVEIN device);
// Frees a returned buffer's block and header.
void FreeBuffer(WAVEHDR* header);
// Resets the device in use (its buffers come back later) and opens DeviceIndex. CaptureHandle
// stays on the device left until the new one has opened, so that the buffers handed back go on
// being replaced there should the opening fail. The device left is closed once the last of its
// buffers has been released.
void RestartCapture();

// What the device of an id in the device list is (the sound system's own name for it), and what
// the device now open is; empty when unknown or when none is open. Positions in the list move
// when it is fetched again (a new default input comes first); identities do not.
std::string DeviceIdentity(int32_t deviceId);
std::string CaptureIdentity();

// A running capture that returns no buffer for this long has failed: the meter says so and
// ends, rather than leave its bars standing at the last levels. The first buffer after an opening
// may take up to 2 s to come.
constexpr std::chrono::milliseconds kStallTimeout{3000};
// For tests that hand out buffers only when they ask: the limit, read at every look of the
// watch. The meter itself keeps kStallTimeout.
void SetStallTimeout(std::chrono::milliseconds timeout);
// Whether the watch for a stalled device is running: from a successful opening until a restart
// begins or a failure of the device has been reported.
bool StallWatchRunning();

}  // namespace kestrin
