#include "measure/true_peak.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace kestrin {

namespace {

// The Kaiser window's stop-band attenuation in dB. With 10 taps a steady sine reads within
// 0.05 dB up to 16 kHz at 44.1 and 48 kHz, the crest fit included.
constexpr double kStopBandDb = 50.0;

// A crest between oversampled points lies at most an eighth above the largest of the three
// around it, so points below the best reading over this factor cannot raise it.
constexpr float kCrestRise = 1.125f;

// The zeroth-order modified Bessel function of the first kind, by its power series.
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    const double quarterSquare = x * x / 4.0;
    for (int k = 1; k < 60 && term > sum * 1e-17; ++k) {
        term *= quarterSquare / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

// The crest of the parabola through three equally spaced magnitudes whose middle one is the
// largest; the middle one itself when they are flat.
float ParabolicCrest(float before, float middle, float after) {
    const float curvature = 2.0f * middle - before - after;
    if (curvature <= 0.0f) {
        return middle;
    }
    const float slope = before - after;
    return middle + slope * slope / (8.0f * curvature);
}

// The larger of two magnitudes, written so that it compiles to a vector maximum.
inline float Larger(float a, float b) { return a > b ? a : b; }

// The largest of count magnitudes, eight lanes at a time so that it compiles to vector maxima.
float LargestOf(const float* values, size_t count) {
    constexpr size_t kLanes = 8;
    float lanes[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (size_t k = 0; k < kLanes; ++k) {
            lanes[k] = Larger(lanes[k], values[i + k]);
        }
    }
    for (; i < count; ++i) {
        lanes[0] = std::max(lanes[0], values[i]);
    }
    return *std::max_element(lanes, lanes + kLanes);
}

}  // namespace

void CheckMeterFormat(const char* meter, double sampleRate, int channels) {
    if (channels < 1 || channels > kMaxMeterChannels) {
        throw std::invalid_argument(std::string("The ") + meter + " takes 1 to 6 channels, not " +
                                    std::to_string(channels) + ".");
    }
    if (!(sampleRate >= kMinMeterRate && sampleRate <= kMaxMeterRate)) {
        throw std::invalid_argument(std::string("The ") + meter +
                                    " takes sample rates from 8000 to 192000 Hz, not " +
                                    std::to_string(sampleRate) + " Hz.");
    }
}

double LinearToDb(double linear) { return linear > 0.0 ? 20.0 * std::log10(linear) : -HUGE_VAL; }

TruePeakMeter::TruePeakMeter(double sampleRate, int channels)
    : m_channels((CheckMeterFormat("true-peak meter", sampleRate, channels), channels)),
      m_factor(sampleRate < 96000.0 ? 4 : (sampleRate < 192000.0 ? 2 : 1)) {
    DesignInterpolator();
    m_history.assign(static_cast<size_t>(m_channels) * (kTaps - 1), 0.0f);
    m_window.assign(kTaps - 1 + kChunkFrames + 8, 0.0f);
    m_points.assign(4 * kChunkFrames, 0.0f);
}

void TruePeakMeter::DesignInterpolator() {
    // A Kaiser-windowed sinc. The points of one frame lie between window samples kPairs - 1 and
    // kPairs, at quarters (or the half) of a sample: point 0 is sample kPairs - 1 itself, and
    // each point's gains mirror those of the point as far from sample kPairs, so a gain pair
    // serves both ends of the window.
    const double beta = 0.1102 * (kStopBandDb - 8.7);
    const double half = kTaps / 2.0;
    const double norm = BesselI0(beta);
    const auto gain = [&](size_t i, double fraction) {
        const double t = static_cast<double>(kPairs - 1) - static_cast<double>(i) + fraction;
        const double ratio = t / half;
        const double window = BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio)));
        const double x = std::numbers::pi * t;
        return std::sin(x) / x * window / norm;
    };
    m_middle.assign(kPairs, 0.0f);
    m_quarterSum.assign(kPairs, 0.0f);
    m_quarterDiff.assign(kPairs, 0.0f);
    for (size_t i = 0; i < kPairs; ++i) {
        // Sample i pairs with sample kTaps - 1 - i; the three-quarter point's gain for sample i
        // is the quarter point's for its partner.
        const double quarter = gain(i, 0.25);
        const double threeQuarter = gain(kTaps - 1 - i, 0.25);
        m_middle[i] = static_cast<float>(gain(i, 0.5));
        m_quarterSum[i] = static_cast<float>((quarter + threeQuarter) / 2.0);
        m_quarterDiff[i] = static_cast<float>((quarter - threeQuarter) / 2.0);
    }
    // Each point is a weighted sum of window samples: its gains' absolute sum bounds it. The
    // quarter point weighs sample i by sum + diff and its partner by sum - diff; the
    // three-quarter point the other way round. A little over, for the float arithmetic.
    double middleGains = 0.0;
    double quarterGains = 0.0;
    for (size_t i = 0; i < kPairs; ++i) {
        middleGains += 2.0 * std::abs(m_middle[i]);
        quarterGains += std::abs(m_quarterSum[i] + m_quarterDiff[i]) +
                        std::abs(m_quarterSum[i] - m_quarterDiff[i]);
    }
    double largest = 1.0;
    if (m_factor > 1) largest = std::max(largest, middleGains);
    if (m_factor > 2) largest = std::max(largest, quarterGains);
    m_gainBound = kCrestRise * largest * 1.001;
}

