#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "config/dialog/qt/dialog_controls.h"
#include "config/dialog/qt/help_address.h"
#include "tests/dialog/dialog_fixture.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

namespace fs = std::filesystem;

using DialogAboutPanelTest = DialogTest;

void WriteFile(const fs::path& path) { std::ofstream(path) << "# Kestrin\n"; }

// Each label stands where it stood and is as wide as its whole text, inside the panel.
TEST_F(DialogAboutPanelTest, NamesTheDevelopersAndWhereHelpIsFound) {
    Open();
    EXPECT_EQ(form->Label2->text(), "by the Kestrin developers");
    EXPECT_EQ(form->Label3->text(), "Help: the Kestrin README");
    const struct {
        QLabel* label;
        QPoint at;
    } labels[] = {{form->Label2, {93, 36}}, {form->Label3, {92, 57}}, {form->Label17, {64, 80}}};
    for (const auto& [label, at] : labels) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_EQ(label->parentWidget(), form->Panel1);
        EXPECT_EQ(label->pos(), at);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_LE(label->geometry().right(), form->Panel1->width() - 2);
    }
}

// The tests run from the build folder, with a copy of the README beside them: that is what the
// panel shows and what a double-click opens, a file that is there.
TEST_F(DialogAboutPanelTest, DoubleClickOpensTheReadmeItShows) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    Open();
    const QUrl readme =
        QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath("README.md"));
    EXPECT_EQ(form->Label17->address(), readme);
    EXPECT_TRUE(form->Label17->text().startsWith("file:///"));
    EXPECT_TRUE(form->Label17->text().endsWith("/README.md"));
    QTest::mouseClick(form->Label17, Qt::LeftButton);
    EXPECT_TRUE(recorder.urls.empty()) << "a single click opens nothing";
    QTest::mouseDClick(form->Label17, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls[0], readme);
    EXPECT_TRUE(QFileInfo(recorder.urls[0].toLocalFile()).isFile());
}

TEST(HelpAddressTest, AnAddressWiderThanItsRoomIsShownShortenedAndOpenedWhole) {
    LinkLabel label;
    const QUrl installed = QUrl::fromLocalFile("/usr/share/doc/kestrin/README.md");
    label.setAddress(installed, 271);
    EXPECT_EQ(label.text(), "file:///usr/share/doc/kestrin/README.md");
    EXPECT_EQ(label.address(), installed);

    const QUrl deep = QUrl::fromLocalFile(
        "/home/someone/projects/audio/metering/kestrin/source/"
        "checkouts/main/README.md");
    label.setAddress(deep, 271);
    EXPECT_LE(label.width(), 271);
    EXPECT_TRUE(label.text().startsWith("file:///home/"));
    EXPECT_TRUE(label.text().endsWith("/README.md"));
    EXPECT_TRUE(label.text().contains(QChar(0x2026))) << label.text().toStdString();
    EXPECT_EQ(label.address(), deep);
}

// Which README: the one beside the program while it is there, otherwise the installed
// documentation's, named without a detour through the program's folder; none for a program
// copied where neither is.
TEST(HelpAddressTest, TheReadmeBesideTheProgramOrElseTheInstalledOne) {
    TempDir dir;
    const fs::path bin = dir.path() / "usr/bin";
    const fs::path docs = dir.path() / "usr/share/doc/kestrin";
    fs::create_directories(bin);
    fs::create_directories(docs);
    const auto choose = [&] {
        return ChooseReadme(QString::fromStdString(bin.string()), "../share/doc/kestrin")
            .toStdString();
    };
    const std::string installed = (docs / "README.md").string();

    EXPECT_EQ(choose(), "") << "neither there";
    WriteFile(docs / "README.md");
    EXPECT_EQ(choose(), installed);
    WriteFile(bin / "README.md");
    EXPECT_EQ(choose(), (bin / "README.md").string());
}

}  // namespace
}  // namespace kestrin::test
