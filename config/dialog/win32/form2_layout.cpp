// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "config/dialog/settings_dialog_layout.h"
#include "config/dialog/win32/about_icon.h"
#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/form2.h"
#include "config/dialog/win32/help_address.h"

namespace kestrin {
namespace {

using win32::MakeControl;
using win32::MakeFont;

constexpr int kCheckMark = 13;  // pixels of a check or option mark
constexpr int kCheckGap = 6;    // pixels between a caption and its mark
// The height of the device list when it is open: the system sizes its field to the font.
constexpr int kDropDownHeight = 200;

// What the controls made so far are, by name.
struct Made {
    HWND window = nullptr;
    const ControlRow* row = nullptr;
};
using MadeControls = std::map<std::string_view, Made>;

// The keyboard's groups: a group box starts one, and so does the first option of a group box,
// and a control that takes the focus after an option or after the controls of another parent.
struct TabGroups {
    HWND lastParent = nullptr;      // of the last control that takes the focus
    bool lastWasOption = false;     // that control is an option button
    std::string_view lastGroupBox;  // the group box of the last option button
    DWORD Next(const ControlRow& row, HWND parent) {
        using enum ControlKind;
        if (row.kind == GroupBox) return WS_GROUP;
        const bool option = row.kind == RadioButton;
        const bool takesFocus = option || row.kind == Edit || row.kind == ReadOnlyEdit ||
                                row.kind == PushButton || row.kind == CheckBox ||
                                row.kind == ComboBox;
        if (!takesFocus) return 0;
        bool starts = false;
        if (option) {
            starts = lastGroupBox != row.parent;
            lastGroupBox = row.parent;
        } else {
            starts = lastParent && (lastWasOption || lastParent != parent);
        }
        lastParent = parent;
        lastWasOption = option;
        return starts ? WS_GROUP : 0;
    }
};

// A label with a size given has that room for a text that changes while the dialog lives.
HWND MakeRoomLabel(HWND parent, const ControlRow& row) {
    const HFONT font = MakeFont(row.font);
    const SIZE size = win32::TextSize(font, row.caption);
    return MakeControl(parent, "STATIC", row.caption,
                       SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, row.left, row.top,
                       row.width, std::max<int>(row.height, size.cy), font);
}

// Option and check boxes carry their caption left of the mark, the mark at the right edge, with
// room for the whole caption where this face runs wider than the designed one.
HWND MakeMarkButton(HWND parent, const ControlRow& row, DWORD style) {
    const SIZE size = win32::TextSize(MakeFont(row.font), row.caption);
    const int needed = static_cast<int>(size.cx) + kCheckGap + kCheckMark;
    return MakeControl(parent, "BUTTON", row.caption, style | BS_LEFTTEXT | WS_TABSTOP, row.left,
                       row.top, std::max(row.width, needed), row.height, MakeFont(row.font));
}

// The documentation's address, shown inside its parent's bevel: a long one shortened in the
// middle, and still opened whole.
HWND MakeLink(HWND parent, const ControlRow& row) {
    const std::string address = win32::HelpAddress();
    const SIZE size = win32::TextSize(MakeFont(row.font), address);
    RECT room;
    GetClientRect(parent, &room);
    return MakeControl(parent, "STATIC", address.c_str(), SS_NOTIFY | SS_NOPREFIX | SS_PATHELLIPSIS,
                       row.left, row.top, std::min<int>(size.cx, room.right - row.left - 2),
                       size.cy, MakeFont(row.font));
}

HWND MakeRow(HWND parent, const ControlRow& row, DWORD group) {
    const HFONT font = MakeFont(row.font);
    // A control of a system class with the row's caption, place and size.
    const auto make = [&](const char* windowClass, DWORD style, DWORD exStyle = 0) {
        return MakeControl(parent, windowClass, row.caption, style | group, row.left, row.top,
                           row.width, row.height, font, exStyle);
    };
    switch (row.kind) {
        case ControlKind::Label:
        case ControlKind::ScaleLabel:  // the dialog has no scale panel: a label as any other
            if (row.width > 0) return MakeRoomLabel(parent, row);
            return win32::MakeLabel(parent, row.caption, row.left, row.top, font);
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit:
            return make("EDIT",
                        WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT |
                            (row.kind == ControlKind::ReadOnlyEdit ? ES_READONLY : 0),
                        WS_EX_CLIENTEDGE);
        case ControlKind::PushButton:
            // Drawn as the designed default button; the dialog names none, so Enter presses it
            // only when it has the focus.
            return make("BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP);
        case ControlKind::CheckBox:
            return MakeMarkButton(parent, row, BS_AUTOCHECKBOX | group);
        case ControlKind::RadioButton:
            return MakeMarkButton(parent, row, BS_AUTORADIOBUTTON | group);
        case ControlKind::GroupBox:
            return make("BUTTON", BS_GROUPBOX);
        case ControlKind::Panel:
        case ControlKind::MenuPanel:
            return win32::MakePanel(
                parent, row.left, row.top, row.width, row.height,
                row.kind == ControlKind::MenuPanel ? COLOR_MENU : COLOR_BTNFACE);
        case ControlKind::ComboBox:
            return MakeControl(parent, "COMBOBOX", row.caption,
                               CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | group,
                               row.left, row.top, row.width, kDropDownHeight, font);
        case ControlKind::Image: {
            HWND image = make("STATIC", SS_BITMAP);
            SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(win32::AboutIconBitmap()));
            return image;
        }
        case ControlKind::Link:
            return MakeLink(parent, row);
        case ControlKind::Swatch: {
            HWND swatch = win32::MakeSwatch(parent, row.left, row.top);
            // One of the window's own stands within a panel's rectangle: above the panel, so
            // that it takes its own clicks.
            if (!*row.parent) {
                SetWindowPos(swatch, HWND_TOP, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
            return swatch;
        }
    }
    return nullptr;
}

}  // namespace

void TForm2::BuildLayout() {
    MadeControls made;
    TabGroups groups;
    for (const ControlRow& row : SettingsDialogControls()) {
        HWND parent = m_hwnd;
        ControlRow placed = row;
        if (*row.parent) {
            const Made& holder = made.at(row.parent);
            parent = holder.window;
            // Option buttons are their group box's siblings: the panel then sees their clicks,
            // and each group's options switch among themselves.
            if (holder.row->kind == ControlKind::GroupBox) {
                parent = GetParent(holder.window);
                placed.left += holder.row->left;
                placed.top += holder.row->top;
            }
        }
        made[row.name] = {MakeRow(parent, placed, groups.Next(row, parent)), &row};
        if (std::string_view(row.name) == kModesGroup ||
            std::string_view(row.parent) == kModesGroup) {
            m_modeControls.push_back(made[row.name].window);
        }
    }
#define KESTRIN_BIND(name) name = made.at(#name).window;
    KESTRIN_SETTINGS_DIALOG_CONTROLS(KESTRIN_BIND)
#undef KESTRIN_BIND

    SendMessageA(ShortNameBox, EM_LIMITTEXT, kShortNameMaxChars, 0);
    win32::WatchMouseUp(LockSet);
    m_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    TTTOOLINFOA tip{};
    tip.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the controls
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = m_hwnd;
    tip.uId = reinterpret_cast<UINT_PTR>(Label17);
    tip.lpszText = const_cast<char*>(kLinkHint);
    SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
    CheckDesignedOptions();
}

}  // namespace kestrin
