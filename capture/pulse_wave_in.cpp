#include "capture/pulse_wave_in.h"

#include <QObject>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/header_queue.h"
#include "capture/pulse_connection.h"
#include "capture/pulse_library.h"
#include "capture/wave_in_device.h"

namespace kestrin {
namespace {

// Half a buffer (rounded up), 12.47 ms: how much the server gathers before it sends a chunk. A
// buffer is complete only once the chunk holding its last sample has come, and PulseAudio cuts a
// fragment of a whole buffer to 4396 bytes, so with it nearly every buffer waited for the next
// chunk, up to 24.9 ms, for its last frames. Half a buffer bounds that wait by 12.5 ms there,
// PipeWire's chunks (exactly this size) fill each buffer with two, and the server is not woken
// every few ms.
uint32_t FramesPerFragment(uint32_t rate) { return (BufferFrames(rate) + 1) / 2; }

// How much earlier than the next buffer could be complete the loop looks at the server again:
// room for the sleep's own lateness and for a chunk that comes a little earlier after the last
// one than the sound it completes takes to record.
constexpr std::chrono::microseconds kQuietMargin{1000};

// A recording stream and the buffers queued to it. Touched with the main loop locked only.
struct PulseDevice : WaveInDevice {
    explicit PulseDevice(QObject* receiver) : queue(this, receiver) {}

    PulseConnection* connection = nullptr;
    pa_stream* stream = nullptr;
    QMetaObject::Connection receiverWatch;
    HeaderQueue queue;
    uint32_t rate = 0;            // frames per second the stream records at: the source's own
    uint32_t bytesPerSecond = 0;  // of the stream's format
    bool completed = false;       // a buffer was handed to the receiver since the last look
    bool started = false;         // between Start and Reset: data goes into the buffers
    bool failed = false;          // the stream or the server failed: nothing can be queued again

    // What the device refuses every new buffer with.
    MMRESULT refusal() const { return failed ? MMSYSERR_NODRIVER : MMSYSERR_NOERROR; }

    // Once a buffer has been completed by a chunk that came as the loop waited for it, the next
    // one cannot be complete before the sound still missing from it has been recorded: until
    // shortly before then, the loop need not wake for the chunks that bring the rest.
    void QuietUntilNextBuffer() {
        PulseLoop* loop = connection->mainloop();
        const bool anchored = completed && loop->ReadingFresh();
        completed = false;
        if (!anchored || !started || failed || !queue.delivering() || queue.empty() ||
            bytesPerSecond == 0) {
            return;
        }
        const auto recording =
            std::chrono::microseconds(static_cast<int64_t>(queue.FrontRoom()) * 1000000 /
                                      static_cast<int64_t>(bytesPerSecond));
        loop->QuietUntil(PulseLoop::Clock::now() + recording - kQuietMargin);
    }

    void HandBackAll() {
        if (queue.HandBackAll() > 0) completed = true;
    }

    // A chunk of recorded bytes; nullptr data is a hole in the stream, recorded as silence.
    void Record(const void* data, size_t length) {
        if (queue.Fill(static_cast<const char*>(data), length) > 0) completed = true;
    }
};

void OnStreamState(pa_stream* stream, void* userdata) {
    auto* device = static_cast<PulseDevice*>(userdata);
    const pa_stream_state_t state = Pulse().pa_stream_get_state(stream);
    // Server gone, source gone, no such source: the meter must hear of it, so every buffer comes
    // back and no new one is taken.
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        device->failed = true;
        device->HandBackAll();
    }
    device->connection->Signal();
}

void OnStreamRead(pa_stream* stream, size_t, void* userdata) {
    auto* device = static_cast<PulseDevice*>(userdata);
    const PulseLibrary& pulse = Pulse();
    while (pulse.pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t length = 0;
        if (pulse.pa_stream_peek(stream, &data, &length) < 0 || length == 0) return;
        if (device->started) device->Record(data, length);
        pulse.pa_stream_drop(stream);
    }
    device->QuietUntilNextBuffer();
}

bool FormatSupported(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
           (format.nChannels == 1 || format.nChannels == 2) && format.nSamplesPerSec >= 1000 &&
           format.nSamplesPerSec <= 192000 && format.nBlockAlign == format.nChannels * 2 &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

// The longest start of the text that fits szPname with its NUL, cut between characters.
std::string PnameOf(const std::string& description) {
    size_t length = std::min<size_t>(description.size(), kMaxPnameLen - 1);
    if (length < description.size()) {
        while (length > 0 && (static_cast<uint8_t>(description[length]) & 0xC0) == 0x80) --length;
    }
    return description.substr(0, length);
}

void DisconnectStream(PulseDevice* device) {
    QObject::disconnect(device->receiverWatch);
    if (!device->stream) return;
    Pulse().pa_stream_set_state_callback(device->stream, nullptr, nullptr);
    Pulse().pa_stream_set_read_callback(device->stream, nullptr, nullptr);
    Pulse().pa_stream_disconnect(device->stream);
    Pulse().pa_stream_unref(device->stream);
    device->stream = nullptr;
}

void Cork(PulseDevice* device, bool cork) {
    if (device->failed || !device->stream) return;
    if (pa_operation* operation =
            Pulse().pa_stream_cork(device->stream, cork ? 1 : 0, nullptr, nullptr)) {
        Pulse().pa_operation_unref(operation);
    }
}

}  // namespace

struct PulseWaveIn::Impl {
    PulseConnection connection{kServerTimeoutMs};
    std::optional<std::vector<PulseSource>> sources;  // as of the last listing
    std::map<WaveInDevice*, std::unique_ptr<PulseDevice>> devices;

