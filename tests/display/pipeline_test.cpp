// One buffer through the meter: the order of its steps, what it reads from the settings dialog,
// and its failures.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <random>

#include "capture/capture.h"
#include "display/bar_geometry.h"
#include "tests/display/meter_fixture.h"

namespace kestrin::test {
namespace {

using Call = SimulatedWaveIn::Call;

const QColor kRed(255, 0, 0);

QColor Base(const QWidget* widget) { return widget->palette().color(QPalette::Base); }
QColor WindowBase(const QWidget* widget) {
    return QApplication::palette(widget).color(QPalette::Base);
}

// Counts the palette changes a widget goes through.
class PaletteChanges : public QObject {
  public:
    explicit PaletteChanges(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange) ++count;
        return false;
    }
    int count = 0;
};

class MeterPipeline : public MeterFixture {
  protected:
    void SetUp() override {
        Start();
        form().FormPaint();
        wave.ClearCalls();
    }
    int LevelA() { return form().Bars[TForm1::A].Level; }
    void SetCalibration(const char* text) { dialog().Edit1->setText(QString::fromUtf8(text)); }
    void SetDecay(const char* text) { dialog().Edit2->setText(QString::fromUtf8(text)); }
};

TEST_F(MeterPipeline, ReleasesFirstAndRequeuesLast) {
    Feed(1000, 1000);
    EXPECT_EQ(wave.callSequence(),
              (std::vector<Call>{Call::UnprepareHeader, Call::PrepareHeader, Call::AddBuffer}));
    EXPECT_EQ(wave.calls()[0].device, wave.lastOpened());
    EXPECT_EQ(wave.calls()[2].device, CaptureHandle);
    // Each returned buffer is replaced by one: three stay queued.
    EXPECT_EQ(wave.QueuedCount(wave.lastOpened()), 3);
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(MeterPipeline, FailedReleaseEndsBeforeAnyOtherStep) {
    wave.FailNext(Call::UnprepareHeader, MMSYSERR_INVALHANDLE);
    Feed(30000, 30000);
    EXPECT_EQ(notes.messages,
              (std::vector<RecordingNotifier::Message>{{"In-UnPrepare error", " Kestrin Error"}}));
    EXPECT_EQ(notes.endCount, 1);
    EXPECT_EQ(wave.callSequence(), std::vector<Call>{Call::UnprepareHeader});
    EXPECT_EQ(LevelA(), 0);                          // not analysed, no ballistics
    EXPECT_EQ(Base(form().over), QColor(70, 0, 0));  // over untouched
    EXPECT_EQ(Pixel(32, 303), Rgb(0));               // nothing drawn
    // Lets go of the buffer the failure left behind, as the device would on a second try.
    ReleaseBuffer(wave.calls()[0].header, wave.lastOpened());
    FreeBuffer(wave.calls()[0].header);
}

TEST_F(MeterPipeline, FailedRequeueComesAfterTheBufferIsShown) {
    wave.FailNext(Call::PrepareHeader, MMSYSERR_NOMEM);
    Feed(PeakForHeight(100), 0);
    EXPECT_EQ(notes.messages, (std::vector<RecordingNotifier::Message>{
                                  {"In Prepare error 2", " Peak Programme Meter Error"}}));
    EXPECT_EQ(notes.endCount, 1);
    EXPECT_EQ(LevelA(), 100);
    EXPECT_EQ(Pixel(32, 303 - 99), Rgb(0x00FF00));
}

TEST_F(MeterPipeline, FailedAddBufferHasItsOwnMessage) {
    wave.FailNext(Call::AddBuffer, MMSYSERR_INVALHANDLE);
    Feed(0, 0);
    EXPECT_EQ(notes.messages, (std::vector<RecordingNotifier::Message>{
                                  {"Add buffer error 2", " Peak Programme Meter Error"}}));
    EXPECT_EQ(notes.endCount, 1);
}

TEST_F(MeterPipeline, CalibrationOfThisBufferScalesThisBuffer) {
    // 4125 is 18 dB below full scale: mark 4 at -18, height 89 at -12.
    SetCalibration("-18");
    Feed(4125, 0);
    EXPECT_EQ(LevelA(), 146);
    EXPECT_EQ(dialog().Label14->text(), "10 dB");
    form().FormPaint();  // the stored -12 back in the field
    EXPECT_EQ(dialog().Edit1->text(), "-12");
    form().Bars[TForm1::A].Level = 0;
    Feed(4125, 0);
    EXPECT_EQ(LevelA(), 89);
    EXPECT_EQ(dialog().Label14->text(), "4 dB");
}

TEST_F(MeterPipeline, CalibrationFloorAndHeadroom) {
    SetCalibration("-40");
    Feed(3277, 0);
    EXPECT_EQ(LevelA(), 255);
    EXPECT_EQ(dialog().Label14->text(), "32 dB");
    SetCalibration("0");
    Feed(0, 0);
    EXPECT_EQ(dialog().Label14->text(), "-8 dB");
}

TEST_F(MeterPipeline, CalibrationThatIsNoNumberTurnsRedAndReadsZero) {
    Feed(0, 0);
    ASSERT_EQ(dialog().Label14->text(), "4 dB");
    SetCalibration("abc");
    // At calibration 0 full scale reads mark 4 (index 823).
    Feed(32767, 0);
    EXPECT_EQ(Base(dialog().Edit1), kRed);
    EXPECT_EQ(LevelA(), 146);
    EXPECT_EQ(dialog().Label14->text(), "4 dB");  // the last text that parsed
    SetCalibration("-12");
    Feed(32767, 0);
    EXPECT_EQ(Base(dialog().Edit1), WindowBase(dialog().Edit1));
    EXPECT_EQ(LevelA(), 255);
}

TEST_F(MeterPipeline, CalibrationUsesTheLocalesDecimalSeparator) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SetCalibration("-14,5");
    Feed(0, 0);
    EXPECT_EQ(Base(dialog().Edit1), WindowBase(dialog().Edit1));
    EXPECT_EQ(dialog().Label14->text(), "6,5 dB");
    SetCalibration("-14.5");
    Feed(0, 0);
    EXPECT_EQ(Base(dialog().Edit1), kRed);
    QLocale::setDefault(previous);
}

TEST_F(MeterPipeline, DecayIsReadAfterTheHeightsAndBeforeTheBallistics) {
    Feed(PeakForHeight(200), 0);
    SetDecay("10");
    Feed(0, 0);
    EXPECT_EQ(LevelA(), 190);
    EXPECT_EQ(Decay, 10);
    SetDecay("$20");
    Feed(0, 0);
    EXPECT_EQ(LevelA(), 158);
    EXPECT_EQ(Base(dialog().Edit2), WindowBase(dialog().Edit2));
}

TEST_F(MeterPipeline, DecayThatIsNoIntegerTurnsRedAndFallsByTwoUntilItParsesAgain) {
    Feed(PeakForHeight(200), 0);
    for (const char* text : {"2.5", "", "x", "3 "}) {
        const int before = LevelA();
        SetDecay(text);
        Feed(0, 0);
        EXPECT_EQ(Base(dialog().Edit2), kRed) << text;
        EXPECT_EQ(Decay, 2) << text;
        EXPECT_EQ(LevelA(), before - 2) << text;
        SetDecay("7");
        Feed(0, 0);
        EXPECT_EQ(Base(dialog().Edit2), WindowBase(dialog().Edit2)) << "after " << text;
        EXPECT_EQ(LevelA(), before - 2 - 7) << text;
    }
}

TEST_F(MeterPipeline, OverLightsAboveTheThresholdOfRawSamples) {
    SetCalibration("-40");  // the scale does not move the threshold
    Feed(27520, 27520);
    EXPECT_FALSE(form().over->isEnabled());
    EXPECT_EQ(Base(form().over), QColor(41, 0, 0));
    Feed(0, 27521);
    EXPECT_TRUE(form().over->isEnabled());
    EXPECT_EQ(Base(form().over), QColor(255, 0, 0));
    // Lit for the over buffer and nine more.
    Feed(0, 0, 9);
    EXPECT_TRUE(form().over->isEnabled());
    Feed(0, 0);
    EXPECT_FALSE(form().over->isEnabled());
    EXPECT_EQ(Base(form().over), QColor(41, 0, 0));
}

TEST_F(MeterPipeline, SPlus20ShowsSideTenTimesHigher) {
    // S = (A - B) / 2 = 2000: index 200 plainly, 2000 with S+20.
    Feed(4000, 0);
    EXPECT_EQ(form().Bars[TForm1::S].Level, 35);
    form().dBButtonClick();
    ASSERT_TRUE(SPlus20);
    Feed(4000, 0);
    EXPECT_EQ(form().Bars[TForm1::S].Level, 216);
    EXPECT_EQ(LevelA(), 86);  // A is not affected: index 400
}

using MeterBeforePaint = MeterFixture;

TEST_F(MeterBeforePaint, EveryHeightIsZeroBeforeTheFirstPaint) {
    Start();
    Feed(32767, -32768);
    for (const TBarState& bar : form().Bars) {
        EXPECT_EQ(bar.Level, 1);
    }
}

TEST_F(MeterPipeline, SteadyBuffersTouchNoPaletteAndFlushNothing) {
    PaletteChanges over(form().over);
    PaletteChanges edit1(dialog().Edit1);
    PaletteChanges edit2(dialog().Edit2);
    Feed(PeakForHeight(150), PeakForHeight(100), 2);
    const int afterTwo = over.count;
    Feed(PeakForHeight(150), PeakForHeight(100), 5);
    EXPECT_EQ(over.count, afterTwo);
    EXPECT_EQ(edit1.count, 0);
    EXPECT_EQ(edit2.count, 0);
    EXPECT_TRUE(lastShown().isEmpty());
}

// Whatever a buffer changes on the surface lies inside what it flushes, and a buffer that changes
// nothing flushes nothing: random signals, decays, settings and paints.
TEST_F(MeterPipeline, FlushCoversEveryChangedPixelAndNothingWhenNothingChanged) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::uniform_int_distribution<int> percent(0, 99);
    int emptyFlushes = 0;
    int16_t a = 0;
    int16_t b = 0;
    for (int i = 0; i < 400; ++i) {
        if (percent(random) < 30) {
            a = static_cast<int16_t>(sample(random) / (1 + percent(random)));
            b = static_cast<int16_t>(sample(random) / (1 + percent(random)));
        }
        if (percent(random) < 5) SetDecay(std::to_string(percent(random) / 10 - 2).c_str());
        if (percent(random) < 3) MeterSettings.amber = !MeterSettings.amber;
        if (percent(random) < 3) MeterSettings.PeakHold = !MeterSettings.PeakHold;
        if (percent(random) < 3) form().MSButtonClick();
        if (percent(random) < 3) form().FormPaint();
        if (percent(random) < 3) form().FormClick();
        const QImage before = form().surface().copy();
        Feed(a, b);
        const QImage& after = form().surface();
        const QRegion flushed = lastShown();
        bool changed = false;
        for (int y = 0; y < kClientHeight; ++y) {
            for (int x = 0; x < form().width(); ++x) {
                if (before.pixel(x, y) != after.pixel(x, y)) {
                    changed = true;
                    ASSERT_TRUE(flushed.contains(QPoint(x, y)))
                        << "buffer " << i << " changed " << x << "," << y << " unflushed";
                }
            }
        }
        if (!changed) {
            ASSERT_TRUE(flushed.isEmpty()) << "buffer " << i;
            ++emptyFlushes;
        }
    }
    EXPECT_GT(emptyFlushes, 0);
}

}  // namespace
}  // namespace kestrin::test
