// The published loudness and true-peak test signals, written as files and read back through the
// analyser at 96 kHz (and the true-peak cases also at the 48 kHz they are defined at), with the
// expected readings of the standards' tables.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/measure_tool/json_reader.h"
#include "tests/measure_tool/tool_run.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr int kPcm24Wav = SF_FORMAT_WAV | SF_FORMAT_PCM_24;

// Runs the analyser with --json on the files and returns its array, checking that it answered
// every file, in the order given, and read them all.
std::vector<JsonValue> Measure(const std::vector<std::string>& files, const TempDir& dir,
                               std::vector<std::string> options = {}) {
    options.push_back("--json");
    options.insert(options.end(), files.begin(), files.end());
    const ToolRun run = RunTool(options, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto parsed = ParseJson(run.out);
    if (!parsed || parsed->kind != JsonValue::Kind::Array || parsed->items.size() != files.size()) {
        ADD_FAILURE() << "not an array of " << files.size() << " entries: " << run.out;
        return {};
    }
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ((*parsed).items[i]["file"].text, files[i]);
    return parsed->items;
}

struct LoudnessCase {
    const char* name;
    std::vector<double> levels;   // dBFS per stretch, both channels
    std::vector<double> seconds;  // length of each stretch
    const char* key;              // the reading the table gives
    double expected;
    double tolerance;
};

const LoudnessCase kLoudnessCases[] = {
    {"tech3341_case1", {-23}, {20}, "integrated_lufs", -23.0, 0.1},
    {"tech3341_case2", {-33}, {20}, "integrated_lufs", -33.0, 0.1},
    {"tech3341_case5", {-26, -20, -26}, {20, 20.1, 20}, "integrated_lufs", -23.0, 0.1},
    {"tech3342_case1", {-20, -30}, {20, 20}, "loudness_range_lu", 10.0, 1.0},
};

TEST(StandardCases, LoudnessTablesAt96kHz) {
    constexpr int kRate = 96000;
    TempDir dir;
    std::vector<std::string> files;
    for (const LoudnessCase& c : kLoudnessCases) {
        double total = 0;
        for (const double s : c.seconds) total += s;
        files.push_back((dir.path() / (std::string(c.name) + ".wav")).string());
        WriteSound(files.back(), kRate, 2, std::llround(total * kRate),
                   SteppedSine(kRate, c.levels, c.seconds), kPcm24Wav);
    }
    const auto entries = Measure(files, dir);
    for (size_t i = 0; i < entries.size(); ++i) {
        const LoudnessCase& c = kLoudnessCases[i];
        EXPECT_NEAR(entries[i][c.key].number, c.expected, c.tolerance) << c.name;
        EXPECT_EQ(entries[i]["sample_rate"].number, kRate) << c.name;
    }
}

struct TruePeakCase {
    const char* name;
    double divisor;    // the tone's frequency is the sample rate divided by this
    double phase;      // degrees
    double amplitude;  // full scale 1.0
    double expected;   // dBTP
};

// Expected within +0.2 / -0.4 dB.
const TruePeakCase kTruePeakCases[] = {
    {"tech3341_case15", 4, 0, 0.5, -6.0},  {"tech3341_case16", 4, 45, 0.5, -6.0},
    {"tech3341_case17", 6, 60, 0.5, -6.0}, {"tech3341_case18", 8, 67.5, 0.5, -6.0},
    {"tech3341_case19", 4, 45, 1.41, 3.0},
};

// A tone of 1 s with 10 ms raised-cosine fades in and out.
Signal FadedTone(int rate, const TruePeakCase& c) {
    return [rate, c](int64_t frame, int) {
        const double t = static_cast<double>(frame) / rate;
        const double fade = std::min({1.0, t / 0.01, (1.0 - t) / 0.01});
        const double gain = 0.5 - 0.5 * std::cos(M_PI * std::max(0.0, fade));
        return gain * c.amplitude *
               std::sin(2.0 * M_PI * t * rate / c.divisor + c.phase * M_PI / 180);
    };
}

TEST(StandardCases, TruePeakTablesAt48And96kHz) {
    TempDir dir;
    std::vector<std::string> files;
    for (const int rate : {48000, 96000}) {
        for (const TruePeakCase& c : kTruePeakCases) {
            files.push_back(
                (dir.path() / (std::string(c.name) + "_" + std::to_string(rate) + ".wav"))
                    .string());
            WriteSound(files.back(), rate, 2, rate, FadedTone(rate, c), kFloatWav);
        }
    }
    const auto entries = Measure(files, dir);
    for (size_t i = 0; i < entries.size(); ++i) {
        const TruePeakCase& c = kTruePeakCases[i % std::size(kTruePeakCases)];
        const double truePeak = entries[i]["true_peak_dbtp"].number;
        EXPECT_LE(truePeak, c.expected + 0.2) << files[i];
        EXPECT_GE(truePeak, c.expected - 0.4) << files[i];
    }
    // Case 16's samples straddle the crest: the sample peak reads 3 dB under the true peak.
    EXPECT_NEAR(entries.at(1)["sample_peak_dbfs"].number, -9.03, 0.01);
}

// Five channels of the 5.1 loudness case, with a loud LFE that loudness must leave out.
TEST(StandardCases, SixChannelsLeaveTheLfeOut) {
    constexpr int kRate = 48000;
    const double levels[] = {-28, -28, -24, -20, -30, -30};  // L R C LFE Ls Rs, dBFS
    TempDir dir;
    const std::string file = (dir.path() / "surround.wav").string();
    std::vector<Signal> channels;
    for (const double level : levels) channels.push_back(SteppedSine(kRate, {level}, {20}));
    WriteSound(
        file, kRate, 6, 20 * kRate,
        [&](int64_t frame, int channel) { return channels[channel](frame, channel); }, kFloatWav);
    const auto entries = Measure({file}, dir);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NEAR(entries[0]["integrated_lufs"].number, -23.0, 0.1);
    const auto& peaks = entries[0]["sample_peak_per_channel_dbfs"].items;
    ASSERT_EQ(peaks.size(), 6u);
    for (size_t c = 0; c < 6; ++c) EXPECT_NEAR(peaks[c].number, levels[c], 0.01) << "channel " << c;
    EXPECT_NEAR(entries[0]["sample_peak_dbfs"].number, -20.0, 0.01);
}

struct BurstCase {
    const char* type;  // --ppm
    double burstMs;    // length of the 5 kHz burst
    double expected;   // dB relative to the steady tone's reading
};

const BurstCase kBurstCases[] = {
    {"IIb", 100, 0.0}, {"IIb", 10, -2.0}, {"IIb", 0.5, -17.0}, {"IIa", 1.5, -9.0}, {"I", 5, -2.0},
};

// The tone-burst table through --ppm: each type reads a steady 5 kHz tone and its bursts.
TEST(StandardCases, QuasiPeakTypeChosenOnTheCommandLine) {
    constexpr int kRate = 48000;
    constexpr double kAmplitude = 0.5;
    TempDir dir;
    const std::string steady = (dir.path() / "steady.wav").string();
    WriteSound(
        steady, kRate, 1, kRate,
        [](int64_t frame, int) {
            return kAmplitude * std::sin(2.0 * M_PI * 5000.0 * frame / kRate);
        },
        kFloatWav);
    for (const BurstCase& c : kBurstCases) {
        const std::string burst = (dir.path() / "burst.wav").string();
        const auto burstFrames = static_cast<int64_t>(std::lround(c.burstMs * kRate / 1000));
        WriteSound(
            burst, kRate, 1, kRate,
            [&](int64_t frame, int) {
                const int64_t at = frame - kRate / 10;
                if (at < 0 || at >= burstFrames) return 0.0;
                return kAmplitude * std::sin(2.0 * M_PI * 5000.0 * at / kRate);
            },
            kFloatWav);
        const auto entries = Measure({steady, burst}, dir, {"--ppm", c.type});
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1]["quasi_peak_type"].text, c.type);
        const double relative =
            entries[1]["max_quasi_peak_db"].number - entries[0]["max_quasi_peak_db"].number;
        EXPECT_NEAR(relative, c.expected, 0.5) << c.type << " " << c.burstMs << " ms";
    }
}

// What a reader sees: the readings of case 1 in the text report.
TEST(StandardCases, TextReportShowsTheReadings) {
    constexpr int kRate = 48000;
    TempDir dir;
    const std::string file = (dir.path() / "programme.wav").string();
    WriteSound(file, kRate, 2, 20 * kRate, SteppedSine(kRate, {-23}, {20}), kPcm24Wav);
    const ToolRun run = RunTool({file}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(file + ": 48000 Hz, 2 channels, 0:20.000\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Integrated loudness     -23.0 LUFS\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Sample peak max         -23.0 dBFS   L -23.0  R -23.0\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Quasi-peak max (IIb)"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace kestrin::test
