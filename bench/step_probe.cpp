// How long the running meter takes to show a step in the sound. Plays silence into a sink, then a
// loud tone, and watches one pixel of a bar's column in the meter window on the X display until
// it lights; repeats with the step at a random moment against the meter's buffer period.
//
//   kestrin_step_probe <window id> <x> <y> <sink> [steps] [player latency in ms]
//
// The player is a PulseAudio playback stream with the given target latency (10 ms by default, as
// `pacat --latency-msec=10`). For each step it prints the time from handing the first loud
// samples to the server to the pixel's change, and the player's own latency at that moment (the
// sound still queued in front of the step): the difference is the meter's part.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kRate = 44100;
constexpr int kChunkFrames = 44;  // 1 ms: the step starts within a millisecond of being asked for
constexpr double kLoudAmplitude = 16000.0;  // about -6 dBFS, well below the over indicator
constexpr double kToneHz = 1000.0;
constexpr milliseconds kPixelTimeout{2000};
constexpr microseconds kPollInterval{500};

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// Writes 1 ms chunks, silence or a tone, for as long as it runs; the write blocks while the
// server's buffer is full, so the chunks leave at the rate they are played.
class Player {
  public:
    Player(const std::string& sink, int latencyMs) {
        pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
        pa_buffer_attr attributes;
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.tlength = static_cast<uint32_t>(
            pa_usec_to_bytes(static_cast<pa_usec_t>(latencyMs) * PA_USEC_PER_MSEC, &spec));
        attributes.prebuf = static_cast<uint32_t>(-1);
        attributes.minreq = static_cast<uint32_t>(-1);
        attributes.fragsize = static_cast<uint32_t>(-1);
        int error = 0;
        m_stream = pa_simple_new(nullptr, "Kestrin step probe", PA_STREAM_PLAYBACK, sink.c_str(),
                                 "step", &spec, nullptr, &attributes, &error);
        if (!m_stream) {
            std::fprintf(stderr, "cannot play into %s: %s\n", sink.c_str(), pa_strerror(error));
            std::exit(1);
        }
        m_thread = std::thread([this] { Run(); });
    }
    ~Player() {
        m_stop = true;
        m_thread.join();
        pa_simple_free(m_stream);
    }

    // Starts the tone; returns when its first samples were handed to the server, with the time
    // just before that and the player's latency then.
    void StartStep(int64_t* handedOverNs, double* latencyMs) {
        m_handedOver = 0;
        m_loud = true;
        while (m_handedOver == 0) std::this_thread::sleep_for(microseconds(100));
        *handedOverNs = m_handedOver;
        *latencyMs = m_latencyUs / 1000.0;
    }
    void StopStep() { m_loud = false; }

  private:
    void Run() {
        std::vector<int16_t> chunk(kChunkFrames * 2);
        uint64_t frame = 0;
        bool wasLoud = false;
        while (!m_stop) {
            const bool loud = m_loud;
            for (int i = 0; i < kChunkFrames; ++i, ++frame) {
                const double t = static_cast<double>(frame) / kRate;
                const auto value = static_cast<int16_t>(
                    loud
                        ? std::lround(kLoudAmplitude * std::sin(2 * std::numbers::pi * kToneHz * t))
                        : 0);
                chunk[static_cast<size_t>(2 * i)] = value;
                chunk[static_cast<size_t>(2 * i + 1)] = value;
            }
            int error = 0;
            if (loud && !wasLoud) {
                m_latencyUs = static_cast<int64_t>(pa_simple_get_latency(m_stream, &error));
                m_handedOver = Now();
            }
            if (pa_simple_write(m_stream, chunk.data(), chunk.size() * sizeof(int16_t), &error) <
                0) {
                std::fprintf(stderr, "playing failed: %s\n", pa_strerror(error));
                std::exit(1);
            }
            wasLoud = loud;
        }
    }

    pa_simple* m_stream = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_loud{false};
    std::atomic<int64_t> m_handedOver{0};  // steady-clock ns before the first loud write
    std::atomic<int64_t> m_latencyUs{0};   // the player's latency then
};

class Pixel {
  public:
    Pixel(Window window, int x, int y) : m_window(window), m_x(x), m_y(y) {
        m_display = XOpenDisplay(nullptr);
        if (!m_display) {
            std::fprintf(stderr, "cannot open the X display\n");
            std::exit(1);
        }
    }
    ~Pixel() { XCloseDisplay(m_display); }

    unsigned long Read() {
        XImage* image = XGetImage(m_display, m_window, m_x, m_y, 1, 1, AllPlanes, ZPixmap);
        if (!image) {
            std::fprintf(stderr, "cannot read the window's pixel\n");
            std::exit(1);
        }
        const unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return value;
    }

    // Polls until the pixel differs from (or, with `equal`, equals) the colour; the time of the
    // read that saw it, or 0 after the timeout.
    int64_t Await(unsigned long colour, bool equal, milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            const int64_t at = Now();
            if ((Read() == colour) == equal) return at;
            std::this_thread::sleep_for(kPollInterval);
        }
        return 0;
    }

  private:
    Display* m_display = nullptr;
    Window m_window;
    int m_x;
    int m_y;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s <window id> <x> <y> <sink> [steps] [player latency in ms]\n",
                     argv[0]);
        return 2;
    }
    const auto window = static_cast<Window>(std::stoul(argv[1], nullptr, 0));
    const int steps = argc > 5 ? std::atoi(argv[5]) : 20;
    const int latencyMs = argc > 6 ? std::atoi(argv[6]) : 10;
    Pixel pixel(window, std::atoi(argv[2]), std::atoi(argv[3]));
    Player player(argv[4], latencyMs);

    // Silence until the bar has fallen: the colour of the unlit pixel.
    std::this_thread::sleep_for(milliseconds(1500));
    const unsigned long unlit = pixel.Read();

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> jitterUs(0, 50000);  // two buffer periods, in us
    std::vector<double> delays;
    std::vector<double> latencies;
    for (int step = 0; step < steps; ++step) {
        if (!pixel.Await(unlit, true, kPixelTimeout)) {
            std::fprintf(stderr, "the bar did not fall back after step %d\n", step);
            return 1;
        }
        std::this_thread::sleep_for(milliseconds(300) + microseconds(jitterUs(random)));
        int64_t handedOver = 0;
        double latency = 0;
        player.StartStep(&handedOver, &latency);
        const int64_t lit = pixel.Await(unlit, false, kPixelTimeout);
        player.StopStep();
        if (!lit) {
            std::fprintf(stderr, "the bar did not rise at step %d: wrong window or pixel?\n", step);
            return 1;
        }
        const double delay = static_cast<double>(lit - handedOver) / 1e6;
        delays.push_back(delay);
        latencies.push_back(latency);
        std::printf("step %d: %.1f ms from hand-over to the bar, player latency %.1f ms\n", step,
                    delay, latency);
        std::this_thread::sleep_for(milliseconds(150));
    }
    std::vector<double> own;
    for (size_t i = 0; i < delays.size(); ++i) own.push_back(delays[i] - latencies[i]);
    std::printf("delay_median_ms %.1f\ndelay_max_ms %.1f\n", Median(delays),
                *std::max_element(delays.begin(), delays.end()));
    std::printf("latency_median_ms %.1f\nlatency_max_ms %.1f\n", Median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));
    std::printf("meter_median_ms %.1f\nmeter_max_ms %.1f\n", Median(own),
                *std::max_element(own.begin(), own.end()));
    return 0;
}
