#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "measure/quasi_peak.h"

namespace kestrin::tool {

// Everything the analyser reports of one file. Levels with nothing to measure (silence, a file
// too short for a window) are minus infinity.
struct FileMeasures {
    int rate = 0;  // Hz
    int channels = 0;
    int64_t frames = 0;              // frames measured
    double integrated = 0;           // LUFS, gated
    double range = 0;                // LU
    double maxMomentary = 0;         // LUFS, 400 ms window
    double maxShortTerm = 0;         // LUFS, 3 s window
    std::vector<double> truePeak;    // dBTP per channel
    std::vector<double> samplePeak;  // dBFS per channel
    IecType ppm = IecType::TypeIIb;  // the quasi-peak type measured
    double maxQuasiPeak = 0;         // dB, the highest reading of that meter (0 dB: full scale)
    int64_t damaged = 0;             // samples not numbers, infinite or over 80 dBFS: silence
};

// What became of one file named on the command line.
struct FileOutcome {
    std::string path;
    std::optional<FileMeasures> measures;  // when the file was read whole
    std::string error;                     // why not, otherwise
};

}  // namespace kestrin::tool
