// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "config/dialog/win32/about_icon.h"
#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/form2.h"
#include "config/dialog/win32/help_address.h"

namespace kestrin {
namespace {

using win32::Face;
using win32::FontSpec;
using win32::MakeFont;

const char* const kMakerLine = "by the Kestrin developers";
// Help is in the program's own documentation, which Label17 opens.
const char* const kContactLine = "Help: the Kestrin README";
constexpr int kPanel1Width = 337;  // pixels
constexpr int kLabel17Left = 64;   // pixels in Panel1
constexpr int kCheckMark = 13;     // pixels of a check or option mark
constexpr int kCheckGap = 6;       // pixels between a caption and its mark

const FontSpec kDialogFont{};  // MS Sans Serif, 11 pixels
const FontSpec kFont13{Face::SansSerif, 13};
const FontSpec kArial13{Face::Arial, 13};

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

HWND Make(HWND parent, const char* windowClass, const char* text, DWORD style, int x, int y,
          int width, int height, const FontSpec& font, DWORD exStyle = 0, int id = 0) {
    return win32::MakeControl(parent, windowClass, text, style, x, y, width, height, MakeFont(font),
                              exStyle, id);
}

HWND MakeLabel(HWND parent, const char* text, int x, int y, const FontSpec& font = kDialogFont) {
    return win32::MakeLabel(parent, text, x, y, MakeFont(font));
}

// A label whose text changes while the dialog lives gets a fixed room for it.
HWND MakeFixedLabel(HWND parent, const char* text, int x, int y, int width, int height,
                    const FontSpec& font) {
    const SIZE size = win32::TextSize(MakeFont(font), text);
    return Make(parent, "STATIC", text, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, x, y,
                width, std::max<int>(height, size.cy), font);
}

HWND MakeEdit(HWND parent, const char* text, int x, int y, int width, int height) {
    return Make(parent, "EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, x, y, width, height,
                kDialogFont, WS_EX_CLIENTEDGE);
}

// Option and check boxes carry their caption left of the mark, the mark at the right edge.
HWND MakeButton(HWND parent, const char* text, DWORD kind, int x, int y, int width, int height,
                const FontSpec& font = kDialogFont, DWORD extra = 0) {
    // Room for the whole caption where this face runs wider than the designed one.
    const SIZE size = win32::TextSize(MakeFont(font), text);
    const int needed = static_cast<int>(size.cx) + kCheckGap + kCheckMark;
    return Make(parent, "BUTTON", text, kind | BS_LEFTTEXT | WS_TABSTOP | extra, x, y,
                std::max(width, needed), height, font);
}

// A group box frames its option buttons, which are its siblings in the panel: the panel then
// sees their clicks, and each group's options switch among themselves.
HWND MakeGroup(HWND parent, const char* title, int x, int y, int width, int height,
               const FontSpec& font = kDialogFont) {
    return Make(parent, "BUTTON", title, BS_GROUPBOX | WS_GROUP, x, y, width, height, font);
}

}  // namespace

void TForm2::BuildLayout() {
    HWND dialog = m_hwnd;
    Panel1 = win32::MakePanel(dialog, 8, 8, kPanel1Width, 105, COLOR_MENU);
    Image1 = Make(Panel1, "STATIC", "", SS_BITMAP, 24, 25, 41, 40, kDialogFont);
    SendMessageA(Image1, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(win32::AboutIconBitmap()));
    Label1 = MakeFixedLabel(Panel1, "version", 95, 13, 240, 19, {Face::Arial, 16, true});
    Label2 = MakeLabel(Panel1, kMakerLine, 93, 36, kArial13);
    Label3 = MakeLabel(Panel1, kContactLine, 92, 57, kArial13);
    // Inside the panel's bevel, however long the path of the README: a long one is shown
    // shortened in the middle, and is still opened whole.
    const FontSpec link{Face::Arial, 13, false, true};
    const std::string address = win32::HelpAddress();
    const SIZE linkSize = win32::TextSize(MakeFont(link), address);
    Label17 = Make(Panel1, "STATIC", address.c_str(), SS_NOTIFY | SS_NOPREFIX | SS_PATHELLIPSIS,
                   kLabel17Left, 80, std::min<int>(linkSize.cx, kPanel1Width - kLabel17Left - 2),
                   linkSize.cy, link);

    Panel2 = win32::MakePanel(dialog, 7, 120, 338, 377, COLOR_BTNFACE);
    Label9 = MakeLabel(Panel2, "Calibration:", 12, 11, kFont13);
    Label5 = MakeLabel(Panel2, "PPM '4' or 0dB  reference = ", 12, 38, kArial13);
    Edit1 = MakeEdit(Panel2, " 0", 196, 34, 36, 24);
    Label7 = MakeLabel(Panel2, "dB", 242, 40);
    Label6 = MakeLabel(Panel2, "( eg. SMPTE -20,  Consumer - 12 )", 12, 64);
    Label13 = MakeLabel(Panel2, "Headroom = ", 196, 62, kArial13);
    Label14 = MakeFixedLabel(Panel2, "0", 275, 62, 338 - 275 - 2, 16, {Face::SansSerif, 13, true});
    Label10 = MakeLabel(Panel2, "Decay Rate", 12, 94, kFont13);
    Edit2 = MakeEdit(Panel2, " 2", 100, 90, 36, 24);
    Label11 = MakeLabel(Panel2, "( arbitary value, 1 - 10   BBC = 2 )  ", 144, 96);

    // Option buttons stand at their place in their group box, whose corner is added here.
    GroupBox3 = MakeGroup(Panel2, " M-S Mode ", 20, 136, 297, 49);
    RadioButton3 = MakeButton(Panel2, "M = (A+B)- 6dB", BS_AUTORADIOBUTTON, 20 + 16, 136 + 24, 97,
                              17, kDialogFont, WS_GROUP);
    RadioButton4 =
        MakeButton(Panel2, "M = (A+B) - 3dB", BS_AUTORADIOBUTTON, 20 + 168, 136 + 24, 113, 17);
    // The options of a group box take its face, as they would inherit it.
    GroupBox2 = MakeGroup(Panel2, "  Scale  ", 20, 196, 145, 49, kFont13);
    RadioButton1 = MakeButton(Panel2, "1 - 7", BS_AUTORADIOBUTTON, 20 + 16, 196 + 24, 49, 17,
                              kFont13, WS_GROUP);
    RadioButton2 = MakeButton(Panel2, "dB", BS_AUTORADIOBUTTON, 20 + 80, 196 + 24, 49, 17, kFont13);
    GroupBox1 = MakeGroup(Panel2, " Label ", 20, 257, 145, 49, kFont13);
    RadioButton5 =
        MakeButton(Panel2, "A B", BS_AUTORADIOBUTTON, 20 + 16, 257 + 24, 49, 17, kFont13, WS_GROUP);
    RadioButton6 = MakeButton(Panel2, "LR", BS_AUTORADIOBUTTON, 20 + 80, 257 + 24, 49, 17, kFont13);
    SendMessageA(RadioButton3, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(RadioButton1, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(RadioButton5, BM_SETCHECK, BST_CHECKED, 0);

    CheckBox1 =
        MakeButton(Panel2, "Yellow Segment", BS_AUTOCHECKBOX, 185, 202, 133, 17, kFont13, WS_GROUP);
    CheckBox2 = MakeButton(Panel2, "Always on top", BS_AUTOCHECKBOX, 185, 231, 133, 16, kFont13);
    CheckBox3 = MakeButton(Panel2, "Peak Hold", BS_AUTOCHECKBOX, 185, 260, 133, 17, kFont13);
    Label8 = MakeLabel(Panel2, "( Click on display to reset )", 185, 289);
    Label4 = MakeLabel(Panel2, "Display colour", 24, 321, kFont13);
    Label12 = MakeLabel(Panel2, "( click bar to adjust )", 24, 340);
    Abar = win32::MakeSwatch(Panel2, 184, 321);
    Bbar = win32::MakeSwatch(Panel2, 200, 321);
    Mbar = win32::MakeSwatch(Panel2, 216, 321);
    // Sbar stands within Panel2's rectangle but belongs to the dialog: above the panel, so that
    // it takes its own clicks, and still does while the panel is disabled.
    Sbar = win32::MakeSwatch(dialog, 240, 441);
    SetWindowPos(Sbar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    Label16 = MakeLabel(dialog, "Input Device", 40, 520);
    // The height given to a drop-down list is that of the list when it is open.
    ComboBox1 = Make(dialog, "COMBOBOX", "",
                     CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 128, 516,
                     169, 200, kDialogFont);
    Label15 = MakeLabel(dialog, "Display Name", 40, 552);
    ShortNameBox = MakeEdit(dialog, "", 128, 548, 81, 21);
    SendMessageA(ShortNameBox, EM_LIMITTEXT, kShortNameMaxChars, 0);
    LockSet = MakeButton(dialog, "LockSettings", BS_AUTOCHECKBOX, 40, 592, 89, 17);
    win32::WatchMouseUp(LockSet);
    Button1 = Make(dialog, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 233, 588, 64, 25,
                   kDialogFont, 0, IDOK);

    m_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                                nullptr, Instance(), nullptr);
    TTTOOLINFOA tip{};
    tip.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the controls
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = dialog;
    tip.uId = reinterpret_cast<UINT_PTR>(Label17);
    tip.lpszText = const_cast<char*>("Double-click to visit Web Site");
    SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
}

}  // namespace kestrin
