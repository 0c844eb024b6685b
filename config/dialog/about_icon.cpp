#include "config/dialog/about_icon.h"

namespace kestrin {
namespace {

constexpr int kBarBottom = 27;  // y of the bars' bottom row

constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kRed = 0xFF0000;

// A rectangle from (x0, y0) to (x1, y1), both corners included.
void Fill(AboutIconPixels& p, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) p[static_cast<size_t>(y * kAboutIconSize + x)] = colour;
    }
}

// One bar five pixels wide from the bottom up to the given height, green to the amber zone, then
// amber, then red, as the meter paints its bars.
void Bar(AboutIconPixels& p, int x, int height) {
    for (int h = 0; h < height; ++h) {
        const uint32_t colour = h < 12 ? kGreen : h < 18 ? kYellow : kRed;
        Fill(p, x, kBarBottom - h, x + 4, kBarBottom - h, colour);
    }
}

}  // namespace

AboutIconPixels DrawAboutIcon() {
    AboutIconPixels p;
    p.fill(kGrey);
    Fill(p, 1, 1, 30, 30, kSilver);
    Fill(p, 2, 2, 29, 29, kBlack);
    for (int y = 6; y <= kBarBottom; y += 3) Fill(p, 6, y, 8, y, kWhite);
    Bar(p, 12, 16);
    Bar(p, 20, 21);
    Fill(p, 12, kBarBottom - 19, 16, kBarBottom - 19, kYellow);
    return p;
}

}  // namespace kestrin
