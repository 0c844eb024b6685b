#include "app/kestrin_application.h"

#include <QIcon>
#include <exception>

#include "app/message_box_notifier.h"

namespace kestrin {
namespace {

// The program's icon in the sizes it is installed in, built into the program so that its windows
// carry it wherever it runs from.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kestrin-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

void KestrinApplication::ChoosePlatform() {
    // The meter shows a few strips ten pixels wide 40 times a second. With shared-memory images
    // Qt's X backend waits for a round trip to the X server before each paint; plain image
    // requests carry such strips at once and need no answer. A choice made by the user stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY")) {
        return;
    }
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (wayland) qputenv("QT_QPA_PLATFORM", "xcb");
}

KestrinApplication::KestrinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("kestrin");
    setDesktopFileName(kDesktopEntryId);
    setWindowIcon(ProgramIcon());
}

bool KestrinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
    }
    return false;
}

}  // namespace kestrin
