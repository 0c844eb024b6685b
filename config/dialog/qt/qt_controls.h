#pragma once

#include <QFont>
#include <QString>

#include "config/dialog/control_table.h"

class QLabel;
class QWidget;

// What both Qt windows (the meter window and the settings dialog) need of the toolkit: their
// faces and their labels.
namespace kestrin::qt {

// The designed windows' face at a fixed pixel height, whatever the screen's resolution: a face
// with the metrics of the designed one.
QFont PixelFont(int pixels, bool bold = false, bool underline = false);
// A face of a control table. This desktop has one face for both of the design's.
QFont FontOf(ControlFont font);

// A label that shows its text as it stands, sized to it from its top-left corner. A click on it
// stays with it: it neither reaches the window behind nor does anything there.
QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font);

}  // namespace kestrin::qt
