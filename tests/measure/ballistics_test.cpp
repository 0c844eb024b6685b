#include "measure/ballistics.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace kestrin {
namespace {

// One bar driven buffer by buffer as the meter drives it: ballistics, then the held peak.
class BarTest : public testing::Test {
  protected:
    // Returns the height of the held-peak line drawn for this buffer, if any.
    std::optional<int32_t> feed(int32_t newHeight, bool renewOnEqual = false) {
        ApplyBallistics(m_bar, newHeight, m_decay);
        return UpdatePeakHold(m_bar, renewOnEqual, m_peakHold);
    }

    TBarState m_bar;
    int32_t m_decay = 2;
    bool m_peakHold = false;
};

TEST_F(BarTest, WorkedTraceAfterARepaint) {
    m_bar = TBarState{50, 0, 30};

    EXPECT_EQ(feed(120), 120);
    EXPECT_EQ(m_bar.Level, 120);
    EXPECT_EQ(m_bar.HoldCount, 74);
    EXPECT_EQ(m_bar.HeldPeak, 120);

    EXPECT_EQ(feed(119), 120);
    EXPECT_EQ(m_bar.Level, 118);
    EXPECT_EQ(m_bar.HoldCount, 73);

    EXPECT_EQ(feed(119), 120);
    EXPECT_EQ(m_bar.Level, 119);
    EXPECT_EQ(m_bar.HoldCount, 72);

    EXPECT_EQ(feed(0), 120);
    EXPECT_EQ(m_bar.Level, 117);
    EXPECT_EQ(m_bar.HoldCount, 71);

    for (int buffer = 5; buffer <= 61; ++buffer) {
        ASSERT_EQ(feed(0), 120) << "buffer " << buffer;
        ASSERT_EQ(m_bar.Level, 117 - 2 * (buffer - 4)) << "buffer " << buffer;
        ASSERT_EQ(m_bar.HoldCount, 75 - buffer) << "buffer " << buffer;
        ASSERT_EQ(m_bar.HeldPeak, 120);
    }
    EXPECT_EQ(m_bar.Level, 3);
    for (int buffer = 62; buffer <= 74; ++buffer) {
        ASSERT_EQ(feed(0), 120) << "buffer " << buffer;
        ASSERT_EQ(m_bar.Level, 1);
        ASSERT_EQ(m_bar.HoldCount, 75 - buffer);
    }
    EXPECT_EQ(m_bar.HoldCount, 1);

    EXPECT_EQ(feed(0), 120);  // buffer 75: the last showing of the old peak
    EXPECT_EQ(m_bar.Level, 1);
    EXPECT_EQ(m_bar.HoldCount, 0);
    EXPECT_EQ(m_bar.HeldPeak, 0);

    EXPECT_EQ(feed(0), 1);  // buffer 76: 1 - 2 clamped to 1 becomes the new peak
    EXPECT_EQ(m_bar.Level, 1);
    EXPECT_EQ(m_bar.HoldCount, 74);
    EXPECT_EQ(m_bar.HeldPeak, 1);
}

TEST_F(BarTest, FirstBufferRisesAtLeastToOneAndTakesItsPeak) {
    EXPECT_EQ(feed(0), 1);
    EXPECT_EQ(m_bar.Level, 1);
    EXPECT_EQ(m_bar.HoldCount, 74);
}

TEST_F(BarTest, AFallingBarIsNotRaisedBackInTheSameBuffer) {
    m_bar.Level = 100;
    feed(99);
    EXPECT_EQ(m_bar.Level, 98);
    feed(99);
    EXPECT_EQ(m_bar.Level, 99);
}

TEST_F(BarTest, SilenceSettlesLevelAndLineAtOne) {
    m_bar = TBarState{200, 200, 75};
    std::optional<int32_t> line;
    for (int buffer = 0; buffer < 300; ++buffer) {
        line = feed(0);
    }
    EXPECT_EQ(m_bar.Level, 1);
    EXPECT_EQ(line, 1);
}

TEST_F(BarTest, ZeroDecayOnlyRises) {
    m_decay = 0;
    feed(180);
    for (int32_t n : {10, 0, 179, 50}) {
        feed(n);
        EXPECT_EQ(m_bar.Level, 180);
    }
    feed(200);
    EXPECT_EQ(m_bar.Level, 200);
}

TEST_F(BarTest, NegativeDecayClimbsToFullHeight) {
    m_decay = -3;
    feed(100);
    feed(50);
    EXPECT_EQ(m_bar.Level, 103);
    for (int buffer = 0; buffer < 60; ++buffer) {
        feed(50);
    }
    EXPECT_EQ(m_bar.Level, 255);
}

TEST_F(BarTest, ExtremeDecaysStayWithinThePixelRange) {
    m_decay = INT32_MIN;
    feed(100);
    feed(10);
    EXPECT_EQ(m_bar.Level, 255);
    m_decay = INT32_MAX;
    feed(10);
    EXPECT_EQ(m_bar.Level, 1);
}

TEST_F(BarTest, HeightsAboveTheRangeAreHeldAt255) {
    feed(400);
    EXPECT_EQ(m_bar.Level, 255);
}

TEST_F(BarTest, SteadySideLevelKeepsItsHeldPeakForEver) {
    for (int buffer = 0; buffer < 400; ++buffer) {
        ASSERT_EQ(feed(90, true), 90);
        ASSERT_EQ(m_bar.HeldPeak, 90);
        ASSERT_EQ(m_bar.HoldCount, 74);
    }
}

TEST_F(BarTest, SteadyLevelOfOtherBarsIsRetakenEvery75Buffers) {
    int cleared = 0;
    for (int buffer = 1; buffer <= 400; ++buffer) {
        ASSERT_EQ(feed(90), 90);
        if (m_bar.HeldPeak == 0) {
            ++cleared;
            ASSERT_EQ(buffer % 75, 0) << "buffer " << buffer;
        }
    }
    EXPECT_EQ(cleared, 5);
}

TEST_F(BarTest, PeakHoldLatchesTheHighestLevel) {
    m_peakHold = true;
    feed(200);
    for (int buffer = 0; buffer < 500; ++buffer) {
        ASSERT_EQ(feed(20), 200);
        ASSERT_EQ(m_bar.HoldCount, 75);
    }
    EXPECT_EQ(feed(230), 230);
}

TEST_F(BarTest, ResetShowsTheLineOnceMoreThenRestarts) {
    m_peakHold = true;
    feed(200);
    feed(30);
    std::array<TBarState, 1> bars{m_bar};
    ResetHolds(bars);
    m_bar = bars[0];
    EXPECT_EQ(m_bar.HoldCount, 1);
    EXPECT_EQ(m_bar.HeldPeak, 200);

    EXPECT_EQ(feed(30), 200);
    EXPECT_EQ(m_bar.HoldCount, 0);
    EXPECT_EQ(m_bar.HeldPeak, 0);
    const std::optional<int32_t> line = feed(30);
    EXPECT_EQ(line, m_bar.Level);
    EXPECT_EQ(m_bar.HoldCount, 75);
}

TEST_F(BarTest, RepaintClearRestartsFromTheCurrentLevel) {
    m_peakHold = true;
    feed(200);
    feed(30);
    std::array<TBarState, 1> bars{m_bar};
    ClearHeldPeaks(bars);
    m_bar = bars[0];
    EXPECT_EQ(m_bar.HeldPeak, 0);
    EXPECT_EQ(m_bar.HoldCount, 75);
    const int32_t line = *feed(30);
    EXPECT_EQ(line, m_bar.Level);
    EXPECT_LT(line, 200);
    EXPECT_EQ(m_bar.HoldCount, 75);
}

TEST(HeldPeak, OnlySideRenewsOnAnEqualLevel) {
    TBarState bar{80, 80, 10};
    TakeHeldPeak(bar, false);
    EXPECT_EQ(bar.HoldCount, 10);
    TakeHeldPeak(bar, true);
    EXPECT_EQ(bar.HoldCount, kPeakHoldBuffers);
    bar = TBarState{79, 80, 10};
    TakeHeldPeak(bar, true);
    EXPECT_EQ(bar.HoldCount, 10);
    EXPECT_EQ(bar.HeldPeak, 80);
}

TEST(HeldPeak, CountDownNeverGoesBelowZero) {
    TBarState bar{5, 0, 0};
    CountDownHold(bar, false);
    EXPECT_EQ(bar.HoldCount, 0);
    EXPECT_EQ(UpdatePeakHold(bar, false, false), 5);
}

TEST(HeldPeak, ResetAndClearTouchEveryBarAndOnlyTheirField) {
    std::array<TBarState, 4> bars{{{10, 20, 30}, {11, 21, 0}, {12, 22, 75}, {13, 0, 5}}};
    ResetHolds(bars);
    for (size_t i = 0; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i].HoldCount, 1);
        EXPECT_EQ(bars[i].Level, 10 + static_cast<int32_t>(i));
    }
    EXPECT_EQ(bars[0].HeldPeak, 20);
    ClearHeldPeaks(bars);
    for (const TBarState& bar : bars) {
        EXPECT_EQ(bar.HeldPeak, 0);
        EXPECT_EQ(bar.HoldCount, 1);
    }
}

