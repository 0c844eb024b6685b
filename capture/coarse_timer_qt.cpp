#include <QTimer>

#include "capture/coarse_timer.h"

namespace kestrin {

struct CoarseTimer::Impl {
    QTimer timer;
};

CoarseTimer::CoarseTimer(std::function<void()> tick) : m(std::make_unique<Impl>()) {
    m->timer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&m->timer, &QTimer::timeout, std::move(tick));
}

CoarseTimer::~CoarseTimer() = default;

void CoarseTimer::Start(int periodMs) { m->timer.start(periodMs); }

void CoarseTimer::Stop() { m->timer.stop(); }

bool CoarseTimer::active() const { return m->timer.isActive(); }

}  // namespace kestrin
