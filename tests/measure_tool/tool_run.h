#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestrin::test {

// What a run of kestrin-measure left behind.
struct ToolRun {
    int status = -1;  // exit status; -1 when it had to be killed
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the analyser built beside the tests with the given arguments, for at most two minutes
// (a hang is a failure); `scratch` holds its standard error while it runs.
ToolRun RunTool(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);

// A sample of a generated signal: frame index and channel in, value at full scale 1.0 out.
using Signal = std::function<double(int64_t frame, int channel)>;

// Writes `frames` frames of the signal through libsndfile in the given format (SF_FORMAT_...);
// throws std::runtime_error when the file cannot be written.
void WriteSound(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const Signal& signal, int format);

// A 1 kHz sine whose peak level (dBFS) changes at the given times: `levels` per stretch and
// `seconds` per stretch, the same in every channel.
Signal SteppedSine(int rate, std::vector<double> levels, std::vector<double> seconds);

}  // namespace kestrin::test
