#pragma once

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrin::test {

// The bars in the meter's order, as indexes of the arrays here.
enum MeterBar : size_t { BarA = 0, BarB = 1, BarM = 2, BarS = 3 };

// A steady test signal: channels A and B hold constant magnitudes and change sign every frame,
// B in step with A or against it (then M comes from the difference of the magnitudes and S from
// their sum).
struct SteadySignal {
    int16_t a = 0;
    int16_t b = 0;
    bool opposite = false;

    // Interleaved samples (A, B, A, B, ...) for a player.
    std::vector<int16_t> Interleaved(int seconds) const;
};

// The settings that decide what the meter shows for a steady signal.
struct MeterLook {
    std::string cal = "-12";
    bool msix = true;
    bool amber = false;
    bool dbScale = true;
    bool peakHold = false;
    bool showMS = true;
    std::array<int32_t, 4> colours = {0x00FF00, 0x00FF00, 0xFFFFFF, 0x00FFFF};  // A B M S

    // A settings file with these settings, the input device, the display name and the position.
    std::string SettingsFile(const std::string& deviceName, const std::string& shortName, int left,
                             int top) const;
};

// Compares a bar's column (bar 0 to 3: A, B, M, S) in a screenshot of the meter's client area with
// the bar at `level` in its zones and the held-peak line at `held`. Empty when every pixel is
// right; otherwise where it differs first and which level the column seems to show.
std::string BarMismatch(const QImage& shot, int bar, int level, int held, const MeterLook& look);

// Compares the black scale panel around the bars: its black, the three tick columns in white, and
// the scale labels (white text on black, clear of the tick column at x 26, the unit label "dB"
// shown only on the dB scale). Empty when all is right.
std::string PanelMismatch(const QImage& shot, const MeterLook& look);

// Compares the window's own colour around the panel (0x00BBGGRR): above the over indicator, the
// strip between the controls and the panel, the left and right margins and the strip under the
// panel. Empty when all is right.
std::string MarginMismatch(const QImage& shot, int32_t windowColour);

// The colour (0x00BBGGRR) most pixels of the over indicator show.
int32_t OverColour(const QImage& shot);

// "#RRGGBB" of a 0x00BBGGRR colour, and of a pixel.
std::string ColourName(int32_t colour);
int32_t PixelColour(const QImage& shot, int x, int y);

}  // namespace kestrin::test
