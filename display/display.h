#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "capture/wave_in.h"
#include "config/settings.h"
#include "display/column_change.h"
#include "measure/ballistics.h"
#include "measure/scale.h"

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

namespace kestrin {

// S+20: the S bar is shown 20 dB up. Off at every start, never saved.
extern bool SPlus20;
// Pixels by which a falling bar drops per buffer; read anew from the dialog at every buffer.
extern int32_t Decay;
// Buffers for which the over indicator stays lit.
extern int32_t OverCount;
// The y of the bars' bottom row, stored at every paint; 0 until the first.
extern int32_t Baseline;
// Scaled peak to bar height; built at every paint, zeros before the first.
extern TLevelTable LevelTable;

// The store's view of the windows: the lock check box of the settings dialog (the stored lock
// state while there is no dialog) and the meter window's frame position.
class MeterSettingsHost : public SettingsHost {
  public:
    bool LockSetChecked() const override;
    int32_t WindowLeft() const override;
    int32_t WindowTop() const override;
};

// The meter window: bars A and B and, optionally, M and S with their scale, the over indicator,
// the S+20 and M/S buttons. Everything it shows besides its controls is drawn into a surface
// image (by the paint handler and by the buffer pipeline) that paint events copy to the screen.
//
// Construction runs FormCreate, which ends by opening the capture; the settings dialog (Form2)
// must be constructed right after it, before the event loop runs, since the first buffer and the
// first paint read and write its fields.
class TForm1 : public QWidget {
    Q_OBJECT
  public:
    enum BarId { A = 0, B = 1, M = 2, S = 3 };

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

    std::array<TBarState, 4> Bars;  // A, B, M, S

    // Start-up: settings, input device, labels, caption and position, then the capture.
    void FormCreate();
    // Grants every close.
    void FormCloseQuery(bool& CanClose);
    // Stacking, dialog fields, held-peak clear, panel, ticks, scale labels, level table.
    void FormPaint();
    // Right button: the settings dialog, modally.
    void FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // Back to the stored position, width for the M/S choice. Runs when the window is first
    // activated and when the focus comes back to it from another of the program's windows (the
    // settings dialog, a message box), not when it comes back from another program.
    void FormActivate();
    // Saves position and the M/S choice.
    void FormClose();
    // Left click on the window's surface: over indicator dark, held peaks restart.
    void FormClick();
    void dBButtonClick();
    void MSButtonClick();
    // One returned capture buffer, from release to requeue.
    void MMWimData(HWAVEIN device, WAVEHDR* header);

    // "A  B" or "L  R" under bars A and B.
    void SetChannelLabels();
    // Mark texts 1 to 7 or dB, and the unit label.
    void SetScaleLabels();
    // Repaints a bar's whole column at a level (1 to 255) in its colour and unlit colour.
    void DrawBar(QPainter& canvas, int32_t level, int x, int32_t colour, int32_t dimColour);
    // One tick column with the canvas's pen.
    void DrawTicks(QPainter& canvas, int x, int baseline);

    // 0x00BBGGRR: grey, or maroon while S+20 is on.
    int32_t windowColour() const { return m_windowColour; }
    // What the window shows besides its controls (wider than the client area: columns that lie
    // outside a narrowed window are kept there too).
    const QImage& surface() const { return m_surface; }
    // The part of the window the last buffer flushed to the screen (empty when no pixel changed).
    const QRegion& lastFlush() const { return m_lastFlush; }

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
    // A returned buffer: handed to MMWimData, or held while the settings dialog does not exist yet.
    void BufferReturned(HWAVEIN device, WAVEHDR* header);
    // The buffers held until the settings dialog exists, in the order they came back.
    void DeliverHeldBuffers();
    // Width and the caption of MSButton for the M/S choice.
    void ApplyMSWidth();
    // To the stored position, or onto the primary screen where no screen would show the title bar.
    void MoveToStoredPosition();
    void SetWindowColour(int32_t colour);
    void SetOverColour(int32_t colour);
    void SetClientWidth(int width);
    // Buffer pipeline steps that touch the dialog's fields.
    double ReadCalibration();
    void ReadDecay();
    // Draws the bars and held-peak lines of one buffer and works out what changed.
    void PaintBuffer();
    void Flush(const QRegion& region);
    // Where the controls cover the window.
    QRegion ControlsRegion() const;

    QImage m_surface;                        // RGB32, what the window shows besides controls
    int32_t m_windowColour = -1;             // 0x00BBGGRR; -1 before the first
    int32_t m_overColour = -1;               // 0x00BBGGRR of the over indicator
    std::array<ColumnPicture, 4> m_columns;  // what the surface's bar columns show, A B M S
    QRegion m_lastFlush;
    QRegion m_flushRegion;       // what the flush under way repaints
    bool m_flushing = false;     // a repaint of our own is under way
    bool m_leftPressed = false;  // a left press on the surface awaits its release
    bool m_activated = false;    // the window has been activated at least once
    bool m_focusToOwnWindow = false;  // the last deactivation gave the focus to a window of ours
    std::vector<std::pair<HWAVEIN, WAVEHDR*>> m_heldBuffers;  // returned before Form2 existed
    bool m_deliveryPosted = false;  // an event that delivers the held buffers is on its way
    MeterSettingsHost m_settingsHost;
};

// The meter window of the run, set while it exists.
extern TForm1* Form1;

// The always-on-top step: the meter window, found by its caption, is made topmost or ordinary,
// without moving or resizing it. Returns false when the meter window's caption differs from the
// given one (the display name changed in the dialog without OK), or there is no meter window; no
// other window of the program is touched then.
bool ApplyAlwaysOnTop(const std::string& caption, bool onTop);

}  // namespace kestrin
