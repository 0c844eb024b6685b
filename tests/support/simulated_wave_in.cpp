#include "tests/support/simulated_wave_in.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "capture/capture.h"
#include "capture/header_queue.h"
#include "capture/wave_in_device.h"

namespace kestrin {
namespace {

constexpr int kTimerIntervalMs = 5;  // the real-time clock's tick; buffers follow the frame count

void WriteFrame(char* at, SimulatedWaveIn::Frame frame) {
    // 16-bit samples, least significant byte first, channel A then channel B.
    const auto a = static_cast<uint16_t>(frame.first);
    const auto b = static_cast<uint16_t>(frame.second);
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(a & 0xFF), static_cast<unsigned char>(a >> 8),
        static_cast<unsigned char>(b & 0xFF), static_cast<unsigned char>(b >> 8)};
    std::memcpy(at, bytes, sizeof bytes);
}

}  // namespace

struct SimulatedWaveIn::Device : WaveInDevice {
    Device(int32_t id, QObject* receiver) : id(id), queue(this, receiver) {}

    int32_t id;
    QMetaObject::Connection receiverWatch;
    bool open = true;
    bool started = false;
    HeaderQueue queue;
    uint64_t position = 0;  // frames recorded since the opening, lost ones included
};

SimulatedWaveIn::SimulatedWaveIn(std::vector<std::string> deviceNames)
    : m_names(std::move(deviceNames)) {}

SimulatedWaveIn::~SimulatedWaveIn() {
    for (auto& [handle, device] : m_devices) QObject::disconnect(device->receiverWatch);
}

void SimulatedWaveIn::SetDevices(std::vector<std::string> names) { m_names = std::move(names); }

void SimulatedWaveIn::FailNext(Call call, MMRESULT result, int count, int after) {
    for (int i = 0; i < after; ++i) m_failNext[call].push_back(std::nullopt);
    for (int i = 0; i < count; ++i) m_failNext[call].push_back(result);
}

void SimulatedWaveIn::ClearFailures() { m_failNext.clear(); }

void SimulatedWaveIn::SetSignal(Signal signal) { m_signal = std::move(signal); }

void SimulatedWaveIn::SetSignal(int32_t deviceId, Signal signal) {
    m_deviceSignals[deviceId] = std::move(signal);
}

bool SimulatedWaveIn::Scripted(Call call, MMRESULT* result) {
    auto next = m_failNext.find(call);
    if (next == m_failNext.end() || next->second.empty()) return false;
    const std::optional<MMRESULT> scripted = next->second.front();
    next->second.pop_front();
    if (!scripted) return false;
    *result = *scripted;
    return true;
}

MMRESULT SimulatedWaveIn::Log(Call call, HWAVEIN device, int32_t deviceId, WAVEHDR* header,
                              MMRESULT result) {
    m_calls.push_back(
        {call, device, deviceId, header, result, header ? m_headerAtEntry : WAVEHDR{}, {}});
    return result;
}

MMRESULT SimulatedWaveIn::LogFormat(Call call, int32_t deviceId, const WAVEFORMATEX& format,
                                    HWAVEIN device, MMRESULT result) {
    m_calls.push_back({call, device, deviceId, nullptr, result, {}, format});
    return result;
}

SimulatedWaveIn::Device* SimulatedWaveIn::Find(HWAVEIN handle) const {
    auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : it->second.get();
}

SimulatedWaveIn::Device* SimulatedWaveIn::FindOpen(HWAVEIN handle) const {
    Device* device = Find(handle);
    return device && device->open ? device : nullptr;
}

uint32_t SimulatedWaveIn::GetNumDevs() {
    const auto count = static_cast<uint32_t>(m_names.size());
    Log(Call::GetNumDevs, nullptr, -2, nullptr, MMSYSERR_NOERROR);
    return count;
}

MMRESULT SimulatedWaveIn::GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) {
    const auto id = static_cast<int32_t>(deviceId);
    MMRESULT result;
    if (Scripted(Call::GetDevCaps, &result))
        return Log(Call::GetDevCaps, nullptr, id, nullptr, result);
    if (!caps) return Log(Call::GetDevCaps, nullptr, id, nullptr, MMSYSERR_INVALPARAM);
    if (deviceId >= m_names.size()) {
        return Log(Call::GetDevCaps, nullptr, id, nullptr, MMSYSERR_BADDEVICEID);
    }
    const std::string& name = m_names[deviceId];
    std::memset(caps->szPname, 0, sizeof caps->szPname);
    std::memcpy(caps->szPname, name.data(), std::min<size_t>(name.size(), kMaxPnameLen - 1));
    return Log(Call::GetDevCaps, nullptr, id, nullptr, MMSYSERR_NOERROR);
}

