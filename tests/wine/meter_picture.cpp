#include "tests/wine/meter_picture.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "display/bar_geometry.h"

namespace kestrin::test {
namespace {

constexpr int kBaseline = BaselineFor(kClientHeight);  // 303
constexpr std::array<int, 4> kBarX = {kBarAX, kBarBX, kBarMX, kBarSX};
constexpr std::array<const char*, 4> kBarNames = {"A", "B", "M", "S"};

// The scale labels' top left corners, Label10 (the top mark) down to Label4, then the unit
// label Label12. They sit on the panel left of the tick column at x 26, 14 rows high at most.
constexpr std::array<std::array<int, 2>, 8> kLabelCorners = {
    {{5, 42}, {6, 79}, {6, 116}, {6, 149}, {6, 188}, {6, 224}, {6, 260}, {8, 295}}};
constexpr int kLabelRows = 14;
constexpr int kLabelRight = kTickColumnX[0] - 1;  // the labels stay clear of the ticks

// The over indicator: an edit box at 32, 10, 28 x 18.
constexpr int kOverLeft = 32;
constexpr int kOverTop = 10;
constexpr int kOverWidth = 28;
constexpr int kOverHeight = 18;

int32_t ToColour(QRgb pixel) { return qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16); }

std::string Where(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// The colour of every row of a bar's column, heights 1 to 256, from the meter's own rectangles.
std::map<int, int32_t> ColumnColours(int bar, int level, const MeterLook& look) {
    std::map<int, int32_t> rows;
    const int32_t colour = look.colours[bar];
    const BarFills fills = BarRectangles(level, kBarX[bar], kBaseline, AmberThreshold(look.amber),
                                         colour, colour & kDimMask);
    for (int i = 0; i < fills.count; ++i) {
        const PixelRect& r = fills.fills[i].rect;
        for (int y = r.top; y <= r.bottom(); ++y) rows[y] = fills.fills[i].colour;
    }
    return rows;
}

bool InLabel(int x, int y) {
    for (const auto& [left, top] : kLabelCorners) {
        if (x >= left && x <= kLabelRight && y >= top && y < top + kLabelRows) return true;
    }
    return false;
}

bool OnTick(int x, int y) {
    for (const int column : kTickColumnX) {
        for (const uint8_t t : MajorTickHeights) {
            if (y == LineRow(kBaseline, t) && x >= column && x <= column + 5) return true;
        }
        for (const uint8_t t : MinorTickHeights) {
            if (y == LineRow(kBaseline, t) && x >= column + 2 && x <= column + 5) return true;
        }
    }
    return false;
}

bool InShownBar(int x, int y, const MeterLook& look) {
    const int bars = look.showMS ? 4 : 2;
    for (int bar = 0; bar < bars; ++bar) {
        if (x >= kBarX[bar] && x < kBarX[bar] + kBarWidth && y >= BarRow(kBaseline, kBarHeights) &&
            y <= kBaseline) {
            return true;
        }
    }
    return false;
}

bool Grey(QRgb pixel) { return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel); }

}  // namespace

std::vector<int16_t> SteadySignal::Interleaved(int seconds) const {
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(44100 * 2 * seconds));
    for (int frame = 0; frame < 44100 * seconds; ++frame) {
        const bool negative = frame % 2 != 0;
        samples.push_back(static_cast<int16_t>(negative ? -a : a));
        samples.push_back(static_cast<int16_t>(negative != opposite ? -b : b));
    }
    return samples;
}

std::string MeterLook::SettingsFile(const std::string& deviceName, const std::string& shortName,
                                    int left, int top) const {
    auto flag = [](bool on) { return on ? std::string("1") : std::string("0"); };
    return "[Input]\r\nDevice Name=" + deviceName + "\r\nShort Name=" + shortName +
           "\r\n[Form]\r\ncal=" + cal + "\r\ndecay=2\r\namber=" + flag(amber) +
           "\r\nontop=0\r\nPeakHold=" + flag(peakHold) + "\r\ndbScale=" + flag(dbScale) +
           "\r\nABLR=0\r\nMsix=" + flag(msix) + "\r\nAColor=" + std::to_string(colours[0]) +
           "\r\nBColor=" + std::to_string(colours[1]) + "\r\nMColor=" + std::to_string(colours[2]) +
           "\r\nSColor=" + std::to_string(colours[3]) +
           "\r\npassword=\r\nLocked=0\r\nleft=" + std::to_string(left) +
           "\r\ntop=" + std::to_string(top) + "\r\nshowMS=" + flag(showMS) + "\r\n";
}

