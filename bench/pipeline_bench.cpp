// Per-buffer cost of the running meter: one captured buffer from its release to its requeue,
// with the dialog's fields read and written, the bars and held-peak lines drawn into the window's
// surface and the changed rows flushed to the (offscreen) screen. Target: under 25 us a buffer.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "capture/capture.h"
#include "capture/wave_in_device.h"
#include "config/dialog/qt/form2.h"
#include "config/settings.h"
#include "display/qt/form1.h"

namespace kestrin {
namespace {

constexpr int kBlockBytes = 4400;
constexpr int kBlocks = 16;

// A sound device that costs next to nothing: it keeps the queued buffers and fills the oldest,
// when asked, with one of a set of prepared blocks, so that what is timed is the meter's work.
class BenchWaveIn : public WaveIn {
  public:
    // Every block a new loudness for A and B, or the same one every time; below the over
    // threshold, as nearly all of a programme is (an over repaints the indicator too).
    explicit BenchWaveIn(bool moving) {
        for (int n = 0; n < kBlocks; ++n) {
            const int i = moving ? n : 7;
            const auto a = static_cast<int16_t>((i * 2654435761u) % 27000);
            const auto b = static_cast<int16_t>((i * 40503u) % 20000);
            for (int frame = 0; frame < kBlockBytes / 4; ++frame) {
                const int16_t sign = (frame & 1) ? -1 : 1;
                const int16_t samples[2] = {static_cast<int16_t>(a * sign),
                                            static_cast<int16_t>(b * sign)};
                std::memcpy(&m_blocks[static_cast<size_t>(n)][static_cast<size_t>(frame * 4)],
                            samples, 4);
            }
        }
    }
    // The oldest queued buffer, filled.
    WAVEHDR* Next() {
        WAVEHDR* header = m_queue.front();
        m_queue.pop_front();
        std::memcpy(header->lpData, m_blocks[m_next++ % kBlocks].data(), kBlockBytes);
        header->dwBytesRecorded = kBlockBytes;
        return header;
    }
    bool empty() const { return m_queue.empty(); }
    HWAVEIN handle() { return &m_device; }

    uint32_t GetNumDevs() override { return 1; }
    MMRESULT GetDevCaps(uint32_t, WAVEINCAPS* caps) override {
        std::strcpy(caps->szPname, "Bench");
        return MMSYSERR_NOERROR;
    }
    MMRESULT QueryFormat(int32_t, const WAVEFORMATEX&) override { return MMSYSERR_NOERROR; }
    MMRESULT Open(HWAVEIN* device, int32_t, const WAVEFORMATEX&, WaveInReceiver) override {
        *device = &m_device;
        return MMSYSERR_NOERROR;
    }
    MMRESULT PrepareHeader(HWAVEIN, WAVEHDR*, uint32_t) override { return MMSYSERR_NOERROR; }
    MMRESULT AddBuffer(HWAVEIN, WAVEHDR* header, uint32_t) override {
        m_queue.push_back(header);
        return MMSYSERR_NOERROR;
    }
    MMRESULT Start(HWAVEIN) override { return MMSYSERR_NOERROR; }
    MMRESULT UnprepareHeader(HWAVEIN, WAVEHDR*, uint32_t) override { return MMSYSERR_NOERROR; }
    MMRESULT Reset(HWAVEIN) override { return MMSYSERR_NOERROR; }
    MMRESULT Close(HWAVEIN) override { return MMSYSERR_NOERROR; }

  private:
    WaveInDevice m_device;
    std::deque<WAVEHDR*> m_queue;
    std::array<std::array<char, kBlockBytes>, kBlocks> m_blocks = {};
    unsigned m_next = 0;
};

// A meter on the bench device, shown, with its scale painted; from a settings file's text.
class Meter {
  public:
    explicit Meter(bool moving, const char* settings = "") : m_wave(moving) {
        const QString path = QDir(m_dir.path()).filePath("kestrin.ini");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(settings) < 0) {
            qFatal("the settings file could not be written");
        }
        file.close();
        SetSettingsFilePath(path.toStdString());
        SetWaveIn(&m_wave);
        m_form1 = std::make_unique<TForm1>();
        m_form2 = std::make_unique<TForm2>();
        m_form1->show();
        if (!QTest::qWaitForWindowExposed(m_form1.get())) {
            qFatal("the meter window was never exposed");
        }
        QCoreApplication::processEvents();
    }
    ~Meter() {
        // No device in use: the buffers still queued come back and are not replaced.
        CaptureHandle = nullptr;
        while (!m_wave.empty()) Buffer();
        m_form2.reset();
        m_form1.reset();
        SetWaveIn(nullptr);
    }
    // One buffer through the pipeline, as its event would deliver it.
    void Buffer() { m_form1->MMWimData(m_wave.handle(), m_wave.Next()); }
    TForm1& form() { return *m_form1; }

  private:
    QTemporaryDir m_dir;
    BenchWaveIn m_wave;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
};

void RunPipeline(benchmark::State& state, bool moving, bool showMS, const char* settings = "") {
    Meter meter(moving, settings);
    if (!showMS) meter.form().MSButtonClick();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        meter.Buffer();
    }
}

void BM_PipelineMovingBars(benchmark::State& state) { RunPipeline(state, true, true); }
void BM_PipelineSteadyBars(benchmark::State& state) { RunPipeline(state, false, true); }
void BM_PipelineMovingBarsNarrow(benchmark::State& state) { RunPipeline(state, true, false); }
// With the loudness column: its meters, its bar and line, and its strip's texts.
void BM_PipelineMovingBarsLoudness(benchmark::State& state) {
    RunPipeline(state, true, true, "[Form]\nloudness=1\n");
}

BENCHMARK(BM_PipelineMovingBars)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PipelineMovingBarsLoudness)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PipelineSteadyBars)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PipelineMovingBarsNarrow)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrin

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
