#pragma once

#include <cstdint>
#include <functional>

#include "capture/wave_in.h"

namespace kestrin::wine_test {

// A message-only window (HWND_MESSAGE) for the capture's notifications, and a message loop that
// hands MM_WIM_DATA to a handler through the same function as the meter window's native-event
// hook. Needs no display.
class MessageWindow {
  public:
    using WimDataHandler = std::function<void(HWAVEIN device, WAVEHDR* header)>;

    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // The HWND, as the capture's receiver; nullptr when the window could not be made.
    WaveInReceiver handle() const { return m_window; }

    // Dispatches messages until done() holds (checked after each one) or timeoutMs have passed;
    // false on the time-out.
    bool RunUntil(const WimDataHandler& onWimData, const std::function<bool()>& done,
                  uint32_t timeoutMs);

  private:
    void* m_window = nullptr;
};

// Milliseconds since the first call, from the high-resolution counter.
double NowMs();

}  // namespace kestrin::wine_test
