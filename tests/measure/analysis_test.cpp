#include "measure/analysis.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace kestrin {
namespace {

// A capture block (of the design's 1100 frames unless told) built from samples, written byte by
// byte as the device does (little-endian, A then B); starts as silence.
class Block {
  public:
    explicit Block(int frames = kFramesPerBuffer)
        : m_bytes(static_cast<size_t>(frames * kBytesPerFrame), 0) {}

    void set(int frame, int16_t a, int16_t b) {
        put(frame * kBytesPerFrame, a);
        put(frame * kBytesPerFrame + 2, b);
    }
    const uint8_t* data() const { return m_bytes.data(); }

  private:
    void put(int offset, int16_t value) {
        const auto bits = static_cast<uint16_t>(value);
        m_bytes[static_cast<size_t>(offset)] = static_cast<uint8_t>(bits & 0xFF);
        m_bytes[static_cast<size_t>(offset) + 1] = static_cast<uint8_t>(bits >> 8);
    }
    std::vector<uint8_t> m_bytes;
};

struct FrameCase {
    int16_t a;
    int16_t b;
    std::array<int32_t, 4> halved;  // A, B, M, S with the -6 dB mode
    std::array<int32_t, 4> scaled;  // A, B, M, S with the -3 dB mode
};

std::array<int32_t, 4> AsArray(const TPeaks& p) { return {p.A, p.B, p.M, p.S}; }

const FrameCase kWorkedFrames[] = {
    {1000, -1000, {1000, 1000, 0, 1000}, {1000, 1000, 0, 1418}},
    {1000, 1000, {1000, 1000, 1000, 0}, {1000, 1000, 1400, 0}},
    {-1000, -1000, {1000, 1000, 1000, 0}, {1000, 1000, 1400, 0}},
    {100, 40, {100, 40, 70, 30}, {100, 40, 0, 42}},
    {-3, 0, {3, 0, 1, 1}, {3, 0, 0, 2}},
    {141, 0, {141, 0, 70, 70}, {141, 0, 100, 100}},
    {99, -1, {99, 1, 49, 50}, {99, 1, 0, 70}},
    {32767, 32767, {32767, 32767, 32767, 0}, {32767, 32767, 46400, 0}},
    {-32768, -32768, {32768, 32768, 32768, 0}, {32768, 32768, 46400, 0}},
    {32767, -32768, {32767, 32768, 0, 32767}, {32767, 32768, 0, 46478}},
};

TEST(AnalyseBuffer, WorkedSingleFramesInBothModes) {
    for (const FrameCase& c : kWorkedFrames) {
        // The same frame at the start, in the middle and on the last examined frame.
        for (int frame : {0, 548, kFramesExamined - 1}) {
            Block block;
            block.set(frame, c.a, c.b);
            SCOPED_TRACE(testing::Message() << "a=" << c.a << " b=" << c.b << " frame=" << frame);
            EXPECT_EQ(AsArray(AnalyseBuffer(block.data(), true)), c.halved);
            EXPECT_EQ(AsArray(AnalyseBuffer(block.data(), false)), c.scaled);
        }
    }
}

TEST(AnalyseBuffer, SilenceGivesZeroPeaks) {
    Block block;
    for (bool msix : {true, false}) {
        EXPECT_EQ(AsArray(AnalyseBuffer(block.data(), msix)), (std::array<int32_t, 4>{0, 0, 0, 0}));
    }
}

TEST(AnalyseBuffer, MostNegativeSampleCountsInFull) {
    Block block;
    block.set(300, -32768, 0);
    const TPeaks peaks = AnalyseBuffer(block.data(), true);
    EXPECT_EQ(peaks.A, 32768);
    EXPECT_EQ(peaks.B, 0);
    EXPECT_EQ(peaks.M, 16384);
    EXPECT_EQ(peaks.S, 16384);
}

// Whatever a buffer's length (1100 frames at 44.1 kHz, 1197 at 48 kHz, 2395 at 96 kHz), its last
// three frames are never read, and the one before them is.
TEST(AnalyseBuffer, LastThreeFramesAreNeverRead) {
    for (const int frames : {1100, 1197, 2395}) {
        SCOPED_TRACE(frames);
        Block block(frames);
        for (int frame = frames - 3; frame < frames; ++frame) block.set(frame, -32768, 32767);
        for (bool msix : {true, false}) {
            EXPECT_EQ(AsArray(AnalyseBuffer(block.data(), frames, msix)),
                      (std::array<int32_t, 4>{0, 0, 0, 0}));
        }
        block.set(frames - 4, 1000, -1000);
        EXPECT_EQ(AsArray(AnalyseBuffer(block.data(), frames, true)),
                  (std::array<int32_t, 4>{1000, 1000, 0, 1000}));
    }
    Block design;
    design.set(kFramesPerBuffer - 1, 20000, 20000);
    EXPECT_EQ(AnalyseBuffer(design.data(), true).A, 0) << "the design's block of 1100 frames";
}

TEST(AnalyseBuffer, ScaledMidNeedsASumOf141) {
    Block below;
    below.set(10, 70, 70);
    below.set(11, -100, -40);
    EXPECT_EQ(AnalyseBuffer(below.data(), false).M, 0);

    Block at;
    at.set(10, 70, 70);
    at.set(11, -100, -41);
    EXPECT_EQ(AnalyseBuffer(at.data(), false).M, 100);
}

TEST(AnalyseBuffer, IdenticalChannelsHaveNoSideAndOppositeOnesNoMid) {
    Block same;
    Block opposite;
    for (int frame = 0; frame < kFramesExamined; ++frame) {
        const auto v = static_cast<int16_t>((frame * 37) % 20001 - 10000);
        same.set(frame, v, v);
        opposite.set(frame, v, static_cast<int16_t>(-v));
    }
    for (bool msix : {true, false}) {
        EXPECT_EQ(AnalyseBuffer(same.data(), msix).S, 0);
        EXPECT_EQ(AnalyseBuffer(opposite.data(), msix).M, 0);
    }
}

TEST(AnalyseBuffer, PeaksDoNotCarryOverBetweenBuffers) {
    Block loud;
    loud.set(0, 30000, -30000);
    Block quiet;
    quiet.set(0, 5, 3);
    AnalyseBuffer(loud.data(), true);
    EXPECT_EQ(AsArray(AnalyseBuffer(quiet.data(), true)), (std::array<int32_t, 4>{5, 3, 4, 1}));
}

// An independent model of the analysis: magnitudes first, then plain non-negative division,
// which is what truncation toward zero amounts to for the absolute value.
std::array<int32_t, 4> ReferencePeaks(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                                      bool msix) {
    std::array<int64_t, 4> peaks{};
    for (size_t f = 0; f < static_cast<size_t>(kFramesExamined); ++f) {
        const int64_t sum = std::llabs(int64_t{a[f]} + b[f]);
        const int64_t diff = std::llabs(int64_t{a[f]} - b[f]);
        const int64_t mid = msix ? sum / 2 : (sum / 141) * 100;
        const int64_t side = msix ? diff / 2 : (diff * 100) / 141;
        const std::array<int64_t, 4> frame{std::llabs(a[f]), std::llabs(b[f]), mid, side};
        for (size_t k = 0; k < 4; ++k) {
            peaks[k] = std::max(peaks[k], frame[k]);
        }
    }
    return {static_cast<int32_t>(peaks[0]), static_cast<int32_t>(peaks[1]),
            static_cast<int32_t>(peaks[2]), static_cast<int32_t>(peaks[3])};
}

TEST(AnalyseBuffer, RandomBlocksMatchAReferenceModel) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> full(-32768, 32767);
    std::uniform_int_distribution<int> small(-300, 300);
    for (int round = 0; round < 300; ++round) {
        // Alternate full-range blocks with quiet ones, where the rounding of M and S matters.
        auto& dist = round % 2 == 0 ? full : small;
        std::vector<int16_t> a(kFramesPerBuffer);
        std::vector<int16_t> b(kFramesPerBuffer);
        Block block;
        for (int f = 0; f < kFramesPerBuffer; ++f) {
            a[static_cast<size_t>(f)] = static_cast<int16_t>(dist(random));
            b[static_cast<size_t>(f)] = static_cast<int16_t>(dist(random));
            block.set(f, a[static_cast<size_t>(f)], b[static_cast<size_t>(f)]);
        }
        for (bool msix : {true, false}) {
            ASSERT_EQ(AsArray(AnalyseBuffer(block.data(), msix)), ReferencePeaks(a, b, msix))
                << "round " << round << " msix " << msix;
        }
    }
}

TEST(AnalyseBuffer, SwappingChannelsSwapsAAndBAndKeepsMAndS) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    Block straight;
    Block swapped;
    for (int f = 0; f < kFramesPerBuffer; ++f) {
        const auto a = static_cast<int16_t>(dist(random));
        const auto b = static_cast<int16_t>(dist(random));
        straight.set(f, a, b);
        swapped.set(f, b, a);
    }
    for (bool msix : {true, false}) {
        const TPeaks p = AnalyseBuffer(straight.data(), msix);
        const TPeaks q = AnalyseBuffer(swapped.data(), msix);
        EXPECT_EQ(p.A, q.B);
        EXPECT_EQ(p.B, q.A);
        EXPECT_EQ(p.M, q.M);
        EXPECT_EQ(p.S, q.S);
    }
}

}  // namespace
}  // namespace kestrin
