#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "measure/analysis.h"
#include "measure/quasi_peak.h"
#include "measure/true_peak.h"

namespace kestrin {

// The standard meters behind the bars and the over indicator in the IEC and true-peak modes: a
// quasi-peak integrator for each of the four bars (A, B, and M and S formed frame by frame as the
// sample analysis forms them) and a true-peak meter for A and B. Each is built when its mode
// first needs it and again only when the IEC type or the recording rate changes, so that a
// buffer allocates nothing; a meter whose mode was off for a buffer starts afresh, as the signal
// it last saw is gone. While both modes are off nothing here runs.
class StandardPeaks {
  public:
    StandardPeaks();
    ~StandardPeaks();
    StandardPeaks(const StandardPeaks&) = delete;
    StandardPeaks& operator=(const StandardPeaks&) = delete;

    // Whether a buffer is to be measured: a mode is on, or was on for the last buffer (which then
    // only notes that its meters stopped).
    bool Wanted(const TMeterSettings& settings) const {
        return settings.ballistics != kDesignBallistics || settings.TPover || m_quasiPeakRan ||
               m_truePeakRan;
    }

    // Runs the meters the settings' modes call for over one capture block of `frames` 16-bit
    // stereo frames (all of them: the integrators follow the signal without a gap). The true-peak
    // over level is the settings' dBTP text, read with the decimal separator given.
    void Measure(const uint8_t* block, int frames, const TMeterSettings& settings,
                 char decimalSeparator);

    // The quasi-peak reading of each bar, the highest within the last block, as a peak magnitude
    // in sample units (full scale 32768), as the level scale takes it.
    TPeaks QuasiPeaks() const;

    // Whether either channel's true peak within the last block reached the over level (-1.0 dBTP
    // where its text does not parse).
    bool TruePeakOver() const { return m_truePeakOver; }

  private:
    void MeasureQuasiPeak(IecType type, double rate, int frames, bool msix);
    void MeasureTruePeak(double rate, int frames, const std::string& levelText,
                         char decimalSeparator);
    void ReadOverLevel(const std::string& levelText, char decimalSeparator);

    std::unique_ptr<QuasiPeakMeter> m_quasiPeak;  // four channels: A, B, M, S
    double m_quasiPeakRate = 0;                   // Hz the integrators were built for
    bool m_quasiPeakRan = false;                  // they measured the last buffer
    std::unique_ptr<TruePeakMeter> m_truePeak;    // two channels: A, B
    double m_truePeakRate = 0;                    // Hz the true-peak meter was built for
    bool m_truePeakRan = false;                   // it measured the last buffer
    bool m_truePeakOver = false;                  // the last block reached the over level

    std::vector<int16_t> m_stereo;  // the block's samples, A B interleaved
    std::vector<float> m_bars;      // the block as the four bars see it, A B M S, full scale 1.0

    // The over level text as last parsed, and the linear full-scale peak it gave.
    std::string m_levelText;
    char m_levelSeparator = 0;
    bool m_levelParsed = false;
    double m_levelLinear = 0;
};

}  // namespace kestrin