    void Refresh() { sources = connection.ListSources(); }

    PulseDevice* Find(HWAVEIN handle) {
        auto it = devices.find(handle);
        return it == devices.end() ? nullptr : it->second.get();
    }

    // The source a device id stands for, or nullopt when there is none.
    std::optional<std::string> SourceName(int32_t deviceId) {
        if (deviceId == WAVE_MAPPER) return connection.DefaultSourceName();
        if (!sources) Refresh();
        if (!sources || deviceId < 0 || static_cast<size_t>(deviceId) >= sources->size()) {
            return std::nullopt;
        }
        return (*sources)[static_cast<size_t>(deviceId)].name;
    }

    // A call on an open device, made with the main loop locked: without a server or for a handle
    // not open, the refusal comes before anything else.
    template <typename Step>
    MMRESULT OnDevice(HWAVEIN handle, Step step) {
        if (!connection.mainloop()) return MMSYSERR_NODRIVER;
        MainLoopLock lock(connection.mainloop());
        PulseDevice* device = Find(handle);
        return device ? step(*device) : MMSYSERR_INVALHANDLE;
    }
};

PulseWaveIn::PulseWaveIn() : m(std::make_unique<Impl>()) {}

PulseWaveIn::~PulseWaveIn() {
    if (!m->connection.mainloop()) return;
    MainLoopLock lock(m->connection.mainloop());
    for (auto& [handle, device] : m->devices) DisconnectStream(device.get());
    m->devices.clear();
}

uint32_t PulseWaveIn::GetNumDevs() {
    if (!m->connection.mainloop()) return 0;
    MainLoopLock lock(m->connection.mainloop());
    m->Refresh();
    return m->sources ? static_cast<uint32_t>(m->sources->size()) : 0;
}

MMRESULT PulseWaveIn::GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) {
    if (!caps) return MMSYSERR_INVALPARAM;
    if (!m->connection.mainloop()) return MMSYSERR_NODRIVER;
    MainLoopLock lock(m->connection.mainloop());
    if (!m->sources) m->Refresh();
    if (!m->sources || deviceId >= m->sources->size()) return MMSYSERR_BADDEVICEID;
    const std::string name = PnameOf((*m->sources)[deviceId].listed);
    std::memset(caps->szPname, 0, sizeof caps->szPname);
    std::memcpy(caps->szPname, name.data(), name.size());
    return MMSYSERR_NOERROR;
}

std::string PulseWaveIn::DeviceName(uint32_t deviceId) {
    if (!m->connection.mainloop()) return {};
    MainLoopLock lock(m->connection.mainloop());
    if (!m->sources) m->Refresh();
    if (!m->sources || deviceId >= m->sources->size()) return {};
    return (*m->sources)[deviceId].listed;
}

std::string PulseWaveIn::DeviceIdentity(int32_t deviceId) {
    if (!m->connection.mainloop()) return {};
    MainLoopLock lock(m->connection.mainloop());
    return m->SourceName(deviceId).value_or(std::string());
}

