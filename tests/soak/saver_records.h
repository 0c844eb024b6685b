#pragma once

#include "config/settings.h"

namespace kestrin::test {

// Two complete settings records that differ in every field the settings dialog saves, for the
// saver that is killed while it writes them. They share showMS: it is the one key only
// SavePosition writes, so that every file a finished operation leaves holds exactly one of them.
inline TMeterSettings SettingsRecordA() {
    TMeterSettings s;
    s.DeviceName = "Monitor of Null Output";
    s.ShortName = "Studio A";
    s.cal = "-18";
    s.decay = "3";
    s.password = "";
    s.amber = true;
    s.OnTop = false;
    s.PeakHold = true;
    s.dbScale = false;
    s.Msix = true;
    s.Locked = false;
    s.ABLR = true;
    s.Acolor = 0x0000FF;
    s.Bcolor = 0x00FF00;
    s.Mcolor = 0xFFFFFF;
    s.Scolor = 0x00FFFF;
    s.left = 40;
    s.top = 900;
    return s;
}

inline TMeterSettings SettingsRecordB() {
    TMeterSettings s;
    s.DeviceName = "USB Audio Line In";
    s.ShortName = "Control Room";
    s.cal = "-20.5";
    s.decay = "12";
    s.password = "lock me";
    s.amber = false;
    s.OnTop = true;
    s.PeakHold = false;
    s.dbScale = true;
    s.Msix = false;
    s.Locked = true;
    s.ABLR = false;
    s.Acolor = 0x123456;
    s.Bcolor = 0x654321;
    s.Mcolor = 0x000080;
    s.Scolor = 0x808000;
    s.left = -1200;
    s.top = 15;
    return s;
}

}  // namespace kestrin::test
