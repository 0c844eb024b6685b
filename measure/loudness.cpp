#include "measure/loudness.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrin {

const double kNoLoudness = -HUGE_VAL;

namespace {

// The K-weighting's analog prototypes: a high shelf lifting the presence region by about 4 dB
// and a second-order high-pass near 38 Hz.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kHighPassHz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

// Lowest and highest loudness the histograms resolve, in LUFS, and their bins per LU.
constexpr double kGateLufs = -70.0;
constexpr double kTopLufs = 5.0;
constexpr double kBinsPerLu = 100.0;

constexpr double kRelativeGateLu = -10.0;
constexpr double kRangeGateLu = -20.0;

double PowerToLufs(double power) {
    return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : kNoLoudness;
}

}  // namespace

void LoudnessMeter::Histogram::Clear() {
    Count.assign(kHistogramBins, 0);
    Power.assign(kHistogramBins, 0.0);
    Total = 0;
}

void LoudnessMeter::Histogram::Add(double power) {
    const double lufs = PowerToLufs(power);
    if (!(lufs >= kGateLufs)) {
        return;
    }
    const auto bin = static_cast<size_t>(
        std::min((lufs - kGateLufs) * kBinsPerLu, static_cast<double>(kHistogramBins - 1)));
    ++Count[bin];
    Power[bin] += power;
    ++Total;
}

double LoudnessMeter::Histogram::GatedMeanPower(double gateLufs) const {
    size_t first = 0;
    if (gateLufs > kGateLufs) {
        first = static_cast<size_t>(
            std::min((gateLufs - kGateLufs) * kBinsPerLu, static_cast<double>(kHistogramBins)));
    }
    double power = 0.0;
    uint64_t count = 0;
    for (size_t bin = first; bin < Count.size(); ++bin) {
        power += Power[bin];
        count += Count[bin];
    }
    return count > 0 ? power / static_cast<double>(count) : 0.0;
}

