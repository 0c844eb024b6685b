// What a recording stream set up as the meter's gets from the sound server: the sizes of the
// chunks the server delivers and how often, how long the last sample of each 4400-byte buffer
// waits for the rest of its chunk, and the delay from the chunk that completes a buffer to the
// buffer's notification on the user-interface thread (posted as the meter's capture posts it).
//
//   kestrin_chunk_probe <source> [seconds] [fragment size in bytes]
//
// The stream records 16-bit stereo at 44100 Hz with PA_STREAM_ADJUST_LATENCY and the given
// fragment size (4400 bytes by default, one buffer), from the server PULSE_SERVER names. Prints
// figures as "key value" lines.
#include <pulse/pulseaudio.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBufferBytes = 4400;             // one meter buffer: 1100 frames, 24.94 ms
constexpr double kBytesPerMs = 44100 * 4 / 1000.0;  // 176.4

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A buffer completed on the client library's thread, on its way to the main thread.
class CompletedEvent : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);
    explicit CompletedEvent(Clock::time_point at) : QEvent(kType), at(at) {}
    Clock::time_point at;
};

class Receiver : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() != CompletedEvent::kType) return QObject::event(e);
        postDelays.push_back(Ms(Clock::now() - static_cast<CompletedEvent*>(e)->at));
        return true;
    }
    std::vector<double> postDelays;  // ms from completion to handling
};

struct Probe {
    pa_threaded_mainloop* mainloop = nullptr;
    pa_stream* stream = nullptr;
    Receiver* receiver = nullptr;
    std::mutex lock;
    std::vector<size_t> chunkSizes;
    std::vector<Clock::time_point> chunkTimes;
    uint64_t bytes = 0;                   // recorded so far
    std::vector<double> lastSampleWaits;  // ms the buffer's last sample waited for its chunk's rest
    bool started = false;                 // after the first data: the stream's start is left out
};

void OnRead(pa_stream* stream, size_t, void* userdata) {
    auto* probe = static_cast<Probe*>(userdata);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t length = 0;
        if (pa_stream_peek(stream, &data, &length) < 0 || length == 0) return;
        const Clock::time_point now = Clock::now();
        pa_stream_drop(stream);
        std::lock_guard<std::mutex> guard(probe->lock);
        if (!probe->started && !data) continue;
        probe->started = true;
        probe->chunkSizes.push_back(length);
        probe->chunkTimes.push_back(now);
        const uint64_t end = probe->bytes + length;
        // Every buffer whose last byte came with this chunk is complete now; the bytes of the
        // chunk after that byte were recorded later, and the chunk waited for them at the server.
        for (uint64_t boundary = (probe->bytes / kBufferBytes + 1) * kBufferBytes; boundary <= end;
             boundary += kBufferBytes) {
            probe->lastSampleWaits.push_back(static_cast<double>(end - boundary) / kBytesPerMs);
            QCoreApplication::postEvent(probe->receiver, new CompletedEvent(now));
        }
        probe->bytes = end;
    }
}

void OnState(pa_stream*, void* userdata) {
    pa_threaded_mainloop_signal(static_cast<Probe*>(userdata)->mainloop, 0);
}

void OnContext(pa_context*, void* userdata) {
    pa_threaded_mainloop_signal(static_cast<Probe*>(userdata)->mainloop, 0);
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <source> [seconds] [fragment size in bytes]\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    const auto fragsize = static_cast<uint32_t>(argc > 3 ? std::atoi(argv[3]) : kBufferBytes);
    QCoreApplication application(argc, argv);
    Receiver receiver;
    Probe probe;
    probe.receiver = &receiver;

    probe.mainloop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_start(probe.mainloop);
    pa_threaded_mainloop_lock(probe.mainloop);
    pa_context* context =
        pa_context_new(pa_threaded_mainloop_get_api(probe.mainloop), "Kestrin chunk probe");
    pa_context_set_state_callback(context, OnContext, &probe);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) Fail("no server");
    while (pa_context_get_state(context) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) Fail("no server");
        pa_threaded_mainloop_wait(probe.mainloop);
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 2};
    probe.stream = pa_stream_new(context, "Kestrin chunk probe", &spec, nullptr);
    pa_stream_set_state_callback(probe.stream, OnState, &probe);
    pa_stream_set_read_callback(probe.stream, OnRead, &probe);
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(-1);
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = fragsize;
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(probe.stream, source.c_str(), &attributes, flags) < 0) {
        Fail("cannot record from " + source);
    }
    while (pa_stream_get_state(probe.stream) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(probe.stream))) Fail("no stream");
        pa_threaded_mainloop_wait(probe.mainloop);
    }
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(probe.stream);
    std::printf("fragsize_asked %u\nfragsize_granted %u\n", fragsize, granted->fragsize);
    pa_threaded_mainloop_unlock(probe.mainloop);

    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    application.exec();

    pa_threaded_mainloop_lock(probe.mainloop);
    pa_stream_disconnect(probe.stream);
    pa_stream_unref(probe.stream);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_threaded_mainloop_unlock(probe.mainloop);
    pa_threaded_mainloop_stop(probe.mainloop);
    pa_threaded_mainloop_free(probe.mainloop);

    std::lock_guard<std::mutex> guard(probe.lock);
    std::map<size_t, int> sizes;
    for (size_t s : probe.chunkSizes) ++sizes[s];
    std::vector<std::pair<int, size_t>> bySize;
    for (auto [size, count] : sizes) bySize.emplace_back(count, size);
    std::sort(bySize.rbegin(), bySize.rend());
    std::printf("chunks %zu\n", probe.chunkSizes.size());
    for (size_t i = 0; i < std::min<size_t>(4, bySize.size()); ++i) {
        std::printf("chunk_size %zu bytes: %d (%.1f %%)\n", bySize[i].second, bySize[i].first,
                    100.0 * bySize[i].first / static_cast<double>(probe.chunkSizes.size()));
    }
    std::vector<double> intervals;
    for (size_t i = 1; i < probe.chunkTimes.size(); ++i) {
        intervals.push_back(Ms(probe.chunkTimes[i] - probe.chunkTimes[i - 1]));
    }
    std::printf("chunk_interval_ms mean %.2f median %.2f p95 %.2f\n", Mean(intervals),
                Median(intervals), Percentile(intervals, 0.95));
    std::printf("buffers %zu\n", probe.lastSampleWaits.size());
    std::printf("last_sample_wait_ms mean %.2f median %.2f max %.2f\n", Mean(probe.lastSampleWaits),
                Median(probe.lastSampleWaits),
                probe.lastSampleWaits.empty() ? 0.0
                                              : *std::max_element(probe.lastSampleWaits.begin(),
                                                                  probe.lastSampleWaits.end()));
    std::printf("post_delay_ms median %.3f p99 %.3f max %.3f\n", Median(receiver.postDelays),
                Percentile(receiver.postDelays, 0.99),
                receiver.postDelays.empty()
                    ? 0.0
                    : *std::max_element(receiver.postDelays.begin(), receiver.postDelays.end()));
    return 0;
}
