#include "tests/wine/probed_window.h"

#include <sstream>

namespace kestrin::test {
namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

// The probe writes bytes below 0x20 or from 0x7F, and the backslash, as \xNN.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

const ProbedControl* ProbedWindow::Control(const std::string& className,
                                           const std::string& text) const {
    for (const ProbedControl& c : controls) {
        if (c.className == className && c.text == text) return &c;
    }
    return nullptr;
}

std::vector<ProbedControl> ProbedWindow::OfClass(const std::string& className) const {
    std::vector<ProbedControl> found;
    for (const ProbedControl& c : controls) {
        if (c.className == className) found.push_back(c);
    }
    return found;
}

std::string ProbedWindow::Describe() const {
    if (!found) return "(no such window)";
    std::string text = className + " \"" + caption + "\":";
    for (const ProbedControl& c : controls) {
        text += "\n  " + c.className + " " + std::to_string(c.id) + " at " +
                std::to_string(c.left) + "," + std::to_string(c.top) + " " +
                std::to_string(c.width) + "x" + std::to_string(c.height) +
                (c.usable ? "" : " unusable") + (c.checked == 1 ? " checked" : "") + " \"" +
                c.text + "\"";
    }
    return text;
}

ProbedWindow ParseProbeOutput(const std::string& output) {
    ProbedWindow window;
    std::stringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 11 && f[0] == "window") {
            window.found = true;
            window.className = f[1];
            window.left = std::stoi(f[2]);
            window.top = std::stoi(f[3]);
            window.right = std::stoi(f[4]);
            window.bottom = std::stoi(f[5]);
            window.clientWidth = std::stoi(f[6]);
            window.clientHeight = std::stoi(f[7]);
            window.enabled = f[8] == "1";
            window.style = std::stoul(f[9], nullptr, 16);
            window.caption = Unescaped(f[10]);
        } else if (f.size() == 12 && f[0] == "control") {
            ProbedControl c;
            c.className = f[1];
            c.id = std::stoi(f[2]);
            c.left = std::stoi(f[3]);
            c.top = std::stoi(f[4]);
            c.width = std::stoi(f[5]);
            c.height = std::stoi(f[6]);
            c.usable = f[7] == "1";
            c.visible = f[8] == "1";
            c.checked = std::stoi(f[9]);
            c.icon = std::stoi(f[10]);
            c.text = Unescaped(f[11]);
            window.controls.push_back(std::move(c));
        }
    }
    return window;
}

}  // namespace kestrin::test
