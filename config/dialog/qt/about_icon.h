#pragma once

#include <QPixmap>

namespace kestrin {

// The program's 32 x 32 icon: two meter bars on a black scale panel, in the sixteen standard
// colours.
QPixmap AboutIcon();

}  // namespace kestrin
