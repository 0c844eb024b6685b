#pragma once

#include <functional>
#include <memory>

namespace kestrin {

// A repeating timer of the platform's own, on the thread that starts it (the user-interface
// thread): its ticks come through that thread's event loop, so the nested loops of modal boxes
// and dialogs deliver them too. Coarse: a tick may come some milliseconds late.
class CoarseTimer {
  public:
    explicit CoarseTimer(std::function<void()> tick);
    ~CoarseTimer();
    CoarseTimer(const CoarseTimer&) = delete;
    CoarseTimer& operator=(const CoarseTimer&) = delete;

    // Ticks every periodMs milliseconds from now on; restarts the period when already running.
    void Start(int periodMs);
    void Stop();
    bool active() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace kestrin
