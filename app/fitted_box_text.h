#pragma once

#include <QMessageBox>
#include <QString>
#include <string>

namespace kestrin {

// The text (bytes in the locale's encoding) for a box with `icon`, one OK button and its text as
// plain text: shortened as FitBoxText says where the box would not fit the work area of the
// screen it opens on.
QString FittedBoxText(QMessageBox::Icon icon, const std::string& text);

// The same within a given work area, in the screen's logical pixels.
QString FittedBoxText(QMessageBox::Icon icon, const std::string& text, const QRect& workArea);

}  // namespace kestrin
