// Arbitrary bytes as a sound file through the analyser's reading and measuring, as
// kestrin-measure runs them on a file: it must refuse or measure, never crash or overrun, and a
// file it measures gives readings in their ranges.
#include <cmath>
#include <cstdint>
#include <string>

#include "app/measure/file_analysis.h"
#include "app/measure/sound_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// A header may announce hours of audio that a few bytes of a compressed format really hold;
// that is a long file, not a fault, so the fuzzer leaves such inputs after opening them.
constexpr int64_t kMostFrames = 1 << 20;

bool AtMost(double level, double highest) { return std::isnan(level) ? false : level <= highest; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrin::tool;
    std::string why;
    auto file = SoundFile::OpenBytes(data, size, why);
    if (!file) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(file->rate() >= kMinRate && file->rate() <= kMaxRate);
    if (file->frames() > kMostFrames) return 0;
    const auto measures = Measure(*file, kestrin::IecType::TypeI, nullptr, why);
    if (!measures) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(measures->frames == file->frames());
    // Samples of integer formats stay within full scale; float formats may hold anything finite.
    for (const double peak : measures->samplePeak) FUZZ_CHECK(!std::isnan(peak));
    for (const double peak : measures->truePeak) FUZZ_CHECK(!std::isnan(peak));
    FUZZ_CHECK(!std::isnan(measures->integrated) && !std::isnan(measures->maxMomentary));
    FUZZ_CHECK(AtMost(measures->range, 1000.0) || std::isinf(measures->range));
    return 0;
}
