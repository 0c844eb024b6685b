#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "config/dialog/settings_dialog.h"

class QCheckBox;
class QColorDialog;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QRect;
class QScrollArea;

namespace kestrin {

class ColourSwatch;
class LinkLabel;
class LockCheckBox;

// The settings dialog as a Qt dialog: calibration, decay, display options, bar colours, input
// device, display name, the about panel and the settings lock, with the meter's own steps of
// opening, closing and locking (SettingsDialog) working on them. Created once at start-up,
// hidden, and reused for every opening.
class TForm2 : public QDialog, public SettingsDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Every way Qt ends the dialog (accept, reject) is a close of the settings dialog.
    void done(int result) override;

    // Sizes the dialog to show its controls whole within the work area (screen pixels) and
    // centres it there. A work area too low for them leaves the dialog as high as the area allows,
    // with a scroll bar that reaches the rest, OK included.
    void FitToWorkArea(const QRect& workArea);
    // The panel that holds every control at the designed positions; it scrolls within the dialog.
    QWidget* Contents() const { return m_contents; }

    // Platform functions of the settings dialog.
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
    bool Showing() const override { return isVisible(); }
    void EndModal(bool ok) override;

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
    QLabel* Label18;
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
    QGroupBox* GroupBox4;
    QRadioButton* RadioButton7;
    QRadioButton* RadioButton8;
    QRadioButton* RadioButton9;
    QRadioButton* RadioButton10;
    QCheckBox* CheckBox4;
    QLineEdit* Edit3;
    QLabel* Label19;
    QCheckBox* CheckBox5;
    QLineEdit* Edit4;
    QLabel* Label20;
    QColorDialog* ColorDialog1;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and Enter go to the settings dialog, unless a push button with the focus takes Enter.
    void keyPressEvent(QKeyEvent* event) override;
    // A maximize or full screen asked for by the desktop is undone: the dialog keeps its size.
    void changeEvent(QEvent* event) override;

  private:
    void BuildLayout();

    QScrollArea* m_scroller = nullptr;  // the dialog's client area, showing m_contents
    QWidget* m_contents = nullptr;      // kDialogClientWidth x kDialogClientHeight pixels

    // A field's text as last set, in bytes and as shown: while the field still shows it, its
    // text is those bytes, so that a setting that is not UTF-8 (a hand-edited file) survives an
    // opening of the dialog in which nobody touched it.
    struct FieldBytes {
        std::string bytes;
        QString shown;
    };
    std::array<FieldBytes, std::size(kDialogFields)> m_fieldBytes;  // per DialogField
};

// The one settings dialog of the run, set when it is constructed.
extern TForm2* Form2;

}  // namespace kestrin