std::string SimulatedWaveIn::DeviceIdentity(int32_t deviceId) {
    const int32_t id = deviceId == WAVE_MAPPER ? 0 : deviceId;
    if (id < 0 || static_cast<size_t>(id) >= m_names.size()) return {};
    const std::string& name = m_names[static_cast<size_t>(id)];
    const auto same = std::count(m_names.begin(), m_names.begin() + id, name);
    return same == 0 ? name : name + "#" + std::to_string(same + 1);
}

uint32_t SimulatedWaveIn::framesPerBuffer() const { return BufferFrames(rate()); }

uint32_t SimulatedWaveIn::RecordingRate(HWAVEIN handle) { return FindOpen(handle) ? m_rate : 0; }

MMRESULT SimulatedWaveIn::QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) {
    MMRESULT result;
    if (Scripted(Call::QueryFormat, &result)) {
        return LogFormat(Call::QueryFormat, deviceId, format, nullptr, result);
    }
    const int32_t id = deviceId == WAVE_MAPPER ? 0 : deviceId;
    if (id < 0 || static_cast<size_t>(id) >= m_names.size()) {
        return LogFormat(Call::QueryFormat, deviceId, format, nullptr, MMSYSERR_BADDEVICEID);
    }
    const bool pcm16 = format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
                       format.nChannels == 2 && format.nBlockAlign == 4;
    return LogFormat(Call::QueryFormat, deviceId, format, nullptr,
                     pcm16 ? MMSYSERR_NOERROR : WAVERR_BADFORMAT);
}

MMRESULT SimulatedWaveIn::Open(HWAVEIN* handle, int32_t deviceId, const WAVEFORMATEX& format,
                               WaveInReceiver receiver) {
    MMRESULT result;
    if (Scripted(Call::Open, &result))
        return LogFormat(Call::Open, deviceId, format, nullptr, result);
    const int32_t id = deviceId == WAVE_MAPPER ? 0 : deviceId;
    if (id < 0 || static_cast<size_t>(id) >= m_names.size()) {
        return LogFormat(Call::Open, deviceId, format, nullptr, MMSYSERR_BADDEVICEID);
    }
    if (!handle || !receiver)
        return LogFormat(Call::Open, deviceId, format, nullptr, MMSYSERR_INVALPARAM);
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.wBitsPerSample != 16 ||
        format.nChannels != 2) {
        return LogFormat(Call::Open, deviceId, format, nullptr, WAVERR_BADFORMAT);
    }
    auto* window = static_cast<QObject*>(receiver);
    auto device = std::make_unique<Device>(id, window);
    Device* watched = device.get();
    device->receiverWatch = QObject::connect(window, &QObject::destroyed,
                                             [watched] { watched->queue.ForgetReceiver(); });
    *handle = device.get();
    m_opened.push_back(device.get());
    m_devices.emplace(device.get(), std::move(device));
    return LogFormat(Call::Open, deviceId, format, *handle, MMSYSERR_NOERROR);
}

template <typename Step>
MMRESULT SimulatedWaveIn::OnDevice(Call call, HWAVEIN handle, WAVEHDR* header, Step step) {
    m_headerAtEntry = header ? *header : WAVEHDR{};
    MMRESULT result;
    if (!Scripted(call, &result)) {
        Device* device = FindOpen(handle);
        result = device ? step(*device) : MMSYSERR_INVALHANDLE;
    }
    return Log(call, handle, -2, header, result);
}

MMRESULT SimulatedWaveIn::PrepareHeader(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return OnDevice(Call::PrepareHeader, handle, header,
                    [&](Device&) { return HeaderQueue::Prepare(header, size); });
}

MMRESULT SimulatedWaveIn::AddBuffer(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return OnDevice(Call::AddBuffer, handle, header,
                    [&](Device& device) { return device.queue.Add(header, size); });
}

