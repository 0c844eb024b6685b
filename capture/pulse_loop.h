#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct pa_mainloop;
struct pa_mainloop_api;
struct pollfd;

namespace kestrin {

// The client library's main loop on a thread of its own, locked and waited on as the library's
// threaded main loop is, with one thing more: it can be told that nothing it could read from the
// server before a given moment is wanted yet. Until then it leaves the server's sockets alone
// (what the server sends meanwhile waits in them) and sleeps, so that a server that sends a
// recording in many small chunks does not wake it for each of them. A thread about to wait for
// an answer of the server ends such a quiet time at once.
class PulseLoop {
  public:
    using Clock = std::chrono::steady_clock;

    PulseLoop();
    ~PulseLoop();  // stops the thread; call without the lock
    PulseLoop(const PulseLoop&) = delete;
    PulseLoop& operator=(const PulseLoop&) = delete;

    // False when the loop or its thread could not be made.
    bool running() const { return m_thread.joinable(); }
    pa_mainloop_api* api() const;

    // The loop's lock: held by its thread except while it waits; taken by other threads around
    // every use of the library. It may be taken again by the thread that holds it.
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    // With the lock held once, by another thread than the loop's: gives it up until Signal.
    void Wait();
    // Wakes every Wait.
    void Signal() { m_signal.notify_all(); }

    // On the loop's thread: nothing from the server is wanted before this moment.
    void QuietUntil(Clock::time_point until) { m_quietUntil = until; }
    // On the loop's thread: whether what its handlers read now came while it was waiting for it,
    // rather than having waited at the server behind a quiet time: false from the end of a quiet
    // time until the loop has to wait for the server again.
    bool ReadingFresh() const { return m_readingFresh; }

    // For a thread that waits for the server, around the wait: no quiet time meanwhile.
    void BeginServerWait();
    void EndServerWait();

  private:
    static int Poll(pollfd* fds, unsigned long count, int timeoutMs, void* self);
    int Poll(pollfd* fds, unsigned long count, int timeoutMs);
    // Sleeps until the quiet time is over, or a wait for the server begins, or timeoutMs (-1:
    // none) has passed; gives what is left of timeoutMs.
    int SleepQuietly(int timeoutMs);
    void Interrupt();

    pa_mainloop* m_mainloop = nullptr;
    std::recursive_mutex m_mutex;
    std::condition_variable_any m_signal;
    int m_interruptFd = -1;  // an eventfd written to end a quiet time early
    std::atomic<int> m_serverWaits{0};
    Clock::time_point m_quietUntil{};  // the loop's thread's own
    bool m_readingFresh = true;        // the loop's thread's own
    std::thread m_thread;
};

}  // namespace kestrin
