#pragma once

#include <memory>

#include "capture/wave_in.h"

namespace kestrin {

// Records through the PulseAudio client library. The devices are the server's sources, monitors
// of outputs included: the default source first, the others in the server's order, each named by
// its description in full (GetDevCaps gives what szPname holds of it), a description that an
// earlier source in the server's order has too followed by " (2)", " (3)" ... Each records at its
// source's own rate, as the server runs it, so that its samples come unconverted. Buffers are
// filled on the client library's own thread and handed to the receiver QObject as WimDataEvents.
// Every wait for the server is bounded by kServerTimeoutMs.
//
// The server is the one the client library finds by itself (PULSE_SERVER, the user's session);
// a server is never started for the meter.
class PulseWaveIn : public WaveIn {
  public:
    static constexpr int kServerTimeoutMs = 3000;

    PulseWaveIn();
    ~PulseWaveIn() override;
    PulseWaveIn(const PulseWaveIn&) = delete;
    PulseWaveIn& operator=(const PulseWaveIn&) = delete;

    // Asks the server for its sources anew; GetDevCaps, QueryFormat and Open use the list of the
    // last call, so device ids stay those of the list the meter chose from.
    uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) override;
    std::string DeviceName(uint32_t deviceId) override;
    // The source's name on the server (its description is what the list shows); for WAVE_MAPPER
    // the default source's, asked of the server.
    std::string DeviceIdentity(int32_t deviceId) override;
    MMRESULT QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) override;
    // Records 16-bit PCM of the format's channels at the rate the source runs at, as the server
    // runs it when the stream starts; the format's rate is not kept to.
    MMRESULT Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                  WaveInReceiver receiver) override;
    uint32_t RecordingRate(HWAVEIN device) override;
    MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Start(HWAVEIN device) override;
    MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Reset(HWAVEIN device) override;
    MMRESULT Close(HWAVEIN device) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace kestrin
