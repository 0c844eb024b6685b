// The settings dialog's Win32 shell, run under Wine: the dialog is shown modally over a window
// standing in for the meter's place as its owner, and driven by input posted to its controls as
// the system delivers the operator's (tests/wine/run_dialog.sh). What the dialog then does to
// the settings is the meter's own code (config/dialog/settings_dialog*.cpp), unchanged.
//   wine_dialog_shell_test.exe    exit status 0 when every check passed

#include <windows.h>

#include <cstdio>
#include <string>

#include "config/dialog/win32/form2.h"
#include "config/notice.h"
#include "config/settings.h"
#include "tests/wine/dialog_script.h"

namespace kestrin::wine_test {
namespace {

constexpr COLORREF kPureRed = 255;

class Checks {
  public:
    void Check(bool ok, const std::string& what) {
        ++(ok ? m_passed : m_failed);
        std::printf("%s %s\n", ok ? "ok    " : "FAILED", what.c_str());
        std::fflush(stdout);
    }
    int Summary() const {
        std::printf("%d passed, %d failed\n", m_passed, m_failed);
        return m_failed == 0 ? 0 : 1;
    }

  private:
    int m_passed = 0;
    int m_failed = 0;
};
Checks checks;

// Messages the dialog's steps show are recorded, not shown: no one would dismiss them here.
class RecordingNotifier : public Notifier {
  public:
    void ShowMessage(const std::string& text, const std::string&) override { last = text; }
    void EndProgram() override { checks.Check(false, "the program was ended"); }
    std::string last;
};

const std::vector<std::string> kDevices = {"PulseAudio", "Monitor of Studio Output"};

// The background a control is painted on, as the dialog answers the control's colour request.
COLORREF Background(HWND dialog, HWND control, UINT request) {
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        dialog, request, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    LOGBRUSH fill{};
    GetObjectA(brush, sizeof(fill), &fill);
    const COLORREF text = GetBkColor(dc);
    DeleteDC(dc);
    return fill.lbColor == text ? fill.lbColor : CLR_INVALID;
}

// Answers the password box with that caption once it shows: the entry typed, then Enter, or
// Escape when the entry is empty.
void AnswerPasswordBox(Script& script, const char* caption, const std::string& entry) {
    script.Then(std::string("the box ") + caption, [caption, entry] {
        HWND box = ShownWindow(caption);
        if (!box) return false;
        HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
        checks.Check(SendMessageA(field, EM_GETLIMITTEXT, 0, 0) == 255,
                     std::string(caption) + ": the field takes 255 characters");
        PostChars(field, entry);
        PostKey(field, entry.empty() ? VK_ESCAPE : VK_RETURN);
        return true;
    });
    script.Then(std::string("the box ") + caption + " closes",
                [caption] { return ShownWindow(caption) == nullptr; });
}

void ClosingWays(TForm2& form, HWND owner) {
    MeterSettings = TMeterSettings{};
    form.FillFromSettings(kDevices);
    {
        Script script;
        script
            .Then("the dialog shows over a disabled owner",
                  [&] {
                      if (!IsWindowVisible(form.handle())) return false;
                      checks.Check(!IsWindowEnabled(owner), "the owner is disabled while it shows");
                      SetFocus(form.Edit1);
                      PostKey(form.Edit1, VK_ESCAPE);
                      PostKey(form.Edit1, VK_RETURN);
                      SendMessageA(form.ShortNameBox, EM_SETSEL, 0, -1);
                      PostChars(form.ShortNameBox, "Studio 4 and more");
                      return true;
                  })
            .Then("Escape and Enter have been handled",
                  [&] {
                      checks.Check(IsWindowVisible(form.handle()) != FALSE,
                                   "neither Escape nor Enter in a field closes it");
                      checks.Check(MeterSettings.ShortName == TMeterSettings{}.ShortName,
                                   "nor takes anything");
                      SetFocus(form.ShortNameBox);
                      PostKey(form.ShortNameBox, VK_RETURN);
                      return true;
                  })
            .Then("Enter in the display name has been handled", [&] {
                checks.Check(IsWindowVisible(form.handle()) != FALSE,
                             "Enter in the display name leaves it open");
                SetFocus(form.Button1);
                PostKey(form.Button1, VK_RETURN);
                return true;
            });
        checks.Check(form.ShowModal(), "Enter on OK, which has the focus, closes it with OK");
        checks.Check(script.Done(), "every step ran before it closed");
    }
    checks.Check(
        MeterSettings.ShortName == "Studio 4 and",
        "the close took the display name, cut at 12 characters: " + MeterSettings.ShortName);
    checks.Check(IsWindowEnabled(owner) && !IsWindowVisible(form.handle()),
                 "after it the owner is enabled again and the dialog hidden");

    form.FillFromSettings(kDevices);
    {
        Script script;
        script.Then("the dialog shows again", [&] {
            if (!IsWindowVisible(form.handle())) return false;
            SetWindowTextA(form.ComboBox1, "a name typed into the list");
            checks.Check(form.SelectedDevice() == -1, "a typed device name is no selection");
            SendMessageA(form.ComboBox1, CB_SETCURSEL, 1, 0);
            checks.Check(form.SelectedDevice() == 1, "a chosen entry is the selection");
            SendMessageA(form.ComboBox1, CB_SETCURSEL, 0, 0);
            PostMessageA(form.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        });
        checks.Check(!form.ShowModal(), "the close box closes it without OK");
    }
}

void RefusedFields(TForm2& form) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    form.SetFieldRefused(DialogField::Edit1, true);
    checks.Check(Background(form.handle(), form.Edit1, WM_CTLCOLOREDIT) == kPureRed,
                 "a refused calibration field is pure red");
    checks.Check(Background(form.handle(), form.Edit2, WM_CTLCOLOREDIT) == window,
                 "the decay field beside it keeps the window colour");
    form.SetFieldRefused(DialogField::Edit1, false);
    checks.Check(Background(form.handle(), form.Edit1, WM_CTLCOLOREDIT) == window,
                 "and the calibration field takes it back once accepted");
    form.SetFieldRefused(DialogField::Edit2, true);
    form.SetPanel2Enabled(false);
    checks.Check(Background(form.handle(), form.Edit2, WM_CTLCOLORSTATIC) == kPureRed,
                 "a refused field stays red while the lock disables it");
    form.SetPanel2Enabled(true);
    form.SetFieldRefused(DialogField::Edit2, false);
}

struct Enabled {
    bool edit1, abar, sbar, combo, shortName, modes;
    bool operator==(const Enabled&) const = default;
};

Enabled EnabledStates(const TForm2& form) {
    return {IsWindowEnabled(form.Edit1) != FALSE,
            IsWindowEnabled(form.Abar) != FALSE,
            IsWindowEnabled(form.Sbar) != FALSE,
            IsWindowEnabled(form.ComboBox1) != FALSE,
            IsWindowEnabled(form.ShortNameBox) != FALSE,
            IsWindowEnabled(form.RadioButton7) && IsWindowEnabled(form.Edit4)};
}

void Lock(TForm2& form) {
    MeterSettings = TMeterSettings{};
    form.FillFromSettings(kDevices);
    const Enabled open{true, true, true, true, true, true};
    const Enabled locked{false, false, true, false, true, false};
    Script script;
    script.Then("the dialog shows", [&] {
        if (!IsWindowVisible(form.handle())) return false;
        PostClick(form.LockSet, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
        return true;
    });
    AnswerPasswordBox(script, "LOCK Settings", "");
    script.Then("locking cancelled", [&] {
        checks.Check(!MeterSettings.Locked && !form.Checked(DialogToggle::LockSet) &&
                         EnabledStates(form) == open,
                     "a right click asks to lock; Escape leaves it unlocked and unchecked");
        PostLeftClick(form.LockSet);
        return true;
    });
    AnswerPasswordBox(script, "LOCK Settings", "Key 1");
    script.Then("locked", [&] {
        checks.Check(MeterSettings.Locked && MeterSettings.password == "Key 1" &&
                         form.Checked(DialogToggle::LockSet) && EnabledStates(form) == locked,
                     "a left click locks with the entry: Panel2, the modes and the device list "
                     "disabled, Sbar and the display name not");
        PostLeftClick(form.Sbar);
        return true;
    });
    script.Then("the colour chooser from Sbar", [&] {
        HWND chooser = ShownWindow("Color");
        if (!chooser) return false;
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    script.Then("the chooser closed", [&] {
        if (ShownWindow("Color")) return false;
        SetFocus(form.LockSet);
        PostKey(form.LockSet, VK_SPACE);
        return true;
    });
    AnswerPasswordBox(script, "Unlock Settings", "key 1");
    script.Then("a wrong password", [&] {
        checks.Check(MeterSettings.Locked && form.Checked(DialogToggle::LockSet) &&
                         EnabledStates(form) == locked,
                     "the space bar asks to unlock; another letter case keeps the lock");
        PostClick(form.LockSet, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON);
        return true;
    });
    AnswerPasswordBox(script, "Unlock Settings", "Key 1");
    script.Then("unlocked", [&] {
        checks.Check(!MeterSettings.Locked && MeterSettings.password.empty() &&
                         !form.Checked(DialogToggle::LockSet) && EnabledStates(form) == open,
                     "a middle click asks to unlock; the password unlocks everything");
        PostLeftClick(form.Button1);
        return true;
    });
    checks.Check(form.ShowModal(), "closed with OK after the lock");
    checks.Check(script.Done(), "every step ran");
}

// Opened locked under an IEC ballistics, the modes group is disabled; unlocked, it takes input
// again while the decay field, enabled with the rest of Panel2 by the system, stays grey.
void LockedModes(TForm2& form) {
    MeterSettings = TMeterSettings{};
    MeterSettings.ballistics = kIecTypeIIaBallistics;
    MeterSettings.Locked = true;
    MeterSettings.password = "Key 2";
    form.FillFromSettings(kDevices);
    checks.Check(!IsWindowEnabled(form.RadioButton7) && !IsWindowEnabled(form.Edit3) &&
                     !IsWindowEnabled(form.Edit2),
                 "opened locked, the modes group is disabled");
    Script unlock;
    AnswerPasswordBox(unlock, "Unlock Settings", "Key 2");
    form.LockSetMouseUp();
    checks.Check(!MeterSettings.Locked && IsWindowEnabled(form.RadioButton7) &&
                     IsWindowEnabled(form.Edit3) && IsWindowEnabled(form.Edit1) &&
                     !IsWindowEnabled(form.Edit2),
                 "unlocked, the group takes input again and the decay field stays grey under IEC");
    checks.Check(form.Checked(DialogToggle::RadioButton9) &&
                     !form.Checked(DialogToggle::RadioButton7) &&
                     form.Checked(DialogToggle::RadioButton3),
                 "the stored ballistics alone is on, beside the design's options");
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace
}  // namespace kestrin::wine_test

int main() {
    using namespace kestrin;
    using namespace kestrin::wine_test;
    RecordingNotifier notifier;
    SetNotifier(&notifier);
    // No settings file is read or written here: only what the dialog does in memory is checked.
    SetSettingsFilePath("wine_dialog_shell_test.ini");

    WNDCLASSA owner{};
    owner.lpfnWndProc = OwnerProc;
    owner.hInstance = GetModuleHandleA(nullptr);
    owner.lpszClassName = "KestrinTestOwner";
    RegisterClassA(&owner);
    HWND meter = CreateWindowA("KestrinTestOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                               20, 128, 370, nullptr, nullptr, owner.hInstance, nullptr);
    TForm2 form(meter);

    ClosingWays(form, meter);
    RefusedFields(form);
    Lock(form);
    LockedModes(form);
    DestroyWindow(meter);
    return checks.Summary();
}
