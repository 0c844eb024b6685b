#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "config/dialog/qt/form2.h"
#include "config/settings.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// Every field of the settings record, for comparing a record before and after.
inline auto Fields(const TMeterSettings& s) {
    return std::make_tuple(s.DeviceName, s.ShortName, s.cal, s.decay, s.password, s.amber, s.OnTop,
                           s.PeakHold, s.dbScale, s.Msix, s.Locked, s.ABLR, s.showMS, s.Acolor,
                           s.Bcolor, s.Mcolor, s.Scolor, s.left, s.top);
}

// Collects the addresses the desktop is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    std::vector<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

// A fresh settings dialog on default settings with device 0 in use. The lock's entry box is
// answered from a queue and every question it asks is recorded.
class DialogTest : public ::testing::Test {
  protected:
    struct Question {
        QString caption;
        QString prompt;
        bool lockSetChecked;  // state of the box when the question was asked
    };

    void SetUp() override;
    void TearDown() override;

    // The dialog side of an opening with these devices, then shown (not modally).
    void Open(const std::vector<std::string>& devices = {"Line In", "Microphone"});
    void CloseWithOk();
    void CloseWithCloseBox();
    // Escape pressed where the focus is: in one of the fields.
    void PressEscape();

    // The lock's entry box will be answered with these, in order, each typed and confirmed with
    // OK.
    void Answer(const QString& entry) { m_answers.push_back(entry); }
    void ClickLockSet(Qt::MouseButton button = Qt::LeftButton);
    // The lock's whole state agrees: box, record and the two controls it disables.
    void ExpectLocked(bool comboEnabled = false);
    void ExpectUnlocked();

    // The colour chooser, once opened by a swatch click, records the colour it shows and then
    // confirms `choice` or, without one, is cancelled.
    void AnswerColourDialog(std::optional<QColor> choice);
    std::optional<QColor> m_colourShown;  // what the chooser showed when it opened

    TempDir folder;  // holds the settings file, should anything write it
    std::unique_ptr<TForm2> form;
    RecordingNotifier notes;
    std::vector<Question> questions;

  private:
    void AnswerShownBox();

    std::deque<QString> m_answers;
    std::unique_ptr<QTimer> m_answerer;  // answers the entry box while it shows
};

}  // namespace kestrin::test
