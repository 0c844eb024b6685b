#pragma once

#include <QString>
#include <QUrl>

namespace kestrin {

// The program's documentation, which the about panel shows and opens: the README installed with
// the program, or, for a copy run from inside its build folder, the README of the source tree it
// was built from while that file is still there. A local file, so that it opens on a machine
// without a network.
QUrl HelpAddress();

// The choice behind HelpAddress, for a program at programPath built in buildFolder: the source
// tree's README when the program lies inside buildFolder and sourceReadme exists, otherwise
// installedReadme.
QString ChooseReadme(const QString& programPath, const QString& buildFolder,
                     const QString& installedReadme, const QString& sourceReadme);

}  // namespace kestrin
