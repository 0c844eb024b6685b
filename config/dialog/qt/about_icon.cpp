#include "config/dialog/qt/about_icon.h"

#include <QImage>

#include "config/dialog/about_icon.h"

namespace kestrin {

QPixmap AboutIcon() {
    const AboutIconPixels pixels = DrawAboutIcon();
    QImage image(kAboutIconSize, kAboutIconSize, QImage::Format_RGB32);
    for (int y = 0; y < kAboutIconSize; ++y) {
        for (int x = 0; x < kAboutIconSize; ++x) {
            image.setPixel(x, y, pixels[static_cast<size_t>(y * kAboutIconSize + x)]);
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace kestrin
