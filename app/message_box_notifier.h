#pragma once

#include <QString>

#include "config/notice.h"

namespace kestrin {

// Failure messages as modal boxes with one OK button and no icon, errors in the application's
// error box; the end of the program is immediate, with exit status 0 and nothing saved.
class MessageBoxNotifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowError(const std::string& text) override;
    void EndProgram() override;
};

// The application's error box: the text under the critical icon, captioned kApplicationTitle,
// one OK button; shown modally.
void ShowErrorBox(const std::string& text);

}  // namespace kestrin
