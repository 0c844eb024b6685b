// The meter window with and without the loudness column: its fixed sizes, where the column's name
// stands, which of the design's names give way to it in the narrow window, and its scale.
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "display/bar_geometry.h"
#include "tests/display/meter_fixture.h"

namespace kestrin::test {
namespace {

struct LayoutCase {
    const char* settings;
    bool clickMS;  // the M/S button clicked once after the start
    QSize client;
    int columnNameX;  // the column's "LU" under its bar; -1: hidden, with the strip
    bool msNames;     // "M    S" and "S+20" shown
};

class LoudnessLayout : public MeterFixture, public testing::WithParamInterface<LayoutCase> {};

TEST_P(LoudnessLayout, SizeAndControls) {
    const LayoutCase& c = GetParam();
    Start(std::string("[Form]\n") + c.settings);
    if (c.clickMS) form().MSButtonClick();
    EXPECT_EQ(form().size(), c.client);
    EXPECT_EQ(form().minimumSize(), form().maximumSize()) << "a fixed size";

    const auto shown = [&](MeterControl control) { return !form().Control(control)->isHidden(); };
    EXPECT_EQ(shown(MeterControl::LULabel), c.columnNameX >= 0);
    if (c.columnNameX >= 0) {
        EXPECT_EQ(form().Control(MeterControl::LULabel)->pos(), QPoint(c.columnNameX, 322));
    }
    for (const MeterControl strip :
         {MeterControl::IntegratedLabel, MeterControl::RangeLabel, MeterControl::TruePeakLabel,
          MeterControl::StateLabel, MeterControl::RunButton, MeterControl::ResetButton}) {
        EXPECT_EQ(shown(strip), c.columnNameX >= 0) << Index(strip);
        EXPECT_GE(form().Control(strip)->geometry().top(), kClientHeight) << "below the design's";
    }
    EXPECT_EQ(shown(MeterControl::Label3), c.msNames);
    EXPECT_EQ(shown(MeterControl::Label11), c.msNames);
    // The design's controls stay where they were.
    EXPECT_EQ(form().MSButton->geometry(), QRect(8, 320, 17, 17));
    EXPECT_EQ(form().over->geometry(), QRect(32, 10, 28, 18));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, LoudnessLayout,
    testing::Values(LayoutCase{"", false, {122, 341}, -1, true},
                    LayoutCase{"showMS=0\n", false, {66, 341}, -1, true},
                    // 26 pixels more for a tick column and a bar, 84 for the strip.
                    LayoutCase{"loudness=1\n", false, {148, 425}, 122, true},
                    LayoutCase{"loudness=1\nshowMS=0\n", false, {92, 425}, 70, false},
                    LayoutCase{"loudness=1\nshowMS=0\n", true, {148, 425}, 122, true},
                    LayoutCase{"loudness=1\n", true, {92, 425}, 70, false}));

// The column of the wide window stands on the panel grown by its width, with the design's ticks.
using LoudnessScale = MeterFixture;

TEST_F(LoudnessScale, HasThePanelAndTicksOfTheDesignsColumns) {
    Start("[Form]\nloudness=1\n");
    form().FormPaint();
    for (const int height : {1, 36, 73, 109, 146, 182, 219, 255}) {
        EXPECT_EQ(Pixel(118, 303 - height), Rgb(0xFFFFFF)) << "major tick " << height;
        EXPECT_EQ(Pixel(123, 303 - height), Rgb(0xFFFFFF)) << "major tick " << height;
    }
    EXPECT_EQ(Pixel(118, 303 - 164), Rgb(0x000000)) << "a minor tick starts 2 pixels in";
    EXPECT_EQ(Pixel(120, 303 - 164), Rgb(0xFFFFFF));
    EXPECT_EQ(Pixel(143, 38), Rgb(0x000000));   // the panel's top right corner
    EXPECT_EQ(Pixel(143, 315), Rgb(0x000000));  // and its bottom right one
}

// The strip's texts change while the meter runs; a text growing shorter must not uncover the
// window, whose paint would restart the held peaks.
TEST_F(LoudnessScale, AShorterStripTextLeavesTheHeldPeaksBe) {
    Start("[Form]\nloudness=1\nPeakHold=1\n");
    Show();
    Feed(8190, 8190, 40);  // a second at mark 4: "TP -12.0 dBTP"
    ASSERT_EQ(form().Bars[TForm1::A].HeldPeak, 146);
    form().ResetButtonClick();  // "I -- LUFS", "stopped", "Start": all shorter
    Settle();
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 146);
}

}  // namespace
}  // namespace kestrin::test
