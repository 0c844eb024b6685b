#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>

#include "capture/capture.h"
#include "config/dialog/form2.h"
#include "display/display.h"
#include "display/end_watch.h"
#include "measure/analysis.h"

namespace kestrin {
namespace {

const QColor kRefused(255, 0, 0);  // 0x000000FF: a field whose text is not a number

// clWindow: the desktop's standard background of an edit box.
QColor WindowColour(const QWidget* field) {
    return QApplication::palette(field).color(QPalette::Base);
}

// Touched only on a change, since it is asked for at every buffer.
void SetFieldColour(QWidget* field, const QColor& colour) {
    if (field->palette().color(QPalette::Base) == colour) {
        return;
    }
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

// The locale's decimal separator as the calibration parser takes it. One outside ASCII can't be
// a single byte of the field's text; the point is used then.
char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) {
        return static_cast<char>(point.at(0).unicode());
    }
    return '.';
}

}  // namespace

void TForm1::MMWimData(HWAVEIN device, WAVEHDR* header) {
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
            SetOverColour(255);
            over->setEnabled(true);
            break;
        case OverChange::Dark:
            over->setEnabled(false);
            SetOverColour(41);
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
double TForm1::ReadCalibration() {
    QLineEdit* field = Form2->Edit1;
    const char separator = DecimalSeparator();
    const std::optional<double> calibration =
        ParseCalibration(field->text().toStdString(), separator);
    if (!calibration) {
        SetFieldColour(field, kRefused);
        return 0.0;
    }
    SetFieldColour(field, WindowColour(field));
    const QString headroom = QString::fromStdString(HeadroomText(*calibration, separator));
    if (Form2->Label14->text() != headroom) {
        Form2->Label14->setText(headroom);
    }
    return *calibration;
}

void TForm1::ReadDecay() {
    QLineEdit* field = Form2->Edit2;
    const std::optional<int32_t> decay = ParseDecay(field->text().toStdString());
    SetFieldColour(field, decay ? WindowColour(field) : kRefused);
    Decay = decay.value_or(kFallbackDecay);
}

}  // namespace kestrin
