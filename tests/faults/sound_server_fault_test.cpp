// The real meter program against a real sound server that fails under it: the server killed, the
// metered source removed, the server hung or its session manager gone while metering, no server
// at all. Each must end in the capture's messages and an exit with status 0 once the operator
// dismisses the box, never in a frozen or hanging meter, and must leave the settings file as it
// was, but for the device name that a failed opening clears. The faults of a running capture are
// tried on PulseAudio and on PipeWire alike.

#include <signal.h>

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "tests/faults/meter_fixture.h"
#include "tests/support/private_pipewire_server.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/sample_player.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

const std::string kRequeueCaption = " Peak Programme Meter Error";
const std::string kKestrinCaption = " Kestrin Error";
const std::string kResetText =
    "The configured Input Device is not available and will be reset to the default.";
const std::string kStalledText =
    "The input device has stopped delivering sound. The program will end.";
class SoundServerFault : public MeterFixture {
  protected:
    // After a failure of the running capture: one requeue box with one OK button, although
    // each of the three buffers the failed stream hands back fails to be replaced (in the box's
    // own loop); none of the opening's boxes.
    void ExpectRequeueBox() {
        const std::vector<ShownBox> boxes = AwaitBoxes(1);
        ASSERT_EQ(boxes.size(), 1u) << Diagnostics();
        EXPECT_EQ(boxes[0].caption, kRequeueCaption);
        EXPECT_TRUE(boxes[0].text == "In Prepare error 2" || boxes[0].text == "Add buffer error 2")
            << boxes[0].text;
        EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
        const std::vector<std::string> windows = BoxWindows();
        ASSERT_EQ(windows.size(), 1u) << Diagnostics();
        EXPECT_EQ(m_desktop->WindowName(windows[0]), kRequeueCaption);
        EXPECT_TRUE(m_meter.Running()) << "the box waits for the operator";
    }

    // Dismisses the box on top; the program must then end at once with status 0.
    void ExpectExitOnDismissal() {
        const auto dismissed = DismissNewestBox();
        const std::optional<int> status = AwaitExit();
        ASSERT_TRUE(status.has_value()) << "still running after the box was dismissed\n"
                                        << Diagnostics();
        EXPECT_EQ(*status, 0);
        const auto took = duration_cast<milliseconds>(Clock::now() - dismissed).count();
        RecordProperty("exit_ms_after_dismissal", std::to_string(took));
        std::cout << "[ measured ] ended " << took << " ms after the box was dismissed\n";
    }

    // Waits for exactly one box with the given caption and text, also as an X window.
    void ExpectSingleBox(const std::string& caption, const std::string& text,
                         milliseconds timeout = kBoxTimeout) {
        const std::vector<ShownBox> boxes = AwaitBoxes(1, timeout);
        ASSERT_EQ(boxes.size(), 1u) << Diagnostics();
        EXPECT_EQ(boxes[0].caption, caption);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
        const std::vector<std::string> windows = BoxWindows();
        ASSERT_EQ(windows.size(), 1u) << Diagnostics();
        EXPECT_EQ(m_desktop->WindowName(windows[0]), caption);
    }
};

// The same faults of a running capture on each kind of server.
class RunningCaptureFault : public SoundServerFault,
                            public testing::WithParamInterface<SoundServerKind> {};

TEST_P(RunningCaptureFault, ServerKilledWhileMeteringEndsInTheRequeueMessage) {
    const auto server = StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(1));
    const NullSink& sink = server->sinks()[0];
    SamplePlayer player(*server, sink.name, ToneSecond(), 120);
    const std::string settings = Settings("");
    StartMeter(settings, server->ClientVariables());
    ASSERT_TRUE(AwaitMeterWindow()) << Diagnostics();
    ASSERT_TRUE(AwaitRecordingFrom(*server, PrivateSoundServer::MonitorOf(sink.name)))
        << Diagnostics();
    EXPECT_TRUE(m_boxes->Read().empty()) << Diagnostics();

    server->Kill();

    ExpectRequeueBox();
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), settings) << "nothing is saved after a capture failure";
}

TEST_P(RunningCaptureFault, MeteredSourceRemovedEndsInTheRequeueMessage) {
    const auto server = StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(1));
    const NullSink desk{"kestrin_fault_desk", "Fault Desk"};
    const int module = server->LoadNullSink(desk);
    ASSERT_GE(module, 0);
    SamplePlayer player(*server, desk.name, ToneSecond(), 120);
    const std::string settings = Settings(PrivateSoundServer::MonitorDescription(desk));
    StartMeter(settings, server->ClientVariables());
    ASSERT_TRUE(AwaitMeterWindow()) << Diagnostics();
    ASSERT_TRUE(AwaitRecordingFrom(*server, PrivateSoundServer::MonitorOf(desk.name)))
        << Diagnostics();

    ASSERT_TRUE(server->UnloadModule(module));

    ExpectRequeueBox();
    // The stream must not have been moved to another source behind the operator's back.
    EXPECT_TRUE(server->Running());
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), settings)
        << "the device name stays: only a failed opening clears it";
}

