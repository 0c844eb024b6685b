#pragma once

#include <QEvent>

#include "capture/wave_in.h"

namespace kestrin {

// A filled buffer posted to the meter window, the counterpart of MM_WIM_DATA: the device that
// filled it and its header. Posted from any thread with QCoreApplication::postEvent.
class WimDataEvent : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + MM_WIM_DATA);
    WimDataEvent(HWAVEIN device, WAVEHDR* header) : QEvent(kType), device(device), header(header) {}
    HWAVEIN device;
    WAVEHDR* header;
};

}  // namespace kestrin
