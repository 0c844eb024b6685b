#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture/wave_in.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/column_change.h"
#include "display/loudness_column.h"
#include "display/meter_window_layout.h"
#include "display/pixel_rect.h"
#include "display/standard_peaks.h"
#include "measure/ballistics.h"
#include "measure/scale.h"

namespace kestrin {

class SettingsDialog;

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

// Mouse buttons as the meter tells them apart.
enum class MouseButton { Left, Right };

// The meter window as the meter defines it: start-up, the buffer pipeline, painting of bars,
// held-peak lines and scale, clicks, the two buttons, the settings dialog's opening and closing,
// and the close. Everything here is written once; a window toolkit (Qt widgets, Win32) derives
// from it, creates the controls of kMeterControls, fills in the platform functions below and
// reports what happens to the window (the events below), and does nothing more. The toolkit's
// window constructor calls FormCreate once its native window and controls exist; the settings
// dialog is created right after it.
class MeterWindow {
  public:
    enum BarId { A = 0, B = 1, M = 2, S = 3 };

    MeterWindow();
    virtual ~MeterWindow();
    MeterWindow(const MeterWindow&) = delete;
    MeterWindow& operator=(const MeterWindow&) = delete;

    std::array<TBarState, 4> Bars;  // A, B, M, S

    // Start-up: settings, input device, labels, caption and position, then the capture.
    void FormCreate();
    // Grants every close.
    void FormCloseQuery(bool& CanClose);
    // Stacking, dialog fields, held-peak clear, panel, ticks, scale labels, level table.
    void FormPaint();
    // Right button: the settings dialog, modally; the meter keeps running behind it.
    void FormMouseDown(MouseButton Button);
    // Back to the stored position, width for the M/S choice.
    void FormActivate();
    // Saves position and the M/S choice.
    void FormClose();
    // Left click on the window's surface: over indicator dark, held peaks restart.
    void FormClick();
    void dBButtonClick();
    void MSButtonClick();
    // The loudness strip's buttons: Start, Pause or Continue the measurement; Reset it.
    void RunButtonClick();
    void ResetButtonClick();
    // One returned capture buffer, from release to requeue.
    void MMWimData(HWAVEIN device, WAVEHDR* header);

    // What happened to the window, as the toolkit reports it; what it means is decided here.

    // The window became the program's active window; fromOwnWindow: the focus came from another
    // window of the program (the settings dialog, a message box). FormActivate runs on the first
    // activation and whenever the focus comes back from one of the program's windows, not when it
    // comes back from another program.
    void Activated(bool fromOwnWindow);
    // The window lost the focus; toOwnWindow: to another window of the program.
    void Deactivated(bool toOwnWindow);
    // Presses and releases on the window's own surface, not on one of its controls. A click is a
    // left press and a release inside the client area; a release dragged off the window, or a
    // press the system took away, is none.
    void LeftPressed();
    void LeftReleased(bool inside);
    void RightPressed();
    // The operator asks to close the window: true when the close goes ahead (FormClose has run,
    // the toolkit destroys the window and the program ends).
    bool CloseRequested();
    // The window system asks for the window to be painted: erased in the window's colour, as a
    // window's background erase does, then FormPaint.
    void PaintRequested();
    // A returned buffer as the toolkit receives it: handed to MMWimData, or held, in order,
    // while the settings dialog does not exist yet (a start-up failure box dispatches the
    // buffers of the failed device before it does).
    void BufferReturned(HWAVEIN device, WAVEHDR* header);
    // Asked by the toolkit after each event it has handled: true when it is to post itself a
    // delivery of the held buffers now (the dialog exists, and no delivery is on its way yet).
    bool DeliveryDue();
    // The posted delivery has arrived: the held buffers go through the pipeline.
    void DeliveryArrived();

    // "A  B" or "L  R" under bars A and B.
    void SetChannelLabels();
    // Mark texts 1 to 7 or dB, and the unit label.
    void SetScaleLabels();
    // Repaints a bar's whole column at a level (1 to 255) in its colour and unlit colour.
    // Repaints the rows of a bar's column that lie in rows.
    void DrawBar(int32_t level, int x, int32_t colour, int32_t dimColour, const RowSpan& rows);
    // One tick column in the tick colour.
    void DrawTicks(int x, int baseline);

    // 0x00BBGGRR: grey, or maroon while S+20 is on; -1 before the first.
    int32_t windowColour() const { return m_windowColour; }

    // Platform functions: what the toolkit does for the steps above. The meter calls the ones
    // that show a text or a colour only when it changes.

    // The window's caption, as bytes of the settings (the display name).
    virtual void ShowCaption(const std::string& text) = 0;
    // A label's caption; the label sizes itself to it.
    virtual void ShowLabelCaption(MeterControl label, const std::string& text) = 0;
    virtual void ShowMSButtonCaption(const std::string& text) = 0;
    // A push button's caption, for those the meter names after its state.
    virtual void ShowButtonCaption(MeterControl button, const std::string& text) = 0;
    // Shows or hides a control and puts it at a place of the client area.
    virtual void PlaceControl(MeterControl control, bool shown, int left, int top) = 0;
    // The over indicator's background, 0x00BBGGRR, and whether it takes input.
    virtual void ShowOverColour(int32_t colour) = 0;
    virtual void ShowOverEnabled(bool enabled) = 0;
    // The window's background, 0x00BBGGRR; the toolkit repaints the whole window
    // (PaintRequested).
    virtual void PaintWindowColour(int32_t colour) = 0;
    // The client size in pixels; a change repaints the window.
    virtual void SetClientSize(int width, int height) = 0;
    virtual int ClientHeight() const = 0;
    // Moves the window's frame to a stored position, or onto the primary screen where no screen
    // would show its title bar there.
    virtual void MoveFrameTo(int32_t left, int32_t top) = 0;
    // Where the window's frame stands now, in screen pixels.
    virtual int32_t FrameLeft() const = 0;
    virtual int32_t FrameTop() const = 0;
    // Whether the window stands above ordinary windows, and making it so or not, without moving,
    // resizing or activating it.
    virtual bool Topmost() const = 0;
    virtual void SetTopmost(bool onTop) = 0;
    // The desktop's decimal separator as a single byte ('.' where it is none).
    virtual char DecimalSeparator() const = 0;
    // Makes this window the receiver of the capture's buffer notifications.
    virtual void ReceiveCaptureBuffers() = 0;

