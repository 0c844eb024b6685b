#include "display/standard_peaks.h"

#include <algorithm>
#include <cmath>

#include "capture/capture.h"
#include "measure/analysis.h"
#include "measure/level_text.h"

namespace kestrin {

namespace {

constexpr double kFullScale = 32768.0;        // sample units of a linear reading of 1.0
constexpr double kDefaultOverLevelDb = -1.0;  // dBTP, where the level text does not parse

// The rate a buffer of this many frames was recorded at: the open device's, or, for a buffer
// left over from a device since changed, the rate whose design period it lasts.
double BufferRate(int frames) {
    const uint32_t open = CaptureRate();
    if (open != 0 && BufferFrames(open) == static_cast<uint32_t>(frames)) return open;
    const double rate = static_cast<double>(frames) * kDesignRate / kDesignBufferFrames;
    return std::clamp(std::round(rate), kMinMeterRate, kMaxMeterRate);
}

IecType TypeOf(int32_t ballistics) {
    switch (ballistics) {
        case kIecTypeIBallistics:
            return IecType::TypeI;
        case kIecTypeIIaBallistics:
            return IecType::TypeIIa;
        default:
            return IecType::TypeIIb;
    }
}

}  // namespace

StandardPeaks::StandardPeaks() = default;
StandardPeaks::~StandardPeaks() = default;

void StandardPeaks::Measure(const uint8_t* block, int frames, const TMeterSettings& settings,
                            char decimalSeparator) {
    const bool quasiPeak = settings.ballistics != kDesignBallistics;
    if ((!quasiPeak && !settings.TPover) || frames <= 0) {
        m_quasiPeakRan = quasiPeak && m_quasiPeakRan;
        m_truePeakRan = settings.TPover && m_truePeakRan;
        return;
    }
    const auto samples = static_cast<size_t>(frames) * 2;
    if (m_stereo.size() < samples) m_stereo.resize(samples);
    for (size_t i = 0; i < samples; ++i) m_stereo[i] = ReadSample(block + 2 * i);

    const double rate = BufferRate(frames);
    if (quasiPeak) {
        MeasureQuasiPeak(TypeOf(settings.ballistics), rate, frames, settings.Msix);
    }
    m_quasiPeakRan = quasiPeak;
    if (settings.TPover) MeasureTruePeak(rate, frames, settings.TPlevel, decimalSeparator);
    m_truePeakRan = settings.TPover;
}

void StandardPeaks::MeasureQuasiPeak(IecType type, double rate, int frames, bool msix) {
    if (!m_quasiPeak || m_quasiPeak->Type() != type || m_quasiPeakRate != rate) {
        m_quasiPeak = std::make_unique<QuasiPeakMeter>(type, rate, 4);
        m_quasiPeakRate = rate;
    } else if (!m_quasiPeakRan) {
        m_quasiPeak->Reset();
    }
    const auto count = static_cast<size_t>(frames);
    if (m_bars.size() < count * 4) m_bars.resize(count * 4);
    // M and S frame by frame as the sample analysis has them, so that a steady signal's bars
    // stand where the design's would.
    constexpr float kToFullScale = 1.0f / 32768.0f;
    for (size_t f = 0; f < count; ++f) {
        const int32_t a = m_stereo[2 * f];
        const int32_t b = m_stereo[2 * f + 1];
        const int32_t m = MidOf(a + b, msix);
        const int32_t s = SideOf(a - b, msix);
        float* bars = &m_bars[4 * f];
        bars[0] = static_cast<float>(a) * kToFullScale;
        bars[1] = static_cast<float>(b) * kToFullScale;
        bars[2] = static_cast<float>(m) * kToFullScale;
        bars[3] = static_cast<float>(s) * kToFullScale;
    }
    m_quasiPeak->Process(m_bars.data(), count);
}

void StandardPeaks::MeasureTruePeak(double rate, int frames, const std::string& levelText,
                                    char decimalSeparator) {
    if (!m_truePeak || m_truePeakRate != rate) {
        m_truePeak = std::make_unique<TruePeakMeter>(rate, 2);
        m_truePeakRate = rate;
    } else if (!m_truePeakRan) {
        m_truePeak->Reset();
    }
    ReadOverLevel(levelText, decimalSeparator);
    // Only whether the level is reached matters: a block too far below it is not worked out.
    m_truePeak->ProcessFrom(m_stereo.data(), static_cast<size_t>(frames), m_levelLinear);
    m_truePeakOver = m_truePeak->BlockMaxLinear() >= m_levelLinear;
}

TPeaks StandardPeaks::QuasiPeaks() const {
    if (!m_quasiPeak) return {};
    // Held well inside 32 bits; the scale takes anything above its top as its top.
    const auto peak = [this](int channel) {
        const double units = std::round(m_quasiPeak->BlockMax(channel) * kFullScale);
        return static_cast<int32_t>(std::clamp(units, 0.0, 16.0 * kFullScale));
    };
    return {peak(0), peak(1), peak(2), peak(3)};
}

void StandardPeaks::ReadOverLevel(const std::string& levelText, char decimalSeparator) {
    if (m_levelParsed && levelText == m_levelText && decimalSeparator == m_levelSeparator) return;
    m_levelParsed = true;
    m_levelText = levelText;
    m_levelSeparator = decimalSeparator;
    const double db = ParseCalibration(levelText, decimalSeparator).value_or(kDefaultOverLevelDb);
    m_levelLinear = std::pow(10.0, db / 20.0);
}

}  // namespace kestrin
