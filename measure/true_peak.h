#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace kestrin {

// The largest channel count the standard meters take (5.1), and the range of sample rates.
constexpr int kMaxMeterChannels = 6;
constexpr double kMinMeterRate = 8000.0;    // Hz
constexpr double kMaxMeterRate = 192000.0;  // Hz

// Throws std::invalid_argument naming the meter and the value when a standard meter is asked
// for a channel count or a sample rate it does not take.
void CheckMeterFormat(const char* meter, double sampleRate, int channels);

// A sample in full-scale units. Float samples beyond 80 dB over full scale, infinite or not a
// number (a damaged file) read as silence, so that one of them cannot poison a filter's state.
constexpr float kLargestSample = 1e4f;
template <typename Sample>
inline float FullScale(Sample sample, float scale) {
    const float value = static_cast<float>(sample) * scale;
    if constexpr (std::is_floating_point_v<Sample>) {
        return value <= kLargestSample && value >= -kLargestSample ? value : 0.0f;
    } else {
        return value;
    }
}

// Converts a linear full-scale reading to dB (dBFS, dBTP); silence gives -HUGE_VAL.
double LinearToDb(double linear);

// Estimates the peak of the waveform the samples stand for, between the samples too, per channel.
// The signal is oversampled 4 times below 96 kHz, twice below 192 kHz and not at 192 kHz, with
// a windowed-sinc interpolator worked out at construction; the crest between two oversampled
// points is then estimated from a parabola through the largest one and its neighbours. For sines
// from 20 Hz to 16 kHz at 44.1 and 48 kHz it reads within 0.1 dB of the crest at any phase.
// The interpolator delays the readings by 5 input samples (they count in the block that ends
// 5 samples later).
// Readings are linear, full scale = 1.0 (a float sample of 1.0 or an int16 sample of 32768).
class TruePeakMeter {
  public:
    // sampleRate in Hz (8000 to 192000), channels 1 to kMaxMeterChannels (else throws
    // std::invalid_argument); allocates all it needs.
    TruePeakMeter(double sampleRate, int channels);

    // Takes one block of interleaved frames, any length (0 included).
    void Process(const float* interleaved, size_t frames);
    void Process(const int16_t* interleaved, size_t frames);

    // The highest true peak since construction or the last Reset, of one channel or of all.
    double MaxLinear(int channel) const;
    double MaxLinear() const;
    // The highest true peak found while the last block was processed, over all channels (for an
    // over lamp), and of one channel.
    double BlockMaxLinear() const;
    double BlockMaxLinear(int channel) const;

    // Forgets the readings and the signal's history.
    void Reset();

    int Channels() const { return m_channels; }
    int Oversampling() const { return m_factor; }

    // No reading of a block exceeds the largest magnitude among its samples and the
    // HistoryFrames() samples before it times GainBound(): the interpolator's largest sum of
    // absolute gains, with the crest fit's rise. So a block whose samples lie below a level by
    // that much cannot reach the level, and need not be worked out. (The history: the window's
    // kTaps - 1 samples, and one more behind the last points carried over for the crest fit.)
    double GainBound() const { return m_gainBound; }
    static constexpr size_t HistoryFrames() { return kTaps; }

    // Takes a block like Process, for a caller that only needs readings of at least floor
    // (linear): a block that cannot reach it (by GainBound()) goes through by its last frames
    // only, which keep the history that of the signal, so its readings all lie below floor.
    // Readings at or above floor are those Process gives.
    void ProcessFrom(const int16_t* interleaved, size_t frames, double floor);

  private:
    static constexpr size_t kTaps = 10;          // input samples each point is worked out from
    static constexpr size_t kPairs = kTaps / 2;  // window samples paired about its middle
    static constexpr size_t kChunkFrames = 256;  // frames filtered at a time per channel

    template <typename Sample>
    void ProcessBlock(const Sample* interleaved, size_t frames, float scale);
    template <int Factor>
    void ProcessChunk(int channel, size_t frames);
    void DesignInterpolator();

    int m_channels;  // channels in an interleaved frame
    int m_factor;    // oversampled points per input sample: 4, 2 or 1
    // Folded interpolator gains per window pair (the window is symmetric about its middle):
    // the midpoint's, and the half-sum and half-difference of the quarter points'.
    std::vector<float> m_middle;
    std::vector<float> m_quarterSum;
    std::vector<float> m_quarterDiff;
    std::vector<float> m_history;  // per channel, the last kTaps - 1 input samples, full scale
    std::vector<float> m_window;   // scratch: one channel's history, its chunk, eight zeros
    std::vector<float> m_points;   // scratch: the chunk's quarter, middle and three-quarter
                                   // points and each frame's largest magnitude
    double m_gainBound = 1;        // readings over the largest sample magnitude, at most
    int32_t m_recentPeak = 0;      // largest int16 magnitude among the last HistoryFrames()
                                   // frames taken (ProcessFrom), any channel
    float m_last[kMaxMeterChannels][2] = {};    // per channel, the two latest oversampled
                                                // magnitudes (previous, latest), full scale
    double m_max[kMaxMeterChannels] = {};       // highest true peak since reset, linear
    double m_blockMax[kMaxMeterChannels] = {};  // highest true peak in the last block, linear
};

}  // namespace kestrin
