#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "display/bar_geometry.h"
#include "measure/scale.h"

namespace kestrin {

class LoudnessMeter;
class TruePeakMeter;

// The loudness column: one more tick column and bar, as M's and S's are, right of the bars the
// window shows (after S in the wide window, where M would stand in the narrow one), and a strip
// below the design's controls with the readings of the measurement and its two buttons.
constexpr int kLoudnessColumnPitch = 26;  // a tick column and a bar, in pixels
constexpr int kLoudnessStripHeight = 84;  // pixels the window grows by below
// The surface a toolkit keeps covers the widest window with the strip.

constexpr int32_t kLoudnessBarColour = 0xFFFF00;    // cyan, 0x00BBGGRR
constexpr int32_t kShortTermLineColour = 0xFFFFFF;  // white, apart from the held peaks' yellow

// Left edges of the column's bar and its ticks, for the M/S choice.
constexpr int LoudnessBarX(bool showMS) { return showMS ? kBarSX + kLoudnessColumnPitch : kBarMX; }
constexpr int LoudnessTickX(bool showMS) { return LoudnessBarX(showMS) - 6; }
// The client size for the M/S choice, with or without the column and its strip.
constexpr int MeterClientWidth(bool showMS, bool loudness) {
    return (showMS ? kWideClientWidth : kNarrowClientWidth) + (loudness ? kLoudnessColumnPitch : 0);
}
constexpr int MeterClientHeight(bool loudness) {
    return kClientHeight + (loudness ? kLoudnessStripHeight : 0);
}
// The surface a toolkit keeps covers the window as laid out and the widest window with the strip.
constexpr int kSurfaceWidth = MeterClientWidth(true, true);
constexpr int kSurfaceHeight = MeterClientHeight(true);
static_assert(kSurfaceWidth >= kDesignedClientWidth);
// The panel's part right of the design's, behind the column of the wide window.
PixelRect LoudnessPanelRect(int baseline);

// The bar height a sine would read on the meter's scale whose peak stands at `level` dB relative
// to full scale (height 0 for silence): the loudness column shows (loudness - target +
// calibration) so that a programme at the target stands at mark 4.
int32_t LevelToHeight(const TLevelTable& table, double level, double scaleDivisor);

// Whether the integrated measurement takes in what is heard.
enum class LoudnessRun { Running, Paused, Stopped };

// The readings of the loudness column: momentary and short-term loudness, and the measurement
// (integrated loudness, loudness range, the highest true peak) that the operator starts, pauses,
// continues and resets. It measures the two channels of the meter's 16-bit buffers at the rate
// they were recorded at; meters are built for a rate when the first buffer at it comes, so a
// buffer allocates nothing.
class LoudnessColumn {
  public:
    LoudnessColumn();
    ~LoudnessColumn();
    LoudnessColumn(const LoudnessColumn&) = delete;
    LoudnessColumn& operator=(const LoudnessColumn&) = delete;

    // Stereo frames of one buffer recorded at `rate` frames per second.
    void Measure(const int16_t* frames, std::size_t count, uint32_t rate);

    // In LUFS; -HUGE_VAL for silence and before anything was heard.
    double Momentary() const;
    double ShortTerm() const;
    double Integrated() const;
    // In LU; -HUGE_VAL while there is none. It takes a new value once a second, so it is worked
    // out again about as often.
    double Range();
    // The highest true peak the measurement heard, in dBTP; -HUGE_VAL while none.
    double TruePeak() const;

    LoudnessRun Run() const { return m_run; }
    // Start (cleared) while stopped, Pause while running, Continue while paused.
    void RunButton();
    // Clears the readings and stops the measurement.
    void Reset();
    // Cleared and running, as when the column is switched on.
    void Restart();

    // The target in LUFS for its text, -23 where the text does not parse.
    double Target(const std::string& text, char separator);

    // Whether the column is to be drawn anew (every ~100 ms: the momentary window moves slowly,
    // and a loudness meter refreshes at 10 Hz), and the strip's texts (every ~half second).
    bool ColumnDue();
    bool TextsDue();

  private:
    void ApplyRun();

    uint32_t m_rate = 0;  // frames per second the meters were built for; 0 before any
    std::unique_ptr<LoudnessMeter> m_loudness;
    std::unique_ptr<TruePeakMeter> m_truePeak;
    double m_truePeakMax = 0.0;  // highest true peak while running, linear full scale
    LoudnessRun m_run = LoudnessRun::Running;
    int m_buffersSinceTexts = 0;   // buffers measured since the texts were last due
    int m_buffersSinceColumn = 0;  // buffers measured since the column was last due
    bool m_truePeakFresh = true;   // the true-peak meter's history is not the signal's just before
    double m_range = 0.0;          // LU, as Range() last worked it out
    bool m_rangeStale = true;      // m_range is not the measurement's any more
    int m_buffersSinceRange = 0;   // buffers measured since m_range was worked out
    bool m_targetRead = false;     // m_target is for m_targetText and m_targetSeparator
    std::string m_targetText;
    char m_targetSeparator = '.';
    double m_target = -23.0;  // LUFS
};

// The strip's texts.
std::string IntegratedText(double lufs, char separator);  // "I -23.0 LUFS", "I -- LUFS"
std::string RangeText(double lu, char separator);         // "LRA 5.0 LU"
std::string TruePeakText(double dbtp, char separator);    // "TP -1.2 dBTP"
const char* RunText(LoudnessRun run);                     // "running", "paused", "stopped"
const char* RunButtonText(LoudnessRun run);               // "Pause", "Continue", "Start"

}  // namespace kestrin
