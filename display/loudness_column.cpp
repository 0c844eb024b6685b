#include "display/loudness_column.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "measure/level_text.h"
#include "measure/loudness.h"
#include "measure/true_peak.h"

namespace kestrin {
namespace {

constexpr double kDefaultTarget = -23.0;    // LUFS
constexpr double kFullScalePeak = 32768.0;  // sample units of a 0 dBFS sine's peak
constexpr double kLargestPeak = 1e9;        // far above the scale's top, within an int32
constexpr int kBuffersPerTexts = 20;        // about half a second
constexpr int kBuffersPerColumn = 4;        // about 100 ms, as loudness meters refresh
constexpr int kBuffersPerRange = 40;        // about a second
constexpr int kChannels = 2;
constexpr std::size_t kTruePeakSettlingFrames = 16;  // longer than the interpolator's window

// One decimal, in the desktop's separator, whatever the process locale; "--" where there is no
// value. A value that rounds to zero reads "0.0", never "-0.0".
std::string Reading(const char* name, double value, const char* unit, char separator) {
    char number[32] = "--";
    if (std::isfinite(value)) {
        const double tenths = std::nearbyint(value * 10.0) / 10.0;
        char* end = std::to_chars(number, number + sizeof number - 1, tenths == 0.0 ? 0.0 : tenths,
                                  std::chars_format::fixed, 1)
                        .ptr;
        *end = '\0';
        if (char* point = std::strchr(number, '.')) {
            *point = separator;
        }
    }
    return std::string(name) + ' ' + number + ' ' + unit;
}

}  // namespace

PixelRect LoudnessPanelRect(int baseline) {
    const PixelRect design = PanelRect(baseline);
    return {design.left + design.width, design.top, kLoudnessColumnPitch, design.height};
}

int32_t LevelToHeight(const TLevelTable& table, double level, double scaleDivisor) {
    if (!(level > -HUGE_VAL)) {
        return 0;
    }
    const double peak = std::min(kFullScalePeak * std::pow(10.0, level / 20.0), kLargestPeak);
    return PeakToHeight(table, static_cast<int32_t>(std::lround(peak)), scaleDivisor, false);
}

LoudnessColumn::LoudnessColumn() = default;
LoudnessColumn::~LoudnessColumn() = default;

void LoudnessColumn::Measure(const int16_t* frames, std::size_t count, uint32_t rate) {
    if (rate != m_rate || !m_loudness) {
        // Another input: what was measured on the last one does not carry over.
        m_rate = rate;
        m_loudness = std::make_unique<LoudnessMeter>(static_cast<double>(rate), kChannels);
        m_truePeak = std::make_unique<TruePeakMeter>(static_cast<double>(rate), kChannels);
        m_truePeakMax = 0.0;
        m_truePeakFresh = true;
        ApplyRun();
    }
    m_loudness->Process(frames, count);
    ++m_buffersSinceTexts;
    ++m_buffersSinceColumn;
    ++m_buffersSinceRange;
    if (m_run != LoudnessRun::Running) {
        m_truePeakFresh = true;  // the true peak counts only while the measurement runs
        return;
    }
    // Where the capture starts, or the measurement goes on after a pause, the interpolator would
    // take the signal for a step from what it last heard and read its ringing as a peak (a
    // steady tone 1 dB high): its first frames then only fill its history.
    const std::size_t settling = m_truePeakFresh ? std::min(count, kTruePeakSettlingFrames) : 0;
    if (settling != 0) {
        m_truePeak->ProcessFrom(frames, settling, HUGE_VAL);
    }
    // Only a block that may read above the highest so far need be worked out.
    m_truePeak->ProcessFrom(frames + settling * kChannels, count - settling, m_truePeakMax);
    m_truePeakMax = std::max(m_truePeakMax, m_truePeak->BlockMaxLinear());
    m_truePeakFresh = false;
}

double LoudnessColumn::Momentary() const {
    return m_loudness ? m_loudness->Momentary() : kNoLoudness;
}
double LoudnessColumn::ShortTerm() const {
    return m_loudness ? m_loudness->ShortTerm() : kNoLoudness;
}
double LoudnessColumn::Integrated() const {
    return m_loudness ? m_loudness->Integrated() : kNoLoudness;
}
double LoudnessColumn::Range() {
    if (m_rangeStale || m_buffersSinceRange >= kBuffersPerRange) {
        m_range = m_loudness ? m_loudness->Range() : kNoLoudness;
        m_rangeStale = false;
        m_buffersSinceRange = 0;
    }
    return m_range;
}
double LoudnessColumn::TruePeak() const { return LinearToDb(m_truePeakMax); }

void LoudnessColumn::RunButton() {
    switch (m_run) {
        case LoudnessRun::Running:
            m_run = LoudnessRun::Paused;
            if (m_loudness) m_loudness->Pause();
            break;
        case LoudnessRun::Paused:
            m_run = LoudnessRun::Running;
            if (m_loudness) m_loudness->Continue();
            break;
        case LoudnessRun::Stopped:
            Restart();
            break;
    }
}

void LoudnessColumn::Reset() {
    m_run = LoudnessRun::Stopped;
    m_truePeakMax = 0.0;
    ApplyRun();
}

void LoudnessColumn::Restart() {
    m_run = LoudnessRun::Running;
    m_truePeakMax = 0.0;
    ApplyRun();
}

// The meter's measurement cleared and, unless it runs, not taking blocks; a pause keeps what it
// has.
void LoudnessColumn::ApplyRun() {
    m_rangeStale = true;
    if (!m_loudness || m_run == LoudnessRun::Paused) {
        if (m_loudness) m_loudness->Pause();
        return;
    }
    m_loudness->Start();
    if (m_run == LoudnessRun::Stopped) {
        m_loudness->Pause();
    }
}

double LoudnessColumn::Target(const std::string& text, char separator) {
    if (!m_targetRead || text != m_targetText || separator != m_targetSeparator) {
        m_targetRead = true;
        m_targetText = text;
        m_targetSeparator = separator;
        m_target = ParseCalibration(text, separator).value_or(kDefaultTarget);
    }
    return m_target;
}

bool LoudnessColumn::ColumnDue() {
    if (m_buffersSinceColumn < kBuffersPerColumn) {
        return false;
    }
    m_buffersSinceColumn = 0;
    return true;
}

bool LoudnessColumn::TextsDue() {
    if (m_buffersSinceTexts < kBuffersPerTexts) {
        return false;
    }
    m_buffersSinceTexts = 0;
    return true;
}

std::string IntegratedText(double lufs, char separator) {
    return Reading("I", lufs, "LUFS", separator);
}
std::string RangeText(double lu, char separator) { return Reading("LRA", lu, "LU", separator); }
std::string TruePeakText(double dbtp, char separator) {
    return Reading("TP", dbtp, "dBTP", separator);
}

const char* RunText(LoudnessRun run) {
    switch (run) {
        case LoudnessRun::Running:
            return "running";
        case LoudnessRun::Paused:
            return "paused";
        case LoudnessRun::Stopped:
            break;
    }
    return "stopped";
}

const char* RunButtonText(LoudnessRun run) {
    switch (run) {
        case LoudnessRun::Running:
            return "Pause";
        case LoudnessRun::Paused:
            return "Continue";
        case LoudnessRun::Stopped:
            break;
    }
    return "Start";
}

}  // namespace kestrin