void TruePeakMeter::Process(const float* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f);
}

void TruePeakMeter::Process(const int16_t* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f / 32768.0f);
}

void TruePeakMeter::ProcessFrom(const int16_t* interleaved, size_t frames, double floor) {
    const auto stride = static_cast<size_t>(m_channels);
    const auto largest = [interleaved, stride](size_t first, size_t end) {
        int32_t peak = 0;
        for (size_t i = first * stride; i < end * stride; ++i) {
            peak = std::max(peak, std::abs(int32_t{interleaved[i]}));
        }
        return peak;
    };
    const double reach = std::max(largest(0, frames), m_recentPeak) / 32768.0 * m_gainBound;
    if (reach < floor) {
        // The window's history and the crest fit's carried points both come from the tail.
        const size_t tail = std::min(frames, 2 * HistoryFrames());
        Process(interleaved + (frames - tail) * stride, tail);
    } else {
        Process(interleaved, frames);
    }
    if (frames >= HistoryFrames()) {
        m_recentPeak = largest(frames - HistoryFrames(), frames);
    } else {
        m_recentPeak = std::max(m_recentPeak, largest(0, frames));
    }
}

template <typename Sample>
void TruePeakMeter::ProcessBlock(const Sample* interleaved, size_t frames, float scale) {
    const auto stride = static_cast<size_t>(m_channels);
    std::fill(m_blockMax, m_blockMax + kMaxMeterChannels, 0.0);
    for (size_t start = 0; start < frames; start += kChunkFrames) {
        const size_t n = std::min(kChunkFrames, frames - start);
        const Sample* chunk = interleaved + start * stride;
        for (size_t c = 0; c < stride; ++c) {
            float* history = m_history.data() + c * (kTaps - 1);
            std::copy_n(history, kTaps - 1, m_window.data());
            float* fresh = m_window.data() + kTaps - 1;
            for (size_t f = 0; f < n; ++f) {
                fresh[f] = FullScale(chunk[f * stride + c], scale);
            }
            // Frames past the chunk's end up to the next group of eight read as silence.
            std::fill_n(fresh + n, 8, 0.0f);
            if (m_factor == 4) {
                ProcessChunk<4>(static_cast<int>(c), n);
            } else if (m_factor == 2) {
                ProcessChunk<2>(static_cast<int>(c), n);
            } else {
                ProcessChunk<1>(static_cast<int>(c), n);
            }
            std::copy_n(m_window.data() + n, kTaps - 1, history);
        }
    }
    for (int c = 0; c < m_channels; ++c) {
        m_max[c] = std::max(m_max[c], m_blockMax[c]);
    }
}

template void TruePeakMeter::ProcessBlock<float>(const float*, size_t, float);
template void TruePeakMeter::ProcessBlock<int16_t>(const int16_t*, size_t, float);

