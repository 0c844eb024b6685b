#include "tests/measure_tool/tool_run.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/child_process.h"

namespace kestrin::test {

ToolRun RunTool(const std::vector<std::string>& arguments, const std::filesystem::path& scratch) {
    const std::filesystem::path errPath = scratch / "stderr.txt";
    // The shell only sends standard error to its own file, so the two streams stay apart.
    std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$TOOL_STDERR\"",
                                     KESTRIN_MEASURE_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ToolRun run;
    run.status = RunProgram(argv, EnvironmentWith({"TOOL_STDERR=" + errPath.string()}),
                            std::chrono::minutes(2), &run.out);
    std::ifstream err(errPath);
    std::ostringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

void WriteSound(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const Signal& signal, int format) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
    std::vector<double> block;
    constexpr int64_t kBlockFrames = 8192;
    for (int64_t start = 0; start < frames; start += kBlockFrames) {
        const int64_t count = std::min(kBlockFrames, frames - start);
        block.resize(static_cast<size_t>(count * channels));
        for (int64_t f = 0; f < count; ++f) {
            for (int c = 0; c < channels; ++c) block[f * channels + c] = signal(start + f, c);
        }
        sf_writef_double(file, block.data(), count);
    }
    sf_close(file);
}

Signal SteppedSine(int rate, std::vector<double> levels, std::vector<double> seconds) {
    return [=](int64_t frame, int) {
        const double t = static_cast<double>(frame) / rate;
        double end = 0;
        double level = levels.back();
        for (size_t i = 0; i < seconds.size(); ++i) {
            end += seconds[i];
            if (t < end) {
                level = levels[i];
                break;
            }
        }
        return std::pow(10.0, level / 20.0) * std::sin(2.0 * M_PI * 1000.0 * t);
    };
}

}  // namespace kestrin::test
