#include "display/bar_geometry.h"

#include <gtest/gtest.h>

#include <map>

#include "display/column_change.h"

namespace kestrin {
namespace {

constexpr int kBaseline = 303;
constexpr int32_t kGreen = 0x00FF00;
constexpr int32_t kDimGreen = 0x002900;

// Colour of each row of a column (row -> colour), from the rectangles, failing on any row covered
// twice.
std::map<int, int32_t> RowColours(const BarFills& bar) {
    std::map<int, int32_t> rows;
    for (int i = 0; i < bar.count; ++i) {
        const BarFill& fill = bar.fills[static_cast<size_t>(i)];
        EXPECT_EQ(fill.rect.left, kBarAX);
        EXPECT_EQ(fill.rect.width, kBarWidth);
        EXPECT_GT(fill.rect.height, 0);
        for (int y = fill.rect.top; y <= fill.rect.bottom(); ++y) {
            EXPECT_TRUE(rows.emplace(y, fill.colour).second) << "row " << y << " painted twice";
        }
    }
    return rows;
}

// The colour a row at height h shows for a bar at level L, zone by zone.
int32_t Expected(int h, int level, bool amber) {
    const int t = amber ? 146 : 219;
    const bool lit = h <= level;
    if (h <= t) return lit ? kGreen : kDimGreen;
    if (h <= 219) return lit ? 0x02D8FD : 0x002929;
    return lit ? 0x0000FF : 0x000029;
}

TEST(BarGeometry, EveryLevelPaintsEachRowOnceInItsZoneColour) {
    for (const bool amber : {true, false}) {
        for (int level = 1; level <= 255; ++level) {
            const auto rows = RowColours(
                BarRectangles(level, kBarAX, kBaseline, AmberThreshold(amber), kGreen, kDimGreen));
            ASSERT_EQ(rows.size(), 256u);
            EXPECT_EQ(rows.begin()->first, 48);    // height 256
            EXPECT_EQ(rows.rbegin()->first, 303);  // height 1: the baseline row
            for (const auto& [y, colour] : rows) {
                const int h = kBaseline - y + 1;
                ASSERT_EQ(colour, Expected(h, level, amber))
                    << "level " << level << " height " << h << " amber " << amber;
            }
        }
    }
}

TEST(BarGeometry, LevelOneLightsOnlyTheBaselineRow) {
    const BarFills bar = BarRectangles(1, kBarAX, kBaseline, 146, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 4);
    EXPECT_EQ(bar.fills[0], (BarFill{{32, 303, 10, 1}, kGreen}));
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 158, 10, 145}, kDimGreen}));
    EXPECT_EQ(bar.fills[2], (BarFill{{32, 85, 10, 73}, 0x002929}));
    EXPECT_EQ(bar.fills[3], (BarFill{{32, 48, 10, 37}, 0x000029}));
}

TEST(BarGeometry, ZoneBoundariesWithAmberOn) {
    // 146: the bar colour up to mark 4, no amber lit.
    BarFills bar = BarRectangles(146, kBarAX, kBaseline, 146, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 3);
    EXPECT_EQ(bar.fills[0], (BarFill{{32, 158, 10, 146}, kGreen}));
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 85, 10, 73}, 0x002929}));
    // 147: the first amber row lights.
    bar = BarRectangles(147, kBarAX, kBaseline, 146, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 4);
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 157, 10, 1}, 0x02D8FD}));
    // 219: amber lit up to mark 6, no red.
    bar = BarRectangles(219, kBarAX, kBaseline, 146, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 3);
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 85, 10, 73}, 0x02D8FD}));
    EXPECT_EQ(bar.fills[2], (BarFill{{32, 48, 10, 37}, 0x000029}));
}

TEST(BarGeometry, ZoneBoundariesWithAmberOff) {
    BarFills bar = BarRectangles(219, kBarAX, kBaseline, 219, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 2);
    EXPECT_EQ(bar.fills[0], (BarFill{{32, 85, 10, 219}, kGreen}));
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 48, 10, 37}, 0x000029}));
    bar = BarRectangles(220, kBarAX, kBaseline, 219, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 3);
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 84, 10, 1}, 0x0000FF}));
    // 255: every row but the top one lit; height 256 stays unlit red.
    bar = BarRectangles(255, kBarAX, kBaseline, 219, kGreen, kDimGreen);
    ASSERT_EQ(bar.count, 3);
    EXPECT_EQ(bar.fills[1], (BarFill{{32, 49, 10, 36}, 0x0000FF}));
    EXPECT_EQ(bar.fills[2], (BarFill{{32, 48, 10, 1}, 0x000029}));
}

