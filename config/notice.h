#pragma once

#include <string>

namespace kestrin {

// The application's title: the caption of the settings dialog and of the box that reports an
// error a handler did not handle.
constexpr const char* kApplicationTitle = "Kestrin";
// The caption of the boxes that report a failure of the capture or of the settings file.
constexpr const char* kErrorCaption = " Kestrin Error";
// The caption of the boxes that report a buffer that could not be queued again.
constexpr const char* kRequeueCaption = " Peak Programme Meter Error";

// How the meter tells the operator of a failure and how it stops. The real one shows a modal box
// with a single OK button and no icon, and ends the process at once with status 0; tests install
// a recording one. Callers do nothing more after EndProgram() returns (it only returns in tests).
class Notifier {
  public:
    virtual ~Notifier() = default;
    // Modal message box: text, caption as given (a leading blank is kept).
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The application's standard error box, in which an error that an event handler did not
    // handle is reported: the text under an error icon, captioned kApplicationTitle. An error
    // that the meter catches to go on (a failed write at the close) is shown in it too, so that
    // the same failure always looks the same.
    virtual void ShowError(const std::string& text) { ShowMessage(text, kApplicationTitle); }
    // Ends the process at once with exit status 0; no close event runs, nothing is saved.
    virtual void EndProgram() = 0;
};

// The notifier in force. Until one is set, messages go to standard error and EndProgram exits.
Notifier& notifier();
void SetNotifier(Notifier* notifier);

}  // namespace kestrin
