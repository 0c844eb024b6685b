#include "app/measure/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/measure/options.h"

namespace kestrin::tool {

namespace {

const char* ChannelName(int channels, size_t index) {
    static const char* const kStereo[] = {"L", "R"};
    static const char* const kSurround[] = {"L", "R", "C", "LFE", "Ls", "Rs"};
    if (channels == 1) return "mono";
    return channels == 2 ? kStereo[index] : kSurround[index];
}

std::string Level(double value) {
    if (!std::isfinite(value)) return value < 0 ? "-inf" : "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

double Highest(const std::vector<double>& values) {
    double highest = -INFINITY;
    for (const double value : values) highest = std::max(highest, value);
    return highest;
}

std::string Duration(int64_t frames, int rate) {
    const double seconds = static_cast<double>(frames) / rate;
    const long minutes = static_cast<long>(seconds / 60);
    char text[48];
    std::snprintf(text, sizeof text, "%ld:%06.3f", minutes, seconds - 60.0 * minutes);
    return text;
}

// A line of the text report: caption, value and unit in columns, then anything after.
std::string Row(const char* caption, double value, const char* unit, const std::string& rest = {}) {
    char text[96];
    std::snprintf(text, sizeof text, "  %-22s %6s %-5s", caption, Level(value).c_str(), unit);
    std::string row = text;
    if (!rest.empty()) row += "  " + rest;
    while (!row.empty() && row.back() == ' ') row.pop_back();
    return row + "\n";
}

std::string PerChannel(const std::vector<double>& values, int channels) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += "  ";
        text += std::string(ChannelName(channels, i)) + " " + Level(values[i]);
    }
    return text;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string JsonArray(const std::vector<double>& values) {
    std::string text = "[";
    for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + Number(values[i]);
    return text + "]";
}

}  // namespace

std::string TextReport(const std::string& path, const FileMeasures& m) {
    std::string text = path + ": " + std::to_string(m.rate) + " Hz, " + std::to_string(m.channels) +
                       (m.channels == 1 ? " channel, " : " channels, ") +
                       Duration(m.frames, m.rate) + "\n";
    text += Row("Integrated loudness", m.integrated, "LUFS");
    text += Row("Loudness range", m.range, "LU");
    text += Row("Momentary max", m.maxMomentary, "LUFS");
    text += Row("Short-term max", m.maxShortTerm, "LUFS");
    text += Row("True peak max", Highest(m.truePeak), "dBTP", PerChannel(m.truePeak, m.channels));
    text +=
        Row("Sample peak max", Highest(m.samplePeak), "dBFS", PerChannel(m.samplePeak, m.channels));
    const std::string caption = std::string("Quasi-peak max (") + IecTypeName(m.ppm) + ")";
    text += Row(caption.c_str(), m.maxQuasiPeak, "dB");
    if (m.damaged > 0) {
        text += "  (" + std::to_string(m.damaged) +
                " samples not numbers or beyond 80 dB over full scale, read as silence)\n";
    }
    return text + "\n";
}

std::string JsonEntry(const FileOutcome& outcome) {
    std::string text = "{\"file\": " + JsonString(outcome.path);
    if (!outcome.measures) return text + ", \"error\": " + JsonString(outcome.error) + "}";
    const FileMeasures& m = *outcome.measures;
    text += ", \"sample_rate\": " + std::to_string(m.rate);
    text += ", \"channels\": " + std::to_string(m.channels);
    text += ", \"frames\": " + std::to_string(m.frames);
    text += ", \"integrated_lufs\": " + Number(m.integrated);
    text += ", \"loudness_range_lu\": " + Number(m.range);
    text += ", \"max_momentary_lufs\": " + Number(m.maxMomentary);
    text += ", \"max_short_term_lufs\": " + Number(m.maxShortTerm);
    text += ", \"true_peak_dbtp\": " + Number(Highest(m.truePeak));
    text += ", \"true_peak_per_channel_dbtp\": " + JsonArray(m.truePeak);
    text += ", \"sample_peak_dbfs\": " + Number(Highest(m.samplePeak));
    text += ", \"sample_peak_per_channel_dbfs\": " + JsonArray(m.samplePeak);
    text += ", \"quasi_peak_type\": " + JsonString(IecTypeName(m.ppm));
    text += ", \"max_quasi_peak_db\": " + Number(m.maxQuasiPeak);
    text += ", \"damaged_samples\": " + std::to_string(m.damaged);
    return text + "}";
}

std::string ErrorLine(const FileOutcome& outcome) {
    return "kestrin-measure: " + outcome.path + ": " + outcome.error + "\n";
}

}  // namespace kestrin::tool
