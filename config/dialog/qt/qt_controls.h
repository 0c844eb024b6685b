#pragma once

#include <QFont>
#include <QLocale>
#include <QString>

#include "config/dialog/control_table.h"

class QLabel;
class QWidget;

// What both Qt windows (the meter window and the settings dialog) need of the toolkit: their
// faces and their labels.
namespace kestrin::qt {

// A face of a control table: one with the metrics of the designed window face, at its pixel
// height whatever the screen's resolution. This desktop has one face for both of the design's.
QFont FontOf(ControlFont font);

// A label that shows its text as it stands, sized to it from its top-left corner. A click on it
// stays with it: it neither reaches the window behind nor does anything there.
QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font);

// A locale's decimal separator as a single byte ('.' where it is none or not ASCII); by default
// the desktop's.
char DecimalSeparator(const QLocale& locale = QLocale());

}  // namespace kestrin::qt
