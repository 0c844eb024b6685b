#pragma once

#include <QString>
#include <QUrl>

namespace kestrin {

// The program's documentation, which the about panel shows and opens, found from the program's
// own folder: README.md beside the program (as a program run from its build folder has it), or
// else the README of the documentation folder the program is installed with. A local file, so
// that it opens on a machine without a network. Empty for a program copied away from both: the
// about panel then shows no address rather than one that leads nowhere.
QUrl HelpAddress();

// The choice behind HelpAddress for a program in programFolder whose installed documentation is
// at docsFromProgram, relative to that folder: the README beside the program when it is there,
// otherwise the installed one when that is there, otherwise empty.
QString ChooseReadme(const QString& programFolder, const QString& docsFromProgram);

}  // namespace kestrin
