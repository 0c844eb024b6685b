#pragma once

#include <QString>

class QWidget;

namespace kestrin {

constexpr int kPasswordMaxChars = 255;  // longest entry the box takes, in characters

// The lock's entry box: a small modal dialog centred on the screen with the caption, the prompt
// word-wrapped above a one-line field (characters shown as typed, at most kPasswordMaxChars),
// OK as the default button and Cancel on Escape. Returns the field's text on OK and an empty text
// otherwise, so a cancelled box and an empty entry are the same.
QString AskPassword(QWidget* parent, const QString& caption, const QString& prompt);

}  // namespace kestrin
