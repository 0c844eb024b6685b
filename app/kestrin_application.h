#pragma once

#include <QApplication>

namespace kestrin {

// The application titled kApplicationTitle. An error raised in an event handler and not handled
// there ends that handler and is reported in a box captioned with the title; the program runs on.
// The title is not set as Qt's display name, which the X11 platform would append to every window
// caption (" Kestrin Error — Kestrin"), so captions stay exactly as given.
class KestrinApplication : public QApplication {
  public:
    // The id of the installed desktop entry, by which docks, task bars and Wayland compositors
    // find the program's name and icon.
    static constexpr const char* kDesktopEntryId = "example.kestrin_meter.Kestrin";

    // Runs before the application object exists. On a Wayland session that also offers X11
    // (XWayland) the meter runs as an X11 client unless the operator has chosen a platform
    // (QT_QPA_PLATFORM): only there can a window keep its stored position and ask to stay on top.
    // On X11 the window's strips go out as plain image requests (QT_XCB_NO_MITSHM) unless the
    // operator has chosen otherwise.
    static void ChoosePlatform();

    KestrinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kestrin
