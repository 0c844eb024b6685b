#pragma once

#include <QApplication>

namespace kestrin {

// The application titled "Kestrin". An error raised in an event handler and not handled there
// ends that handler and is reported in a box captioned with the title; the program runs on.
class KestrinApplication : public QApplication {
  public:
    // The application's title. Not set as Qt's display name, which the X11 platform would append
    // to every window caption (" Kestrin Error — Kestrin"), so captions stay exactly as given.
    static constexpr const char* kTitle = "Kestrin";

    KestrinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kestrin
