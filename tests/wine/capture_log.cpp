#include "tests/wine/capture_log.h"

#include <algorithm>

namespace kestrin::wine_test {

MMRESULT CaptureLog::Count(MMRESULT result) {
    if (result != 0) ++m_failedCalls;
    return result;
}

bool CaptureLog::TakeReturned(HWAVEIN device, WAVEHDR* header) {
    auto it = m_devices.find(device);
    if (it == m_devices.end()) return false;
    std::deque<WAVEHDR*>& queued = it->second.queued;
    const bool oldest = !queued.empty() && queued.front() == header;
    const auto found = std::find(queued.begin(), queued.end(), header);
    if (found != queued.end()) queued.erase(found);
    return oldest;
}

int CaptureLog::Outstanding(HWAVEIN device) const {
    auto it = m_devices.find(device);
    return it == m_devices.end() ? 0 : static_cast<int>(it->second.outstanding.size());
}

int CaptureLog::TotalOutstanding() const {
    int total = 0;
    for (const auto& entry : m_devices) total += static_cast<int>(entry.second.outstanding.size());
    return total;
}

int CaptureLog::Resets(HWAVEIN device) const {
    auto it = m_devices.find(device);
    return it == m_devices.end() ? 0 : it->second.resets;
}

bool CaptureLog::Closed(HWAVEIN device) const {
    auto it = m_devices.find(device);
    return it != m_devices.end() && it->second.closed;
}

MMRESULT CaptureLog::GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) {
    return m_inner.GetDevCaps(deviceId, caps);
}

MMRESULT CaptureLog::QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) {
    return m_inner.QueryFormat(deviceId, format);
}

MMRESULT CaptureLog::Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                          WaveInReceiver receiver) {
    const MMRESULT result = Count(m_inner.Open(device, deviceId, format, receiver));
    // The system may hand out the value of a closed device's handle again.
    if (result == 0) m_devices[*device] = Device{};
    return result;
}

MMRESULT CaptureLog::PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    return Count(m_inner.PrepareHeader(device, header, size));
}

MMRESULT CaptureLog::AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    const MMRESULT result = Count(m_inner.AddBuffer(device, header, size));
    if (result == 0) {
        m_devices[device].queued.push_back(header);
        m_devices[device].outstanding.insert(header);
    }
    return result;
}

MMRESULT CaptureLog::Start(HWAVEIN device) { return Count(m_inner.Start(device)); }

MMRESULT CaptureLog::UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    const MMRESULT result = Count(m_inner.UnprepareHeader(device, header, size));
    if (result != 0) return result;
    auto it = m_devices.find(device);
    if (it != m_devices.end() && it->second.outstanding.erase(header) == 1) return result;
    ++m_strayReleases;
    for (auto& entry : m_devices) entry.second.outstanding.erase(header);
    return result;
}

MMRESULT CaptureLog::Reset(HWAVEIN device) {
    ++m_devices[device].resets;
    return Count(m_inner.Reset(device));
}

MMRESULT CaptureLog::Close(HWAVEIN device) {
    const MMRESULT result = Count(m_inner.Close(device));
    if (result == 0) m_devices[device].closed = true;
    return result;
}

}  // namespace kestrin::wine_test
