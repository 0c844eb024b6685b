// Saves the settings records A and B in turn, for ever, into the settings file named by its
// argument: SaveSettings then SavePosition for each, as the dialog's OK and the window's close
// do. It says "ready" on standard output before its first write and one line after each finished
// operation, so that whoever kills it knows how far it got.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "config/settings.h"
#include "tests/soak/saver_records.h"

namespace {

void Say(const char* line, size_t length) {
    // Unbuffered: a kill must not lose a line that was already said.
    if (::write(STDOUT_FILENO, line, length) != static_cast<ssize_t>(length)) std::_Exit(3);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrin;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SETTINGS_FILE\n", argv[0]);
        return 2;
    }
    SetSettingsFilePath(argv[1]);
    Say("ready\n", 6);
    for (uint64_t round = 0;; ++round) {
        MeterSettings = round % 2 == 0 ? test::SettingsRecordA() : test::SettingsRecordB();
        SaveSettings();
        Say("settings\n", 9);
        SavePosition();
        Say("position\n", 9);
    }
}
