#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "config/dialog/dialog_widgets.h"
#include "config/dialog/help_address.h"
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

// The tests run from the build folder: the README of the source tree is what the panel shows
// and what a double-click opens, a file that is there.
TEST_F(DialogAboutPanelTest, DoubleClickOpensTheReadmeItShows) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    Open();
    const QUrl readme = QUrl::fromLocalFile(KESTRIN_TEST_SOURCE_README);
    EXPECT_EQ(form->Label17->text(), readme.toString());
    EXPECT_TRUE(form->Label17->text().startsWith("file:///"));
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

// Which README: the source tree's only for a program inside the build folder, and only while
// that README is there; the installed one in every other case.
TEST(HelpAddressTest, SourceReadmeOnlyForAProgramInsideItsBuildFolder) {
    TempDir dir;
    const fs::path build = dir.path() / "build";
    const fs::path source = dir.path() / "README.md";
    fs::create_directories(build / "app");
    WriteFile(build / "app/kestrin");
    fs::create_directories(dir.path() / "build-package/app");
    WriteFile(dir.path() / "build-package/app/kestrin");
    const QString installed = "/usr/share/doc/kestrin/README.md";
    const auto choose = [&](const fs::path& program, const fs::path& buildFolder) {
        return ChooseReadme(QString::fromStdString(program.string()),
                            QString::fromStdString(buildFolder.string()), installed,
                            QString::fromStdString(source.string()))
            .toStdString();
    };

    EXPECT_EQ(choose(build / "app/kestrin", build), installed.toStdString())
        << "no README in the source tree";
    WriteFile(source);
    EXPECT_EQ(choose(build / "app/kestrin", build), source.string());
    EXPECT_EQ(choose("/usr/bin/kestrin", build), installed.toStdString());
    EXPECT_EQ(choose(dir.path() / "build-package/app/kestrin", build), installed.toStdString())
        << "a folder whose name only begins like the build folder's";

    // A build folder named through a link counts as the folder it names.
    fs::create_directory_symlink(build, dir.path() / "linked");
    EXPECT_EQ(choose(build / "app/kestrin", dir.path() / "linked"), source.string());
    EXPECT_EQ(choose(dir.path() / "linked/app/kestrin", build), source.string());
}

}  // namespace
}  // namespace kestrin::test
