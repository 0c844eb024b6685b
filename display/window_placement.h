#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace kestrin {

// The part of the title bar that a screen must show for the operator to take hold of the window
// and drag it: this many pixels wide, across the top rows of the frame.
constexpr int kTitleGripWidth = 32;
constexpr int kTitleGripRows = 8;

// Where a window whose frame is `frame` big goes for a stored frame position: there, when one of
// the screens (their geometries) shows a piece of its title bar at least kTitleGripWidth pixels
// wide and kTitleGripRows rows high; otherwise inside `primary` (the primary screen's available
// area) at the position nearest the stored one that shows the whole frame, or at its top left
// corner when the frame is bigger than that area.
QPoint PlaceWindow(QPoint stored, QSize frame, const QList<QRect>& screens, const QRect& primary);

}  // namespace kestrin
