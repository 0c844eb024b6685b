// The meter window: start-up, layout, buttons, clicks, paints and closing.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "capture/capture.h"
#include "display/bar_geometry.h"
#include "tests/display/meter_fixture.h"

namespace kestrin::test {
namespace {

using Message = RecordingNotifier::Message;

const char* const kNotFoundMissing =
    "Input device  \"Missing\"  not found.\n\r\n\rThe default device will be used.";

using MeterStartUp = MeterFixture;

TEST_F(MeterStartUp, StoredDeviceIsChosenByItsLastEqualName) {
    Start("[Input]\nDevice Name=Mic\n", {"Mic", "Line", "Mic"});
    EXPECT_TRUE(notes.messages.empty());
    EXPECT_EQ(DeviceIndex, 2);
    EXPECT_EQ(wave.DeviceIdOf(wave.lastOpened()), 2);
    EXPECT_TRUE(wave.IsStarted(wave.lastOpened()));
}

TEST_F(MeterStartUp, EmptyDeviceNameTakesDeviceZeroSilently) {
    Start("[Input]\nDevice Name=\n", {"Mic", "Line"});
    EXPECT_TRUE(notes.messages.empty());
    EXPECT_EQ(DeviceIndex, 0);
}

TEST_F(MeterStartUp, DeviceNotFoundIsToldAndDeviceZeroUsed) {
    Start("[Input]\nDevice Name=Missing\n", {"Mic", "Line"});
    EXPECT_EQ(notes.messages, (std::vector<Message>{{kNotFoundMissing, " Kestrin Error"}}));
    EXPECT_EQ(notes.endCount, 0);
    EXPECT_EQ(DeviceIndex, 0);
    EXPECT_EQ(wave.DeviceIdOf(wave.lastOpened()), 0);
    EXPECT_EQ(MeterSettings.DeviceName, "Missing");  // stays stored
}

TEST_F(MeterStartUp, NameDifferingInCaseOrTrailingBlankIsNotFound) {
    Start("[Input]\nDevice Name=mic\n", {"Mic"});
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0].text,
              "Input device  \"mic\"  not found.\n\r\n\rThe default device will be used.");
}

TEST_F(MeterStartUp, NotFoundMessageComesBeforeTheCapturesOwn) {
    Start("[Input]\nDevice Name=Missing\n", {});
    ASSERT_GE(notes.messages.size(), 2u);
    EXPECT_EQ(notes.messages[0], (Message{kNotFoundMissing, " Kestrin Error"}));
    EXPECT_EQ(notes.endCount, 1);
}

// A start-up failure shows its box before the settings dialog exists; the box's loop goes on
// dispatching the buffers the device hands back. They wait for the dialog instead of running the
// pipeline without it, and the program ends as the box says.
TEST_F(MeterStartUp, BuffersHandedBackInsideAStartUpFailureWaitForTheDialog) {
    wave.FailNext(SimulatedWaveIn::Call::Start, MMSYSERR_ERROR);
    notes.whileShown = [this] {
        wave.Reset(wave.lastOpened());
        QCoreApplication::processEvents();
    };
    Start();
    notes.whileShown = nullptr;
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], (Message{"Start error", " Kestrin Error"}));
    EXPECT_EQ(notes.endCount, 1);
    const QString before = dialog().Label14->text();
    Show();  // the dialog exists now: the held buffers go through the pipeline
    Settle();
    EXPECT_NE(dialog().Label14->text(), before);  // the headroom, written by the pipeline
    EXPECT_EQ(wave.OutstandingCount(wave.lastOpened()), 3);  // each replaced by a fresh one
    EXPECT_EQ(notes.messages.size(), 1u);
}

