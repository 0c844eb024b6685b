#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "capture/wave_in.h"
#include "capture/wave_in_device.h"

namespace kestrin::test {

// One input device that records a programme: a tone on each channel at a level that changes from
// buffer to buffer, with silences and peaks over the over threshold now and then. Its buffers are
// filled from blocks made once, so that a run of a million buffers costs the meter's work and
// little else (the simulated sound system computes every frame through a callback, which took
// more than two thirds of the time of such a run under the sanitizers). It keeps the rules the
// meter relies on: buffers prepared before they are added, filled whole in queue order, posted
// to the receiver one event each, unprepared only once returned.
class ProgrammeWaveIn : public WaveIn {
  public:
    ProgrammeWaveIn();

    // Fills the oldest queued buffer with the next block and posts it; false when none is
    // queued.
    bool DeliverBuffer();
    int QueuedCount() const { return static_cast<int>(m_queue.size()); }
    // Buffers added and not yet unprepared.
    int OutstandingCount() const { return m_outstanding; }
    HWAVEIN handle() { return &m_device; }
    // Calls that broke a rule, and buffers delivered.
    int64_t misuses() const { return m_misuses; }
    int64_t delivered() const { return m_delivered; }

    uint32_t GetNumDevs() override { return 1; }
    MMRESULT GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) override;
    MMRESULT QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) override;
    MMRESULT Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                  WaveInReceiver receiver) override;
    MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Start(HWAVEIN device) override;
    MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override;
    MMRESULT Reset(HWAVEIN device) override;
    MMRESULT Close(HWAVEIN device) override;

  private:
    MMRESULT Misuse(MMRESULT result);
    void Return(WAVEHDR* header, uint32_t bytes);

    static constexpr uint32_t kBlockBytes = 4400;
    WaveInDevice m_device;
    void* m_receiver = nullptr;
    bool m_open = false;
    bool m_started = false;
    std::deque<WAVEHDR*> m_queue;
    int m_outstanding = 0;
    std::vector<std::vector<char>> m_blocks;  // one buffer's samples each, played in turn
    int64_t m_delivered = 0;
    int64_t m_misuses = 0;
};

}  // namespace kestrin::test
