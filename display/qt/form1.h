#pragma once

#include <QImage>
#include <QLocale>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <QWindow>
#include <array>
#include <optional>

#include "display/meter_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrin {

// The meter window as a Qt widget: the controls, the surface the meter draws on, and the events
// reported to the meter's own steps (MeterWindow), which decide what they mean. Everything it shows
// besides its controls is drawn into a surface image (by the paint handler and by the buffer
// pipeline) that paint events copy to the screen.
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

    // What the window shows besides its controls (wider than the client area: columns that lie
    // outside a narrowed window are kept there too).
    const QImage& surface() const { return m_surface; }
    // A control, by its designer's name.
    QWidget* Control(MeterControl control) const { return m_controls[Index(control)]; }

    // Platform functions of the meter window.
    void ShowCaption(const std::string& text) override;
    void ShowLabelCaption(MeterControl label, const std::string& text) override;
    void ShowMSButtonCaption(const std::string& text) override;
    void ShowButtonCaption(MeterControl button, const std::string& text) override;
    void PlaceControl(MeterControl control, bool shown, int left, int top) override;
    void ShowOverColour(int32_t colour) override;
    void ShowOverEnabled(bool enabled) override;
    void PaintWindowColour(int32_t colour) override;
    void SetClientSize(int width, int height) override;
    int ClientHeight() const override;
    void MoveFrameTo(int32_t left, int32_t top) override;
    int32_t FrameLeft() const override;
    int32_t FrameTop() const override;
    bool Topmost() const override;
    void SetTopmost(bool onTop) override;
    char DecimalSeparator() const override;
    void ReceiveCaptureBuffers() override;
    void FillRect(const PixelRect& rect, int32_t colour) override;
    void DrawLine(int x0, int y, int x1, int32_t colour) override;
    void EndDrawing(const std::vector<PixelRect>& changed) override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildLayout();
    // Activation and deactivation reported, and the controls told, without the repaint of the
    // whole window that QWidget makes when the style's active and inactive colours differ (that
    // would clear the held peaks and the dialog's fields).
    void ActivationChanged(QEvent* event);
    // Shows a part of the surface at once: a synchronous repaint of just that part, which
    // paintEvent knows for ours by the flag.
    void Flush(const QRegion& region);
    // Where the controls cover the window.
    QRegion ControlsRegion() const;

    // The controls in the order of kMeterControls.
    std::array<QWidget*, kMeterControlCount> m_controls = {};
    // RGB32, what the window shows besides controls. The meter draws only opaque rectangles and
    // lines a pixel high, written straight into its rows.
    QImage m_surface;
    mutable std::optional<QLocale> m_separatorLocale;  // the locale m_separator was taken from
    mutable char m_separator = '.';
    QRegion m_flushRegion;    // what the flush under way repaints
    bool m_flushing = false;  // a repaint of our own is under way
    bool m_painting = false;  // the window's own paint (FormPaint) is under way
    // The window of the program that has the focus as last announced, or none; at the meter's
    // activation still the one the focus comes from, which is announced after it.
    QPointer<QWindow> m_lastFocus;
};

// The meter window of the run, set while it exists.
extern TForm1* Form1;

}  // namespace kestrin