TEST_F(MeterStartUp, CaptionPositionAndFallbacks) {
    SPlus20 = true;
    Start("[Input]\nShort Name=Studio 1\n[Form]\ncal=\ndecay=2.5\nleft=40\ntop=60\n");
    EXPECT_EQ(form().windowTitle(), "Studio 1");
    EXPECT_EQ(form().pos(), QPoint(40, 60));
    EXPECT_FALSE(SPlus20);
    EXPECT_EQ(MeterSettings.cal, " 0");
    EXPECT_EQ(Decay, 2);
    EXPECT_TRUE(wave.IsStarted(wave.lastOpened()));
    for (const TBarState& bar : form().Bars) EXPECT_EQ(bar.Level, 0);
    form().FormPaint();
    EXPECT_EQ(dialog().Edit1->text(), " 0");
    EXPECT_EQ(dialog().Edit2->text(), "2.5");
}

// Stored places at the far end of what the file can hold, and one whose lower part is off the
// screen: the window stands whole on the screen, and the stored values are kept.
struct StoredPlace {
    const char* settings;
    int32_t left;
    int32_t top;
};

class MeterPlace : public MeterFixture, public testing::WithParamInterface<StoredPlace> {};

TEST_P(MeterPlace, TheWindowStandsWholeOnTheScreen) {
    Start(GetParam().settings);
    Show();
    const QRect screen = form().screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form().frameGeometry())) << form().frameGeometry().y();
    EXPECT_EQ(MeterSettings.left, GetParam().left);
    EXPECT_EQ(MeterSettings.top, GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, MeterPlace,
    testing::Values(StoredPlace{"[Form]\nleft=40\ntop=2147483647\n", 40, 2147483647},
                    StoredPlace{"[Form]\nleft=2147483520\ntop=60\n", 2147483520, 60},
                    StoredPlace{"[Form]\nleft=2147483647\ntop=2147483647\n", 2147483647,
                                2147483647},
                    StoredPlace{"[Form]\nleft=40\ntop=700\n", 40, 700}));

TEST_F(MeterStartUp, DefaultCaptionIsKestrin) {
    Start();
    EXPECT_EQ(form().windowTitle(), "Kestrin");
}

class MeterWindow : public MeterFixture {};

TEST_F(MeterWindow, LayoutOfTheControls) {
    Start();
    EXPECT_EQ(form().over->geometry(), QRect(32, 10, 28, 18));
    EXPECT_EQ(form().over->text(), "over");
    EXPECT_TRUE(form().over->isReadOnly());
    EXPECT_EQ(form().over->palette().color(QPalette::Base), QColor(70, 0, 0));
    EXPECT_EQ(form().dBButton->geometry(), QRect(100, 13, 14, 14));
    EXPECT_TRUE(form().dBButton->text().isEmpty());
    EXPECT_EQ(form().MSButton->geometry(), QRect(8, 320, 17, 17));
    EXPECT_EQ(form().Label11->text(), "S+20");
    EXPECT_EQ(form().Label11->pos(), QPoint(66, 13));
    EXPECT_EQ(form().Label3->text(), "M    S");
    EXPECT_EQ(form().Label3->pos(), QPoint(74, 322));
    EXPECT_EQ(form().Label2->pos(), QPoint(32, 322));
    EXPECT_EQ(form().Label12->pos(), QPoint(8, 295));
    EXPECT_TRUE(form().Label1->text().isEmpty());
    const QPoint scale[] = {{6, 260}, {6, 224}, {6, 188}, {6, 149}, {6, 116}, {6, 79}, {5, 42}};
    QLabel* const labels[] = {form().Label4, form().Label5, form().Label6, form().Label7,
                              form().Label8, form().Label9, form().Label10};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(labels[i]->pos(), scale[i]) << "Label" << i + 4;
        EXPECT_EQ(labels[i]->font().family(), "Liberation Sans");
        EXPECT_EQ(labels[i]->font().pixelSize(), 11);
    }
    EXPECT_TRUE(form().Label2->font().bold());
    EXPECT_EQ(form().Label11->font().pixelSize(), 8);
}

TEST_F(MeterWindow, FrameIsFixedWithTitleAndCloseBoxOnly) {
    Start();
    const Qt::WindowFlags flags = form().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form().windowType(), Qt::Window);
    EXPECT_EQ(form().minimumSize(), form().maximumSize());
    EXPECT_TRUE(form().testAttribute(Qt::WA_OpaquePaintEvent));
}

