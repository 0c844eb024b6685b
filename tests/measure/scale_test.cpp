#include "measure/scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace kestrin {
namespace {

class LevelTableTest : public testing::Test {
  protected:
    // Built over what an earlier build left, as every paint rebuilds it, and over entries no build
    // writes, so that an entry left out or added to shows.
    LevelTableTest() {
        m_table.fill(-7);
        BuildLevelTable(m_table);
        BuildLevelTable(m_table);
    }

    int32_t height(int32_t peak, double calibration, bool timesTen = false) const {
        return PeakToHeight(m_table, peak, ComputeScaleDivisor(calibration), timesTen);
    }

    TLevelTable m_table{};
};

TEST_F(LevelTableTest, HoldsTheListedEntries) {
    const std::pair<int, int32_t> entries[] = {
        {0, 0},      {2, 0},      {3, 1},      {100, 18},   {205, 36},   {269, 54},
        {512, 109},  {819, 146},  {1000, 160}, {1293, 182}, {1677, 201}, {2061, 219},
        {2213, 223}, {2821, 241}, {3000, 247}, {3276, 255}, {3277, 255},
    };
    for (const auto& [index, expected] : entries) {
        EXPECT_EQ(m_table[static_cast<size_t>(index)], expected) << "index " << index;
    }
}

TEST_F(LevelTableTest, SegmentsEndOnTheScaleMarks) {
    const int markIndex[] = {205, 333, 512, 819, 1293, 2061, 3277};
    for (int k = 1; k <= 7; ++k) {
        const auto mark = static_cast<int32_t>(std::lround(255.0 * k / 7.0));
        EXPECT_EQ(m_table[static_cast<size_t>(markIndex[k - 1])], mark) << "mark " << k;
    }
}

TEST_F(LevelTableTest, NeverFallsAndStaysWithinThePixelRange) {
    for (size_t i = 1; i < m_table.size(); ++i) {
        ASSERT_GE(m_table[i], m_table[i - 1]) << "index " << i;
        ASSERT_LE(m_table[i], 255);
    }
}

TEST(FillLevelTable, ExactTieGoesToEven) {
    // 269 is 64 steps of 37/128 into the second segment: the sum reaches exactly 54.5 and the
    // tie goes to the even 54.
    TLevelTable table{};
    FillLevelTable(table, 205, 333, 36, 73);
    EXPECT_EQ(table[269], 54);
    EXPECT_EQ(table[205], 36);
    EXPECT_EQ(table[333], 73);
}

TEST(FillLevelTable, WritesNothingWhenTheLastIndexIsBelowTheFirst) {
    TLevelTable table{};
    table.fill(-7);
    FillLevelTable(table, 300, 200, 10, 20);
    for (int32_t entry : table) {
        ASSERT_EQ(entry, -7);
    }
}

TEST(FillLevelTable, SingleIndexTakesTheFirstHeight) {
    TLevelTable table{};
    table.fill(-7);
    FillLevelTable(table, 40, 40, 12, 99);
    EXPECT_EQ(table[40], 12);
    EXPECT_EQ(table[39], -7);
    EXPECT_EQ(table[41], -7);
}

TEST(FillLevelTable, RefusesIndicesOutsideTheTable) {
    TLevelTable table{};
    table.fill(-7);
    FillLevelTable(table, -1, 10, 0, 10);
    FillLevelTable(table, 3000, kLevelTableSize, 0, 10);
    for (int32_t entry : table) {
        ASSERT_EQ(entry, -7);
    }
}

TEST(FillLevelTable, FallingSegmentRoundsHalfToEven) {
    TLevelTable table{};
    FillLevelTable(table, 0, 4, 10, 8);  // 10, 9.5, 9, 8.5, 8
    EXPECT_EQ(table[0], 10);
    EXPECT_EQ(table[1], 10);
    EXPECT_EQ(table[2], 9);
    EXPECT_EQ(table[3], 8);
    EXPECT_EQ(table[4], 8);
}

TEST(ScaleDivisor, FollowsTheCalibration) {
    EXPECT_EQ(ComputeScaleDivisor(-12.0), 10.0);
    EXPECT_EQ(ComputeScaleDivisor(8.0), 100.0);
    EXPECT_NEAR(ComputeScaleDivisor(-20.0), 3.98107, 5e-6);
    EXPECT_NEAR(ComputeScaleDivisor(-18.0), 5.01187, 5e-6);
    EXPECT_NEAR(ComputeScaleDivisor(0.0), 39.8107, 5e-5);
}

TEST(ScaleDivisor, StaysAtOneBelowMinus32) {
    EXPECT_NEAR(ComputeScaleDivisor(-32.0), 1.0, 1e-12);
    EXPECT_GE(ComputeScaleDivisor(-32.0), 1.0);
    EXPECT_EQ(ComputeScaleDivisor(-32.5), 1.0);
    EXPECT_EQ(ComputeScaleDivisor(-40.0), 1.0);
    EXPECT_EQ(ComputeScaleDivisor(-1e300), 1.0);
    EXPECT_EQ(ComputeScaleDivisor(std::nan("")), 1.0);
}

TEST(PeakToHeight, AllZerosBeforeTheTableIsBuilt) {
    const TLevelTable table{};
    for (int32_t peak : {0, 25, 8190, 32767, 46478}) {
        EXPECT_EQ(PeakToHeight(table, peak, 10.0, false), 0);
        EXPECT_EQ(PeakToHeight(table, peak, 1.0, true), 0);
    }
}

TEST_F(LevelTableTest, ZeroPeakIsZeroHeightAtAnyCalibration) {
    for (double calibration : {-60.0, -40.0, -12.0, 0.0, 8.0, 100.0}) {
        EXPECT_EQ(height(0, calibration), 0);
        EXPECT_EQ(height(0, calibration, true), 0);
    }
}

TEST_F(LevelTableTest, DefaultCalibration) {
    EXPECT_EQ(height(32767, -12.0), 255);
    EXPECT_EQ(height(8190, -12.0), 146);  // index 819: mark 4
    EXPECT_EQ(height(25, -12.0), 0);      // 2.5 rounds to the even 2
    EXPECT_EQ(height(35, -12.0), 1);      // 3.5 rounds to the even 4
    EXPECT_EQ(height(4125, -12.0), 89);   // index 412
    EXPECT_EQ(height(8146, -12.0), 146);  // the smallest peak on mark 4, index 815
    EXPECT_EQ(height(8145, -12.0), 145);
}

TEST_F(LevelTableTest, CalibrationMovesTheReferenceMark) {
    EXPECT_EQ(height(4125, -18.0), 146);  // index 823
}

TEST_F(LevelTableTest, DivisorFloorOfOne) {
    EXPECT_EQ(height(3277, -40.0), 255);
    EXPECT_EQ(height(3276, -40.0), 255);
    EXPECT_EQ(height(819, -40.0), 146);
    for (int32_t peak : {3278, 10000, 32768, 46478}) {
        EXPECT_EQ(height(peak, -40.0), 255);
    }
}

TEST_F(LevelTableTest, TimesTenMultipliesAfterRounding) {
    EXPECT_EQ(height(2000, -12.0, true), 216);        // index 2000
    EXPECT_EQ(height(400, -12.0, true), 86);          // index 400
    EXPECT_EQ(height(25, -12.0, true), m_table[20]);  // 2.5 rounds to 2 before the ten
    EXPECT_EQ(height(35, -12.0, true), m_table[40]);
    EXPECT_EQ(height(32767, -12.0, true), 255);
}

TEST_F(LevelTableTest, IndexAboveTheTableGivesFullHeight) {
    EXPECT_EQ(height(46478, -12.0), 255);
    EXPECT_EQ(height(INT32_MAX, -40.0), 255);
    EXPECT_EQ(height(INT32_MAX, -40.0, true), 255);
}

}  // namespace
}  // namespace kestrin
