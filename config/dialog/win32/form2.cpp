#include "config/dialog/win32/form2.h"

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <stdexcept>

#include "config/dialog/dialog_control_map.h"
#include "config/dialog/settings_dialog_layout.h"
#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/help_address.h"
#include "config/dialog/win32/modal_loop.h"
#include "config/dialog/win32/password_box.h"
#include "config/notice.h"

namespace kestrin {

TForm2* Form2 = nullptr;

namespace {

const char* const kDialogClass = "KestrinSettings";
constexpr COLORREF kRefusedColour = 255;  // pure red behind a field whose text is refused

}  // namespace

TForm2::TForm2(HWND__* owner) : m_owner(owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    win32::RegisterDialogClasses();
    win32::RegisterFaceClass(kDialogClass, win32::FormProc<TForm2>);
    m_refusedBrush = CreateSolidBrush(kRefusedColour);
    const RECT frame = win32::CentredFrame(owner, kDialogClientWidth, kDialogClientHeight,
                                           win32::kDialogStyle, win32::kDialogExStyle);
    m_hwnd =
        CreateWindowExA(win32::kDialogExStyle, kDialogClass, kApplicationTitle, win32::kDialogStyle,
                        frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                        owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!m_hwnd) throw std::runtime_error("Unable to create the settings dialog");
    SendMessageA(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(win32::MakeFont(ControlFont::Window)),
                 FALSE);
    BuildLayout();
    Form2 = this;
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
    if (m_hwnd) {
        win32::ReleaseForm(m_hwnd);
        DestroyWindow(m_hwnd);
    }
    DeleteObject(m_refusedBrush);
}

intptr_t TForm2::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_COMMAND:
            win32::RunHandler(
                [&] { OnCommand(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam)); });
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (HBRUSH brush =
                    ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_VSCROLL:
            // The dialog's own bar; a scroll bar control would name itself.
            if (lParam == 0) {
                OnVerticalScroll(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_CLOSE:
            // The close box, the system menu and Alt+F4 close without OK.
            win32::RunHandler([&] { Close(false); });
            return 0;
        case WM_SYSCOMMAND:
            // A fixed dialog: neither made bigger nor smaller by the desktop.
            if ((wParam & 0xFFF0) == SC_MAXIMIZE || (wParam & 0xFFF0) == SC_MINIMIZE) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

// The system's dialog keys arrive as commands: Escape as IDCANCEL, Enter as BN_CLICKED from a
// push button that has the focus, and otherwise, the dialog naming no default button and no
// control having the id IDOK, as IDOK; both from no control.
void TForm2::OnCommand(HWND__* control, int id, int code) {
    if (control == Button1 && code == BN_CLICKED) {
        Button1Click();
    } else if (!control) {
        if (id == IDCANCEL) DialogKeyPressed(DialogKey::Escape);
        if (id == IDOK) DialogKeyPressed(DialogKey::Enter);
    } else if (control == Label17 && code == STN_DBLCLK) {
        Label17DblClick();
    } else if (control == LockSet && code == win32::kMouseReleased) {
        LockSetMouseUp();
    } else if (control == LockSet &&
               (code & ~(win32::kSpaceKey | win32::kPushed)) == win32::kKeyReleased) {
        LockSetKeyReleased((code & win32::kSpaceKey) != 0, (code & win32::kPushed) != 0);
    } else if (const std::optional<Swatch> swatch = SwatchOf(control)) {
        if (code == win32::kSwatchPressed) SwatchPressed(*swatch);
        if (code == win32::kSwatchReleasedInside) SwatchReleased(*swatch, true);
        if (code == win32::kSwatchReleasedOutside) SwatchReleased(*swatch, false);
    } else if (const std::optional<DialogToggle> toggle = ToggleOf(control)) {
        if (code == BN_CLICKED) ToggleClicked(*toggle);
    } else if (const std::optional<DialogField> field = FieldOf(control)) {
        if (code == EN_CHANGE) FieldEdited(*field);
    }
}

std::optional<Swatch> TForm2::SwatchOf(HWND__* control) const {
    for (Swatch swatch : kSwatches) {
        if (SwatchControl(*this, swatch) == control) return swatch;
    }
    return std::nullopt;
}

std::optional<DialogToggle> TForm2::ToggleOf(HWND__* control) const {
    for (DialogToggle toggle : kDialogToggles) {
        if (ToggleControl<HWND>(*this, toggle) == control) return toggle;
    }
    return std::nullopt;
}

std::optional<DialogField> TForm2::FieldOf(HWND__* control) const {
    for (DialogField field : kDialogFields) {
        if (FieldControl(*this, field) == control) return field;
    }
    return std::nullopt;
}

HBRUSH__* TForm2::ControlColours(HWND__* control, HDC__* dc) {
    if (const std::optional<DialogField> field = FieldOf(control)) {
        if (m_refused[static_cast<size_t>(*field)]) {
            SetBkColor(dc, kRefusedColour);
            return m_refusedBrush;
        }
        if (IsWindowEnabled(control)) {
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return GetSysColorBrush(COLOR_WINDOW);
        }
        return nullptr;  // a disabled field as the system shows one
    }
    // Labels, check and option boxes take the background of the panel they stand on.
    const int face = GetParent(control) == Panel1 ? COLOR_MENU : COLOR_BTNFACE;
    SetBkMode(dc, TRANSPARENT);
    if (control == Label17) SetTextColor(dc, RGB(0, 0, 255));
    return GetSysColorBrush(face);
}

std::string TForm2::FieldText(DialogField field) const {
    return win32::WindowText(FieldControl(*this, field));
}

void TForm2::SetFieldText(DialogField field, const std::string& text) {
    HWND edit = FieldControl(*this, field);
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETSEL, 0, 0);
}

void TForm2::SetFieldRefused(DialogField field, bool refused) {
    bool& shown = m_refused[static_cast<size_t>(field)];
    // The pipeline asks at every buffer: repaint only on a change.
    if (shown == refused) return;
    shown = refused;
    InvalidateRect(FieldControl(*this, field), nullptr, TRUE);
}

void TForm2::LimitShortNameTo(const std::string& current) {
    // A longer name from a hand-edited file is shown whole; typing cannot lengthen it further.
    const size_t limit = std::max(static_cast<size_t>(kShortNameMaxChars), current.size());
    SendMessageA(ShortNameBox, EM_LIMITTEXT, limit, 0);
}

std::string TForm2::HeadroomCaption() const { return win32::WindowText(Label14); }

void TForm2::SetHeadroomCaption(const std::string& text) { SetWindowTextA(Label14, text.c_str()); }

void TForm2::SetVersionCaption(const std::string& text) { SetWindowTextA(Label1, text.c_str()); }

bool TForm2::Checked(DialogToggle toggle) const {
    return SendMessageA(ToggleControl<HWND>(*this, toggle), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm2::SetChecked(DialogToggle toggle, bool checked) {
    SendMessageA(ToggleControl<HWND>(*this, toggle), BM_SETCHECK,
                 checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TForm2::SetPanel2Enabled(bool enabled) {
    // Every control inside takes the panel's state, and shows it.
    EnableWindow(Panel2, enabled);
    EnumChildWindows(
        Panel2,
        [](HWND child, LPARAM on) -> BOOL {
            EnableWindow(child, static_cast<BOOL>(on));
            return TRUE;
        },
        enabled ? TRUE : FALSE);
    for (HWND control : m_modeControls) EnableWindow(control, enabled);
}

void TForm2::SetComboBox1Enabled(bool enabled) { EnableWindow(ComboBox1, enabled); }

void TForm2::SetFieldEnabled(DialogField field, bool enabled) {
    EnableWindow(FieldControl(*this, field), enabled);
}

void TForm2::SetDecayNoteShown(bool shown) { ShowWindow(Label18, shown ? SW_SHOWNA : SW_HIDE); }

char TForm2::DecimalSeparator() const { return win32::DecimalSeparator(); }

int32_t TForm2::SwatchColour(Swatch swatch) const {
    return win32::SwatchColour(SwatchControl(*this, swatch));
}

void TForm2::SetSwatchColour(Swatch swatch, int32_t colour) {
    win32::SetSwatchColour(SwatchControl(*this, swatch), colour);
}

void TForm2::FillDeviceList(const std::vector<std::string>& names, int selected) {
    SendMessageA(ComboBox1, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        SendMessageA(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    const bool listed = selected >= 0 && static_cast<size_t>(selected) < names.size();
    SendMessageA(ComboBox1, CB_SETCURSEL, listed ? static_cast<WPARAM>(selected) : WPARAM(-1), 0);
    if (!listed) SetWindowTextA(ComboBox1, "");
}

int TForm2::SelectedDevice() const {
    const auto index = static_cast<int>(SendMessageA(ComboBox1, CB_GETCURSEL, 0, 0));
    if (index < 0) return -1;
    // A name typed into the list's field is no selection, even while the list still marks one.
    if (win32::WindowText(ComboBox1) != DeviceName(index)) return -1;
    return index;
}

std::string TForm2::DeviceName(int index) const {
    const auto length = SendMessageA(ComboBox1, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::string name(static_cast<size_t>(length) + 1, '\0');
    const auto copied = SendMessageA(ComboBox1, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(name.data()));
    name.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return name;
}

bool TForm2::ShowModal() {
    if (m_showing) return false;
    // The meter window that was clicked, unless it was named at creation.
    HWND owner = m_owner ? m_owner : GetActiveWindow();
    if (owner == m_hwnd) owner = nullptr;
    SetWindowLongPtrA(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    FitToWorkArea(owner);
    m_showing = true;
    m_closedWithOk = false;
    win32::RunModal(m_hwnd, owner, m_showing, [this] { ScrollToFocus(); });
    m_showing = false;
    return m_closedWithOk;
}

void TForm2::EndModal(bool ok) {
    m_closedWithOk = ok;
    m_showing = false;
}

std::string TForm2::AskPassword(const std::string& caption, const std::string& prompt) {
    return win32::AskPassword(m_hwnd, caption, prompt);
}

std::optional<int32_t> TForm2::ChooseColour(int32_t initial) {
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = m_hwnd;
    chooser.rgbResult = static_cast<COLORREF>(initial & 0xFFFFFF);
    chooser.lpCustColors = m_custom.data();
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ChooseColorA(&chooser)) return std::nullopt;
    return static_cast<int32_t>(chooser.rgbResult & 0xFFFFFF);
}

void TForm2::OpenHelp() {
    ShellExecuteA(m_hwnd, "open", win32::HelpAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kestrin