LoudnessMeter::LoudnessMeter(double sampleRate, int channels)
    : m_channels((CheckMeterFormat("loudness meter", sampleRate, channels), channels)),
      m_stepFrames(static_cast<size_t>(std::max(1.0, std::round(sampleRate / 100.0)))) {
    // Both stages by the bilinear transform, pre-warped at their corner frequencies.
    const double shelfK = std::tan(std::numbers::pi * kShelfHz / sampleRate);
    const double shelfHigh = std::pow(10.0, kShelfGainDb / 20.0);
    const double shelfMid = std::pow(shelfHigh, 0.4996667741545416);
    const double shelfA0 = 1.0 + shelfK / kShelfQ + shelfK * shelfK;
    m_shelf = {(shelfHigh + shelfMid * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
               2.0 * (shelfK * shelfK - shelfHigh) / shelfA0,
               (shelfHigh - shelfMid * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
               2.0 * (shelfK * shelfK - 1.0) / shelfA0,
               (1.0 - shelfK / kShelfQ + shelfK * shelfK) / shelfA0};
    const double passK = std::tan(std::numbers::pi * kHighPassHz / sampleRate);
    const double passA0 = 1.0 + passK / kHighPassQ + passK * passK;
    m_highPass = {1.0, -2.0, 1.0, 2.0 * (passK * passK - 1.0) / passA0,
                  (1.0 - passK / kHighPassQ + passK * passK) / passA0};

    static constexpr double kWeights[kMaxMeterChannels + 1][kMaxMeterChannels] = {
        {},
        {1.0},
        {1.0, 1.0},
        {1.0, 1.0, 1.0},
        {1.0, 1.0, 1.41, 1.41},
        {1.0, 1.0, 1.0, 1.41, 1.41},
        {1.0, 1.0, 1.0, 0.0, 1.41, 1.41},
    };
    std::copy_n(kWeights[m_channels], m_channels, m_weight);
    m_blocks.Clear();
    m_shortTerms.Clear();
    Reset();
}

LoudnessMeter::Biquad LoudnessMeter::ShelfCoefficients() const { return m_shelf; }

LoudnessMeter::Biquad LoudnessMeter::HighPassCoefficients() const { return m_highPass; }

void LoudnessMeter::Process(const float* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f);
}

void LoudnessMeter::Process(const int16_t* interleaved, size_t frames) {
    ProcessBlock(interleaved, frames, 1.0f / 32768.0f);
}

template <typename Sample>
void LoudnessMeter::ProcessBlock(const Sample* interleaved, size_t frames, float scale) {
    const auto stride = static_cast<size_t>(m_channels);
    while (frames > 0) {
        const size_t n = std::min(frames, m_stepFrames - m_stepFill);
        // Channels in pairs, so that two filters' sample-to-sample dependencies overlap.
        size_t c = 0;
        for (; c + 1 < stride; c += 2) {
            Weigh<2>(interleaved, n, scale, c);
        }
        if (c < stride) {
            Weigh<1>(interleaved, n, scale, c);
        }
        interleaved += n * stride;
        frames -= n;
        m_stepFill += n;
        if (m_stepFill == m_stepFrames) {
            FinishStep();
        }
    }
}

namespace {

// Lanes channels' K-weighting side by side, in direct form I (each stage's feedback path is one
// multiply and one subtraction), held in locals so that the compiler keeps it in registers and
// works the lanes in one vector register.
template <int Lanes>
struct Chain {
    double X1[Lanes], X2[Lanes];  // the last two inputs, full scale
    double Y1[Lanes], Y2[Lanes];  // the last two shelf outputs
    double Z1[Lanes], Z2[Lanes];  // the last two high-pass outputs
    double Sum[Lanes];            // sum of squared high-pass outputs over the frames so far

    template <typename Biquad>
    void Step(const double (&x)[Lanes], const Biquad& s, const Biquad& h) {
        for (int l = 0; l < Lanes; ++l) {
            const double y =
                (s.B0 * x[l] + s.B1 * X1[l] + s.B2 * X2[l] - s.A2 * Y2[l]) - s.A1 * Y1[l];
            const double z = (y - 2.0 * Y1[l] + Y2[l] - h.A2 * Z2[l]) - h.A1 * Z1[l];
            X2[l] = X1[l];
            X1[l] = x[l];
            Y2[l] = Y1[l];
            Y1[l] = y;
            Z2[l] = Z1[l];
            Z1[l] = z;
            Sum[l] += z * z;
        }
    }
};

}  // namespace

template <int Lanes, typename Sample>
void LoudnessMeter::Weigh(const Sample* interleaved, size_t frames, float scale, size_t first) {
    const Biquad s = m_shelf;
    const Biquad h = m_highPass;
    const auto stride = static_cast<size_t>(m_channels);
    Chain<Lanes> chain;
    for (int l = 0; l < Lanes; ++l) {
        const double* z = m_state[first + static_cast<size_t>(l)];
        chain.X1[l] = z[0];
        chain.X2[l] = z[1];
        chain.Y1[l] = z[2];
        chain.Y2[l] = z[3];
        chain.Z1[l] = z[4];
        chain.Z2[l] = z[5];
        chain.Sum[l] = 0.0;
    }
    for (size_t f = 0; f < frames; ++f) {
        const Sample* frame = interleaved + f * stride + first;
        double x[Lanes];
        for (int l = 0; l < Lanes; ++l) {
            x[l] = FullScale(frame[l], scale);
        }
        chain.Step(x, s, h);
    }
    for (int l = 0; l < Lanes; ++l) {
        double* z = m_state[first + static_cast<size_t>(l)];
        z[0] = chain.X1[l];
        z[1] = chain.X2[l];
        z[2] = chain.Y1[l];
        z[3] = chain.Y2[l];
        z[4] = chain.Z1[l];
        z[5] = chain.Z2[l];
        m_stepSum += m_weight[first + static_cast<size_t>(l)] * chain.Sum[l];
    }
}

template void LoudnessMeter::ProcessBlock<float>(const float*, size_t, float);
template void LoudnessMeter::ProcessBlock<int16_t>(const int16_t*, size_t, float);

void LoudnessMeter::FinishStep() {
    const double power = m_stepSum / static_cast<double>(m_stepFrames);
    m_stepSum = 0.0;
    m_stepFill = 0;

    const int leaving = (m_stepPos + kShortTermSteps - kMomentarySteps) % kShortTermSteps;
    m_momentarySum += power - m_steps[static_cast<size_t>(leaving)];
    m_shortTermSum += power - m_steps[static_cast<size_t>(m_stepPos)];
    m_steps[static_cast<size_t>(m_stepPos)] = power;
    m_stepPos = (m_stepPos + 1) % kShortTermSteps;
    if (m_stepPos == 0) {
        // Once a round, add the window sums up afresh so rounding cannot pile up.
        m_shortTermSum = 0.0;
        for (double p : m_steps) {
            m_shortTermSum += p;
        }
        m_momentarySum = 0.0;
        for (int i = kShortTermSteps - kMomentarySteps; i < kShortTermSteps; ++i) {
            m_momentarySum += m_steps[static_cast<size_t>(i)];
        }
    }
    const double momentaryPower = std::max(0.0, m_momentarySum / kMomentarySteps);
    const double shortTermPower = std::max(0.0, m_shortTermSum / kShortTermSteps);
    m_momentary = PowerToLufs(momentaryPower);
    m_shortTerm = PowerToLufs(shortTermPower);
    ++m_stepsHeard;
    if (!m_running) {
        return;
    }
    // The maxima take only windows heard wholly while running (or filled out with the silence
    // of a fresh meter), so that nothing from before a start or during a pause counts.
    ++m_stepsRunning;
    if (m_silentBefore || m_stepsRunning >= kMomentarySteps) {
        m_maxMomentary = std::max(m_maxMomentary, m_momentary);
    }
    if (m_silentBefore || m_stepsRunning >= kShortTermSteps) {
        m_maxShortTerm = std::max(m_maxShortTerm, m_shortTerm);
    }
    if (m_stepsRunning % kBlockHopSteps == 0 && m_stepsRunning >= kMomentarySteps) {
        m_blocks.Add(momentaryPower);
    }
    if (m_stepsRunning % kRangeHopSteps == 0 && m_stepsRunning >= kShortTermSteps) {
        m_shortTerms.Add(shortTermPower);
    }
}

double LoudnessMeter::Momentary() const { return m_momentary; }

double LoudnessMeter::ShortTerm() const { return m_shortTerm; }

double LoudnessMeter::MaxMomentary() const { return m_maxMomentary; }

double LoudnessMeter::MaxShortTerm() const { return m_maxShortTerm; }

double LoudnessMeter::Integrated() const {
    const double ungated = m_blocks.GatedMeanPower(kGateLufs);
    if (ungated <= 0.0) {
        return kNoLoudness;
    }
    return PowerToLufs(m_blocks.GatedMeanPower(PowerToLufs(ungated) + kRelativeGateLu));
}

double LoudnessMeter::Range() const {
    const double ungated = m_shortTerms.GatedMeanPower(kGateLufs);
    if (ungated <= 0.0) {
        return kNoLoudness;
    }
    const double gate = PowerToLufs(ungated) + kRangeGateLu;
    size_t first = 0;
    if (gate > kGateLufs) {
        first = static_cast<size_t>((gate - kGateLufs) * kBinsPerLu);
    }
    uint64_t count = 0;
    for (size_t bin = first; bin < m_shortTerms.Count.size(); ++bin) {
        count += m_shortTerms.Count[bin];
    }
    if (count == 0) {
        return kNoLoudness;
    }
    // The bins holding the values of rank 10 % and 95 % of those gated in, read at their centres.
    const auto lowRank = static_cast<uint64_t>(std::round(0.10 * static_cast<double>(count - 1)));
    const auto highRank = static_cast<uint64_t>(std::round(0.95 * static_cast<double>(count - 1)));
    double low = 0.0;
    double high = 0.0;
    uint64_t seen = 0;
    for (size_t bin = first; bin < m_shortTerms.Count.size(); ++bin) {
        const uint64_t inBin = m_shortTerms.Count[bin];
        const double centre = kGateLufs + (static_cast<double>(bin) + 0.5) / kBinsPerLu;
        if (seen <= lowRank && lowRank < seen + inBin) {
            low = centre;
        }
        if (seen <= highRank && highRank < seen + inBin) {
            high = centre;
            break;
        }
        seen += inBin;
    }
    return high - low;
}

void LoudnessMeter::ClearMeasurement() {
    m_blocks.Clear();
    m_shortTerms.Clear();
    m_maxMomentary = kNoLoudness;
    m_maxShortTerm = kNoLoudness;
    m_stepsRunning = 0;
}

void LoudnessMeter::Start() {
    ClearMeasurement();
    m_running = true;
    m_silentBefore = m_stepsHeard == 0;
}

void LoudnessMeter::Pause() { m_running = false; }

void LoudnessMeter::Continue() {
    if (!m_running) {
        m_running = true;
        m_stepsRunning = 0;
        m_silentBefore = m_stepsHeard == 0;
    }
}

void LoudnessMeter::Reset() {
    for (auto& state : m_state) {
        std::fill(std::begin(state), std::end(state), 0.0);
    }
    m_stepSum = 0.0;
    m_stepFill = 0;
    m_steps.fill(0.0);
    m_stepPos = 0;
    m_momentarySum = 0.0;
    m_shortTermSum = 0.0;
    m_momentary = kNoLoudness;
    m_shortTerm = kNoLoudness;
    m_running = true;
    m_stepsHeard = 0;
    m_silentBefore = true;
    ClearMeasurement();
}

}  // namespace kestrin
