#include "measure/quasi_peak.h"

#include <algorithm>
#include <cmath>

namespace kestrin {

IecBallistics BallisticsOf(IecType type) {
    // The return: an exponential fall of the linear reading is a straight fall in dB, so the
    // time constant is the fall time times 20 log10(e) over the fall in dB.
    constexpr double kDbPerNeper = 8.685889638065037;
    switch (type) {
        case IecType::TypeI:
            return {0.0017, 1.7 * kDbPerNeper / 20.0};
        case IecType::TypeIIa:
        case IecType::TypeIIb:
            break;
    }
    return {0.0028, 2.8 * kDbPerNeper / 24.0};
}

QuasiPeakMeter::QuasiPeakMeter(IecType type, double sampleRate, int channels)
    : m_type(type), m_channels(std::clamp(channels, 1, kMaxMeterChannels)) {
    const IecBallistics ballistics = BallisticsOf(type);
    m_attack = 1.0 - std::exp(-1.0 / (ballistics.AttackSeconds * sampleRate));
    m_release = std::exp(-1.0 / (ballistics.ReleaseSeconds * sampleRate));
}

void QuasiPeakMeter::Process(const float* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f);
}

void QuasiPeakMeter::Process(const int16_t* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f / 32768.0f);
}

template <typename Sample>
void QuasiPeakMeter::ProcessBlock(const Sample* interleaved, size_t frames, float scale) {
    const auto stride = static_cast<size_t>(m_channels);
    for (size_t c = 0; c < stride; ++c) {
        double value = m_value[c];
        double highest = 0.0;
        for (size_t f = 0; f < frames; ++f) {
            const double rectified =
                std::abs(static_cast<double>(interleaved[f * stride + c]) * scale);
            value *= m_release;
            if (rectified > value) {
                value += m_attack * (rectified - value);
            }
            highest = std::max(highest, value);
        }
        m_value[c] = value;
        m_blockMax[c] = frames > 0 ? highest : value;
        m_max[c] = std::max(m_max[c], highest);
    }
}

template void QuasiPeakMeter::ProcessBlock<float>(const float*, size_t, float);
template void QuasiPeakMeter::ProcessBlock<int16_t>(const int16_t*, size_t, float);

double QuasiPeakMeter::Reading(int channel) const {
    return m_value[std::clamp(channel, 0, m_channels - 1)];
}

double QuasiPeakMeter::BlockMax(int channel) const {
    return m_blockMax[std::clamp(channel, 0, m_channels - 1)];
}

double QuasiPeakMeter::Max(int channel) const {
    return m_max[std::clamp(channel, 0, m_channels - 1)];
}

void QuasiPeakMeter::Reset() {
    std::fill(std::begin(m_value), std::end(m_value), 0.0);
    std::fill(std::begin(m_blockMax), std::end(m_blockMax), 0.0);
    std::fill(std::begin(m_max), std::end(m_max), 0.0);
}

}  // namespace kestrin
