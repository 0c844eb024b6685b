#pragma once

#include <QImage>
#include <QLocale>
#include <QRegion>
#include <QWidget>
#include <optional>

#include "display/meter_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrin {

// The meter window as a Qt widget: the controls, the surface the meter draws on, and the events
// handed to the meter's own steps (MeterWindow). Everything it shows besides its controls is
// drawn into a surface image (by the paint handler and by the buffer pipeline) that paint events
// copy to the screen.
//
// Construction runs FormCreate, which ends by opening the capture; the settings dialog (Form2)
// must be constructed right after it, before the event loop runs, since the first buffer and the
// first paint read and write its fields.
class TForm1 : public QWidget, public MeterWindow {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* dBButton;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLineEdit* over;
    QLabel* Label3;
    QLabel* Label11;
    QPushButton* MSButton;
    QLabel* Label12;

    using MeterWindow::FormMouseDown;
    // A press as Qt tells it.
    void FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // What the window shows besides its controls (wider than the client area: columns that lie
    // outside a narrowed window are kept there too).
    const QImage& surface() const { return m_surface; }
    // The part of the window the last buffer flushed to the screen (empty when no pixel changed).
    const QRegion& lastFlush() const { return m_lastFlush; }

    // Platform functions of the meter window.
    void SetCaption(const std::string& text) override;
    void SetLabelCaption(MeterLabel label, const std::string& text) override;
    void SetMSButtonCaption(const std::string& text) override;
    void SetOverColour(int32_t colour) override;
    void SetOverEnabled(bool enabled) override;
    void PaintWindowColour(int32_t colour) override;
    void SetClientWidth(int width) override;
    int ClientHeight() const override;
    void MoveFrameTo(int32_t left, int32_t top) override;
    int32_t FrameLeft() const override;
    int32_t FrameTop() const override;
    bool SetTopmostByCaption(const std::string& caption, bool onTop) override;
    char DecimalSeparator() const override;
    void ReceiveCaptureBuffers() override;
    void BeginDrawing() override;
    void FillRect(const PixelRect& rect, int32_t colour) override;
    void DrawLine(int x0, int y, int x1, int32_t colour) override;
    void EndDrawing(const std::vector<PixelRect>& changed) override;

  protected:
    bool event(QEvent* event) override;
#ifdef _WIN32
    // MM_WIM_DATA, which the system's capture device posts to this window's native window.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildLayout();
    // Activation and deactivation: FormActivate where it is due, and the controls told, without
    // the repaint of the whole window that QWidget makes when the style's active and inactive
    // colours differ (that would clear the held peaks and the dialog's fields).
    void ActivationChanged(QEvent* event);
    QLabel* Label(MeterLabel label) const;
    // Shows a part of the surface at once: a synchronous repaint of just that part, which
    // paintEvent knows for ours by the flag.
    void Flush(const QRegion& region);
    // Where the controls cover the window.
    QRegion ControlsRegion() const;

    // RGB32, what the window shows besides controls. The meter draws only opaque rectangles and
    // lines a pixel high, written straight into its rows.
    QImage m_surface;
    QRegion m_lastFlush;
    mutable std::optional<QLocale> m_separatorLocale;  // the locale m_separator was taken from
    mutable char m_separator = '.';
    QRegion m_flushRegion;            // what the flush under way repaints
    bool m_flushing = false;          // a repaint of our own is under way
    bool m_painting = false;          // the window's own paint (FormPaint) is under way
    bool m_leftPressed = false;       // a left press on the surface awaits its release
    bool m_activated = false;         // the window has been activated at least once
    bool m_focusToOwnWindow = false;  // the last deactivation gave the focus to a window of ours
    bool m_deliveryPosted = false;    // an event that delivers the held buffers is on its way
};

// The meter window of the run, set while it exists.
extern TForm1* Form1;

}  // namespace kestrin
