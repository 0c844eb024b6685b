#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrin {

// The dialog's edit fields.
enum class DialogField {
    Edit1,         // calibration       (cal)
    Edit2,         // decay             (decay)
    ShortNameBox,  // display name      (ShortName)
    Edit3,         // true-peak over level, dBTP (TPlevel)
    Edit4,         // loudness target, LUFS      (target)
};
constexpr DialogField kDialogFields[] = {DialogField::Edit1, DialogField::Edit2,
                                         DialogField::ShortNameBox, DialogField::Edit3,
                                         DialogField::Edit4};
// The dialog's check boxes and option buttons.
enum class DialogToggle {
    CheckBox1,      // "Yellow Segment"   (amber)
    CheckBox2,      // always on top      (OnTop)
    CheckBox3,      // peak hold          (PeakHold)
    RadioButton1,   // PPM scale          (dbScale off)
    RadioButton2,   // dB scale           (dbScale on)
    RadioButton3,   // M-S -6 dB          (Msix on)
    RadioButton4,   // M-S -3 dB          (Msix off)
    RadioButton5,   // "A  B"             (ABLR on)
    RadioButton6,   // "L  R"             (ABLR off)
    LockSet,        // the settings lock
    RadioButton7,   // "Design bars"         (ballistics kDesignBallistics)
    RadioButton8,   // "IEC Type I (DIN)"    (kIecTypeIBallistics)
    RadioButton9,   // "IEC Type IIa (BBC)"  (kIecTypeIIaBallistics)
    RadioButton10,  // "IEC Type IIb (EBU)"  (kIecTypeIIbBallistics)
    CheckBox4,      // true-peak over lamp   (TPover)
    CheckBox5,      // loudness column       (loudness)
};
constexpr DialogToggle kDialogToggles[] = {
    DialogToggle::CheckBox1,    DialogToggle::CheckBox2,     DialogToggle::CheckBox3,
    DialogToggle::RadioButton1, DialogToggle::RadioButton2,  DialogToggle::RadioButton3,
    DialogToggle::RadioButton4, DialogToggle::RadioButton5,  DialogToggle::RadioButton6,
    DialogToggle::LockSet,      DialogToggle::RadioButton7,  DialogToggle::RadioButton8,
    DialogToggle::RadioButton9, DialogToggle::RadioButton10, DialogToggle::CheckBox4,
    DialogToggle::CheckBox5};
// The four bar colour swatches.
enum class Swatch { Abar, Bbar, Mbar, Sbar };
constexpr Swatch kSwatches[] = {Swatch::Abar, Swatch::Bbar, Swatch::Mbar, Swatch::Sbar};
// The keys a toolkit takes for a dialog as a whole: Escape presses its Cancel button, Enter in a
// field its default button.
enum class DialogKey { Escape, Enter };

constexpr int kShortNameMaxChars = 12;  // longest display name the operator may type

// The settings dialog as the meter defines it: its opening from the settings, what OK applies,
// the closing steps (input device, display name), the colour choice, the help link and the
// settings lock. Written once; a window toolkit derives from it, creates the controls and fills in
// the platform functions below, and forwards its events to the handlers. Created once at
// start-up, hidden, and reused for every opening; its controls keep what an opening does not set
// (the lock's enabled states, the colour last chosen).
//
// The meter window opens it on a right press (MeterWindow::FormMouseDown): FillFromSettings, then
// ShowModal, during which every close runs FormClose; with OK, ApplyToSettings and the meter's
// own steps; otherwise RestoreFields. While it is open the buffer pipeline reads Edit1 and Edit2
// and writes Label14 at every buffer; the settings store reads LockSet when it saves.
class SettingsDialog {
  public:
    SettingsDialog();
    virtual ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Opening: device list, selection, version line, controls, lock state.
    void FillFromSettings(const std::vector<std::string>& deviceNames);
    // After a close with OK: cal, decay, amber, OnTop, PeakHold, dbScale, ABLR, Msix, the
    // colours of the four swatches and the meter modes (ballistics, TPover, TPlevel, loudness,
    // target) into MeterSettings.
    void ApplyToSettings();
    // After any other close: Edit1 and Edit2 back to the stored texts.
    void RestoreFields();

    // What happened in the dialog, as the toolkit reports it; what it does is decided here.

    // OK pressed, by the mouse, the space bar or Enter while it has the focus.
    void Button1Click();
    // Escape, or Enter anywhere but on a push button that has the focus.
    void DialogKeyPressed(DialogKey key);
    // A left press on a swatch, and the left button's release after it: inside the swatch or not
    // (a press the swatch lost to another window is released outside).
    void SwatchPressed(Swatch swatch);
    void SwatchReleased(Swatch swatch, bool inside);
    // A click on a swatch: the colour choice for it; the chooser opens on the colour last
    // confirmed in it.
    void AbarClick();
    void BbarClick();
    void MbarClick();
    void SbarClick();
    // A check box or option button clicked, by the mouse or the keyboard, after its own toggling.
    void ToggleClicked(DialogToggle toggle);
    // A field's text changed, by typing or otherwise.
    void FieldEdited(DialogField field);
    // Label17 double-clicked with the left button.
    void Label17DblClick();
    // The lock: any mouse button released over LockSet, after the box's own toggling; also run
    // on its toggling from the keyboard.
    void LockSetMouseUp();
    // A key released while LockSet has the focus; `pushed`: the box showed pressed down.
    void LockSetKeyReleased(bool space, bool pushed);