MMRESULT PulseWaveIn::QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) {
    if (!m->connection.mainloop()) return MMSYSERR_NODRIVER;
    MainLoopLock lock(m->connection.mainloop());
    const std::optional<std::string> source = m->SourceName(deviceId);
    if (!source || m->connection.HasSource(*source) != true) return MMSYSERR_BADDEVICEID;
    // The server converts whatever the source records into the stream's format.
    return FormatSupported(format) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

MMRESULT PulseWaveIn::Open(HWAVEIN* handle, int32_t deviceId, const WAVEFORMATEX& format,
                           WaveInReceiver receiver) {
    if (!handle || !receiver) return MMSYSERR_INVALPARAM;
    if (!m->connection.mainloop()) return MMSYSERR_NODRIVER;
    if (!FormatSupported(format)) return WAVERR_BADFORMAT;
    MainLoopLock lock(m->connection.mainloop());
    const std::optional<std::string> source = m->SourceName(deviceId);
    if (!source) return MMSYSERR_BADDEVICEID;
    pa_context* context = m->connection.Context();
    if (!context) return MMSYSERR_NODRIVER;

    // The rate asked for is only where the server starts from: FIX_RATE below has it record at the
    // rate the source runs at, which the stream tells once it is ready.
    pa_sample_spec spec;
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = format.nSamplesPerSec;
    spec.channels = static_cast<uint8_t>(format.nChannels);
    pa_channel_map channels;
    Pulse().pa_channel_map_init_auto(&channels, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    pa_stream* stream = Pulse().pa_stream_new(context, "Kestrin meter", &spec, &channels);
    if (!stream) return MMSYSERR_NOMEM;

    auto* window = static_cast<QObject*>(receiver);
    auto device = std::make_unique<PulseDevice>(window);
    device->connection = &m->connection;
    device->stream = stream;
    // A window that goes away while its device still records must get nothing more.
    PulseDevice* watched = device.get();
    device->receiverWatch = QObject::connect(window, &QObject::destroyed,
                                             [watched, mainloop = m->connection.mainloop()] {
                                                 MainLoopLock lock(mainloop);
                                                 watched->queue.ForgetReceiver();
                                             });
    Pulse().pa_stream_set_state_callback(stream, OnStreamState, device.get());
    Pulse().pa_stream_set_read_callback(stream, OnStreamRead, device.get());

    // Without ADJUST_LATENCY a monitor source delivers in bursts of seconds; without DONT_MOVE
    // the server would quietly move the stream to another source when this one goes away. With
    // FIX_RATE the stream records at the source's own rate, so the samples are the source's own:
    // a conversion to another rate overshoots at every edge (a 48 kHz square wave recorded at
    // 44.1 kHz reads 1.8 dB high). On PipeWire that is the rate its graph runs at, which the
    // source's description does not tell while it is suspended.
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(-1);
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = FramesPerFragment(format.nSamplesPerSec) * format.nBlockAlign;
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE |
                                       PA_STREAM_START_CORKED | PA_STREAM_FIX_RATE);
    if (Pulse().pa_stream_connect_record(stream, source->c_str(), &attributes, flags) < 0) {
        DisconnectStream(device.get());
        return MMSYSERR_NODRIVER;
    }
    m->connection.WaitFor([stream] {
        const pa_stream_state_t state = Pulse().pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (Pulse().pa_stream_get_state(stream) != PA_STREAM_READY) {
        const bool noSource = Pulse().pa_context_errno(context) == PA_ERR_NOENTITY;
        DisconnectStream(device.get());
        return noSource ? MMSYSERR_BADDEVICEID : MMSYSERR_NODRIVER;
    }
    device->rate = Pulse().pa_stream_get_sample_spec(stream)->rate;
    device->bytesPerSecond = device->rate * format.nBlockAlign;
    if (device->rate != spec.rate) {
        attributes.fragsize = FramesPerFragment(device->rate) * format.nBlockAlign;
        if (pa_operation* operation =
                Pulse().pa_stream_set_buffer_attr(stream, &attributes, nullptr, nullptr)) {
            Pulse().pa_operation_unref(operation);
        }
    }
    *handle = device.get();
    m->devices.emplace(device.get(), std::move(device));
    return MMSYSERR_NOERROR;
}

uint32_t PulseWaveIn::RecordingRate(HWAVEIN handle) {
    uint32_t rate = 0;
    m->OnDevice(handle, [&](PulseDevice& device) {
        rate = device.rate;
        return MMSYSERR_NOERROR;
    });
    return rate;
}

MMRESULT PulseWaveIn::PrepareHeader(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return m->OnDevice(handle, [&](PulseDevice& device) {
        return HeaderQueue::Prepare(header, size, device.refusal());
    });
}

MMRESULT PulseWaveIn::AddBuffer(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return m->OnDevice(handle, [&](PulseDevice& device) {
        return device.queue.Add(header, size, device.refusal());
    });
}

MMRESULT PulseWaveIn::Start(HWAVEIN handle) {
    return m->OnDevice(handle, [](PulseDevice& device) {
        if (device.failed) return MMSYSERR_NODRIVER;
        device.started = true;
        Cork(&device, false);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT PulseWaveIn::UnprepareHeader(HWAVEIN handle, WAVEHDR* header, uint32_t size) {
    return m->OnDevice(handle,
                       [&](PulseDevice& device) { return device.queue.Unprepare(header, size); });
}

MMRESULT PulseWaveIn::Reset(HWAVEIN handle) {
    return m->OnDevice(handle, [](PulseDevice& device) {
        device.started = false;
        Cork(&device, true);
        device.HandBackAll();
        return MMSYSERR_NOERROR;
    });
}

MMRESULT PulseWaveIn::Close(HWAVEIN handle) {
    return m->OnDevice(handle, [&](PulseDevice& device) {
        if (!device.queue.MayClose()) return WAVERR_STILLPLAYING;
        DisconnectStream(&device);
        m->devices.erase(handle);
        return MMSYSERR_NOERROR;
    });
}

std::unique_ptr<WaveIn> MakePlatformWaveIn() { return std::make_unique<PulseWaveIn>(); }

}  // namespace kestrin
