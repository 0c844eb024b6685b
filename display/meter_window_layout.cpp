#include "display/meter_window_layout.h"

namespace kestrin {

// Places are left, top, width and height in client pixels; labels size themselves to their text.
// The scale marks get their texts from the scale choice at every paint, the unit label too.
const std::array<ControlRow, kMeterControlCount> kMeterControls = {{
    {"Label1", ControlKind::Label, "", "", 0, 0, 0, 0, ControlFont::Window},
    {"Label2", ControlKind::Label, "", "L  R", 32, 322, 0, 0, ControlFont::WindowBold},
    {"dBButton", ControlKind::PushButton, "", "", 100, 13, 14, 14, ControlFont::Window},
    {"Label4", ControlKind::ScaleLabel, "", "", 6, 260, 0, 0, ControlFont::Scale},
    {"Label5", ControlKind::ScaleLabel, "", "", 6, 224, 0, 0, ControlFont::Scale},
    {"Label6", ControlKind::ScaleLabel, "", "", 6, 188, 0, 0, ControlFont::Scale},
    {"Label7", ControlKind::ScaleLabel, "", "", 6, 149, 0, 0, ControlFont::Scale},
    {"Label8", ControlKind::ScaleLabel, "", "", 6, 116, 0, 0, ControlFont::Scale},
    {"Label9", ControlKind::ScaleLabel, "", "", 6, 79, 0, 0, ControlFont::Scale},
    {"Label10", ControlKind::ScaleLabel, "", "", 5, 42, 0, 0, ControlFont::Scale},
    {"over", ControlKind::ReadOnlyEdit, "", "over", 32, 10, 28, 18, ControlFont::Window},
    {"Label3", ControlKind::Label, "", "M    S", 74, 322, 0, 0, ControlFont::WindowBold},
    {"Label11", ControlKind::Label, "", "S+20", 66, 13, 0, 0, ControlFont::SmallBold},
    {"MSButton", ControlKind::PushButton, "", "<", 8, 320, 17, 17, ControlFont::Window},
    {"Label12", ControlKind::ScaleLabel, "", "", 8, 295, 0, 0, ControlFont::Window},
    // The loudness column's: the meter places the name under the column's bar for the M/S
    // choice; the strip lies below the design's controls. The strip's labels keep a size that
    // takes their longest text, since a label that shrank would uncover the window, and a paint
    // of the window restarts the held peaks.
    {"LULabel", ControlKind::Label, "", "LU", 71, 322, 0, 0, ControlFont::WindowBold},
    {"IntegratedLabel", ControlKind::Label, "", "", 8, 343, 82, 14, ControlFont::Window},
    {"RangeLabel", ControlKind::Label, "", "", 8, 357, 82, 14, ControlFont::Window},
    {"TruePeakLabel", ControlKind::Label, "", "", 8, 371, 82, 14, ControlFont::Window},
    {"StateLabel", ControlKind::Label, "", "", 8, 385, 82, 14, ControlFont::Window},
    {"RunButton", ControlKind::PushButton, "", "Pause", 4, 401, 52, 18, ControlFont::Window},
    {"ResetButton", ControlKind::PushButton, "", "Reset", 58, 401, 32, 18, ControlFont::Window},
}};

std::array<std::string, kMeterControlCount> DesignedCaptions() {
    std::array<std::string, kMeterControlCount> captions;
    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        captions[i] = kMeterControls[i].caption;
    }
    return captions;
}

}  // namespace kestrin
