#include "capture/pulse_loop.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "capture/pulse_library.h"

namespace kestrin {
namespace {

// A poll that took at least this long found nothing to read when it began: what the loop reads
// from then on (in this and the following rounds, some of which only run deferred work) came
// while it waited, not earlier.
constexpr std::chrono::microseconds kWaitedFor{200};

}  // namespace

PulseLoop::PulseLoop() : m_mainloop(Pulse().pa_mainloop_new()) {
    m_interruptFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!m_mainloop || m_interruptFd < 0) return;
    Pulse().pa_mainloop_set_poll_func(m_mainloop, &PulseLoop::Poll, this);
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "kestrin-sound");
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        Pulse().pa_mainloop_run(m_mainloop, nullptr);
    });
}

PulseLoop::~PulseLoop() {
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            Pulse().pa_mainloop_quit(m_mainloop, 0);
        }
        Interrupt();
        m_thread.join();
    }
    if (m_mainloop) Pulse().pa_mainloop_free(m_mainloop);
    if (m_interruptFd >= 0) close(m_interruptFd);
}

pa_mainloop_api* PulseLoop::api() const { return Pulse().pa_mainloop_get_api(m_mainloop); }

void PulseLoop::Wait() {
    std::unique_lock<std::recursive_mutex> lock(m_mutex, std::adopt_lock);
    m_signal.wait(lock);
    lock.release();
}

void PulseLoop::BeginServerWait() {
    m_serverWaits.fetch_add(1);
    Interrupt();
}

void PulseLoop::EndServerWait() { m_serverWaits.fetch_sub(1); }

void PulseLoop::Interrupt() {
    const uint64_t one = 1;
    // A full counter already says the same; nothing else can go wrong with an eventfd.
    [[maybe_unused]] const ssize_t written = write(m_interruptFd, &one, sizeof one);
}

int PulseLoop::Poll(pollfd* fds, unsigned long count, int timeoutMs, void* self) {
    return static_cast<PulseLoop*>(self)->Poll(fds, count, timeoutMs);
}

// Called by the loop with its lock held; other threads get the lock while it sleeps or polls.
int PulseLoop::Poll(pollfd* fds, unsigned long count, int timeoutMs) {
    m_mutex.unlock();
    if (m_serverWaits.load() == 0 && Clock::now() < m_quietUntil) {
        timeoutMs = SleepQuietly(timeoutMs);
        // What the server sent meanwhile is read late, until the loop has to wait again.
        m_readingFresh = false;
    }
    m_quietUntil = {};
    const Clock::time_point start = Clock::now();
    const int ready = poll(fds, count, timeoutMs);
    if (Clock::now() - start >= kWaitedFor) m_readingFresh = true;
    m_mutex.lock();
    return ready;
}

int PulseLoop::SleepQuietly(int timeoutMs) {
    const Clock::time_point start = Clock::now();
    Clock::duration sleep = m_quietUntil - start;
    if (timeoutMs >= 0)
        sleep = std::min<Clock::duration>(sleep, std::chrono::milliseconds(timeoutMs));
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sleep).count();
    const timespec duration{static_cast<time_t>(ns / 1000000000),
                            static_cast<long>(ns % 1000000000)};
    pollfd interrupt{m_interruptFd, POLLIN, 0};
    if (ppoll(&interrupt, 1, &duration, nullptr) > 0) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(m_interruptFd, &count, sizeof count);
    }
    if (timeoutMs < 0) return -1;
    const auto slept =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return static_cast<int>(std::max<decltype(slept)>(0, timeoutMs - slept));
}

}  // namespace kestrin
