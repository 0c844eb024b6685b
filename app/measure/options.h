#pragma once

#include <optional>
#include <string>
#include <vector>

#include "measure/quasi_peak.h"

namespace kestrin::tool {

// What the command line asks of the analyser.
struct Options {
    std::vector<std::string> files;  // in the order given, repeats kept
    IecType ppm = IecType::TypeIIb;  // the quasi-peak integrator whose highest reading is shown
    bool json = false;               // one JSON array on standard output instead of text
    unsigned jobs = 0;               // files analysed at once; 0: one per core
    bool help = false;               // --help: print the help and do nothing else
};

// The command line read, or the reason it cannot be (to be printed with the usage line).
struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// The name of a quasi-peak type as the user writes it: "I", "IIa", "IIb".
const char* IecTypeName(IecType type);

extern const char* const kUsage;
extern const char* const kHelp;

}  // namespace kestrin::tool
