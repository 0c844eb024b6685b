// The analyser on files it cannot read and on wrong command lines: the exit status, a message
// naming the file and the reason, and the good files beside them still measured.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "tests/measure_tool/json_reader.h"
#include "tests/measure_tool/tool_run.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;

std::string WriteTone(const fs::path& path, int channels, int rate, int format) {
    WriteSound(path, rate, channels, rate, SteppedSine(rate, {-20}, {1}), format);
    return path.string();
}

// The first `keep` bytes of a good file of the given format.
std::string Cut(const fs::path& dir, const std::string& name, int format, double keep) {
    const fs::path whole = dir / ("whole_" + name);
    WriteTone(whole, 2, kRate, format);
    const auto bytes = static_cast<uintmax_t>(keep < 1 ? keep * fs::file_size(whole) : keep);
    fs::copy_file(whole, dir / name);
    fs::resize_file(dir / name, bytes);
    return (dir / name).string();
}

std::string Bytes(const fs::path& path, size_t count) {
    std::mt19937 random(23);
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < count; ++i) out.put(static_cast<char>(random()));
    return path.string();
}

struct DamagedCase {
    const char* name;
    std::function<std::string(const fs::path& dir)> make;  // writes the file, returns its path
    const char* reason;                                    // what the message must say
};

const DamagedCase kDamagedCases[] = {
    {"missing", [](const fs::path& d) { return (d / "absent.wav").string(); }, "not found"},
    {"folder",
     [](const fs::path& d) {
         fs::create_directory(d / "takes.wav");
         return (d / "takes.wav").string();
     },
     "is a folder"},
    {"zero_length", [](const fs::path& d) { return Bytes(d / "empty.wav", 0); }, "not audio"},
    {"random_bytes", [](const fs::path& d) { return Bytes(d / "noise.wav", 65536); }, "not audio"},
    {"truncated_wav",
     [](const fs::path& d) { return Cut(d, "cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.6); },
     "truncated"},
    {"truncated_aiff",
     [](const fs::path& d) { return Cut(d, "cut.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 0.6); },
     "truncated"},
    {"truncated_flac",
     [](const fs::path& d) { return Cut(d, "cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0.5); },
     "truncated"},
    {"header_cut",
     [](const fs::path& d) { return Cut(d, "head.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 30); },
     "damaged"},
    {"three_channels",
     [](const fs::path& d) {
         return WriteTone(d / "three.wav", 3, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
     },
     "unsupported: 3 channels"},
    {"rate_too_low",
     [](const fs::path& d) {
         return WriteTone(d / "slow.wav", 1, 4000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
     },
     "unsupported: sample rate 4000 Hz"},
};

void PrintTo(const DamagedCase& c, std::ostream* out) { *out << c.name; }

class DamagedInput : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedInput, NamedOnStandardErrorWhileTheOthersAreMeasured) {
    TempDir dir;
    const std::string good =
        WriteTone(dir.path() / "good.wav", 2, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string bad = GetParam().make(dir.path());
    const ToolRun run = RunTool({"--json", good, bad, good}, dir.path());

    EXPECT_EQ(run.status, 1);
    const std::string prefix = "kestrin-measure: " + bad + ": ";
    EXPECT_EQ(run.err.rfind(prefix, 0), 0u) << run.err;
    EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

    const auto parsed = ParseJson(run.out);
    ASSERT_TRUE(parsed) << run.out;
    ASSERT_EQ(parsed->items.size(), 3u);
    EXPECT_EQ(parsed->items[1]["file"].text, bad);
    EXPECT_NE(parsed->items[1]["error"].text.find(GetParam().reason), std::string::npos);
    EXPECT_EQ(parsed->items[1].members.count("integrated_lufs"), 0u);
    for (const size_t i : {0, 2}) {
        EXPECT_NEAR(parsed->items[i]["sample_peak_dbfs"].number, -20.0, 0.01);
        EXPECT_NEAR(parsed->items[i]["integrated_lufs"].number, -20.0, 0.1);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedInput, testing::ValuesIn(kDamagedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A float file with a sample that is not a number and one absurdly large: both are counted and
// measured as silence, and the readings around them stay those of the tone.
TEST(DamagedSamples, ReadAsSilenceAndCounted) {
    TempDir dir;
    const std::string file = (dir.path() / "spoilt.wav").string();
    const Signal tone = SteppedSine(kRate, {-20}, {1});
    WriteSound(
        file, kRate, 2, kRate,
        [&](int64_t frame, int channel) {
            if (frame == 1000 && channel == 0) return std::nan("");
            if (frame == 2000 && channel == 1) return 1e30;
            return tone(frame, channel);
        },
        SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const ToolRun run = RunTool({"--json", file}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto parsed = ParseJson(run.out);
    ASSERT_TRUE(parsed && parsed->items.size() == 1) << run.out;
    const JsonValue& entry = parsed->items[0];
    EXPECT_EQ(entry["damaged_samples"].number, 2);
    EXPECT_NEAR(entry["sample_peak_dbfs"].number, -20.0, 0.01);
    EXPECT_NEAR(entry["integrated_lufs"].number, -20.0, 0.1);
}

struct WrongArguments {
    const char* name;
    std::vector<std::string> arguments;  // "FILE" stands for a good file
    const char* reason;
};

const WrongArguments kWrongArguments[] = {
    {"nothing", {}, "no file given"},
    {"unknown_type", {"--ppm", "IIc", "FILE"}, "unknown quasi-peak type 'IIc'"},
    {"type_missing", {"FILE", "--ppm"}, "--ppm needs a type"},
    {"unknown_option", {"--loud", "FILE"}, "unknown option '--loud'"},
    {"no_jobs", {"--jobs=0", "FILE"}, "--jobs needs a whole number"},
};

void PrintTo(const WrongArguments& c, std::ostream* out) { *out << c.name; }

class WrongCommandLine : public testing::TestWithParam<WrongArguments> {};

TEST_P(WrongCommandLine, ExitsWithUsageAndMeasuresNothing) {
    TempDir dir;
    const std::string good =
        WriteTone(dir.path() / "good.wav", 1, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& argument : arguments) {
        if (argument == "FILE") argument = good;
    }
    const ToolRun run = RunTool(arguments, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: kestrin-measure"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Arguments, WrongCommandLine, testing::ValuesIn(kWrongArguments),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrin::test
