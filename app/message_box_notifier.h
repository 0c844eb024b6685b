#pragma once

#include "config/notice.h"

namespace kestrin {

// Failure messages as modal boxes with one OK button and no icon; the end of the program is
// immediate, with exit status 0 and nothing saved.
class MessageBoxNotifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void EndProgram() override;
};

}  // namespace kestrin
