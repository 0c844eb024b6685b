#pragma once

#include <string>
#include <vector>

namespace kestrin::test {

// A control of a Windows program's window, as the window probe (window_probe.exe) reads it.
struct ProbedControl {
    std::string className;  // "Button", "Edit", "Static", ...
    int id = 0;
    int left = 0;  // in the window's client pixels
    int top = 0;
    int width = 0;
    int height = 0;
    bool usable = false;  // it and every window it lies in take input
    bool visible = false;
    int checked = -1;  // check box or option button: 0 or 1; -1 for other controls
    int icon = -1;     // picture control: 1 with an icon, 0 empty; -1 for other controls
    std::string text;  // bytes as the program gives them

    int centreX() const { return left + width / 2; }
    int centreY() const { return top + height / 2; }
};

// A top-level window of a Windows program as the window probe reads it. `found` is false when no
// window had the caption asked for.
struct ProbedWindow {
    bool found = false;
    std::string className;
    int left = 0;  // the frame, in screen pixels
    int top = 0;
    int right = 0;
    int bottom = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool enabled = false;
    unsigned long style = 0;
    std::string caption;
    std::vector<ProbedControl> controls;  // in the system's order

    // The first control of that class whose text is exactly `text`; nullptr when there is none.
    const ProbedControl* Control(const std::string& className, const std::string& text) const;
    // The controls of that class.
    std::vector<ProbedControl> OfClass(const std::string& className) const;
    // Classes and texts of the controls, for messages.
    std::string Describe() const;
};

// Reads the probe's output (lines of other programs, such as Wine's notes, are skipped).
ProbedWindow ParseProbeOutput(const std::string& output);

}  // namespace kestrin::test
