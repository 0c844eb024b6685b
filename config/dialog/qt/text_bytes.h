#pragma once

#include <QString>
#include <string>

namespace kestrin {

// Setting texts are bytes, UTF-8 on this desktop; the controls show them decoded.
inline QString FromBytes(const std::string& bytes) { return QString::fromStdString(bytes); }

}  // namespace kestrin
