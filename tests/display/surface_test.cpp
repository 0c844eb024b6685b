// What the meter draws into its surface, pixel by pixel.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <random>

#include "config/dialog/qt/colour.h"
#include "display/bar_geometry.h"
#include "measure/ballistics.h"
#include "tests/display/meter_fixture.h"

namespace kestrin::test {
namespace {

constexpr int32_t kGreen = 0x00FF00;
constexpr int32_t kDimGreen = 0x002900;
constexpr int32_t kYellowLine = 0x3EFFFF;

class MeterSurface : public MeterFixture {
  protected:
    // Starts the meter with the amber zone on or off and paints the scale once.
    void StartPainted(bool amber) {
        Start(std::string("[Form]\namber=") + (amber ? "1" : "0") + "\n");
        form().FormPaint();
    }

    // Expects every row of column A at a level: zone colours, and the held-peak line just above
    // the lit part (the first buffer takes the level as held peak).
    void ExpectColumnA(int level, bool amber) {
        const int t = amber ? 146 : 219;
        for (int h = 1; h <= 256; ++h) {
            const int y = 303 - h + 1;
            int32_t colour;
            if (h == level + 1) {
                colour = kYellowLine;
            } else if (h <= t) {
                colour = h <= level ? kGreen : kDimGreen;
            } else if (h <= 219) {
                colour = h <= level ? 0x02D8FD : 0x002929;
            } else {
                colour = h <= level ? 0x0000FF : 0x000029;
            }
            for (int x = 32; x <= 41; ++x) {
                ASSERT_EQ(Pixel(x, y), Rgb(colour))
                    << "level " << level << " height " << h << " x " << x << " amber " << amber;
            }
        }
        // The columns' neighbours are the black panel (the tick column ends at x 31).
        EXPECT_EQ(Pixel(42, 200), Rgb(0));
    }
};

TEST_F(MeterSurface, BarAtEachZoneBoundaryWithAmberOn) {
    StartPainted(true);
    for (const int level : {1, 146, 147, 219, 220, 255}) {
        form().FormPaint();  // a fresh held peak at each level
        Feed(PeakForHeight(level), 0);
        ASSERT_EQ(form().Bars[TForm1::A].Level, level);
        ExpectColumnA(level, true);
    }
}

TEST_F(MeterSurface, BarAtEachZoneBoundaryWithAmberOff) {
    StartPainted(false);
    for (const int level : {1, 146, 147, 219, 220, 255}) {
        form().FormPaint();
        Feed(PeakForHeight(level), 0);
        ASSERT_EQ(form().Bars[TForm1::A].Level, level);
        ExpectColumnA(level, false);
    }
}

TEST_F(MeterSurface, BarsStandInTheirColumnsInTheirColours) {
    Start("[Form]\nBColor=255\nMColor=16711680\nSColor=65535\n");
    form().FormPaint();
    // A = B: M is their level, S silent.
    Feed(PeakForHeight(100), PeakForHeight(100));
    const int lit = 303 - 50 + 1;  // height 50, lit in every bar at level 100
    EXPECT_EQ(Pixel(32, lit), Rgb(kGreen));
    EXPECT_EQ(Pixel(46, lit), Rgb(0x0000FF));
    EXPECT_EQ(Pixel(55, lit), Rgb(0x0000FF));
    EXPECT_EQ(Pixel(72, lit), Rgb(0xFF0000));
    EXPECT_EQ(Pixel(81, lit), Rgb(0xFF0000));
    EXPECT_EQ(Pixel(98, lit), Rgb(0x00FFFF & 0x292929));  // S unlit: dim yellow
    EXPECT_EQ(Pixel(98, 303), Rgb(0x00FFFF));             // S at level 1
    // Between the columns the panel stays black.
    for (const int x : {31, 42, 45, 56, 71, 82, 97, 108}) {
        EXPECT_EQ(Pixel(x, lit), Rgb(0)) << x;
    }
}

TEST_F(MeterSurface, PaintDrawsThePanelAndTicks) {
    Start();
    form().FormPaint();
    const int32_t grey = 0x808080;
    EXPECT_EQ(Pixel(4, 38), Rgb(0));
    EXPECT_EQ(Pixel(117, 315), Rgb(0));
    EXPECT_EQ(Pixel(3, 38), Rgb(grey));
    EXPECT_EQ(Pixel(4, 37), Rgb(grey));
    EXPECT_EQ(Pixel(118, 315), Rgb(grey));
    EXPECT_EQ(Pixel(117, 316), Rgb(grey));

    const int majors[] = {1, 36, 73, 109, 146, 182, 219, 255};
    const int minors[] = {55, 91, 128, 164, 200, 237};
    for (const int x0 : {26, 66, 92}) {
        for (const int t : majors) {
            const int y = 303 - t;
            for (int x = x0; x <= x0 + 5; ++x)
                EXPECT_EQ(Pixel(x, y), Rgb(0xFFFFFF)) << x << "," << y;
            EXPECT_EQ(Pixel(x0 - 1, y), Rgb(0)) << x0 << "," << y;
        }
        for (const int t : minors) {
            const int y = 303 - t;
            EXPECT_EQ(Pixel(x0 + 1, y), Rgb(0)) << x0 << "," << y;
            for (int x = x0 + 2; x <= x0 + 5; ++x) EXPECT_EQ(Pixel(x, y), Rgb(0xFFFFFF));
        }
        // Between ticks the column is black.
        EXPECT_EQ(Pixel(x0 + 3, 303 - 20), Rgb(0));
    }
    // Bars are not painted by a paint: their columns are black until the next buffer.
    EXPECT_EQ(Pixel(32, 303), Rgb(0));
}

TEST_F(MeterSurface, PaintBlacksOutBarsUntilTheNextBuffer) {
    Start();
    form().FormPaint();
    Feed(PeakForHeight(200), 0);
    ASSERT_EQ(Pixel(32, 303), Rgb(kGreen));
    form().FormPaint();
    EXPECT_EQ(Pixel(32, 303), Rgb(0));
    EXPECT_EQ(Pixel(32, 303 - 150), Rgb(0));
}

TEST_F(MeterSurface, HeldLinesOfHiddenBarsAreStillDrawnOutsideTheWindow) {
    Start();
    form().FormPaint();
    form().MSButtonClick();  // M and S hidden: window 66 wide
    // A loud M (A = B), S silent.
    Feed(PeakForHeight(120), PeakForHeight(120));
    const int mLevel = form().Bars[TForm1::M].Level;
    ASSERT_GT(mLevel, 1);
    // No bar in the M column, but the held-peak line at its level.
    EXPECT_EQ(Pixel(72, 303), Rgb(0));
    EXPECT_EQ(Pixel(72, 303 - mLevel), Rgb(kYellowLine));
    EXPECT_EQ(Pixel(81, 303 - mLevel), Rgb(kYellowLine));
    EXPECT_EQ(Pixel(98, 303 - 1), Rgb(kYellowLine));  // S silent: its line at 1
}

TEST_F(MeterSurface, HeldPeakLineStaysAtThePeakWhileTheBarFalls) {
    Start();
    form().FormPaint();
    Feed(PeakForHeight(200), 0);
    Feed(0, 0, 10);  // falls 2 pixels per buffer
    EXPECT_EQ(form().Bars[TForm1::A].Level, 180);
    EXPECT_EQ(Pixel(32, 303 - 200), Rgb(kYellowLine));
    EXPECT_EQ(Pixel(41, 303 - 200), Rgb(kYellowLine));
    EXPECT_EQ(Pixel(32, 303 - 199), Rgb(kDimGreen));  // height 200, no longer lit
}

// A buffer redraws only the rows of a column that change. Through levels moving at random,
// colours, the amber zone, peak hold, S+20, held-peak resets, paints and the M/S button, every
// shown column must still be exactly what a repaint of the whole column gives.
TEST_F(MeterSurface, ColumnsAlwaysShowAWholeRepaintOfTheirBars) {
    Start();
    form().FormPaint();
    std::mt19937 random(20261209);
    const int xs[4] = {kBarAX, kBarBX, kBarMX, kBarSX};
    for (int buffer = 0; buffer < 800; ++buffer) {
        switch (random() % 48) {
            case 0:
                form().FormPaint();
                break;
            case 1:
                MeterSettings.amber = !MeterSettings.amber;
                break;
            case 2:
                MeterSettings.Acolor = static_cast<int32_t>(random() & 0xFFFFFF);
                break;
            case 3:
                MeterSettings.Scolor = static_cast<int32_t>(random() & 0xFFFFFF);
                break;
            case 4:
                MeterSettings.PeakHold = !MeterSettings.PeakHold;
                break;
            case 5:
                form().MSButtonClick();
                break;
            case 6:
                SPlus20 = !SPlus20;
                break;
            case 7:
                ResetHolds(form().Bars);
                break;
            default:
                break;
        }
        const std::array<TBarState, 4> before = form().Bars;
        // Loud, quiet and silent stretches, so that bars rise, fall and stand.
        const int16_t loudness =
            static_cast<int16_t>(std::array{0, 300, 3000, 32767}[random() % 4]);
        const auto sample = [&] {
            return static_cast<int16_t>(static_cast<int>(random() % (2 * loudness + 1)) - loudness);
        };
        Feed(sample(), sample());

        const int32_t colours[4] = {MeterSettings.Acolor, MeterSettings.Bcolor,
                                    MeterSettings.Mcolor, MeterSettings.Scolor};
        for (int id = 0; id < 4; ++id) {
            // The held-peak line this buffer drew, worked out from the bar's state before it.
            TBarState bar = before[static_cast<size_t>(id)];
            bar.Level = form().Bars[static_cast<size_t>(id)].Level;
            const std::optional<int32_t> held =
                UpdatePeakHold(bar, id == TForm1::S, MeterSettings.PeakHold);
            ASSERT_EQ(bar.HeldPeak, form().Bars[static_cast<size_t>(id)].HeldPeak);
            if (id >= TForm1::M && !MeterSettings.showMS) {
                continue;
            }
            QImage whole(kDesignedClientWidth, kClientHeight, QImage::Format_RGB32);
            QPainter painter(&whole);
            const BarFills fills =
                BarRectangles(bar.Level, xs[id], 303, AmberThreshold(MeterSettings.amber),
                              colours[id], colours[id] & kDimMask);
            for (int i = 0; i < fills.count; ++i) {
                const PixelRect& r = fills.fills[static_cast<size_t>(i)].rect;
                painter.fillRect(r.left, r.top, r.width, r.height,
                                 ToQColor(fills.fills[static_cast<size_t>(i)].colour));
            }
            if (held) {
                const PixelLine line = HeldPeakLine(xs[id], 303, *held);
                painter.fillRect(line.x0, line.y, line.x1 - line.x0, 1, ToQColor(kHeldPeakColour));
            }
            painter.end();
            for (int y = 303 - 255; y <= 303; ++y) {
                for (int x = xs[id]; x < xs[id] + kBarWidth; ++x) {
                    ASSERT_EQ(Pixel(x, y), whole.pixel(x, y))
                        << "buffer " << buffer << " bar " << id << " x " << x << " y " << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kestrin::test
