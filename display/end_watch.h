#pragma once

#include "config/notice.h"

namespace kestrin {

// Tells whether a call ended the program. The meter's failure paths end the program through the
// notifier and never return, except under a notifier that only records the end (tests); a
// caller that goes on after such a call would work with a buffer the failure left behind. Stands
// in for the notifier while it lives, passing everything on.
class EndWatch : public Notifier {
  public:
    EndWatch() : m_inner(notifier()) { SetNotifier(this); }
    ~EndWatch() override { SetNotifier(&m_inner); }
    EndWatch(const EndWatch&) = delete;
    EndWatch& operator=(const EndWatch&) = delete;

    void ShowMessage(const std::string& text, const std::string& caption) override {
        m_inner.ShowMessage(text, caption);
    }
    void ShowError(const std::string& text) override { m_inner.ShowError(text); }
    void EndProgram() override {
        m_ended = true;
        m_inner.EndProgram();
    }
    bool ended() const { return m_ended; }

  private:
    Notifier& m_inner;
    bool m_ended = false;
};

}  // namespace kestrin
