#pragma once

#include <string>

namespace kestrin {

// The lock's entry box, as every toolkit shows it: a small modal box centred on the screen with
// the caption, the prompt word-wrapped above a one-line field (characters shown as typed), OK as
// the default button, which Enter in the field presses, and Cancel, which Escape presses.
constexpr int kPasswordMaxChars = 255;  // longest entry the field takes, in characters
constexpr int kPasswordBoxWidth = 300;  // pixels of the box's inside; the prompt wraps within it

// One showing of the box: whether it still shows, and the entry it gives back.
class PasswordEntry {
  public:
    // OK pressed, with the field's text.
    void OkPressed(const std::string& fieldText) {
        m_text = fieldText;
        m_ok = true;
        m_showing = false;
    }
    // Cancel pressed, or the box closed any other way.
    void Cancelled() { m_showing = false; }

    const bool& Showing() const { return m_showing; }
    // The field's text after OK, an empty text otherwise: a cancelled box and an empty entry are
    // the same.
    std::string Entry() const { return m_ok ? m_text : std::string(); }

  private:
    bool m_showing = true;
    bool m_ok = false;
    std::string m_text;  // the field's text at OK
};

}  // namespace kestrin
