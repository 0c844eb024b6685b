#include "app/measure/options.h"

#include <charconv>

namespace kestrin::tool {

const char* const kUsage = "usage: kestrin-measure [--json] [--ppm I|IIa|IIb] [--jobs N] FILE...";

const char* const kHelp =
    "Measures sound files: loudness, true peak, sample peak and the highest quasi-peak reading.\n"
    "\n"
    "  --ppm I|IIa|IIb  quasi-peak meter type: I (DIN, 5 ms), IIa (BBC) or IIb (EBU, the\n"
    "                   default), both 10 ms\n"
    "  --json           print one JSON array, an object per file, instead of text\n"
    "  --jobs N         analyse at most N files at once (default: one per processor core)\n"
    "  --help           print this help\n"
    "\n"
    "Reads what libsndfile reads (WAV, FLAC, AIFF, Ogg, ...): 1, 2 or 6 channels (5.1 as\n"
    "L R C LFE Ls Rs), 8 to 192 kHz. Exit status: 0 when every file was read, 1 when one could\n"
    "not be, 2 for a wrong command line.\n";

namespace {

std::optional<IecType> ParseType(const std::string& text) {
    if (text == "I") return IecType::TypeI;
    if (text == "IIa") return IecType::TypeIIa;
    if (text == "IIb") return IecType::TypeIIb;
    return std::nullopt;
}

std::optional<unsigned> ParseJobs(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value == 0 || value > 1024) return std::nullopt;
    return value;
}

// "--name=value" or "--name value": the value, advancing `at` past it when it was separate.
std::optional<std::string> ValueOf(const std::vector<std::string>& arguments, size_t& at,
                                   const std::string& name) {
    const std::string& argument = arguments[at];
    if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
        argument[name.size()] == '=') {
        return argument.substr(name.size() + 1);
    }
    if (argument != name || at + 1 >= arguments.size()) return std::nullopt;
    return arguments[++at];
}

bool Names(const std::string& argument, const std::string& name) {
    return argument == name || argument.rfind(name + "=", 0) == 0;
}

}  // namespace

const char* IecTypeName(IecType type) {
    switch (type) {
        case IecType::TypeI:
            return "I";
        case IecType::TypeIIa:
            return "IIa";
        case IecType::TypeIIb:
            return "IIb";
    }
    return "?";
}

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    Options options;
    bool onlyFiles = false;
    for (size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (onlyFiles || argument.empty() || argument[0] != '-' || argument == "-") {
            options.files.push_back(argument);
        } else if (argument == "--") {
            onlyFiles = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (Names(argument, "--ppm")) {
            const auto value = ValueOf(arguments, at, "--ppm");
            if (!value) return {std::nullopt, "--ppm needs a type: I, IIa or IIb"};
            const auto type = ParseType(*value);
            if (!type) return {std::nullopt, "unknown quasi-peak type '" + *value + "'"};
            options.ppm = *type;
        } else if (Names(argument, "--jobs") || argument == "-j") {
            const auto value = ValueOf(arguments, at, argument == "-j" ? "-j" : "--jobs");
            const auto jobs = value ? ParseJobs(*value) : std::nullopt;
            if (!jobs) return {std::nullopt, "--jobs needs a whole number from 1 to 1024"};
            options.jobs = *jobs;
        } else {
            return {std::nullopt, "unknown option '" + argument + "'"};
        }
    }
    if (!options.help && options.files.empty()) return {std::nullopt, "no file given"};
    return {options, {}};
}

}  // namespace kestrin::tool
