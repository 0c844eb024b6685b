#pragma once

#include <cstddef>
#include <cstdint>

#include "measure/true_peak.h"

namespace kestrin {

// The quasi-peak programme meter types: Type I (DIN, Nordic; 5 ms integration, 20 dB of return
// in 1.7 s), Type IIa (BBC) and Type IIb (EBU), both 10 ms and 24 dB in 2.8 s. IIa and IIb differ
// only in their scales, not in their ballistics.
enum class IecType { TypeI, TypeIIa, TypeIIb };

// The rise and return of one type, in seconds.
struct IecBallistics {
    double AttackSeconds;   // time constant of the charge while the rectified signal is above
                            // the reading (before the slowing near the signal)
    double ReleaseSeconds;  // time constant of the exponential return (a straight fall in dB)
    double LineUpDb;        // how far the integrator settles below a steady sine's peak, dB
};
IecBallistics BallisticsOf(IecType type);

// Quasi-peak ballistics per channel: a full-wave rectifier charging an integrator while the signal
// is above the integrator's value, the charge slowing as the two draw together (so that bursts
// read as the published tone-burst tables have them), and an exponential return throughout.
// Per-sample coefficients come from the time constants, so a reading does not depend on the sample
// rate. Readings are linear, full scale = 1.0, like the true-peak meter's.
class QuasiPeakMeter {
  public:
    // sampleRate in Hz (8000 to 192000), channels 1 to kMaxMeterChannels (else throws
    // std::invalid_argument).
    QuasiPeakMeter(IecType type, double sampleRate, int channels);

    // Takes one block of interleaved frames, any length (0 included).
    void Process(const float* interleaved, size_t frames);
    void Process(const int16_t* interleaved, size_t frames);

    // The reading at the end of the last block, and the highest reading within it.
    double Reading(int channel) const;
    double BlockMax(int channel) const;
    // The highest reading since construction or the last Reset, of one channel.
    double Max(int channel) const;

    void Reset();

    IecType Type() const { return m_type; }
    int Channels() const { return m_channels; }

  private:
    template <typename Sample>
    void ProcessBlock(const Sample* interleaved, size_t frames, float scale);
    template <int Channels, typename Sample>
    void Integrate(const Sample* interleaved, size_t frames, float scale);

    IecType m_type;
    int m_channels;    // channels in an interleaved frame
    double m_attack;   // share of the gap to the rectified sample closed per sample (0..1)
    double m_release;  // factor applied to the reading per sample (just below 1)
    double m_lineUp;   // gain from the integrator to the reading, so a steady sine reads its peak
    double m_value[kMaxMeterChannels] = {};     // integrator's reading, linear full scale
    double m_blockMax[kMaxMeterChannels] = {};  // highest reading in the last block, linear
    double m_max[kMaxMeterChannels] = {};       // highest reading since reset, linear
};

}  // namespace kestrin
