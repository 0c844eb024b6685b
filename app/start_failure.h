#pragma once

#include <QtGlobal>
#include <string>
#include <vector>

namespace kestrin {

// Watches the making of the application object, where Qt opens the window system: when that
// fails (no display, a display that refuses the connection, a platform that can't be loaded) Qt
// would print several lines, advise reinstalling and abort. Instead the program says in one line
// on standard error which display it could not open and why, and ends with status 1. What the
// window system said meanwhile is held back and, when the opening succeeds, passed on as usual.
class StartFailureReport {
  public:
    StartFailureReport();
    ~StartFailureReport();  // passes the held messages on, if Done has not
    StartFailureReport(const StartFailureReport&) = delete;
    StartFailureReport& operator=(const StartFailureReport&) = delete;

    // The application object exists: messages go their usual way again, the held ones first.
    void Done();

    // The line for a display that could not be opened: "kestrin: cannot open the display
    // <display>: <reason>". The display is the platform chosen (QT_QPA_PLATFORM), or for the X
    // window system the DISPLAY variable; the reason the first thing the platform said.
    static std::string FailureLine(const std::string& platform, const std::string& display,
                                   const std::vector<std::string>& said);

  private:
    QtMessageHandler m_previous = nullptr;
    bool m_done = false;
};

}  // namespace kestrin
