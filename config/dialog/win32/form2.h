#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/dialog/settings_dialog.h"

namespace kestrin {

// The settings dialog as a native Win32 window: every control of the meter's dialog with its
// designed name, position, text and font, shown modally over the meter window with a message loop
// of its own, so that the meter's buffers keep arriving while it is open. What the dialog does
// lives in SettingsDialog; this class creates the controls, reads and sets them, and forwards
// their events.
class TForm2 : public SettingsDialog {
  public:
    // The dialog is created hidden, owned by the meter window, which it disables while showing.
    explicit TForm2(HWND owner);
    ~TForm2() override;

    HWND Handle() const { return m_hwnd; }

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
    int32_t SwatchColour(Swatch swatch) const override;
    void SetSwatchColour(Swatch swatch, int32_t colour) override;
    void FillDeviceList(const std::vector<std::string>& names, int selected) override;
    int SelectedDevice() const override;
    std::string DeviceName(int index) const override;
    std::string AskPassword(const std::string& caption, const std::string& prompt) override;
    std::optional<int32_t> ChooseColour(int32_t initial) override;
    void OpenHelp() override;
    bool ShowModal() override;
    void CloseModal(bool ok) override;

    HWND Panel1 = nullptr;
    HWND Image1 = nullptr;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Label17 = nullptr;
    HWND Panel2 = nullptr;
    HWND Label9 = nullptr;
    HWND Label5 = nullptr;
    HWND Edit1 = nullptr;
    HWND Label7 = nullptr;
    HWND Label6 = nullptr;
    HWND Label13 = nullptr;
    HWND Label14 = nullptr;
    HWND Label10 = nullptr;
    HWND Edit2 = nullptr;
    HWND Label11 = nullptr;
    HWND GroupBox3 = nullptr;
    HWND RadioButton3 = nullptr;
    HWND RadioButton4 = nullptr;
    HWND GroupBox2 = nullptr;
    HWND RadioButton1 = nullptr;
    HWND RadioButton2 = nullptr;
    HWND GroupBox1 = nullptr;
    HWND RadioButton5 = nullptr;
    HWND RadioButton6 = nullptr;
    HWND CheckBox1 = nullptr;
    HWND CheckBox2 = nullptr;
    HWND CheckBox3 = nullptr;
    HWND Label8 = nullptr;
    HWND Label4 = nullptr;
    HWND Label12 = nullptr;
    HWND Abar = nullptr;
    HWND Bbar = nullptr;
    HWND Mbar = nullptr;
    HWND Sbar = nullptr;
    HWND Label16 = nullptr;
    HWND ComboBox1 = nullptr;
    HWND Label15 = nullptr;
    HWND ShortNameBox = nullptr;
    HWND LockSet = nullptr;
    HWND Button1 = nullptr;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildLayout();
    void OnCommand(HWND control, int code);
    // The brush and colours of a control's background and text, or nullptr for the default.
    HBRUSH ControlColours(HWND control, HDC dc);
    HWND FieldHandle(DialogField field) const;
    HWND ToggleHandle(DialogToggle toggle) const;
    HWND SwatchHandle(Swatch swatch) const;

    HWND m_hwnd = nullptr;
    HWND m_owner = nullptr;               // the meter window
    HWND m_tooltip = nullptr;             // Label17's hint
    HBRUSH m_refusedBrush = nullptr;      // pure red behind a refused field
    std::array<bool, 3> m_refused{};      // per DialogField: shown as refused
    std::array<COLORREF, 16> m_custom{};  // the colour chooser's custom colours, kept for the run
    bool m_showing = false;               // the modal loop runs
    bool m_closing = false;               // the close steps of this showing have begun
    bool m_closedWithOk = false;          // how the last showing ended
};

// The one settings dialog of the run, set while it exists.
extern TForm2* Form2;

}  // namespace kestrin
