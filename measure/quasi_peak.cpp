#include "measure/quasi_peak.h"

#include <algorithm>
#include <cmath>

namespace kestrin {

IecBallistics BallisticsOf(IecType type) {
    // The return: an exponential fall of the linear reading is a straight fall in dB, so the
    // time constant is the fall time times 20 log10(e) over the fall in dB. The charge's time
    // constants are fitted to the tone-burst readings. With the charge slowing near the signal,
    // the integrator settles where each crest's charge makes up the return since the last one:
    // as far below a steady sine's peak at any frequency (well below the sample rate) and any
    // rate, so the meter is lined up by that much, as a programme meter is to its line-up tone.
    constexpr double kDbPerNeper = 8.685889638065037;
    switch (type) {
        case IecType::TypeI:
            return {0.00092, 1.7 * kDbPerNeper / 20.0, 0.419};
        case IecType::TypeIIa:
        case IecType::TypeIIb:
            break;
    }
    return {0.00193, 2.8 * kDbPerNeper / 24.0, 0.518};
}

QuasiPeakMeter::QuasiPeakMeter(IecType type, double sampleRate, int channels)
    : m_type(type),
      m_channels((CheckMeterFormat("quasi-peak meter", sampleRate, channels), channels)) {
    const IecBallistics ballistics = BallisticsOf(type);
    m_attack = 1.0 - std::exp(-1.0 / (ballistics.AttackSeconds * sampleRate));
    m_release = std::exp(-1.0 / (ballistics.ReleaseSeconds * sampleRate));
    m_lineUp = std::pow(10.0, ballistics.LineUpDb / 20.0);
}

void QuasiPeakMeter::Process(const float* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f);
}

void QuasiPeakMeter::Process(const int16_t* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f / 32768.0f);
}

template <typename Sample>
void QuasiPeakMeter::ProcessBlock(const Sample* interleaved, size_t frames, float scale) {
    switch (m_channels) {
        case 1:
            Integrate<1>(interleaved, frames, scale);
            break;
        case 2:
            Integrate<2>(interleaved, frames, scale);
            break;
        case 3:
            Integrate<3>(interleaved, frames, scale);
            break;
        case 4:
            Integrate<4>(interleaved, frames, scale);
            break;
        case 5:
            Integrate<5>(interleaved, frames, scale);
            break;
        default:
            Integrate<6>(interleaved, frames, scale);
            break;
    }
}

template <int Channels, typename Sample>
void QuasiPeakMeter::Integrate(const Sample* interleaved, size_t frames, float scale) {
    // All channels in one pass, so that their integrators' sample-to-sample dependencies overlap.
    double value[Channels];
    double highest[Channels];
    for (int c = 0; c < Channels; ++c) {
        value[c] = m_value[c];
        highest[c] = frames > 0 ? 0.0 : value[c];
    }
    for (size_t f = 0; f < frames; ++f) {
        const Sample* frame = interleaved + f * Channels;
        for (int c = 0; c < Channels; ++c) {
            const double rectified = std::abs(static_cast<double>(FullScale(frame[c], scale)));
            double v = value[c] * m_release;
            if (rectified > v) {
                // The charge slows as the reading nears the signal: it closes the gap in
                // proportion to the gap times the square root of its share of the signal.
                const double gap = rectified - v;
                v += m_attack * gap * std::sqrt(gap / rectified);
            }
            value[c] = v;
            highest[c] = highest[c] > v ? highest[c] : v;
        }
    }
    for (int c = 0; c < Channels; ++c) {
        m_value[c] = value[c];
        m_blockMax[c] = highest[c];
        m_max[c] = std::max(m_max[c], highest[c]);
    }
}

template void QuasiPeakMeter::ProcessBlock<float>(const float*, size_t, float);
template void QuasiPeakMeter::ProcessBlock<int16_t>(const int16_t*, size_t, float);

double QuasiPeakMeter::Reading(int channel) const {
    return m_value[std::clamp(channel, 0, m_channels - 1)] * m_lineUp;
}

double QuasiPeakMeter::BlockMax(int channel) const {
    return m_blockMax[std::clamp(channel, 0, m_channels - 1)] * m_lineUp;
}

double QuasiPeakMeter::Max(int channel) const {
    return m_max[std::clamp(channel, 0, m_channels - 1)] * m_lineUp;
}

void QuasiPeakMeter::Reset() {
    std::fill(std::begin(m_value), std::end(m_value), 0.0);
    std::fill(std::begin(m_blockMax), std::end(m_blockMax), 0.0);
    std::fill(std::begin(m_max), std::end(m_max), 0.0);
}

}  // namespace kestrin
