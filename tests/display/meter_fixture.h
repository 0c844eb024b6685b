#pragma once

#include <gtest/gtest.h>

#include <QRgb>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "config/dialog/qt/form2.h"
#include "display/qt/form1.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/simulated_wave_in.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// The meter window, keeping the parts of the window the meter last asked it to show at once (a
// buffer's changed rows; nothing when no pixel changed).
class ShowingForm1 : public TForm1 {
  public:
    void EndDrawing(const std::vector<PixelRect>& changed) override {
        lastShown = QRegion();
        for (const PixelRect& part : changed) {
            lastShown += QRect(part.left, part.top, part.width, part.height);
        }
        TForm1::EndDrawing(changed);
    }
    QRegion lastShown;
};

// The meter window as the program starts it, on a simulated sound system, with the settings file
// in a fresh folder and failure messages recorded: TForm1 (which opens the capture), then TForm2.
class MeterFixture : public testing::Test {
  protected:
    // Stops the capture in an orderly way and closes the windows.
    void TearDown() override;

    // Writes the settings file (INI text) and starts the meter on the given simulated input
    // devices.
    void Start(const std::string& settings = "",
               std::vector<std::string> devices = {"Simulated Input"});
    // The same on another sound system.
    void StartOn(WaveIn& soundSystem, const std::string& settings);
    // Shows the window and lets its first paint happen.
    void Show();
    // Handles whatever is pending: paints, buffers.
    void Settle();

    // Records buffers of constant samples on channels A and B and runs the pipeline on each.
    void Feed(int16_t a, int16_t b, int buffers = 1);
    // Records buffers of a signal (frame index from the device's opening -> frame) and runs the
    // pipeline on each.
    void FeedSignal(SimulatedWaveIn::Signal signal, int buffers);

    // The peak of channel A that shows bar A at a height, at calibration -12 (divisor 10).
    int16_t PeakForHeight(int height) const;

    std::string SettingsText() const;
    std::string SettingsPath() const { return (dir.path() / "kestrin.ini").string(); }

    TForm1& form() { return *form1; }
    const QRegion& lastShown() const { return form1->lastShown; }
    TForm2& dialog() { return *form2; }
    QRgb Pixel(int x, int y) const { return form1->surface().pixel(x, y); }

    TempDir dir;
    RecordingNotifier notes;
    SimulatedWaveIn wave;
    std::unique_ptr<ShowingForm1> form1;
    std::unique_ptr<TForm2> form2;
};

// The surface's value of a colour 0x00BBGGRR.
constexpr QRgb Rgb(int32_t colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace kestrin::test