    // Ends a showing, with OK or without (the close box, the system menu or the desktop's close
    // key): the close steps (FormClose) run once, while the dialog still shows, however many ways
    // it is closed at once.
    void Close(bool ok);
    // Every close, whichever way: the input device and the display name.
    void FormClose();

    // Platform functions: what the toolkit does for the steps above and for the pipeline.

    // Field texts as bytes of the settings. Setting one puts the cursor at its start.
    virtual std::string FieldText(DialogField field) const = 0;
    virtual void SetFieldText(DialogField field, const std::string& text) = 0;
    // A field's background: pure red (255) while refused, the desktop's window colour otherwise.
    virtual void SetFieldRefused(DialogField field, bool refused) = 0;
    // The display name field takes kShortNameMaxChars characters, or the whole of a longer name
    // read from the file.
    virtual void LimitShortNameTo(const std::string& current) = 0;
    // Label14 (the headroom) and Label1 (the version line).
    virtual std::string HeadroomCaption() const = 0;
    virtual void SetHeadroomCaption(const std::string& text) = 0;
    virtual void SetVersionCaption(const std::string& text) = 0;
    virtual bool Checked(DialogToggle toggle) const = 0;
    virtual void SetChecked(DialogToggle toggle, bool checked) = 0;
    // Panel2 and the meter modes group (GroupBox4) hold every setting the lock protects;
    // ComboBox1 is the input device list.
    virtual void SetPanel2Enabled(bool enabled) = 0;
    // Greys one field, or gives it back its input, apart from its panel (the decay field under an
    // IEC ballistics).
    virtual void SetFieldEnabled(DialogField field, bool enabled) = 0;
    // Label18 under the decay field: why the field is greyed while an IEC ballistics is chosen.
    virtual void SetDecayNoteShown(bool shown) = 0;
    // The desktop's decimal separator as a single byte ('.' where it is none), as the meter reads
    // the calibration with it.
    virtual char DecimalSeparator() const = 0;
    virtual void SetComboBox1Enabled(bool enabled) = 0;
    // Swatch colours, 0x00BBGGRR.
    virtual int32_t SwatchColour(Swatch swatch) const = 0;
    virtual void SetSwatchColour(Swatch swatch, int32_t colour) = 0;
    // Fills ComboBox1 with the device names in id order and selects an entry; -1 selects none and
    // empties its text field.
    virtual void FillDeviceList(const std::vector<std::string>& names, int selected) = 0;
    // The entry selected in ComboBox1, or -1 when none is, or its text field holds anything else.
    virtual int SelectedDevice() const = 0;
    // The name of a device as listed in ComboBox1 (bytes as the sound system gave them).
    virtual std::string DeviceName(int index) const = 0;
    // The password entry box: caption and prompt in, the entry out (empty when cancelled).
    virtual std::string AskPassword(const std::string& caption, const std::string& prompt) = 0;
    // The desktop's colour chooser, opened on a colour; nothing when cancelled.
    virtual std::optional<int32_t> ChooseColour(int32_t initial) = 0;
    // Opens the documentation the about panel names.
    virtual void OpenHelp() = 0;
    // Shows the dialog modally: true when it was closed with OK. Buffers keep being delivered.
    virtual bool ShowModal() = 0;
    // Whether the dialog shows.
    virtual bool Showing() const = 0;
    // Ends the modal showing, with OK or without, and hides the dialog.
    virtual void EndModal(bool ok) = 0;

  protected:
    // The options the design checks before the first opening: M-S at -6 dB, the PPM scale and
    // the "A B" labels; and the design's bars, with the decay field's note hidden. The toolkit
    // calls it once its controls exist.
    void CheckDesignedOptions();

  private:
    void ChooseSwatchColour(Swatch swatch);
    // The meter modes group: filled at opening, taken with OK.
    void FillModes();
    void ApplyModes();
    // Panel2 and the modes group enabled or disabled by the lock, the decay field after them.
    void EnableLockedSettings(bool enabled);
    // The decay field takes input only with the design's bars (and while Panel2 does); under an
    // IEC ballistics Label18 says why it does not.
    void ShowDecayState();
    // A modes field is refused in red while its text is not a number.
    void CheckModeField(DialogField field);
    // Whether the device of that id in the list just filled is the one now recording.
    bool InUse(int deviceId) const;

    int32_t m_lastChosen = 0;               // 0x00BBGGRR, colour last confirmed in the chooser
    std::optional<Swatch> m_pressedSwatch;  // a left press on it awaits its release
    bool m_closing = false;                 // the close steps run
    bool m_settingsEnabled = true;          // Panel2 and the modes group take input (unlocked)
};

// The settings dialog of the run, set while it exists.
SettingsDialog* TheSettingsDialog();

}  // namespace kestrin
