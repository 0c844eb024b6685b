// Arbitrary texts through the decay parser. What parses must read back from its decimal form,
// and every decay, taken or refused, must keep a bar within its 1 to 255 pixels whatever height
// it starts from and is given.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "measure/ballistics.h"
#include "measure/level_text.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<int32_t> parsed = kestrin::ParseDecay(text);
    if (parsed) {
        FUZZ_CHECK(kestrin::ParseDecay(std::to_string(*parsed)) == parsed);
    }
    const int32_t decay = parsed.value_or(kestrin::kFallbackDecay);

    // The first bytes, if any, choose where the bar stands and the height it is given.
    int32_t heights[2] = {0, 0};
    std::memcpy(heights, data, std::min(size, sizeof heights));
    kestrin::TBarState bar;
    bar.Level = heights[0];
    for (int buffer = 0; buffer < 3; ++buffer) {
        kestrin::ApplyBallistics(bar, heights[1], decay);
        FUZZ_CHECK(bar.Level >= kestrin::kMinLevel && bar.Level <= kestrin::kMaxLevel);
    }
    return 0;
}
