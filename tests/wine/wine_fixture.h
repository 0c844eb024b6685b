#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "tests/wine/meter_picture.h"
#include "tests/wine/wine_meter.h"
#include "tests/wine/wine_session.h"

namespace kestrin::test {

// The display name the tests give the meter, so that its window and the settings dialog (captioned
// "Kestrin") are told apart by caption.
inline const std::string kMeterCaption = "WineMeter";
inline const std::string kDialogCaption = "Kestrin";
// Where the tests place the meter: clear of the settings dialog, which stands centred.
constexpr int kMeterLeft = 40;
constexpr int kMeterTop = 30;
// The frame Wine draws round the client: 3 pixels on each side, as the designed widths assume.
constexpr int kFrameSide = 3;

// What is wrong in a screenshot, or an empty text when nothing is.
using ShotCheck = std::function<std::string(const QImage&)>;

// The bars shown for the look (A and B, and M and S where shown) at their steady levels, each
// with its held-peak line on the level.
ShotCheck BarsAt(const std::array<int32_t, 4>& levels, const MeterLook& look);

// A test of the Windows program on the run's Wine desktop.
class WineTest : public testing::Test {
  protected:
    static constexpr std::chrono::milliseconds kReadingTimeout{15000};

    void SetUp() override;

    // Starts the meter with the settings file (none written when empty) and waits for its window
    // (named `caption`); fails the test when none shows. The program runs in `folder` where one
    // is given.
    void StartMeter(const std::string& settings, const std::string& caption = kMeterCaption,
                    const PrivateSoundServer* sound = nullptr,
                    const std::filesystem::path& folder = {});
    // A settings file recording from the session's sink, named kMeterCaption, at the tests' place.
    std::string SettingsFor(const MeterLook& look) const;

    // Screenshots of the window until `check` finds nothing wrong (an empty text); what it found
    // in the last one otherwise, with the screenshot kept for a look. `shot` gets the last one.
    std::string ShotUntil(const std::string& window, const ShotCheck& check, QImage* shot = nullptr,
                          std::chrono::milliseconds timeout = kReadingTimeout);
    // Opens the settings dialog with the right button on the meter's surface; gives its X window
    // (empty, with a failure, when none showed).
    std::string OpenDialog();
    ProbedWindow Dialog() const { return session->Probe(kDialogCaption); }
    // Clicks the dialog's control of that class and text in its middle; false, with a failure,
    // when the dialog has none.
    bool ClickControl(const std::string& dialog, const std::string& className,
                      const std::string& text);
    // OK, after which the dialog must close.
    void PressOk(const std::string& dialog);
    // The settings file once it holds what is expected, or as it stands after a few seconds: the
    // meter saves after its dialog has gone, so a read right after OK may come before the save.
    std::string SettingsOnceSaved(const std::string& expected) const;

    // Keeps a screenshot in the build's folder of failed readings; gives where.
    std::string Keep(const QImage& shot, const std::string& what) const;

    WineSession* session = nullptr;
    std::unique_ptr<WineMeter> meter;
    std::string window;  // the meter's X window
};

}  // namespace kestrin::test
