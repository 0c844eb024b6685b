#include "tests/wine/sample_pattern.h"

#include <cstdio>
#include <vector>

namespace kestrin::wine_test {

bool WritePatternFile(const std::string& path, uint32_t first, uint32_t frames) {
    std::vector<unsigned char> bytes(static_cast<size_t>(frames) * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const StreamFrame frame = PatternFrame(first + i);
        const auto a = static_cast<uint16_t>(frame.a);
        const auto b = static_cast<uint16_t>(frame.b);
        unsigned char* at = &bytes[static_cast<size_t>(i) * 4];
        at[0] = static_cast<unsigned char>(a & 0xFF);
        at[1] = static_cast<unsigned char>(a >> 8);
        at[2] = static_cast<unsigned char>(b & 0xFF);
        at[3] = static_cast<unsigned char>(b >> 8);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace kestrin::wine_test
