#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/dialog/settings_dialog.h"

// The system's handle types, declared as windows.h declares them, so that this header needs none
// of it.
struct HWND__;
struct HDC__;
struct HBRUSH__;

namespace kestrin {

// The settings dialog as a native Win32 window: every control of the meter's dialog with its
// designed name, position, text and font, shown modally over the meter window with a message loop
// of its own, so that the meter's buffers keep arriving while it is open. What the dialog does
// lives in SettingsDialog; this class creates the controls, reads and sets them, and forwards
// their events.
class TForm2 : public SettingsDialog {
  public:
    // The dialog is created hidden, owned by the meter window, which it disables while showing.
    // Without an owner given, the window that is active when it opens (the meter window that was
    // clicked) becomes its owner for that showing.
    explicit TForm2(HWND__* owner = nullptr);
    ~TForm2() override;

    HWND__* handle() const { return m_hwnd; }

    // The window procedure's work: one message of the dialog, with the system's parameters.
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::string FieldText(DialogField field) const override;
    void SetFieldText(DialogField field, const std::string& text) override;
    void SetFieldRefused(DialogField field, bool refused) override;
    void LimitShortNameTo(const std::string& current) override;
    std::string HeadroomCaption() const override;
    void SetHeadroomCaption(const std::string& text) override;
    void SetVersionCaption(const std::string& text) override;
    bool Checked(DialogToggle toggle) const override;
    void SetChecked(DialogToggle toggle, bool checked) override;
    void SetPanel2Enabled(bool enabled) override;
    void SetComboBox1Enabled(bool enabled) override;
    void SetFieldEnabled(DialogField field, bool enabled) override;
    void SetDecayNoteShown(bool shown) override;
    char DecimalSeparator() const override;
    int32_t SwatchColour(Swatch swatch) const override;
    void SetSwatchColour(Swatch swatch, int32_t colour) override;
    void FillDeviceList(const std::vector<std::string>& names, int selected) override;
    int SelectedDevice() const override;
    std::string DeviceName(int index) const override;
    std::string AskPassword(const std::string& caption, const std::string& prompt) override;
    std::optional<int32_t> ChooseColour(int32_t initial) override;
    void OpenHelp() override;
    bool ShowModal() override;
    bool Showing() const override { return m_showing; }
    void EndModal(bool ok) override;

    HWND__* Panel1 = nullptr;
    HWND__* Image1 = nullptr;
    HWND__* Label1 = nullptr;
    HWND__* Label2 = nullptr;
    HWND__* Label3 = nullptr;
    HWND__* Label17 = nullptr;
    HWND__* Panel2 = nullptr;
    HWND__* Label9 = nullptr;
    HWND__* Label5 = nullptr;
    HWND__* Edit1 = nullptr;
    HWND__* Label7 = nullptr;
    HWND__* Label6 = nullptr;
    HWND__* Label13 = nullptr;
    HWND__* Label14 = nullptr;
    HWND__* Label10 = nullptr;
    HWND__* Edit2 = nullptr;
    HWND__* Label11 = nullptr;
    HWND__* Label18 = nullptr;
    HWND__* GroupBox3 = nullptr;
    HWND__* RadioButton3 = nullptr;
    HWND__* RadioButton4 = nullptr;
    HWND__* GroupBox2 = nullptr;
    HWND__* RadioButton1 = nullptr;
    HWND__* RadioButton2 = nullptr;
    HWND__* GroupBox1 = nullptr;
    HWND__* RadioButton5 = nullptr;
    HWND__* RadioButton6 = nullptr;
    HWND__* CheckBox1 = nullptr;
    HWND__* CheckBox2 = nullptr;
    HWND__* CheckBox3 = nullptr;
    HWND__* Label8 = nullptr;
    HWND__* Label4 = nullptr;
    HWND__* Label12 = nullptr;
    HWND__* Abar = nullptr;
    HWND__* Bbar = nullptr;
    HWND__* Mbar = nullptr;
    HWND__* Sbar = nullptr;
    HWND__* Label16 = nullptr;
    HWND__* ComboBox1 = nullptr;
    HWND__* Label15 = nullptr;
    HWND__* ShortNameBox = nullptr;
    HWND__* LockSet = nullptr;
    HWND__* Button1 = nullptr;
    HWND__* GroupBox4 = nullptr;
    HWND__* RadioButton7 = nullptr;
    HWND__* RadioButton8 = nullptr;
    HWND__* RadioButton9 = nullptr;
    HWND__* RadioButton10 = nullptr;
    HWND__* CheckBox4 = nullptr;
    HWND__* Edit3 = nullptr;
    HWND__* Label19 = nullptr;
    HWND__* CheckBox5 = nullptr;
    HWND__* Edit4 = nullptr;
    HWND__* Label20 = nullptr;

  private:
    void BuildLayout();
    // Sizes the dialog for the work area of the monitor `reference` stands on (the primary one
    // without it) and centres it there: the designed client area where it fits whole, otherwise as
    // high as the area allows, with a scroll bar that reaches the rest of the controls, OK
    // included.
    void FitToWorkArea(HWND__* reference);
    // Moves the controls so that the designed row `top` stands at the client area's top.
    void ScrollTo(int top);
    // Brings the control that has the focus (Tab moved it, say) whole into view.
    void ScrollToFocus();
    void OnVerticalScroll(int request);  // a request of the scroll bar (SB_LINEUP, ...)
    void OnWheel(int delta);             // a turn of the mouse wheel, in WHEEL_DELTA units
    void OnCommand(HWND__* control, int id, int code);
    // The brush and colours of a control's background and text, or nullptr for the default.
    HBRUSH__* ControlColours(HWND__* control, HDC__* dc);
    std::optional<Swatch> SwatchOf(HWND__* control) const;
    std::optional<DialogToggle> ToggleOf(HWND__* control) const;
    std::optional<DialogField> FieldOf(HWND__* control) const;

    HWND__* m_hwnd = nullptr;
    HWND__* m_owner = nullptr;           // the meter window, when given at creation
    HWND__* m_tooltip = nullptr;         // Label17's hint
    HBRUSH__* m_refusedBrush = nullptr;  // pure red behind a refused field
    std::array<bool, std::size(kDialogFields)> m_refused{};  // per DialogField: shown as refused
    // The modes group and its controls: the dialog's own, disabled by the lock with Panel2.
    std::vector<HWND__*> m_modeControls;
    // The colour chooser's custom colours (COLORREF, 0x00BBGGRR), kept for the run.
    std::array<unsigned long, 16> m_custom{};
    int m_shownRows = 0;          // designed rows the client area shows, pixels
    int m_scrollTop = 0;          // designed rows scrolled above the client area, pixels
    bool m_showing = false;       // the modal loop runs
    bool m_closedWithOk = false;  // how the last showing ended
};

// The one settings dialog of the run, set while it exists.
extern TForm2* Form2;

}  // namespace kestrin