class OverTest : public testing::Test {
  protected:
    OverChange feed(int32_t peakA, int32_t peakB = 0) {
        return UpdateOver(m_overCount, peakA, peakB, m_peakHold);
    }

    int32_t m_overCount = 0;
    bool m_peakHold = false;
};

TEST_F(OverTest, ThresholdIsExclusive) {
    EXPECT_EQ(feed(27520, 27520), OverChange::Dark);
    EXPECT_EQ(feed(27521), OverChange::Lit);
    m_overCount = 0;
    EXPECT_EQ(feed(0, 27521), OverChange::Lit);
    EXPECT_EQ(feed(32768, 32768), OverChange::Lit);
    EXPECT_EQ(m_overCount, 10);
}

TEST_F(OverTest, StaysLitForTenBuffersWithoutPeakHold) {
    EXPECT_EQ(feed(30000), OverChange::Lit);
    EXPECT_EQ(m_overCount, 10);
    for (int32_t expected = 9; expected >= 1; --expected) {
        EXPECT_EQ(feed(0), OverChange::Unchanged);
        EXPECT_EQ(m_overCount, expected);
    }
    EXPECT_EQ(feed(0), OverChange::Dark);
    EXPECT_EQ(m_overCount, 0);
    EXPECT_EQ(feed(0), OverChange::Dark);
    EXPECT_EQ(m_overCount, 0);
}

TEST_F(OverTest, ANewOverStartsTheTenAgain) {
    feed(30000);
    for (int buffer = 0; buffer < 5; ++buffer) {
        feed(0);
    }
    EXPECT_EQ(feed(0, 28000), OverChange::Lit);
    EXPECT_EQ(m_overCount, 10);
}

TEST_F(OverTest, FirstQuietBufferDarkensTheIndicator) {
    EXPECT_EQ(feed(100, 100), OverChange::Dark);
}

TEST_F(OverTest, PeakHoldLatchesUntilSwitchedOff) {
    m_peakHold = true;
    EXPECT_EQ(feed(100), OverChange::Unchanged);
    EXPECT_EQ(feed(30000), OverChange::Lit);
    for (int buffer = 0; buffer < 100; ++buffer) {
        ASSERT_EQ(feed(0), OverChange::Unchanged);
    }
    EXPECT_EQ(m_overCount, 10);

    m_peakHold = false;
    for (int buffer = 0; buffer < 9; ++buffer) {
        EXPECT_EQ(feed(0), OverChange::Unchanged);
    }
    EXPECT_EQ(feed(0), OverChange::Dark);
}

}  // namespace
}  // namespace kestrin
