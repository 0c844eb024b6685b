#include "config/dialog/qt/help_address.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kestrin {
namespace {

// The installed documentation folder relative to the installed program's, as the build lays
// them out under any prefix ("../share/doc/kestrin").
const char* const kDocsFromProgram = KESTRIN_DOCS_FROM_PROGRAM;

}  // namespace

QString ChooseReadme(const QString& programFolder, const QString& docsFromProgram) {
    const QDir folder(programFolder);
    const QString beside = folder.filePath("README.md");
    if (QFileInfo(beside).isFile()) return beside;
    const QString installed = QDir::cleanPath(folder.filePath(docsFromProgram + "/README.md"));
    return QFileInfo(installed).isFile() ? installed : QString();
}

QUrl HelpAddress() {
    const QString readme =
        ChooseReadme(QCoreApplication::applicationDirPath(), QString::fromUtf8(kDocsFromProgram));
    return readme.isEmpty() ? QUrl() : QUrl::fromLocalFile(readme);
}

}  // namespace kestrin
