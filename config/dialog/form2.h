#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrin {

class ColourSwatch;
class LinkLabel;
class LockCheckBox;

constexpr int kShortNameMaxChars = 12;  // longest display name the operator may type

// The settings dialog: calibration, decay, display options, bar colours, input device, display
// name, the about panel and the settings lock. Created once at start-up, hidden, and reused for
// every opening; its controls keep what an opening does not set (the lock's enabled states, the
// colour last chosen in ColorDialog1).
//
// The meter window opens it on a right press (TForm1::FormMouseDown), in this order:
//   1. Form2->FillFromSettings(ListInputDevices());
//        empties and refills ComboBox1 (DeviceIndex := 0 with fewer than 2 devices, then the
//        position of the device in use when the list tells it), selects entry DeviceIndex, sets
//        Label1, fills the controls from MeterSettings and applies the lock state (Locked: LockSet
//        checked, Panel2 disabled).
//   2. const int result = Form2->exec();
//        FormClose runs inside on every close (OK, close box, Escape): a device other than the
//        one in use (told by its identity, not its position) restarts the capture; ShortName,
//        DeviceIndex and DeviceName are taken.
//   3. With OK (result == QDialog::Accepted):
//        Form2->ApplyToSettings();            cal, decay, the flags, the four colours
//        caption := MeterSettings.ShortName;
//        SetChannelLabels(); SetScaleLabels(); SaveSettings();
//      A failing SaveSettings throws and skips the rest, step 4 included.
//      Otherwise:
//        Form2->RestoreFields();              Edit1 := cal, Edit2 := decay
//   4. The always-on-top step with MeterSettings.ShortName and OnTop.
// While the dialog is open, the buffer pipeline reads Edit1 and Edit2 and writes Label14 at every
// buffer; the settings store reads LockSet when it saves.
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Opening steps 1 to 7: device list, selection, version line, controls, lock state.
    void FillFromSettings(const std::vector<std::string>& deviceNames);
    // After a close with OK: cal, decay, amber, OnTop, PeakHold, dbScale, ABLR, Msix and the
    // colours of the four swatches into MeterSettings.
    void ApplyToSettings();
    // After any other close: Edit1 and Edit2 back to the stored texts.
    void RestoreFields();

    // Closes with the modal result OK (1).
    void Button1Click();
    // Colour choice for one swatch through ColorDialog1.
    void AbarClick();
    void BbarClick();
    void MbarClick();
    void SbarClick();
    // Opens the documentation that Label17 shows.
    void Label17DblClick();
    // Every close: the input device and the display name.
    void FormClose();
    // The lock, on any mouse release over LockSet and on its toggling by the space bar.
    void LockSetMouseUp();

    // Closes the dialog; runs FormClose first when it is showing.
    void done(int result) override;

    // Asks for the lock's password: caption and prompt in, the entry out (empty when cancelled).
    // Shows the entry box of password_box.h unless replaced.
    std::function<QString(const QString& caption, const QString& prompt)> PasswordPrompt;

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    LinkLabel* Label17;
    QFrame* Panel2;
    QLabel* Label9;
    QLabel* Label5;
    QLineEdit* Edit1;
    QLabel* Label7;
    QLabel* Label6;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label10;
    QLineEdit* Edit2;
    QLabel* Label11;
    QGroupBox* GroupBox3;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton6;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QLabel* Label8;
    QLabel* Label4;
    QLabel* Label12;
    ColourSwatch* Abar;
    ColourSwatch* Bbar;
    ColourSwatch* Mbar;
    ColourSwatch* Sbar;
    QLabel* Label16;
    QComboBox* ComboBox1;
    QLabel* Label15;
    QLineEdit* ShortNameBox;
    LockCheckBox* LockSet;
    QPushButton* Button1;
    QColorDialog* ColorDialog1;

  protected:
    void showEvent(QShowEvent* event) override;
    // Escape does not close the dialog: it has no Cancel button, and closes only with OK, its
    // close box or the system menu.
    void keyPressEvent(QKeyEvent* event) override;
    // A maximize or full screen asked for by the desktop is undone: the dialog keeps its size.
    void changeEvent(QEvent* event) override;

  private:
    void BuildLayout();
    void ChooseColour(ColourSwatch* swatch);
    // The device id of the entry selected in ComboBox1, or -1 when no entry is selected or the
    // text field holds something else than the selected entry.
    int SelectedDevice() const;
    // Whether the device of that id in the list just filled is the one now recording.
    bool InUse(int deviceId) const;

    QColor m_lastChosen = Qt::black;  // colour last confirmed in ColorDialog1
};

// The one settings dialog of the run, set when it is constructed.
extern TForm2* Form2;

}  // namespace kestrin
