#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "config/dialog/control_table.h"

namespace kestrin {

// The meter window's controls, in the order the window holds them: an index into kMeterControls.
enum class MeterControl {
    Label1,
    Label2,
    dBButton,
    Label4,
    Label5,
    Label6,
    Label7,
    Label8,
    Label9,
    Label10,
    over,
    Label3,
    Label11,
    MSButton,
    Label12,
    // The loudness column's name under its bar, and its strip below the design's controls;
    // hidden while the column is not chosen.
    LULabel,
    IntegratedLabel,
    RangeLabel,
    TruePeakLabel,
    StateLabel,
    RunButton,
    ResetButton,
};

// The meter window as designed: its caption until the display name replaces it, and its controls.
constexpr const char* kDesignedCaption = "      PPM";
constexpr std::size_t kMeterControlCount = 22;
// The controls as designed come first; those after them are created hidden.
constexpr std::size_t kDesignedMeterControlCount = 15;
extern const std::array<ControlRow, kMeterControlCount> kMeterControls;

constexpr std::size_t Index(MeterControl control) { return static_cast<std::size_t>(control); }

// The captions of kMeterControls, in its order.
std::array<std::string, kMeterControlCount> DesignedCaptions();

}  // namespace kestrin
