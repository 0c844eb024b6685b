#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/notice.h"

namespace kestrin::test {

// Records message boxes and program ends instead of showing or exiting; installs itself for its
// lifetime.
class RecordingNotifier : public Notifier {
  public:
    struct Message {
        std::string text;
        std::string caption;
        bool errorBox = false;  // the application's error box, with its icon
        bool operator==(const Message&) const = default;
    };

    RecordingNotifier() { SetNotifier(this); }
    ~RecordingNotifier() override { SetNotifier(nullptr); }

    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
        events.push_back("message: " + text);
        if (whileShown) whileShown();
    }
    void ShowError(const std::string& text) override {
        messages.push_back({text, kApplicationTitle, true});
        events.push_back("error: " + text);
        if (whileShown) whileShown();
    }
    void EndProgram() override {
        ++endCount;
        events.push_back("end");
    }

    // Runs for every message as if its box stood open: a modal box's nested loop goes on
    // delivering the capture's buffers, for instance.
    std::function<void()> whileShown;

    std::vector<Message> messages;
    std::vector<std::string> events;  // messages and ends in the order they happened
    int endCount = 0;
};

}  // namespace kestrin::test
