#pragma once

#include "config/notice.h"

namespace kestrin {

// Failure messages in the system's message box: one OK button, no icon, modal to the program's
// windows; errors in the box that reports an error of an event handler. The end of the program
// is immediate, with exit status 0 and nothing saved.
class Win32Notifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowError(const std::string& text) override;
    void EndProgram() override;
};

}  // namespace kestrin
