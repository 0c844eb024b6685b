#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrin {

constexpr int kAboutIconSize = 32;  // pixels, square

// The program's icon for the about panel: two meter bars on a black scale panel, in the sixteen
// standard colours. Rows from the top, each pixel 0x00RRGGBB.
using AboutIconPixels = std::array<uint32_t, kAboutIconSize * kAboutIconSize>;
AboutIconPixels DrawAboutIcon();

}  // namespace kestrin
