#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>

#include "capture/wave_in.h"

namespace kestrin::wine_test {

// Passes every call to the sound system under test and keeps account, per device, of the buffers
// added to it, so that a test can tell whether a returned buffer is the oldest one queued there,
// which device released it and how many each device holds.
class CaptureLog : public WaveIn {
  public:
    explicit CaptureLog(WaveIn& inner) : m_inner(inner) {}

    // Marks the buffer as returned by the device; true when it was the oldest one queued there.
    bool TakeReturned(HWAVEIN device, WAVEHDR* header);
    // Added and not yet released: what the device holds or has handed back unreleased.
    int Outstanding(HWAVEIN device) const;
    int TotalOutstanding() const;
    int Resets(HWAVEIN device) const;
    bool Closed(HWAVEIN device) const;
    // Releases through a device other than the one the buffer was added to, or of a buffer no
    // device holds.
    int StrayReleases() const { return m_strayReleases; }
    // Calls that returned a non-zero code.
    int FailedCalls() const { return m_failedCalls; }

    uint32_t GetNumDevs() override { return m_inner.GetNumDevs(); }
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
    struct Device {
        std::deque<WAVEHDR*> queued;     // added and not yet returned, oldest first
        std::set<WAVEHDR*> outstanding;  // added and not yet released
        int resets = 0;
        bool closed = false;
    };

    MMRESULT Count(MMRESULT result);

    WaveIn& m_inner;
    std::map<HWAVEIN, Device> m_devices;
    int m_strayReleases = 0;
    int m_failedCalls = 0;
};

}  // namespace kestrin::wine_test
