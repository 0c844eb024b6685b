#pragma once

#include <QColor>
#include <cstdint>

namespace kestrin {

// The meter keeps colours as 0x00BBGGRR (red in the low byte); these are the only places where
// such a value becomes a Qt colour and back. The top byte is ignored.
QColor ToQColor(int32_t colour);
int32_t FromQColor(const QColor& colour);

}  // namespace kestrin