class MeterScaleLabels : public MeterFixture, public testing::WithParamInterface<const char*> {};

TEST_P(MeterScaleLabels, StayClearOfTheTickColumn) {
    Start(std::string("[Form]\ndbScale=") + GetParam() + "\n");
    form().FormPaint();
    for (QLabel* label : {form().Label4, form().Label5, form().Label6, form().Label7, form().Label8,
                          form().Label9, form().Label10}) {
        EXPECT_LT(label->geometry().right(), kTickColumnX[0]) << label->text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(BothScales, MeterScaleLabels, testing::Values("0", "1"));

TEST_F(MeterWindow, ScaleAndChannelLabelTexts) {
    Start("[Form]\ndbScale=0\nABLR=1\n");
    form().FormPaint();
    EXPECT_EQ(form().Label2->text(), "A  B");
    QLabel* const labels[] = {form().Label4, form().Label5, form().Label6, form().Label7,
                              form().Label8, form().Label9, form().Label10};
    const char* const marks[] = {"  1", "  2", "  3", "  4", "  5", "  6", "  7"};
    const char* const decibels[] = {"-12", " -8", " -4", "  0", " +4", " +8", "+12"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(labels[i]->text(), marks[i]);
    EXPECT_EQ(form().Label12->text(), "");
    MeterSettings.dbScale = true;
    MeterSettings.ABLR = false;
    form().SetScaleLabels();
    form().SetChannelLabels();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(labels[i]->text(), decibels[i]);
    EXPECT_EQ(form().Label12->text(), "dB");
    EXPECT_EQ(form().Label2->text(), "L  R");
}

TEST_F(MeterWindow, WidthsFollowTheMSChoice) {
    Start("[Form]\nleft=30\ntop=40\n");
    // From creation on, before any activation.
    EXPECT_EQ(form().size(), QSize(122, 341));
    form().FormActivate();
    EXPECT_EQ(form().size(), QSize(122, 341));
    EXPECT_EQ(form().MSButton->text(), "<");
    form().MSButtonClick();
    EXPECT_FALSE(MeterSettings.showMS);
    EXPECT_EQ(form().size(), QSize(66, 341));
    EXPECT_EQ(form().MSButton->text(), ">");
    form().MSButtonClick();
    EXPECT_TRUE(MeterSettings.showMS);
    EXPECT_EQ(form().size(), QSize(122, 341));
    EXPECT_EQ(form().MSButton->text(), "<");
}

TEST_F(MeterWindow, ActivationNarrowsAndReturnsToTheStoredPosition) {
    Start("[Form]\nshowMS=0\nleft=30\ntop=40\n");
    Show();
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    EXPECT_EQ(form().size(), QSize(66, 341));
    EXPECT_EQ(form().MSButton->text(), ">");
    form().move(300, 300);
    form().FormActivate();
    EXPECT_EQ(form().pos(), QPoint(30, 40));
}

// Whether the window goes back to its stored place after a run of focus changes, the first
// activation already past: only focus that comes back from one of the program's own windows (the
// settings dialog, a message box) brings it back, however the focus went away.
struct FocusCase {
    const char* name;
    bool awayToOwn;    // the focus went to one of the program's windows
    bool backFromOwn;  // and came back from one of them
    bool returns;
};

class MeterFocus : public MeterFixture, public testing::WithParamInterface<FocusCase> {};

TEST_P(MeterFocus, ReturnsToTheStoredPlaceOnlyWhenTheFocusComesBackFromItsOwnWindows) {
    Start("[Form]\nleft=30\ntop=40\n");
    form().move(300, 300);
    form().Activated(false);  // the first activation, from wherever
    EXPECT_EQ(form().pos(), QPoint(30, 40));
    form().move(300, 300);
    form().Deactivated(GetParam().awayToOwn);
    form().Activated(GetParam().backFromOwn);
    EXPECT_EQ(form().pos(), GetParam().returns ? QPoint(30, 40) : QPoint(300, 300));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, MeterFocus,
    testing::Values(FocusCase{"AnotherProgramAndBack", false, false, false},
                    FocusCase{"TheDialogAndBack", true, true, true},
                    FocusCase{"TheDialogThenAnotherProgram", true, false, true},
                    FocusCase{"AnotherProgramThenAMessageBox", false, true, true}),
    [](const testing::TestParamInfo<FocusCase>& info) { return info.param.name; });

TEST_F(MeterWindow, HidingMSTurnsSPlus20OffAndShowingLeavesItOff) {
    Start();
    form().dBButtonClick();
    EXPECT_TRUE(SPlus20);
    EXPECT_EQ(form().windowColour(), 0x000080);
    form().MSButtonClick();
    EXPECT_FALSE(SPlus20);
    EXPECT_EQ(form().windowColour(), 0x808080);
    form().MSButtonClick();
    EXPECT_FALSE(SPlus20);
    form().dBButtonClick();
    form().dBButtonClick();
    EXPECT_FALSE(SPlus20);
    EXPECT_EQ(form().windowColour(), 0x808080);
}

TEST_F(MeterWindow, SPlus20RepaintsTheWindowMaroon) {
    Start();
    Show();
    EXPECT_EQ(Pixel(0, 0), Rgb(0x808080));
    QTest::mouseClick(form().dBButton, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(SPlus20);
    EXPECT_EQ(Pixel(0, 0), Rgb(0x000080));
    EXPECT_EQ(Pixel(121, 340), Rgb(0x000080));
    EXPECT_EQ(Pixel(4, 38), Rgb(0));  // the panel is painted again on top
    QTest::mouseClick(form().dBButton, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Pixel(0, 0), Rgb(0x808080));
}

// A latched over and held peaks, to see whether a click resets them.
class MeterClicks : public MeterFixture {
  protected:
    void SetUp() override {
        Start("[Form]\nPeakHold=1\n");
        Show();
        Feed(30000, 0);
        ASSERT_TRUE(form().over->isEnabled());
    }
    bool Reset() const {
        for (const TBarState& bar : form1->Bars) {
            if (bar.HoldCount != 1) return false;
        }
        return !form1->over->isEnabled() &&
               form1->over->palette().color(QPalette::Base) == QColor(41, 0, 0);
    }
};

TEST_F(MeterClicks, LeftClickOnTheSurfaceResets) {
    QTest::mouseClick(&form(), Qt::LeftButton, {}, QPoint(100, 200));
    EXPECT_TRUE(Reset());
}

TEST_F(MeterClicks, LeftClickOnAScaleLabelResetsNothing) {
    QTest::mouseClick(form().Label7, Qt::LeftButton);
    QTest::mouseClick(form().Label2, Qt::LeftButton);
    EXPECT_FALSE(Reset());
    EXPECT_TRUE(form().over->isEnabled());
}

TEST_F(MeterClicks, RightClickOpensTheDialogAndResetsNothing) {
    bool shown = false;
    QTimer::singleShot(0, &dialog(), [&] {
        shown = dialog().isVisible() && dialog().isModal();
        dialog().hide();
    });
    QTest::mouseClick(&form(), Qt::RightButton, {}, QPoint(100, 200));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(Reset());
}

TEST_F(MeterClicks, RightClickOnALabelOpensNothing) {
    bool shown = false;
    QTimer::singleShot(0, &dialog(), [&] {
        shown = dialog().isVisible();
        dialog().hide();
    });
    QTest::mouseClick(form().Label7, Qt::RightButton);
    Settle();
    EXPECT_FALSE(shown);
}

class MeterPaints : public MeterFixture {};

TEST_F(MeterPaints, OwnFlushLeavesHeldPeaksAndAMergedUpdateRunsThePaint) {
    Start();
    Show();
    Feed(PeakForHeight(100), 0);  // darkens the over indicator too
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 100);
    EXPECT_FALSE(lastShown().isEmpty());
    Feed(PeakForHeight(120), 0);
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 120);  // no paint of the scale in between
    form().update();                                  // pending: our repaint takes it along
    Feed(PeakForHeight(110), 0);
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 0);  // cleared by the paint
    EXPECT_EQ(Pixel(32, 303), Rgb(0));              // and the bars blacked out
}

TEST_F(MeterPaints, ControlsRedrawnOnTheirOwnDoNotRepaintTheScale) {
    Start("[Form]\nPeakHold=1\n");
    Show();
    Feed(PeakForHeight(100), 0);
    Feed(30000, 0);  // the over indicator lights between two flushes
    Feed(PeakForHeight(100), 0);
    form().MSButton->update();
    form().Label7->update();
    Settle();
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 247);  // 30000: index 3000
    EXPECT_EQ(Pixel(32, 303), Rgb(0x00FF00));
}

