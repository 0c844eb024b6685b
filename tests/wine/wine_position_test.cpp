// Where the meter window of the Windows program under Wine stands after the operator has moved it:
// its close stores the place it then has, in the bytes the Linux program's store writes, and the
// next start opens it there; a close of the settings dialog before that puts it back at the place
// it started from.

#include "tests/wine/reference_store.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

// Where the tests move the meter's frame to: right of the settings dialog, which stands centred.
constexpr int kMovedLeft = 712;
constexpr int kMovedTop = 96;
constexpr std::chrono::seconds kMoveTimeout{5};

class WineMeterPlace : public WineTest {
  protected:
    // The meter's frame as the program sees it, left and top in screen pixels.
    std::array<int, 2> Frame() const {
        const ProbedWindow probe = session->Probe(kMeterCaption);
        return {probe.left, probe.top};
    }
    bool FrameAt(int left, int top) {
        return PollUntil([&] { return Frame() == std::array{left, top}; }, kMoveTimeout);
    }
    // Moves the meter so that its frame's top-left corner stands at left, top: its X window holds
    // the client area, which lies inside the frame by the frame's border and title bar.
    void MoveFrameTo(int left, int top) {
        const XGeometry client = session->Geometry(window);
        const std::array<int, 2> frame = Frame();
        session->Move(window, left + client.x - frame[0], top + client.y - frame[1]);
        ASSERT_TRUE(FrameAt(left, top))
            << "the frame stands at " << Frame()[0] << ", " << Frame()[1] << " after the move";
    }
};

TEST_F(WineMeterPlace, AMovedWindowGoesBackAfterTheDialogAndIsStoredWhereItIsClosed) {
    const TempDir folder;
    const std::string initial = SettingsFor(MeterLook());
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial, kMeterCaption, nullptr, folder.path()));
    ASSERT_TRUE(FrameAt(kMeterLeft, kMeterTop));

    ASSERT_NO_FATAL_FAILURE(MoveFrameTo(kMovedLeft, kMovedTop));
    ASSERT_FALSE(OpenDialog().empty());
    EXPECT_TRUE(session->RequestClose(kDialogCaption));
    EXPECT_TRUE(meter->AwaitWindowGone(kDialogCaption));
    EXPECT_TRUE(FrameAt(kMeterLeft, kMeterTop))
        << "the dialog closed, the frame stays at " << Frame()[0] << ", " << Frame()[1];
    EXPECT_EQ(meter->Settings(), initial) << "the dialog closed without OK writes nothing";

    ASSERT_NO_FATAL_FAILURE(MoveFrameTo(kMovedLeft, kMovedTop));
    EXPECT_TRUE(session->RequestClose(kMeterCaption));
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
    ReferenceStore onLinux(initial);
    onLinux.SaveOnClose(kMovedLeft, kMovedTop);
    EXPECT_EQ(meter->Settings(), onLinux.Bytes());

    ASSERT_NO_FATAL_FAILURE(StartMeter({}, kMeterCaption, nullptr, folder.path()));
    EXPECT_TRUE(FrameAt(kMovedLeft, kMovedTop))
        << "restarted at " << Frame()[0] << ", " << Frame()[1];
    EXPECT_EQ(session->Geometry(window).x, kMovedLeft + kFrameSide);
    EXPECT_TRUE(session->RequestClose(kMeterCaption));
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
}

// The end of the desktop's session (WM_ENDSESSION, which Wine's end of session sends) ends the
// program as its close does: the place it was moved to is stored, and the exit status is 0.
TEST_F(WineMeterPlace, TheEndOfTheSessionStoresThePlaceAsACloseDoes) {
    const std::string initial = SettingsFor(MeterLook());
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial, kMeterCaption));
    ASSERT_TRUE(FrameAt(kMeterLeft, kMeterTop));
    ASSERT_NO_FATAL_FAILURE(MoveFrameTo(kMovedLeft, kMovedTop));

    EXPECT_EQ(session->Run({"wineboot", "--end-session"}), 0);
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0)) << meter->log();
    ReferenceStore onLinux(initial);
    onLinux.SaveOnClose(kMovedLeft, kMovedTop);
    EXPECT_EQ(meter->Settings(), onLinux.Bytes());
}

}  // namespace
}  // namespace kestrin::test
