#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture/wave_in.h"

class QTimer;
class QElapsedTimer;

namespace kestrin {

// A sound system of named devices that record a signal the caller gives, for tests and
// demonstrations. Buffers are filled on request (DeliverFrames, DeliverBuffers) or on a timer at
// the real rate (StartRealTime), and handed to the receiver QObject as WimDataEvents, in queue
// order, on the thread that delivers. Any call can be made to return a chosen result code; every
// call is recorded. Lives on the thread of the receiver.
class SimulatedWaveIn : public WaveIn {
  public:
    enum class Call {
        GetNumDevs,
        GetDevCaps,
        QueryFormat,
        Open,
        PrepareHeader,
        AddBuffer,
        Start,
        UnprepareHeader,
        Reset,
        Close,
    };
    // One stereo frame: channel A (left), channel B (right).
    using Frame = std::pair<int16_t, int16_t>;
    // What a device records: frame index counted from the device's opening -> frame.
    using Signal = std::function<Frame(uint64_t frame)>;

    struct CallRecord {
        Call call;
        HWAVEIN device;    // the handle passed, or the one Open gave; nullptr when none
        int32_t deviceId;  // for GetDevCaps, QueryFormat and Open; else -2
        WAVEHDR* header;   // for the header calls; else nullptr
        MMRESULT result;
        WAVEHDR headerAtCall;  // the header's fields as the call found them
        WAVEFORMATEX format;   // for QueryFormat and Open
    };

    static constexpr uint32_t kFramesPerSecond = 44100;  // unless a device rate is set
    static constexpr uint32_t kFramesPerBuffer = 1100;   // 24.94 ms

    explicit SimulatedWaveIn(std::vector<std::string> deviceNames = {"Simulated Input"});
    ~SimulatedWaveIn() override;
    SimulatedWaveIn(const SimulatedWaveIn&) = delete;
    SimulatedWaveIn& operator=(const SimulatedWaveIn&) = delete;

    // The devices, in id order. Device names longer than 31 bytes are cut as szPname holds them.
    void SetDevices(std::vector<std::string> names);
    const std::vector<std::string>& devices() const { return m_names; }

    // After `after` more calls of that kind have gone through, the next `count` return `result`
    // and do nothing else. Scripts for one kind of call queue up behind each other.
    void FailNext(Call call, MMRESULT result, int count = 1, int after = 0);
    void ClearFailures();

    // The rate every device opened from now on records at, whatever the format asks, as
    // RecordingRate tells; 0, as at first: the format's rate, with RecordingRate giving 0.
    void SetRecordingRate(uint32_t rate) { m_rate = rate; }
    // Frames per second the devices record at, and the frames of one design period at that rate.
    uint32_t rate() const { return m_rate != 0 ? m_rate : kFramesPerSecond; }
    uint32_t framesPerBuffer() const;

    // The signal of every device that has none of its own; silence until set.
    void SetSignal(Signal signal);
    void SetSignal(int32_t deviceId, Signal signal);

    // Records the next `frames` frames on a started device (nullptr: every started device) into
    // its queued buffers and posts one event per filled buffer. Frames for which no buffer is
    // queued are lost. Returns the number of buffers filled.
    int DeliverFrames(uint64_t frames, HWAVEIN device = nullptr);
    int DeliverBuffers(int count, HWAVEIN device = nullptr);
    // Records into every started device at rate() frames per second, one buffer every 24.94 ms
    // on average, from the receiver's event loop.
    void StartRealTime();
    void StopRealTime();

    const std::vector<CallRecord>& calls() const { return m_calls; }
    std::vector<Call> callSequence() const;
    void ClearCalls() { m_calls.clear(); }

    // Handles of every device ever opened, in the order of opening; closed ones stay valid keys.
    const std::vector<HWAVEIN>& opened() const { return m_opened; }
    HWAVEIN lastOpened() const { return m_opened.empty() ? nullptr : m_opened.back(); }
    bool IsOpen(HWAVEIN device) const;
    bool IsStarted(HWAVEIN device) const;
    int32_t DeviceIdOf(HWAVEIN device) const;    // the id it was opened for (WAVE_MAPPER gives 0)
    int QueuedCount(HWAVEIN device) const;       // queued, waiting to be filled
    int OutstandingCount(HWAVEIN device) const;  // added and not yet unprepared
    int TotalOutstanding() const;                // over every device
    uint64_t FramesRecorded(HWAVEIN device) const;

    uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) override;
    // The device's whole name, followed by "#<n>" for the n-th device of the same name (n from
    // 2), so that a device keeps its identity when the list is reordered. Not recorded as a call.
    std::string DeviceIdentity(int32_t deviceId) override;
    MMRESULT QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) override;
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
    struct Device;

    Device* Find(HWAVEIN handle) const;
    Device* FindOpen(HWAVEIN handle) const;
    bool Scripted(Call call, MMRESULT* result);
    MMRESULT Log(Call call, HWAVEIN device, int32_t deviceId, WAVEHDR* header, MMRESULT result);
    // A call on an open device, recorded: its scripted result if one is due, else
    // MMSYSERR_INVALHANDLE for a device not open, else what `step` does with it.
    template <typename Step>
    MMRESULT OnDevice(Call call, HWAVEIN handle, WAVEHDR* header, Step step);
    MMRESULT LogFormat(Call call, int32_t deviceId, const WAVEFORMATEX& format, HWAVEIN device,
                       MMRESULT result);
    int Record(Device& device, uint64_t frames);
    void OnTimer();

    std::vector<std::string> m_names;
    uint32_t m_rate = 0;  // frames per second devices record at; 0: the format's
    std::map<Call, std::deque<std::optional<MMRESULT>>> m_failNext;  // nullopt: go through
    Signal m_signal;
    std::map<int32_t, Signal> m_deviceSignals;
    std::map<HWAVEIN, std::unique_ptr<Device>> m_devices;  // every device ever opened
    std::vector<HWAVEIN> m_opened;
    std::vector<CallRecord> m_calls;
    WAVEHDR m_headerAtEntry;  // the header of the call being made, as it came in
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<QElapsedTimer> m_clock;
    uint64_t m_realTimeFrames = 0;  // frames recorded by the timer since StartRealTime
};

}  // namespace kestrin
