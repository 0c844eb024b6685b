#pragma once

#include <QPixmap>

namespace kestrin {

// The about panel's icon as a Qt picture.
QPixmap AboutIcon();

}  // namespace kestrin
