#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "app/measure/file_measures.h"

namespace kestrin::tool {

class SoundFile;

// Counts shared with the progress line, in frames, summed over the files being analysed.
struct Progress {
    std::atomic<int64_t> announced{0};  // frames the opened files' headers announce
    std::atomic<int64_t> read{0};       // frames measured so far
};

// Measures a file from its first frame to its last. Returns nullopt when it could not be read
// to its end, with the reason in `why`; never reads more than the header announces. With
// `truePeakBeside`, the true-peak meter (the costliest) runs on a second thread beside the
// others, for a processor core that would otherwise stand idle.
std::optional<FileMeasures> Measure(SoundFile& file, IecType ppm, Progress* progress,
                                    std::string& why, bool truePeakBeside = false);

// Opens and measures the file at `path`.
FileOutcome AnalyseFile(const std::string& path, IecType ppm, Progress* progress,
                        bool truePeakBeside);

}  // namespace kestrin::tool
