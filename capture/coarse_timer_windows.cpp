#include <windows.h>

#include <map>

#include "capture/coarse_timer.h"

namespace kestrin {
namespace {

// Thread timers carry no pointer of ours: the running ones are found by their id.
std::map<UINT_PTR, CoarseTimer*>& runningTimers() {
    static std::map<UINT_PTR, CoarseTimer*> timers;
    return timers;
}

}  // namespace

struct CoarseTimer::Impl {
    std::function<void()> tick;
    UINT_PTR id = 0;  // 0 while stopped

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = runningTimers().find(id);
        if (it != runningTimers().end()) it->second->m->tick();
    }
};

CoarseTimer::CoarseTimer(std::function<void()> tick) : m(std::make_unique<Impl>()) {
    m->tick = std::move(tick);
}

CoarseTimer::~CoarseTimer() { Stop(); }

void CoarseTimer::Start(int periodMs) {
    Stop();
    // No window: WM_TIMER goes to the thread's queue, and DispatchMessage calls OnTimer.
    m->id = SetTimer(nullptr, 0, static_cast<UINT>(periodMs), &Impl::OnTimer);
    if (m->id != 0) runningTimers()[m->id] = this;
}

void CoarseTimer::Stop() {
    if (m->id == 0) return;
    KillTimer(nullptr, m->id);
    runningTimers().erase(m->id);
    m->id = 0;
}

bool CoarseTimer::active() const { return m->id != 0; }

}  // namespace kestrin
