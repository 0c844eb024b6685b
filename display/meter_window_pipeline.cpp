#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/end_watch.h"
#include "display/meter_window.h"
#include "measure/analysis.h"

namespace kestrin {

void MeterWindow::MMWimData(HWAVEIN device, WAVEHDR* header) {
    {
        EndWatch watch;
        ReleaseBuffer(header, device);
        if (watch.ended()) {
            return;
        }
    }
    const double calibration = ReadCalibration();
    const double scaleDivisor = ComputeScaleDivisor(calibration);
    const TPeaks peaks =
        AnalyseBuffer(reinterpret_cast<const uint8_t*>(header->lpData), MeterSettings.Msix);
    FreeBuffer(header);

    // The over indicator works on the raw sample peaks, before any calibration.
    switch (UpdateOver(OverCount, peaks.A, peaks.B, MeterSettings.PeakHold)) {
        case OverChange::Lit:
            SetOverState(kOverLit, true);
            break;
        case OverChange::Dark:
            SetOverState(kOverDark, false);
            break;
        case OverChange::Unchanged:
            break;
    }

    const int32_t heightA = PeakToHeight(LevelTable, peaks.A, scaleDivisor, false);
    const int32_t heightB = PeakToHeight(LevelTable, peaks.B, scaleDivisor, false);
    const int32_t heightM = PeakToHeight(LevelTable, peaks.M, scaleDivisor, false);
    const int32_t heightS = PeakToHeight(LevelTable, peaks.S, scaleDivisor, SPlus20);

    ReadDecay();
    ApplyBallistics(Bars[A], heightA, Decay);
    ApplyBallistics(Bars[B], heightB, Decay);
    ApplyBallistics(Bars[M], heightM, Decay);
    ApplyBallistics(Bars[S], heightS, Decay);

    PaintBuffer();
    QueueBuffer(QueueMessages::Requeue);
}

// The calibration standing in the dialog's field, in dB; 0.0 while the text is not a number, in
// which case the headroom caption keeps the last one that was.
double MeterWindow::ReadCalibration() {
    SettingsDialog& dialog = *TheSettingsDialog();
    const char separator = DecimalSeparator();
    const std::optional<double> calibration =
        ParseCalibration(dialog.FieldText(DialogField::Edit1), separator);
    if (!calibration) {
        dialog.SetFieldRefused(DialogField::Edit1, true);
        return 0.0;
    }
    dialog.SetFieldRefused(DialogField::Edit1, false);
    const std::string headroom = HeadroomText(*calibration, separator);
    if (dialog.HeadroomCaption() != headroom) {
        dialog.SetHeadroomCaption(headroom);
    }
    return *calibration;
}

void MeterWindow::ReadDecay() {
    SettingsDialog& dialog = *TheSettingsDialog();
    const std::optional<int32_t> decay = ParseDecay(dialog.FieldText(DialogField::Edit2));
    dialog.SetFieldRefused(DialogField::Edit2, !decay);
    Decay = decay.value_or(kFallbackDecay);
}

}  // namespace kestrin