MMRESULT SimulatedWaveIn::Start(HWAVEIN handle) {
    return OnDevice(Call::Start, handle, nullptr, [](Device& device) {
        device.started = true;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT SimulatedWaveIn::UnprepareHeader(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return OnDevice(Call::UnprepareHeader, handle, header,
                    [&](Device& device) { return device.queue.Unprepare(header, size); });
}

MMRESULT SimulatedWaveIn::Reset(HWAVEIN handle) {
    return OnDevice(Call::Reset, handle, nullptr, [](Device& device) {
        device.started = false;
        device.queue.HandBackAll();
        return MMSYSERR_NOERROR;
    });
}

MMRESULT SimulatedWaveIn::Close(HWAVEIN handle) {
    return OnDevice(Call::Close, handle, nullptr, [](Device& device) {
        if (!device.queue.MayClose()) return WAVERR_STILLPLAYING;
        QObject::disconnect(device.receiverWatch);
        device.open = false;
        device.started = false;
        return MMSYSERR_NOERROR;
    });
}

int SimulatedWaveIn::Record(Device& device, uint64_t frames) {
    if (!device.open || !device.started || !device.queue.delivering()) return 0;
    auto own = m_deviceSignals.find(device.id);
    const Signal& signal = own != m_deviceSignals.end() ? own->second : m_signal;
    int completed = 0;
    for (uint64_t i = 0; i < frames; ++i, ++device.position) {
        if (device.queue.empty()) continue;
        char frame[4];
        WriteFrame(frame, signal ? signal(device.position) : Frame{0, 0});
        completed += device.queue.Fill(frame, sizeof frame);
    }
    return completed;
}

int SimulatedWaveIn::DeliverFrames(uint64_t frames, HWAVEIN handle) {
    if (handle) {
        Device* device = Find(handle);
        return device ? Record(*device, frames) : 0;
    }
    int completed = 0;
    for (HWAVEIN opened : m_opened) completed += Record(*Find(opened), frames);
    return completed;
}

int SimulatedWaveIn::DeliverBuffers(int count, HWAVEIN handle) {
    return DeliverFrames(static_cast<uint64_t>(count) * framesPerBuffer(), handle);
}

void SimulatedWaveIn::StartRealTime() {
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(kTimerIntervalMs);
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { OnTimer(); });
        m_clock = std::make_unique<QElapsedTimer>();
    }
    m_realTimeFrames = 0;
    m_clock->start();
    m_timer->start();
}

void SimulatedWaveIn::StopRealTime() {
    if (m_timer) m_timer->stop();
}

void SimulatedWaveIn::OnTimer() {
    const auto due = static_cast<uint64_t>(m_clock->nsecsElapsed()) * rate() / 1'000'000'000ULL;
    if (due <= m_realTimeFrames) return;
    DeliverFrames(due - m_realTimeFrames);
    m_realTimeFrames = due;
}

std::vector<SimulatedWaveIn::Call> SimulatedWaveIn::callSequence() const {
    std::vector<Call> sequence;
    sequence.reserve(m_calls.size());
    for (const CallRecord& record : m_calls) sequence.push_back(record.call);
    return sequence;
}

bool SimulatedWaveIn::IsOpen(HWAVEIN handle) const { return FindOpen(handle) != nullptr; }

bool SimulatedWaveIn::IsStarted(HWAVEIN handle) const {
    const Device* device = FindOpen(handle);
    return device && device->started;
}

int32_t SimulatedWaveIn::DeviceIdOf(HWAVEIN handle) const {
    const Device* device = Find(handle);
    return device ? device->id : -2;
}

int SimulatedWaveIn::QueuedCount(HWAVEIN handle) const {
    const Device* device = Find(handle);
    return device ? static_cast<int>(device->queue.size()) : 0;
}

int SimulatedWaveIn::OutstandingCount(HWAVEIN handle) const {
    const Device* device = Find(handle);
    return device ? static_cast<int>(device->queue.outstanding()) : 0;
}

int SimulatedWaveIn::TotalOutstanding() const {
    int total = 0;
    for (const auto& [handle, device] : m_devices) {
        total += static_cast<int>(device->queue.outstanding());
    }
    return total;
}

uint64_t SimulatedWaveIn::FramesRecorded(HWAVEIN handle) const {
    const Device* device = Find(handle);
    return device ? device->position : 0;
}

}  // namespace kestrin
