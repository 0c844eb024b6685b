#include "config/notice.h"

#include <cstdio>
#include <cstdlib>

namespace kestrin {
namespace {

// Used only until the application installs its message boxes: start-up code run without a window
// system still says what went wrong.
class StandardErrorNotifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    void EndProgram() override {
        std::fflush(stderr);
        std::_Exit(0);
    }
};

StandardErrorNotifier standardErrorNotifier;
Notifier* current = &standardErrorNotifier;

}  // namespace

Notifier& notifier() { return *current; }

void SetNotifier(Notifier* n) { current = n ? n : &standardErrorNotifier; }

}  // namespace kestrin
