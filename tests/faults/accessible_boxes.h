#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kestrin::test {

// A message box as the desktop's accessibility service shows it to a screen reader.
struct ShownBox {
    std::string caption;
    std::string text;                  // the box's message; empty labels (the icon) are left out
    std::vector<std::string> buttons;  // the texts of its push buttons
};

// Reads the message boxes that the programs on a desktop show, through the accessibility bus
// of the desktop's session bus (AT-SPI): a Qt program run with accessibility on registers its
// windows there, a box as an alert with its caption as the name, its message as a label and its
// buttons as push buttons. Every call is bounded by kCallTimeoutMs.
class AccessibleBoxes {
  public:
    static constexpr int kCallTimeoutMs = 2000;

    explicit AccessibleBoxes(const std::string& sessionBusAddress);
    ~AccessibleBoxes();
    AccessibleBoxes(const AccessibleBoxes&) = delete;
    AccessibleBoxes& operator=(const AccessibleBoxes&) = delete;

    // The open message boxes of every registered program, in the order in which each program
    // created them; empty while the accessibility bus is not up yet.
    std::vector<ShownBox> Read();
    // The names of the registered programs' top-level windows, boxes included: for diagnostics.
    std::vector<std::string> TopLevelNames();

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace kestrin::test