// A server that stops serving the meter's stream without a word, the stream left connected and
// no error ever told: PulseAudio hung (stopped by a signal), or PipeWire's session manager killed,
// which leaves the stream ready and unlinked. The bars must not stand at their last levels: 3 s
// after the last buffer the meter says that the input stopped, and ends once that is dismissed.
TEST_P(RunningCaptureFault, AServerThatStopsDeliveringEndsInTheStallMessage) {
    const auto server = StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(1));
    const NullSink& sink = server->sinks()[0];
    SamplePlayer player(*server, sink.name, ToneSecond(), 120);
    const std::string settings = Settings("");
    StartMeter(settings, server->ClientVariables());
    ASSERT_TRUE(AwaitMeterWindow()) << Diagnostics();
    ASSERT_TRUE(AwaitRecordingFrom(*server, PrivateSoundServer::MonitorOf(sink.name)))
        << Diagnostics();
    // Past the first buffers, which may take up to 2 s to come.
    std::this_thread::sleep_for(milliseconds(2500));
    ASSERT_TRUE(m_boxes->Read().empty()) << Diagnostics();

    struct Resume {
        pid_t pid = -1;
        ~Resume() {
            if (pid > 0) kill(pid, SIGCONT);
        }
    } resume;
    const auto stopped = Clock::now();
    if (GetParam() == SoundServerKind::PulseAudio) {
        ASSERT_EQ(kill(server->pid(), SIGSTOP), 0);
        resume.pid = server->pid();
    } else {
        static_cast<PrivatePipeWireServer&>(*server).KillSessionManager();
    }
    while (BoxWindows().empty() && Clock::now() - stopped < kBoxTimeout) {
        std::this_thread::sleep_for(milliseconds(20));
    }
    const auto took = duration_cast<milliseconds>(Clock::now() - stopped).count();
    std::cout << "[ measured ] the box came " << took << " ms after the server stopped\n";
    RecordProperty("box_ms_after_stop", std::to_string(took));
    ExpectSingleBox(kKestrinCaption, kStalledText);
    // The last buffer came at most one server cycle (43 ms) before the stop.
    EXPECT_GE(took, 2900);
    EXPECT_LE(took, 4000);
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), settings) << "nothing is saved after a capture failure";
}

INSTANTIATE_TEST_SUITE_P(Servers, RunningCaptureFault, testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });

TEST_F(SoundServerFault, NoServerAtStartShowsOnlyTheResetMessage) {
    const std::string settings = Settings("");
    StartMeter(settings, {"PULSE_SERVER=unix:" + (m_folder.path() / "no-server").string()});

    ExpectSingleBox(kKestrinCaption, kResetText);
    EXPECT_TRUE(m_desktop->Windows(m_meter.pid(), std::string("^") + kShortName + "$").empty())
        << "the capture opens before the meter window is shown";
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), settings) << "the device name was empty already";
}

TEST_F(SoundServerFault, NoServerAtStartWithAStoredDeviceSaysNotFoundThenResets) {
    const std::string device = "Monitor of Studio Desk";
    const std::string settings = Settings(device);
    StartMeter(settings, {"PULSE_SERVER=unix:" + (m_folder.path() / "no-server").string()});

    ExpectSingleBox(kKestrinCaption, "Input device  \"" + device +
                                         "\"  not found.\n\r\n\rThe default device will be used.");
    m_desktop->PressReturn(BoxWindows().front());
    // Start-up goes on with device 0, which does not exist either.
    const auto dismissed = Clock::now();
    while (Clock::now() - dismissed < kBoxTimeout && m_meter.Running()) {
        const std::vector<ShownBox> boxes = m_boxes->Read();
        if (boxes.size() == 1 && boxes[0].text == kResetText) break;
        std::this_thread::sleep_for(milliseconds(50));
    }
    ExpectSingleBox(kKestrinCaption, kResetText);
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), Settings("")) << "only the device name is cleared";
}

// A server that accepts connections and never answers: each of the meter's waits for it is
// bounded (the listing's and the format query's, 3 s each), so start-up ends in the same message
// as with no server instead of hanging.
TEST_F(SoundServerFault, HungServerAtStartShowsTheResetMessageInsteadOfHanging) {
    PrivatePulseServer server(PrivatePulseServer::Sinks(1));
    ASSERT_EQ(kill(server.pid(), SIGSTOP), 0);
    struct Resume {
        pid_t pid;
        ~Resume() { kill(pid, SIGCONT); }
    } resume{server.pid()};
    const std::string settings = Settings("");
    const auto started = Clock::now();
    StartMeter(settings, server.ClientVariables());

    ExpectSingleBox(kKestrinCaption, kResetText, milliseconds(20000));
    std::cout << "[ measured ] the box came "
              << duration_cast<milliseconds>(Clock::now() - started).count()
              << " ms after the start\n";
    ExpectExitOnDismissal();
    EXPECT_EQ(SettingsBytes(), settings);
}

}  // namespace
}  // namespace kestrin::test
