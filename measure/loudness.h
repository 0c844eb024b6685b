#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/true_peak.h"

namespace kestrin {

// The loudness a silent window, or a measurement with nothing gated in, reads: -HUGE_VAL.
extern const double kNoLoudness;

// Loudness as broadcasters measure it, per block of interleaved frames: each channel K-weighted
// (two biquads worked out for the running rate), squared and weighted by its place (1 for left,
// right and centre, 1.41 for the surrounds, the LFE left out), summed in steps of 10 ms (the
// nearest whole number of frames). Every step gives a new momentary (last 400 ms) and short-term
// (last 3 s) loudness; before 400 ms or 3 s have been heard the windows count the missing time as
// silence. Integrated loudness takes a 400 ms block every 100 ms with the absolute (-70 LUFS)
// and relative (-10 LU) gates; loudness range takes a short-term value every second with the
// absolute and relative (-20 LU) gates and reads the 95th minus the 10th percentile (the values
// of those ranks, rounded to the nearest). Both keep their blocks in fixed histograms of 0.01 LU
// bins from -70 to +5 LUFS (louder blocks count in the top bin) that also sum the blocks' power,
// so the gated means are exact and only the gates and the percentiles are resolved to 0.01 LU.
// Channel layouts: 1 mono, 2 L R, 3 L R C, 4 L R Ls Rs, 5 L R C Ls Rs, 6 L R C LFE Ls Rs.
class LoudnessMeter {
  public:
    // sampleRate in Hz (8000 to 192000), channels 1 to kMaxMeterChannels (else throws
    // std::invalid_argument); allocates all it needs. The measurement of integrated loudness and
    // range runs from the start.
    LoudnessMeter(double sampleRate, int channels);

    // Takes one block of interleaved frames, any length (0 included).
    void Process(const float* interleaved, size_t frames);
    void Process(const int16_t* interleaved, size_t frames);

    // Loudness of the last complete 10 ms step's windows, in LUFS (kNoLoudness for silence).
    double Momentary() const;
    double ShortTerm() const;
    // The highest momentary and short-term loudness of the steps whose windows the measurement
    // heard wholly (a fresh meter's windows count as filled with silence).
    double MaxMomentary() const;
    double MaxShortTerm() const;
    // Gated integrated loudness in LUFS and loudness range in LU of what the measurement took
    // in; kNoLoudness while no block has passed the gates.
    double Integrated() const;
    double Range() const;

    // Start clears the measurement (integrated, range and both maxima) and runs it; Pause stops
    // it taking blocks, Continue lets it take them again once a whole new block has been heard.
    // Momentary and short-term loudness keep following the signal throughout.
    void Start();
    void Pause();
    void Continue();
    bool Running() const { return m_running; }
    // Back to the state of construction: signal history, readings and measurement (running).
    void Reset();

    // One K-weighting stage's coefficients at the running rate (a0 = 1).
    struct Biquad {
        double B0, B1, B2, A1, A2;
    };
    Biquad ShelfCoefficients() const;
    Biquad HighPassCoefficients() const;

    int Channels() const { return m_channels; }
    // Frames in one 10 ms step at the running rate.
    size_t StepFrames() const { return m_stepFrames; }

  private:
    static constexpr int kMomentarySteps = 40;   // steps in the 400 ms momentary window
    static constexpr int kShortTermSteps = 300;  // steps in the 3 s short-term window
    static constexpr int kBlockHopSteps = 10;    // steps between gating blocks (100 ms)
    static constexpr int kRangeHopSteps = 100;   // steps between short-term values for the range
    static constexpr int kHistogramBins = 7500;  // 0.01 LU bins from -70 to +5 LUFS

    // Blocks gated in, kept as counts and summed mean-square powers per loudness bin.
    struct Histogram {
        std::vector<uint64_t> Count;  // blocks per bin
        std::vector<double> Power;    // summed weighted mean-square power of those blocks
        uint64_t Total = 0;           // blocks in all bins
        void Clear();
        void Add(double power);
        double GatedMeanPower(double gateLoudness) const;
    };

    template <typename Sample>
    void ProcessBlock(const Sample* interleaved, size_t frames, float scale);
    template <int Lanes, typename Sample>
    void Weigh(const Sample* interleaved, size_t frames, float scale, size_t first);
    void FinishStep();
    void ClearMeasurement();

    int m_channels;                             // channels in an interleaved frame
    size_t m_stepFrames;                        // frames in one 10 ms step
    Biquad m_shelf;                             // the K-weighting's high-shelf stage
    Biquad m_highPass;                          // the K-weighting's high-pass stage
    double m_weight[kMaxMeterChannels] = {};    // channel weight (0 for the LFE)
    double m_state[kMaxMeterChannels][6] = {};  // per channel, the last two inputs and
                                                // outputs of the shelf, then the last two
                                                // outputs of the high-pass (full scale)
    double m_stepSum = 0.0;  // weighted sum of squares over the current step so far
    size_t m_stepFill = 0;   // frames of the current step heard so far
    std::array<double, kShortTermSteps> m_steps{};  // ring of the last steps' weighted
                                                    // mean-square powers
    int m_stepPos = 0;                              // ring index the next finished step goes to
    double m_momentarySum = 0.0;                    // sum of the last kMomentarySteps ring entries
    double m_shortTermSum = 0.0;                    // sum of all ring entries
    double m_momentary;                             // last momentary loudness, LUFS
    double m_shortTerm;                             // last short-term loudness, LUFS
    double m_maxMomentary;       // highest momentary loudness while running, LUFS
    double m_maxShortTerm;       // highest short-term loudness while running, LUFS
    bool m_running = true;       // whether the measurement takes blocks
    int64_t m_stepsRunning = 0;  // steps heard since the measurement last (re)started
    int64_t m_stepsHeard = 0;    // steps heard since construction or Reset
    bool m_silentBefore = true;  // whether the meter had heard nothing when the measurement
                                 // last (re)started
    Histogram m_blocks;          // 400 ms gating blocks of the integrated loudness
    Histogram m_shortTerms;      // short-term values of the loudness range
};

}  // namespace kestrin