TEST(BarGeometry, HeldPeakLineLiesOnTheTickRowAboveTheLitPart) {
    const PixelLine line = HeldPeakLine(kBarMX, kBaseline, 146);
    EXPECT_EQ(line, (PixelLine{72, 157, 82}));  // x 72 to 81
    EXPECT_EQ(line.y, LineRow(kBaseline, MajorTickHeights[4]));
    EXPECT_EQ(line.y, BarRow(kBaseline, 147));
}

TEST(BarGeometry, TickColumnSpans) {
    const auto lines = TickLines(26, kBaseline);
    const int majorRows[] = {302, 267, 230, 194, 157, 121, 84, 48};
    const int minorRows[] = {248, 212, 175, 139, 103, 66};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(lines[static_cast<size_t>(i)], (PixelLine{26, majorRows[i], 32}));
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[static_cast<size_t>(8 + i)], (PixelLine{28, minorRows[i], 32}));
    }
}

TEST(BarGeometry, PanelAndColumns) {
    EXPECT_EQ(BaselineFor(kClientHeight), 303);
    EXPECT_EQ(PanelRect(303), (PixelRect{4, 38, 114, 278}));  // x 4 to 117, y 38 to 315
    // The S column's top and bottom rows (heights 256 and 1) and its right edge, x 107, which the
    // wide client shows; the narrow one ends before the M tick column.
    EXPECT_EQ(BarRow(303, kBarHeights), 48);
    EXPECT_EQ(BarRow(303, 1), 303);
    EXPECT_EQ(kBarSX + kBarWidth - 1, 107);
    EXPECT_LE(107, kWideClientWidth - 1);
    EXPECT_EQ(kNarrowClientWidth, kTickColumnX[1]);
}

// What changed between two pictures of column A.
class ColumnChange : public testing::Test {
  protected:
    static ColumnPicture Bar(int level, std::optional<int> lineRow = {}) {
        return {true, level, 146, kGreen, kDimGreen, lineRow};
    }
};

TEST_F(ColumnChange, SamePictureChangesNothing) {
    EXPECT_TRUE(ChangedBarRows(Bar(100, 200), Bar(100, 200), kBaseline).empty());
    EXPECT_TRUE(ChangedBarRows(Bar(1), Bar(1), kBaseline).empty());
}

TEST_F(ColumnChange, ALevelChangeTouchesTheRowsBetweenTheLevels) {
    // Heights 101..120 turn lit: rows 303 - 120 + 1 = 184 to 303 - 101 + 1 = 203.
    EXPECT_EQ(ChangedBarRows(Bar(100), Bar(120), kBaseline), (RowSpan{184, 203}));
    EXPECT_EQ(ChangedBarRows(Bar(120), Bar(100), kBaseline), (RowSpan{184, 203}));
}

TEST_F(ColumnChange, AMovedLineTouchesBothRows) {
    EXPECT_EQ(ChangedBarRows(Bar(50, 150), Bar(50, 160), kBaseline), (RowSpan{150, 160}));
    EXPECT_EQ(ChangedBarRows(Bar(50, 150), Bar(50), kBaseline), (RowSpan{150, 150}));
}

TEST_F(ColumnChange, UnknownOrRecolouredColumnChangesWhole) {
    EXPECT_EQ(ChangedBarRows(ColumnPicture{}, Bar(10), kBaseline), (RowSpan{48, 303}));
    ColumnPicture amberOff = Bar(10);
    amberOff.amberThreshold = 219;
    EXPECT_EQ(ChangedBarRows(Bar(10), amberOff, kBaseline), (RowSpan{48, 303}));
    ColumnPicture white = Bar(10);
    white.colour = 0xFFFFFF;
    EXPECT_EQ(ChangedBarRows(Bar(10), white, kBaseline), (RowSpan{48, 303}));
}

}  // namespace
}  // namespace kestrin