std::string BarMismatch(const QImage& shot, int bar, int level, int held, const MeterLook& look) {
    const int x0 = kBarX[bar];
    if (shot.width() < x0 + kBarWidth || shot.height() < kClientHeight) {
        return "the screenshot is " + std::to_string(shot.width()) + " x " +
               std::to_string(shot.height());
    }
    std::map<int, int32_t> rows = ColumnColours(bar, level, look);
    const int heldRow = LineRow(kBaseline, held);
    rows[heldRow] = kHeldPeakColour;
    for (const auto& [y, colour] : rows) {
        for (int x = x0; x < x0 + kBarWidth; ++x) {
            const int32_t shown = PixelColour(shot, x, y);
            if (shown == colour) continue;
            // The level shown: the highest row from the baseline up in a lit colour of the bar.
            int shownLevel = 0;
            while (shownLevel < kBarHeights) {
                const int32_t c = PixelColour(shot, x0, BarRow(kBaseline, shownLevel + 1));
                if (c != look.colours[bar] && c != kAmberLit && c != kRedLit) break;
                ++shownLevel;
            }
            return std::string("bar ") + kBarNames[bar] + " at level " + std::to_string(level) +
                   ", held " + std::to_string(held) + ": pixel " + Where(x, y) + " (height " +
                   std::to_string(kBaseline - y + 1) + ") shows " + ColourName(shown) + ", not " +
                   ColourName(colour) + "; the column seems to stand at " +
                   std::to_string(shownLevel);
        }
    }
    return {};
}

std::string PanelMismatch(const QImage& shot, const MeterLook& look) {
    const int right = std::min(117, shot.width() - 1);
    std::array<int, kLabelCorners.size()> textPixels{};
    for (int y = LineRow(kBaseline, 265); y <= kBaseline + 12; ++y) {
        for (int x = 4; x <= right; ++x) {
            if (InShownBar(x, y, look)) continue;
            const QRgb pixel = shot.pixel(x, y);
            if (InLabel(x, y)) {
                if (!Grey(pixel)) return "label pixel " + Where(x, y) + " is not grey";
                for (size_t i = 0; i < kLabelCorners.size(); ++i) {
                    const auto [left, top] = kLabelCorners[i];
                    if (x >= left && y >= top && y < top + kLabelRows && qRed(pixel) > 0)
                        ++textPixels[i];
                }
                continue;
            }
            const int32_t expected = OnTick(x, y) ? kTickColour : kPanelColour;
            if (ToColour(pixel) != expected) {
                return std::string(OnTick(x, y) ? "tick" : "panel") + " pixel " + Where(x, y) +
                       " shows " + ColourName(ToColour(pixel)) + ", not " + ColourName(expected);
            }
        }
    }
    for (size_t i = 0; i + 1 < kLabelCorners.size(); ++i) {
        if (textPixels[i] == 0) {
            return "the scale label at " + Where(kLabelCorners[i][0], kLabelCorners[i][1]) +
                   " shows no text";
        }
    }
    const bool unitShown = textPixels.back() > 0;
    if (unitShown != look.dbScale) {
        return std::string("the unit label ") + (unitShown ? "shows" : "does not show") +
               " text on the " + (look.dbScale ? "dB" : "1 to 7") + " scale";
    }
    return {};
}

std::string MarginMismatch(const QImage& shot, int32_t windowColour) {
    const int width = shot.width();
    auto check = [&](int left, int top, int right, int bottom, const char* where) -> std::string {
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                if (PixelColour(shot, x, y) != windowColour) {
                    return std::string(where) + ": pixel " + Where(x, y) + " shows " +
                           ColourName(PixelColour(shot, x, y)) + ", not " +
                           ColourName(windowColour);
                }
            }
        }
        return {};
    };
    for (const std::string& m :
         {check(0, 0, width - 1, kOverTop - 1, "above the over indicator"),
          check(0, kOverTop + kOverHeight, width - 1, 37, "above the panel"),
          check(0, 38, 3, kBaseline + 12, "left of the panel"),
          check(std::min(118, width), 38, width - 1, kBaseline + 12, "right of the panel"),
          check(0, kBaseline + 13, width - 1, 319, "under the panel")}) {
        if (!m.empty()) return m;
    }
    return {};
}

int32_t OverColour(const QImage& shot) {
    std::map<int32_t, int> counts;
    for (int y = kOverTop; y < kOverTop + kOverHeight; ++y) {
        for (int x = kOverLeft; x < kOverLeft + kOverWidth; ++x) ++counts[PixelColour(shot, x, y)];
    }
    int32_t best = -1;
    int most = 0;
    for (const auto& [colour, count] : counts) {
        if (count > most) {
            best = colour;
            most = count;
        }
    }
    return best;
}

std::string ColourName(int32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

int32_t PixelColour(const QImage& shot, int x, int y) {
    if (x < 0 || y < 0 || x >= shot.width() || y >= shot.height()) return -1;
    return ToColour(shot.pixel(x, y));
}

}  // namespace kestrin::test