TEST_F(MeterPaints, PaintPutsTheStoredTextsBackIntoTheDialog) {
    Start("[Form]\ncal=-20\ndecay=3\n");
    dialog().Edit1->setText("abc");
    dialog().Edit2->setText("9");
    form().FormPaint();
    EXPECT_EQ(dialog().Edit1->text(), "-20");
    EXPECT_EQ(dialog().Edit2->text(), "3");
    EXPECT_EQ(Baseline, 303);
}

// A style whose active and inactive colours differ repaints a window on every change of
// activation; that is no paint of the meter's surface: the held peaks stand, the bars stay lit
// and the dialog's fields keep what is typed in them.
TEST_F(MeterPaints, ActivationChangesDoNotRepaintTheSurface) {
    Start();
    Show();
    QPalette palette = form().palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::red);
    form().setPalette(palette);
    Settle();
    Feed(PeakForHeight(100), 0);
    ASSERT_EQ(form().Bars[TForm1::A].HeldPeak, 100);
    dialog().Edit1->setText("-18");
    for (const QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate,
                                    QEvent::WindowDeactivate, QEvent::WindowActivate}) {
        QEvent change(type);
        QCoreApplication::sendEvent(&form(), &change);
        Settle();
    }
    EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, 100);
    EXPECT_EQ(Pixel(32, 303), Rgb(0x00FF00));
    EXPECT_EQ(dialog().Edit1->text(), "-18");
}

