#include "config/dialog/help_address.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kestrin {
namespace {

// Where the build put things, known when it compiled this file.
const char* const kInstalledReadme = KESTRIN_INSTALLED_README;
const char* const kSourceReadme = KESTRIN_SOURCE_README;
const char* const kBuildFolder = KESTRIN_BUILD_FOLDER;

// The path with links resolved where it exists, so that a build folder reached through a link
// still counts; as given otherwise.
QString Resolved(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

}  // namespace

QString ChooseReadme(const QString& programPath, const QString& buildFolder,
                     const QString& installedReadme, const QString& sourceReadme) {
    const QString folder = Resolved(buildFolder) + '/';
    const bool fromBuild = Resolved(programPath).startsWith(folder);
    if (fromBuild && QFileInfo(sourceReadme).isFile()) return sourceReadme;
    return installedReadme;
}

QUrl HelpAddress() {
    return QUrl::fromLocalFile(
        ChooseReadme(QCoreApplication::applicationFilePath(), QString::fromUtf8(kBuildFolder),
                     QString::fromUtf8(kInstalledReadme), QString::fromUtf8(kSourceReadme)));
}

}  // namespace kestrin
