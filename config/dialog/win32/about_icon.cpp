#include "config/dialog/win32/about_icon.h"

#include <algorithm>

#include "config/dialog/about_icon.h"

namespace kestrin::win32 {

HBITMAP AboutIconBitmap() {
    static HBITMAP bitmap = [] {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kAboutIconSize;
        info.bmiHeader.biHeight = -kAboutIconSize;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (made && bits) {
            // A 32-bit DIB holds its pixels as the icon is drawn, 0x00RRGGBB.
            const AboutIconPixels pixels = DrawAboutIcon();
            std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
            GdiFlush();
        }
        return made;
    }();
    return bitmap;
}

}  // namespace kestrin::win32
