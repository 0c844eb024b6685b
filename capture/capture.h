#pragma once

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
void QueueBuffer(QueueMessages messages);
// Lets the device that returned the buffer go of it; the caller frees block and header after.
void ReleaseBuffer(WAVEHDR* header, HWAVEIN device);
// Frees a returned buffer's block and header.
void FreeBuffer(WAVEHDR* header);
// Buffers allocated by QueueBuffer and not yet freed by FreeBuffer: three per running device,
// however many buffers it has been through.
int64_t LiveBufferCount();
// Resets the device in use (its buffers come back later) and opens DeviceIndex. The device left
// is closed once the last of its buffers has been released.
void RestartCapture();

// An orderly stop, for the end of a run and for tests (the meter itself never stops): fresh
// buffers are no longer queued, every open device is reset, and each device is closed once its
// last buffer has come back and been released, so the event loop must keep running until
// CaptureStopped(). OpenCapture starts afresh.
void StopCapture();
// No device open: nothing queued, nothing outstanding.
bool CaptureStopped();

}  // namespace kestrin
