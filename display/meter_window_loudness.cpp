#include "capture/capture.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"
#include "measure/analysis.h"

// The loudness column beside the bars and its strip below the design's controls: shown while the
// setting chooses it, measured and drawn by the buffer pipeline, its measurement worked by the
// strip's two buttons. While it is not chosen nothing here runs and its controls stay hidden.

namespace kestrin {
namespace {

constexpr int kColumnLabelTop = 322;  // as the names under the design's bars
constexpr int kColumnLabelInset = 2;  // the name's left edge lies this far left of the bar's

constexpr MeterControl kStripControls[] = {
    MeterControl::IntegratedLabel, MeterControl::RangeLabel, MeterControl::TruePeakLabel,
    MeterControl::StateLabel,      MeterControl::RunButton,  MeterControl::ResetButton};

}  // namespace

std::array<MeterWindow::Placement, kMeterControlCount> MeterWindow::DesignedPlacements() {
    std::array<Placement, kMeterControlCount> placed{};
    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        placed[i] = {i < kDesignedMeterControlCount, kMeterControls[i].left, kMeterControls[i].top};
    }
    return placed;
}

int MeterWindow::MeterHeight() const {
    return ClientHeight() - (m_loudnessShown ? kLoudnessStripHeight : 0);
}

int MeterWindow::PaintedWidth() const {
    return m_loudnessShown ? kSurfaceWidth : kDesignedClientWidth;
}

// Switched on, the measurement starts afresh and the window grows; switched off, it shrinks to
// the design's size.
void MeterWindow::ApplyLoudnessChoice() {
    if (MeterSettings.loudness == m_loudnessShown) {
        return;
    }
    m_loudnessShown = MeterSettings.loudness;
    if (m_loudnessShown) {
        m_loudness.Restart();
        ShowLoudnessTexts();
    }
    PlaceLoudnessControls();
    ApplyMSWidth();
}

// The column's name goes under its bar; the names and S+20 of M and S, which the narrow window
// leaves outside, would show in the column's place there, so they hide with M and S.
void MeterWindow::PlaceLoudnessControls() {
    const bool showMS = MeterSettings.showMS;
    const bool shown = m_loudnessShown;
    // The column may have moved: the next buffer draws it whole.
    m_loudnessPicture = ColumnPicture{};
    PlaceOnce(MeterControl::LULabel, shown, LoudnessBarX(showMS) - kColumnLabelInset,
              kColumnLabelTop);
    for (const MeterControl control : kStripControls) {
        const ControlRow& row = kMeterControls[Index(control)];
        PlaceOnce(control, shown, row.left, row.top);
    }
    for (const MeterControl control : {MeterControl::Label3, MeterControl::Label11}) {
        const ControlRow& row = kMeterControls[Index(control)];
        PlaceOnce(control, showMS || !shown, row.left, row.top);
    }
}

void MeterWindow::PlaceOnce(MeterControl control, bool shown, int left, int top) {
    Placement& placed = m_placed[Index(control)];
    if (placed.shown != shown || placed.left != left || placed.top != top) {
        placed = {shown, left, top};
        PlaceControl(control, shown, left, top);
    }
}

// At the rate the device in use records at; a buffer that comes back once none is open (the
// capture stopping) is left out rather than start the measurement over at another rate.
void MeterWindow::MeasureLoudness(const WAVEHDR& header) {
    const uint32_t rate = CaptureRate();
    if (rate == 0) {
        return;
    }
    m_loudness.Measure(reinterpret_cast<const int16_t*>(header.lpData),
                       header.dwBufferLength / kBytesPerFrame, rate);
}

// The panel behind the column of the wide window, and the column's ticks.
void MeterWindow::PaintLoudnessScale() {
    FillRect(LoudnessPanelRect(Baseline), kPanelColour);
    DrawTicks(LoudnessTickX(MeterSettings.showMS), Baseline);
    m_loudnessPicture = ColumnPicture{};
}

// Momentary loudness as the bar, short-term as the line on it, on the meter's own scale with the
// target at the calibration's mark 4 (0.0 dB while the calibration field holds no number, as the
// bars have it). Only the rows that change are drawn.
void MeterWindow::PaintLoudnessColumn(std::vector<PixelRect>& changed) {
    if (m_loudness.TextsDue()) {
        ShowLoudnessTexts();
    }
    if (!m_loudness.ColumnDue() && m_loudnessPicture.known) {
        return;
    }
    const double offset = m_calibration.calibration.value_or(0.0) -
                          m_loudness.Target(MeterSettings.target, DecimalSeparator());
    const double divisor = m_calibration.scaleDivisor;
    const int32_t level = LevelToHeight(LevelTable, m_loudness.Momentary() + offset, divisor);
    const int32_t shortTerm = LevelToHeight(LevelTable, m_loudness.ShortTerm() + offset, divisor);
    const int baseline = BaselineFor(MeterHeight());
    const int x = LoudnessBarX(MeterSettings.showMS);

    ColumnPicture after{true,
                        level,
                        AmberThreshold(MeterSettings.amber),
                        kLoudnessBarColour,
                        kLoudnessBarColour & kDimMask,
                        {}};
    if (shortTerm > 0) {
        after.lineRow = LineRow(baseline, shortTerm);
    }
    const RowSpan rows = ChangedBarRows(m_loudnessPicture, after, baseline);
    m_loudnessPicture = after;
    if (!rows.empty()) {
        DrawBar(level, x, after.colour, after.dimColour, rows);
        if (after.lineRow && *after.lineRow >= rows.first && *after.lineRow <= rows.last) {
            DrawLine(x, *after.lineRow, x + kBarWidth, kShortTermLineColour);
        }
        changed.push_back({x, rows.first, kBarWidth, rows.last - rows.first + 1});
    }
}

void MeterWindow::ShowLoudnessTexts() {
    const char separator = DecimalSeparator();
    SetLabelCaption(MeterControl::IntegratedLabel,
                    IntegratedText(m_loudness.Integrated(), separator));
    SetLabelCaption(MeterControl::RangeLabel, RangeText(m_loudness.Range(), separator));
    SetLabelCaption(MeterControl::TruePeakLabel, TruePeakText(m_loudness.TruePeak(), separator));
    SetLabelCaption(MeterControl::StateLabel, RunText(m_loudness.Run()));
    SetButtonCaption(MeterControl::RunButton, RunButtonText(m_loudness.Run()));
}

void MeterWindow::SetButtonCaption(MeterControl button, const std::string& text) {
    std::string& shown = m_captions[Index(button)];
    if (text != shown) {
        shown = text;
        ShowButtonCaption(button, text);
    }
}

// The measurement alone: the held peaks and the over indicator stay as they are.
void MeterWindow::RunButtonClick() {
    m_loudness.RunButton();
    ShowLoudnessTexts();
}

void MeterWindow::ResetButtonClick() {
    m_loudness.Reset();
    ShowLoudnessTexts();
}

}  // namespace kestrin
