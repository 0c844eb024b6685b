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
        if (row.kind == ControlKind::GroupBox) return WS_GROUP;
        const bool option = row.kind == ControlKind::RadioButton;
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

bool TakesFocus(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit:
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::ComboBox:
            return true;
        default:
            return false;
    }
}

// A label with a size given has that room for a text that changes while the dialog lives.
HWND MakeRoomLabel(HWND parent, const ControlRow& row, int x, int y) {
    const SIZE size = win32::TextSize(MakeFont(row.font), row.caption);
    return MakeControl(parent, "STATIC", row.caption,
                       SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, x, y, row.width,
                       std::max<int>(row.height, size.cy), MakeFont(row.font));
}

// Option and check boxes carry their caption left of the mark, the mark at the right edge, with
// room for the whole caption where this face runs wider than the designed one.
HWND MakeMarkButton(HWND parent, const ControlRow& row, int x, int y, DWORD style) {
    const SIZE size = win32::TextSize(MakeFont(row.font), row.caption);
    const int needed = static_cast<int>(size.cx) + kCheckGap + kCheckMark;
    return MakeControl(parent, "BUTTON", row.caption, style | BS_LEFTTEXT | WS_TABSTOP, x, y,
                       std::max(row.width, needed), row.height, MakeFont(row.font));
}

// The documentation's address, shown inside its parent's bevel: a long one shortened in the
// middle, and still opened whole.
HWND MakeLink(HWND parent, const ControlRow& row, int x, int y) {
    const std::string address = win32::HelpAddress();
    const SIZE size = win32::TextSize(MakeFont(row.font), address);
    RECT room;
    GetClientRect(parent, &room);
    return MakeControl(parent, "STATIC", address.c_str(), SS_NOTIFY | SS_NOPREFIX | SS_PATHELLIPSIS,
                       x, y, std::min<int>(size.cx, room.right - x - 2), size.cy,
                       MakeFont(row.font));
}

HWND MakeRow(HWND parent, const ControlRow& row, int x, int y, DWORD group) {
    const HFONT font = MakeFont(row.font);
    switch (row.kind) {
        case ControlKind::Label:
        case ControlKind::ScaleLabel:
            if (row.width > 0) return MakeRoomLabel(parent, row, x, y);
            return win32::MakeLabel(parent, row.caption, x, y, font);
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit:
            return MakeControl(parent, "EDIT", row.caption,
                               WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT |
                                   (row.kind == ControlKind::ReadOnlyEdit ? ES_READONLY : 0) |
                                   group,
                               x, y, row.width, row.height, font, WS_EX_CLIENTEDGE);
        case ControlKind::PushButton:
            // Drawn as the designed default button; the dialog names none, so Enter presses it
            // only when it has the focus.
            return MakeControl(parent, "BUTTON", row.caption, BS_DEFPUSHBUTTON | WS_TABSTOP | group,
                               x, y, row.width, row.height, font);
        case ControlKind::CheckBox:
            return MakeMarkButton(parent, row, x, y, BS_AUTOCHECKBOX | group);
        case ControlKind::RadioButton:
            return MakeMarkButton(parent, row, x, y, BS_AUTORADIOBUTTON | group);
        case ControlKind::GroupBox:
            return MakeControl(parent, "BUTTON", row.caption, BS_GROUPBOX | group, x, y, row.width,
                               row.height, font);
        case ControlKind::Panel:
        case ControlKind::MenuPanel:
            return win32::MakePanel(
                parent, x, y, row.width, row.height,
                row.kind == ControlKind::MenuPanel ? COLOR_MENU : COLOR_BTNFACE);
        case ControlKind::ComboBox:
            return MakeControl(parent, "COMBOBOX", row.caption,
                               CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | group, x,
                               y, row.width, kDropDownHeight, font);
        case ControlKind::Image: {
            HWND image =
                MakeControl(parent, "STATIC", "", SS_BITMAP, x, y, row.width, row.height, font);
            SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(win32::AboutIconBitmap()));
            return image;
        }
        case ControlKind::Link:
            return MakeLink(parent, row, x, y);
        case ControlKind::Swatch: {
            HWND swatch = win32::MakeSwatch(parent, x, y);
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
        int x = row.left;
        int y = row.top;
        if (*row.parent) {
            const Made& holder = made.at(row.parent);
            parent = holder.window;
            // Option buttons are their group box's siblings: the panel then sees their clicks,
            // and each group's options switch among themselves.
            if (holder.row->kind == ControlKind::GroupBox) {
                parent = GetParent(holder.window);
                x += holder.row->left;
                y += holder.row->top;
            }
        }
        const DWORD group = TakesFocus(row.kind) || row.kind == ControlKind::GroupBox
                                ? groups.Next(row, parent)
                                : 0;
        made[row.name] = {MakeRow(parent, row, x, y, group), &row};
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
