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

// The design's capture rate and buffer: 1100 frames at 44100 Hz, 24.94 ms. Every count the meter
// makes in buffers (the hold, the over time, the decay, the stall watch) is in such periods.
constexpr uint32_t kDesignRate = 44100;         // frames per second
constexpr uint32_t kDesignBufferFrames = 1100;  // frames per buffer at kDesignRate
// The frames of one buffer at a rate: as many as last the design's period, to the nearest frame
// (1197 at 48000 Hz, 2395 at 96000 Hz).
constexpr uint32_t BufferFrames(uint32_t rate) {
    return static_cast<uint32_t>((uint64_t{rate} * kDesignBufferFrames + kDesignRate / 2) /
                                 kDesignRate);
}

// Which failure messages QueueBuffer shows: those of opening, or those of the buffer pipeline.
enum class QueueMessages { StartUp, Requeue };

// Names of all input devices in device-id order.
std::vector<std::string> ListInputDevices();
// Query, open (in the design's format; at the input's own rate where the sound system records
// so), three buffers of one design period at the rate the device records at, start. On any
// failure the program ends inside it.
void OpenCapture();
// The rate CaptureHandle's device was opened at, in frames per second; 0 when none is open.
uint32_t CaptureRate();
// A fresh block of one buffer of CaptureHandle's device and one byte more, with a header
// declaring the buffer (4400 bytes at 44100 Hz), prepared and added to CaptureHandle. False when
// it failed and the program has been told to end (or is ending already, on a failure of the same
// device shown before).
bool QueueBuffer(QueueMessages messages);
// Lets the device that returned the buffer go of it; the caller frees block and header after.
// False when the device refused, and the buffer is not to be read.
bool ReleaseBuffer(WAVEHDR* header, HWAVEIN device);
// Frees a returned buffer's block and header.
void FreeBuffer(WAVEHDR* header);
// Resets the device in use (its buffers come back later) and opens DeviceIndex. CaptureHandle
// stays on the device left until the new one has opened, so that the buffers handed back go on
// being replaced there should the opening fail. The device left is closed once the last of its
// buffers has been released.
void RestartCapture();
// The program ends: every device is reset and closed and its buffers freed, so that the sound
// system does not go on recording into a process that is being torn down. Called once the event
// loop has ended.
void CloseCapture();

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