template <int Factor>
void TruePeakMeter::ProcessChunk(int channel, size_t frames) {
    const float* window = m_window.data();
    const float* samples = window + kPairs - 1;
    const float* mid = m_middle.data();
    const float* sum = m_quarterSum.data();
    const float* diff = m_quarterDiff.data();
    float* quarter = m_points.data();
    float* middle = quarter + kChunkFrames;
    float* threeQuarter = middle + kChunkFrames;
    float* frameMax = threeQuarter + kChunkFrames;

    // Gain by gain over the whole chunk, so the compiler works several frames side by side; the
    // scratch is padded to whole groups of eight frames.
    constexpr size_t kLanes = 8;
    const size_t padded = (frames + kLanes - 1) / kLanes * kLanes;
    std::fill_n(middle, padded, 0.0f);
    std::fill_n(quarter, padded, 0.0f);
    std::fill_n(threeQuarter, padded, 0.0f);
    for (size_t i = 0; i < kPairs; ++i) {
        const float* early = window + i;
        const float* late = window + kTaps - 1 - i;
        const float m = mid[i];
        const float s = sum[i];
        const float d = diff[i];
        for (size_t f = 0; f < padded; ++f) {
            const float pair = early[f] + late[f];
            if constexpr (Factor > 1) {
                middle[f] += m * pair;
            }
            if constexpr (Factor > 2) {
                quarter[f] += s * pair;
                threeQuarter[f] += d * (early[f] - late[f]);
            }
        }
    }
    for (size_t f = 0; f < padded; ++f) {
        float largest = std::abs(samples[f]);
        if constexpr (Factor > 1) {
            largest = Larger(largest, std::abs(middle[f]));
        }
        if constexpr (Factor > 2) {
            const float s = quarter[f];
            const float d = threeQuarter[f];
            quarter[f] = s + d;
            threeQuarter[f] = s - d;
            largest = Larger(largest, Larger(std::abs(s + d), std::abs(s - d)));
        }
        frameMax[f] = largest;
    }

    // The magnitude of point p (0 .. Factor - 1) of frame f, in time order.
    const auto point = [&](size_t f, size_t p) {
        if constexpr (Factor == 4) {
            const float* row[4] = {samples, quarter, middle, threeQuarter};
            return std::abs(row[p][f]);
        } else if constexpr (Factor == 2) {
            return std::abs(p == 0 ? samples[f] : middle[f]);
        } else {
            return std::abs(samples[f]);
        }
    };

    float best = std::max(static_cast<float>(m_blockMax[channel]), LargestOf(frameMax, frames));
    float floor = best / kCrestRise;
    const auto judge = [&](float before, float latest, float after) {
        if (latest >= floor && latest >= before && latest >= after) {
            const float crest = ParabolicCrest(before, latest, after);
            if (crest > best) {
                best = crest;
                floor = best / kCrestRise;
            }
        }
    };
    // The last point of the chunk before waited for its successor, the first point of this one.
    judge(m_last[channel][0], m_last[channel][1], point(0, 0));

    // Fit a parabola to each local maximum high enough to matter, skipping groups of frames
    // whose points all lie below that. The chunk's last point waits for the next chunk.
    for (size_t group = 0; group < frames; group += kLanes) {
        const size_t end = std::min(group + kLanes, frames);
        float groupMax = 0.0f;
        for (size_t k = 0; k < kLanes; ++k) {
            groupMax = Larger(groupMax, frameMax[group + k]);
        }
        if (groupMax < floor) {
            continue;
        }
        for (size_t f = group; f < end; ++f) {
            if (frameMax[f] < floor) {
                continue;
            }
            float before = f > 0 ? point(f - 1, Factor - 1) : m_last[channel][1];
            float latest = point(f, 0);
            for (size_t p = 1; p <= Factor; ++p) {
                if (p == Factor && f + 1 == frames) {
                    break;
                }
                const float after = p < Factor ? point(f, p) : point(f + 1, 0);
                judge(before, latest, after);
                before = latest;
                latest = after;
            }
        }
    }
    if constexpr (Factor > 1) {
        m_last[channel][0] = point(frames - 1, Factor - 2);
    } else {
        m_last[channel][0] = frames > 1 ? point(frames - 2, 0) : m_last[channel][1];
    }
    m_last[channel][1] = point(frames - 1, Factor - 1);
    m_blockMax[channel] = best;
}

template void TruePeakMeter::ProcessChunk<1>(int, size_t);
template void TruePeakMeter::ProcessChunk<2>(int, size_t);
template void TruePeakMeter::ProcessChunk<4>(int, size_t);

double TruePeakMeter::MaxLinear(int channel) const {
    return m_max[std::clamp(channel, 0, m_channels - 1)];
}

double TruePeakMeter::MaxLinear() const { return *std::max_element(m_max, m_max + m_channels); }

double TruePeakMeter::BlockMaxLinear(int channel) const {
    return m_blockMax[std::clamp(channel, 0, m_channels - 1)];
}

double TruePeakMeter::BlockMaxLinear() const {
    return *std::max_element(m_blockMax, m_blockMax + m_channels);
}

void TruePeakMeter::Reset() {
    std::fill(m_history.begin(), m_history.end(), 0.0f);
    m_recentPeak = 0;
    for (int c = 0; c < kMaxMeterChannels; ++c) {
        m_last[c][0] = m_last[c][1] = 0.0f;
        m_max[c] = m_blockMax[c] = 0.0;
    }
}

}  // namespace kestrin
