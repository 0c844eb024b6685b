// The whole meter running for a long time: a million buffers of a programme with changing levels,
// each posted by the sound device and taken by the buffer pipeline of a shown meter window as
// fast as the loop goes (release, analysis, ballistics, painting into the surface, flush of the
// changed rows to the offscreen screen, a fresh buffer queued). Nothing may pile up: every buffer
// is freed, three stay queued, and resident memory stays flat.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "capture/capture.h"
#include "capture/wim_data_event.h"
#include "config/dialog/qt/form2.h"
#include "config/settings.h"
#include "display/qt/form1.h"
#include "tests/soak/programme_wave_in.h"
#include "tests/support/capture_stop.h"
#include "tests/support/event_wait.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

constexpr int64_t kBuffers = 1'000'000;
// Buffers before memory must stay flat. Without the sanitizers resident memory is the same to the
// page from buffer 100,000 on; AddressSanitizer's allocator, recycling its quarantine, still
// touches new pages until about buffer 300,000 (3 MiB more), and then still up to about 2 MiB
// over the next 700,000 buffers on a busy machine: its bound is 4 MiB, so that a leak of 6 bytes
// a buffer breaks it (without the sanitizers 2 MiB, 3 bytes a buffer). Leaks of any size are also
// reported by LeakSanitizer at the end.
constexpr int64_t kSettledAfter = 300'000;
constexpr int64_t kCheckEvery = 1'000;    // buffers between looks at the loop's other events
constexpr int64_t kMemoryEvery = 50'000;  // buffers between readings of resident memory
#if defined(__SANITIZE_ADDRESS__)
constexpr int64_t kMaxGrowthBytes = 4 * 1024 * 1024;
#else
constexpr int64_t kMaxGrowthBytes = 2 * 1024 * 1024;
#endif
constexpr int kQueued = 3;

int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0;
    int64_t residentPages = 0;
    statm >> size >> residentPages;
    return residentPages * sysconf(_SC_PAGESIZE);
}

// Counts the paints of a window: each buffer that changes a pixel shows it with a paint of its
// own, at once.
class PaintCounter : public QObject {
  public:
    int64_t paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class PipelineSoakTest : public testing::Test {
  protected:
    void SetUp() override {
        SetSettingsFilePath((m_dir.path() / "kestrin.ini").string());
        SetWaveIn(&m_wave);
        m_form1 = std::make_unique<TForm1>();
        m_form2 = std::make_unique<TForm2>();
        m_form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form1.get()));
        QCoreApplication::processEvents();
        m_form1->installEventFilter(&m_paints);
        ASSERT_EQ(CaptureHandle, m_wave.handle());
    }

    void TearDown() override {
        StopCapture();
        EXPECT_TRUE(ProcessEventsUntil(CaptureStopped, std::chrono::seconds(5)));
        m_form2.reset();
        m_form1.reset();
        SetWaveIn(nullptr);
        SetSettingsFilePath("");
    }

    // Records one buffer and runs the meter's pipeline on it, as the event loop would.
    void OneBuffer() {
        m_wave.DeliverBuffer();
        QCoreApplication::sendPostedEvents(m_form1.get(), WimDataEvent::kType);
    }

    TempDir m_dir;
    RecordingNotifier m_notifier;
    ProgrammeWaveIn m_wave;
    PaintCounter m_paints;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
};

TEST_F(PipelineSoakTest, MillionBuffersLeaveNothingBehind) {
    int64_t settledBytes = 0;
    int64_t highestBytes = 0;
    std::string readings;              // resident memory at each reading, for the failure message
    int64_t flushes = 0;               // buffers that showed a change on the screen
    std::array<bool, 256> heightsA{};  // bar A's heights seen
    const auto start = std::chrono::steady_clock::now();

    for (int64_t buffer = 1; buffer <= kBuffers; ++buffer) {
        const int64_t paintsBefore = m_paints.paints;
        OneBuffer();
        flushes += m_paints.paints > paintsBefore;
        heightsA[static_cast<size_t>(m_form1->Bars[TForm1::A].Level)] = true;
        // Each buffer was released and replaced by a fresh one before the next came.
        if (m_wave.QueuedCount() != kQueued || m_wave.OutstandingCount() != kQueued) {
            FAIL() << "after buffer " << buffer << ": " << m_wave.QueuedCount() << " queued, "
                   << m_wave.OutstandingCount() << " outstanding";
        }
        if (buffer % kCheckEvery == 0) {
            QCoreApplication::processEvents();  // whatever else the loop has: paints, timers
            ASSERT_TRUE(m_notifier.messages.empty()) << m_notifier.messages[0].text;
        }
        if (buffer % kMemoryEvery == 0 && buffer >= kSettledAfter) {
            const int64_t bytes = ResidentBytes();
            readings += std::to_string(bytes >> 10) + " KiB at " + std::to_string(buffer) + "\n";
            if (buffer == kSettledAfter) settledBytes = bytes;
            highestBytes = std::max(highestBytes, bytes);
        }
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%lld buffers in %.1f s (%.1f us a buffer); resident %.1f MiB at buffer %lld, "
        "at most %.1f MiB after\n",
        static_cast<long long>(kBuffers), seconds, seconds * 1e6 / kBuffers,
        static_cast<double>(settledBytes) / (1 << 20), static_cast<long long>(kSettledAfter),
        static_cast<double>(highestBytes) / (1 << 20));
    EXPECT_EQ(m_wave.delivered(), kBuffers);
    EXPECT_EQ(m_wave.misuses(), 0);
    EXPECT_LT(highestBytes - settledBytes, kMaxGrowthBytes) << readings;
    // The programme's levels reached the window: the bar took many heights, and most buffers
    // changed something on the screen.
    EXPECT_GT(std::count(heightsA.begin(), heightsA.end(), true), 150);
    EXPECT_GT(flushes, kBuffers / 2);
}

}  // namespace
}  // namespace kestrin::test
