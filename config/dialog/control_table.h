#pragma once

#include <cstddef>

namespace kestrin {

// What a row of a window's control table creates; each toolkit maps a kind onto its own control.
enum class ControlKind {
    Label,  // sizes itself to its caption unless the row gives a size
    Edit,   // a one-line text field
    ReadOnlyEdit,
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    Panel,
    ComboBox,
    Image,       // a picture, drawn from its top-left corner
    Link,        // a label that names an address, which a double-click opens
    Swatch,      // a colour sample in a lowered bevel
    MenuPanel,   // a panel in the desktop's menu colour
    ScaleLabel,  // a label in white on black, standing on the meter's black scale panel
};

// The faces of the designed windows, at fixed pixel heights whatever the screen's resolution.
enum class ControlFont {
    Window,      // the window's own face, 11 pixels
    WindowBold,  // the same, bold
    SmallBold,   // 8 pixels, bold
    Scale,       // the scale marks' face, 11 pixels
    Large,       // the window's face, 13 pixels
    LargeBold,   // the same, bold
    Text,        // the scale marks' face, 13 pixels
    Link,        // the same, underlined
    Title,       // the same, 16 pixels, bold
};

// A face of ControlFont as each toolkit asks for it.
struct FontSpec {
    bool scaleFace;  // the scale marks' face; otherwise the window's own
    int pixels;      // character height
    bool bold;
    bool underline;
};

constexpr FontSpec SpecOf(ControlFont font) {
    constexpr FontSpec kSpecs[] = {
        {false, 11, false, false},  // Window
        {false, 11, true, false},   // WindowBold
        {false, 8, true, false},    // SmallBold
        {true, 11, false, false},   // Scale
        {false, 13, false, false},  // Large
        {false, 13, true, false},   // LargeBold
        {true, 13, false, false},   // Text
        {true, 13, false, true},    // Link
        {true, 16, true, false},    // Title
    };
    return kSpecs[static_cast<size_t>(font)];
}

// One control of a designed window, in the designer's terms. Places are in pixels of the client
// area of the control's parent; a width and height of 0 size a label to its caption.
struct ControlRow {
    const char* name;  // the designer's name: "Label4", "Edit1", "dBButton"
    ControlKind kind;
    const char* parent;   // the group box or panel it stands in; "" for the window itself
    const char* caption;  // as shown; "" where the meter sets it later
    int left;
    int top;
    int width;
    int height;
    ControlFont font;
};

}  // namespace kestrin
