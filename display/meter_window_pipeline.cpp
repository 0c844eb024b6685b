#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"
#include "measure/analysis.h"
#include "measure/level_text.h"

namespace kestrin {

void MeterWindow::MMWimData(HWAVEIN device, WAVEHDR* header) {
    if (!ReleaseBuffer(header, device)) return;
    ReadCalibration();
    const double scaleDivisor = m_calibration.scaleDivisor;
    // The buffer lasts the design's period at the rate its device records at.
    const auto* block = reinterpret_cast<const uint8_t*>(header->lpData);
    const int frames = static_cast<int>(header->dwBufferLength) / kBytesPerFrame;
    const TPeaks peaks = AnalyseBuffer(block, frames, MeterSettings.Msix);
    if (m_standardPeaks.Wanted(MeterSettings)) {
        m_standardPeaks.Measure(block, frames, MeterSettings, DecimalSeparator());
    }
    if (m_loudnessShown) {
        MeasureLoudness(*header);
    }
    FreeBuffer(header);

    // The over indicator works on the raw sample peaks, before any calibration, or on the true
    // peaks where the operator chose so.
    const bool over =
        MeterSettings.TPover ? m_standardPeaks.TruePeakOver() : SamplePeakOver(peaks.A, peaks.B);
    switch (UpdateOver(OverCount, over, MeterSettings.PeakHold)) {
        case OverChange::Lit:
            SetOverState(kOverLit, true);
            break;
        case OverChange::Dark:
            SetOverState(kOverDark, false);
            break;
        case OverChange::Unchanged:
            break;
    }

    // An IEC meter's bars show its integrators' readings, through the same scale.
    const bool quasiPeak = MeterSettings.ballistics != kDesignBallistics;
    const TPeaks shown = quasiPeak ? m_standardPeaks.QuasiPeaks() : peaks;
    const int32_t heightA = PeakToHeight(LevelTable, shown.A, scaleDivisor, false);
    const int32_t heightB = PeakToHeight(LevelTable, shown.B, scaleDivisor, false);
    const int32_t heightM = PeakToHeight(LevelTable, shown.M, scaleDivisor, false);
    const int32_t heightS = PeakToHeight(LevelTable, shown.S, scaleDivisor, SPlus20);

    ReadDecay();
    if (quasiPeak) {
        // The integrators rise and return as the standard has it; the decay does not apply.
        FollowReading(Bars[A], heightA);
        FollowReading(Bars[B], heightB);
        FollowReading(Bars[M], heightM);
        FollowReading(Bars[S], heightS);
    } else {
        ApplyBallistics(Bars[A], heightA, Decay);
        ApplyBallistics(Bars[B], heightB, Decay);
        ApplyBallistics(Bars[M], heightM, Decay);
        ApplyBallistics(Bars[S], heightS, Decay);
    }

    PaintBuffer();
    QueueBuffer(QueueMessages::Requeue);
}

// Reads the calibration standing in the dialog's field (dB) into m_calibration. While the text
// is not a number the scale works at 0.0 and the headroom caption keeps the last one that was.
void MeterWindow::ReadCalibration() {
    SettingsDialog& dialog = *TheSettingsDialog();
    const char separator = DecimalSeparator();
    CalibrationReading& last = m_calibration;
    std::string text = dialog.FieldText(DialogField::Edit1);
    if (!last.read || text != last.text || separator != last.separator) {
        last.read = true;
        last.text = std::move(text);
        last.separator = separator;
        last.calibration = ParseCalibration(last.text, separator);
        if (last.calibration) {
            last.headroom = HeadroomText(*last.calibration, separator);
            last.captionShownOn = nullptr;
        }
        last.scaleDivisor = ComputeScaleDivisor(last.calibration.value_or(0.0));
    }
    if (!last.calibration) {
        dialog.SetFieldRefused(DialogField::Edit1, true);
        return;
    }
    dialog.SetFieldRefused(DialogField::Edit1, false);
    if (last.captionShownOn != &dialog) {
        if (dialog.HeadroomCaption() != last.headroom) {
            dialog.SetHeadroomCaption(last.headroom);
        }
        last.captionShownOn = &dialog;
    }
}

void MeterWindow::ReadDecay() {
    SettingsDialog& dialog = *TheSettingsDialog();
    const std::optional<int32_t> decay = ParseDecay(dialog.FieldText(DialogField::Edit2));
    dialog.SetFieldRefused(DialogField::Edit2, !decay);
    Decay = decay.value_or(kFallbackDecay);
}

}  // namespace kestrin
