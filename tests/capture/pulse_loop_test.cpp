// The client library's loop thread: a quiet time, in which it leaves the server's sockets alone,
// must never hold up a thread that waits for the server, nor the loop's own end.

#include "capture/pulse_loop.h"

#include <gtest/gtest.h>
#include <pulse/mainloop-api.h>
#include <pulse/timeval.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "capture/pulse_connection.h"
#include "tests/support/private_sound_server.h"

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr seconds kLongQuiet{60};

// Puts the loop into a quiet time of a minute, from its own thread (where a completed buffer
// starts one), and returns once it is sleeping in it.
void StartLongQuiet(PulseLoop& loop) {
    struct Request {
        PulseLoop* loop;
        std::atomic<bool> done{false};
    } request{&loop};
    {
        MainLoopLock lock(&loop);
        timeval now;
        pa_gettimeofday(&now);
        pa_mainloop_api* api = loop.api();
        api->time_new(
            api, &now,
            [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* userdata) {
                auto* request = static_cast<Request*>(userdata);
                request->loop->QuietUntil(PulseLoop::Clock::now() + kLongQuiet);
                request->done = true;
                api->time_free(event);
            },
            &request);
    }
    while (!request.done) std::this_thread::sleep_for(milliseconds(5));
    // The loop goes on from the callback to its next poll, which sleeps.
    std::this_thread::sleep_for(milliseconds(200));
}

TEST(PulseLoop, AQuestionToTheServerEndsAQuietTimeAtOnce) {
    const auto server = StartPrivateServer(SoundServerKind::PulseAudio);
    server->UseInThisProcess();
    PulseConnection connection(3000);
    ASSERT_NE(connection.mainloop(), nullptr);
    {
        MainLoopLock lock(connection.mainloop());
        ASSERT_NE(connection.Context(), nullptr);
    }
    StartLongQuiet(*connection.mainloop());
    // Asked while the loop sleeps, the server must still answer, and long before the quiet time
    // would have ended (a liveness bound, not a speed target).
    const auto start = std::chrono::steady_clock::now();
    MainLoopLock lock(connection.mainloop());
    const auto sources = connection.ListSources();
    ASSERT_TRUE(sources.has_value());
    EXPECT_FALSE(sources->empty());
    EXPECT_EQ(connection.HasSource("meter_test.monitor"), std::optional<bool>(true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLongQuiet / 4);
}

TEST(PulseLoop, ItsEndDoesNotWaitForAQuietTime) {
    auto loop = std::make_unique<PulseLoop>();
    ASSERT_TRUE(loop->running());
    StartLongQuiet(*loop);
    const auto start = std::chrono::steady_clock::now();
    loop.reset();
    // Far less than the quiet time: a liveness bound, not a speed target.
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLongQuiet / 4);
}

}  // namespace
}  // namespace kestrin::test
