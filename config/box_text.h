#pragma once

#include <functional>
#include <string>

namespace kestrin {

// Whether a message box showing this text (bytes, UTF-8) fits the screen it opens on; each window
// toolkit measures its own boxes.
using BoxFits = std::function<bool(const std::string& text)>;

// What a message box shows of a text: the text as it is where the box fits. Otherwise the box is
// too big for a name or path it carries (a device name, the settings file's path), which stands on
// the text's longest line: that line is shortened in its middle, "..." in place of what is left
// out, and keeps as much of its start and end as lets the box fit, whole characters only. The
// other lines, and the words before and after the name, stay as they are.
std::string FitBoxText(const std::string& text, const BoxFits& fits);

}  // namespace kestrin
