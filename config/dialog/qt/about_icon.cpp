#include "config/dialog/qt/about_icon.h"

#include <QImage>
#include <QPainter>

namespace kestrin {
namespace {

constexpr int kIconSize = 32;   // pixels
constexpr int kBarBottom = 27;  // y of the bars' bottom row

// Fills one bar from the bottom up to the given height, green to the amber zone, then amber,
// then red, as the meter paints its bars.
void DrawBar(QPainter& p, int x, int height) {
    for (int h = 0; h < height; ++h) {
        const QColor colour = h < 12   ? QColor(0, 255, 0)
                              : h < 18 ? QColor(255, 255, 0)
                                       : QColor(255, 0, 0);
        p.setPen(colour);
        p.drawLine(x, kBarBottom - h, x + 4, kBarBottom - h);
    }
}

}  // namespace

QPixmap AboutIcon() {
    QImage image(kIconSize, kIconSize, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter p(&image);
    p.fillRect(2, 2, 28, 28, Qt::black);
    p.setPen(QColor(192, 192, 192));
    p.drawRect(1, 1, 29, 29);
    p.setPen(Qt::white);
    for (int y = 6; y <= kBarBottom; y += 3) p.drawLine(6, y, 8, y);
    DrawBar(p, 12, 16);
    DrawBar(p, 20, 21);
    p.setPen(QColor(255, 255, 0));
    p.drawLine(12, kBarBottom - 19, 16, kBarBottom - 19);
    p.end();
    return QPixmap::fromImage(image);
}

}  // namespace kestrin
