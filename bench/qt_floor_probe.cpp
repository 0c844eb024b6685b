// What a bare Qt window costs for the meter's rhythm of work, for bench/report.sh to set beside
// the meter's own user-interface thread: a thread of its own posts an event to the window every
// buffer period (24.94 ms), as the capture does, and the window answers each by repainting one
// strip of a bar's size (10 x 20 pixels) from an image, as the meter shows a changed part of a
// bar. Nothing else happens: no analysis, no settings, no capture. The X backend is set up as the
// meter sets it up.
//
//   kestrin_qt_floor_probe [--no-repaint]
//
// Runs until it is ended; the report reads its threads' processor time from /proc. With
// --no-repaint the window only receives the events: the cost of being woken alone.
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr std::chrono::microseconds kBufferPeriod{24943};
const QEvent::Type kBufferEvent = static_cast<QEvent::Type>(QEvent::User + 1);

class StripWindow : public QWidget {
  public:
    explicit StripWindow(bool repaintStrip) : m_repaintStrip(repaintStrip) {
        m_image.fill(Qt::black);
        setFixedSize(m_image.size());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != kBufferEvent) return QWidget::event(event);
        if (m_repaintStrip) {
            // A bar that rises and falls: the strip alternates between two colours.
            m_lit = !m_lit;
            const QRect strip(32, 100, 10, 20);
            m_image.fill(m_lit ? Qt::green : Qt::darkGreen);
            repaint(strip);
        }
        return true;
    }

    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        for (const QRect& rect : event->region()) painter.drawImage(rect.topLeft(), m_image, rect);
    }

  private:
    QImage m_image{140, 341, QImage::Format_RGB32};
    bool m_repaintStrip;
    bool m_lit = false;
};

}  // namespace

int main(int argc, char** argv) {
    const bool repaintStrip = !(argc > 1 && std::strcmp(argv[1], "--no-repaint") == 0);
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
    StripWindow window(repaintStrip);
    window.setWindowTitle(repaintStrip ? "Qt floor" : "Qt floor, no repaint");
    window.show();
    std::atomic<bool> running{true};
    std::thread poster([&] {
        auto next = std::chrono::steady_clock::now();
        while (running) {
            next += kBufferPeriod;
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&window, new QEvent(kBufferEvent));
        }
    });
    const int status = application.exec();
    running = false;
    poster.join();
    return status;
}