    // Drawing on the window's surface. EndDrawing shows the given parts at once, without waiting
    // for a paint cycle; inside the toolkit's paint (PaintRequested) the paint shows them.
    virtual void FillRect(const PixelRect& rect, int32_t colour) = 0;
    // A one-pixel line on row y from x0 to x1, x1 excluded.
    virtual void DrawLine(int x0, int y, int x1, int32_t colour) = 0;
    virtual void EndDrawing(const std::vector<PixelRect>& changed) = 0;

    // The always-on-top step: when the window's caption equals the given one, it is made
    // topmost or ordinary and true returned; false otherwise (no other window of the program, or
    // of any other program, is touched).
    bool ApplyTopmost(const std::string& caption, bool onTop);

  private:
    void SetCaption(const std::string& text);
    void SetLabelCaption(MeterControl label, const std::string& text);
    void SetMSButtonCaption(const std::string& text);
    void ReadCalibration();
    void ReadDecay();
    void ApplyMSWidth();
    void SetWindowColour(int32_t colour);
    void SetOverState(int32_t colour, bool enabled);
    void DeliverHeldBuffers();
    // Draws the bars and held-peak lines of one buffer and shows what changed.
    void PaintBuffer();
    // What each column is to show after a buffer, and its held-peak line; columns whose bar is
    // not drawn (M and S while hidden) keep what they show, but for the line.
    struct ColumnPlan {
        std::array<ColumnPicture, 4> after;
        std::array<bool, 4> barDrawn = {};
        std::array<std::optional<PixelLine>, 4> lines;
    };
    ColumnPlan PlanColumns();
    // The client height the design's part of the window has: the whole, less the loudness strip.
    int MeterHeight() const;
    // How far the window is drawn: as laid out, or wider with the loudness column.
    int PaintedWidth() const;

    // The loudness column and its strip, shown while chosen.
    void ApplyLoudnessChoice();
    void PlaceLoudnessControls();
    void PlaceOnce(MeterControl control, bool shown, int left, int top);
    void MeasureLoudness(const WAVEHDR& header);
    void PaintLoudnessScale();
    void PaintLoudnessColumn(std::vector<PixelRect>& changed);
    void ShowLoudnessTexts();
    void SetButtonCaption(MeterControl button, const std::string& text);
    bool m_loudnessShown = false;  // the column and its strip are shown
    LoudnessColumn m_loudness;
    ColumnPicture m_loudnessPicture;  // what the surface's loudness column shows
    // Where each control is and whether it shows, as the meter last placed it.
    struct Placement {
        bool shown;
        int left;
        int top;
    };
    std::array<Placement, kMeterControlCount> m_placed = DesignedPlacements();
    static std::array<Placement, kMeterControlCount> DesignedPlacements();

    // What the controls show, as the meter last set it: a caption goes to the control only when
    // it differs. They start as the control table lays them out.
    std::string m_caption = kDesignedCaption;
    std::array<std::string, kMeterControlCount> m_captions = DesignedCaptions();
    int32_t m_windowColour = -1;  // 0x00BBGGRR; -1 before the first
    int32_t m_overColour = -1;    // 0x00BBGGRR of the over indicator; -1 before the first
    bool m_overEnabled = true;    // the over indicator takes input, as created

    bool m_leftPressed = false;       // a left press on the surface awaits its release
    bool m_activated = false;         // the window has been activated at least once
    bool m_focusToOwnWindow = false;  // the last deactivation gave the focus to a window of ours
    bool m_deliveryPosted = false;    // a delivery of the held buffers is on its way

    std::array<ColumnPicture, 4> m_columns;  // what the surface's bar columns show, A B M S
    std::vector<std::pair<HWAVEIN, WAVEHDR*>> m_heldBuffers;  // returned before the dialog existed
    // The parts of the window the last buffer changed; kept, so that a buffer allocates nothing.
    std::vector<PixelRect> m_changed;
    // The calibration field's text as last read and what it gave, so that a buffer parses and
    // formats again only when the text or the decimal separator has changed.
    struct CalibrationReading {
        bool read = false;
        std::string text;
        char separator = '.';
        std::optional<double> calibration;
        std::string headroom;  // the headroom caption for the calibration
        // The dialog whose caption shows headroom: only the pipeline sets it, so once set it
        // need not be read back at every buffer.
        const void* captionShownOn = nullptr;
        double scaleDivisor = 0;  // for the calibration, or for 0.0 while the text is no number
    };
    CalibrationReading m_calibration;
    // The standard meters of the IEC bars and the true-peak over indicator; idle while those
    // modes are off.
    StandardPeaks m_standardPeaks;
};

// The always-on-top step: the meter window, found by its caption, is made topmost or ordinary.
// Returns false when the meter window's caption differs from the given one (the display name
// changed in the dialog without OK), or there is no meter window.
bool ApplyAlwaysOnTop(const std::string& caption, bool onTop);

}  // namespace kestrin
