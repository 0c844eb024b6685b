#include "config/dialog/win32/about_icon.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrin::win32 {
namespace {

constexpr int kIconSize = 32;   // pixels
constexpr int kBarBottom = 27;  // y of the bars' bottom row

// Pixels as a top-down 32-bit DIB holds them: 0x00RRGGBB.
using Pixels = std::array<uint32_t, kIconSize * kIconSize>;

constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kRed = 0xFF0000;

// A row from x0 to x1, both included.
void Row(Pixels& p, int x0, int x1, int y, uint32_t colour) {
    for (int x = x0; x <= x1; ++x) p[static_cast<size_t>(y * kIconSize + x)] = colour;
}

void Column(Pixels& p, int x, int y0, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; ++y) p[static_cast<size_t>(y * kIconSize + x)] = colour;
}

// One bar five pixels wide from the bottom up to the given height, green to the amber zone, then
// amber, then red, as the meter paints its bars.
void Bar(Pixels& p, int x, int height) {
    for (int h = 0; h < height; ++h) {
        const uint32_t colour = h < 12 ? kGreen : h < 18 ? kYellow : kRed;
        Row(p, x, x + 4, kBarBottom - h, colour);
    }
}

Pixels IconPixels() {
    Pixels p;
    p.fill(kGrey);
    for (int y = 2; y < 30; ++y) Row(p, 2, 29, y, kBlack);
    Row(p, 1, 30, 1, kSilver);
    Row(p, 1, 30, 30, kSilver);
    Column(p, 1, 1, 30, kSilver);
    Column(p, 30, 1, 30, kSilver);
    for (int y = 6; y <= kBarBottom; y += 3) Row(p, 6, 8, y, kWhite);
    Bar(p, 12, 16);
    Bar(p, 20, 21);
    Row(p, 12, 16, kBarBottom - 19, kYellow);
    return p;
}

}  // namespace

HBITMAP AboutIconBitmap() {
    static HBITMAP bitmap = [] {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kIconSize;
        info.bmiHeader.biHeight = -kIconSize;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (made && bits) {
            const Pixels pixels = IconPixels();
            std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
            GdiFlush();
        }
        return made;
    }();
    return bitmap;
}

}  // namespace kestrin::win32