TEST_F(MeterPaints, AlwaysOnTopFollowsTheSettingAtEveryPaint) {
    Start("[Form]\nOnTop=1\n");
    Show();
    ASSERT_NE(form().windowHandle(), nullptr);
    EXPECT_TRUE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    MeterSettings.OnTop = false;
    form().update();
    Settle();
    EXPECT_FALSE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(ApplyAlwaysOnTop("No such window", true));
    EXPECT_TRUE(ApplyAlwaysOnTop("Kestrin", true));
    EXPECT_TRUE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

class MeterClosing : public MeterFixture {};

TEST_F(MeterClosing, SavesPositionAndMSChoice) {
    Start("[Form]\nleft=40\ntop=60\n");
    Show();
    form().MSButtonClick();
    form().move(300, 310);
    EXPECT_TRUE(form().close());
    const std::string text = SettingsText();
    EXPECT_NE(text.find("left=300"), std::string::npos) << text;
    EXPECT_NE(text.find("top=310"), std::string::npos) << text;
    EXPECT_NE(text.find("showMS=0"), std::string::npos) << text;
}

TEST_F(MeterClosing, AFailedSaveIsReportedAndTheWindowStillCloses) {
    Start();
    Show();
    const std::string unwritable = (dir.path() / "no folder" / "kestrin.ini").string();
    SetSettingsFilePath(unwritable);
    EXPECT_TRUE(form().close());
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(notes.messages,
              (std::vector<Message>{{"Unable to write to " + unwritable, "Kestrin", true}}));
    EXPECT_EQ(notes.endCount, 0);
}

}  // namespace
}  // namespace kestrin::test
