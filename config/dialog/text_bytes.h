#pragma once

#include <QString>
#include <string>

namespace kestrin {

// Setting texts are bytes, UTF-8 on this desktop; the controls show them decoded.
inline QString FromBytes(const std::string& bytes) { return QString::fromStdString(bytes); }

// Takes a control's text into a setting. While the control still shows what the setting decodes
// to, the setting keeps its own bytes, so a hand-edited value that is not UTF-8 survives an
// opening of the dialog in which nobody touched it.
inline void TakeText(std::string& field, const QString& text) {
    if (text != FromBytes(field)) field = text.toStdString();
}

}  // namespace kestrin
