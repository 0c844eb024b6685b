#include "capture/pulse_library.h"

#include <dlfcn.h>

#include <stdexcept>

namespace kestrin {
namespace {

struct LoadedLibrary {
    PulseLibrary functions;
    std::string error;  // empty when every function was found
};

LoadedLibrary Load() {
    LoadedLibrary loaded;
    const std::string prefix =
        std::string("cannot load the sound system library ") + kPulseLibraryFile + ": ";
    // Never closed: the library's threads and callbacks may run until the program ends.
    void* handle = dlopen(kPulseLibraryFile, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        loaded.error = prefix + (reason ? reason : "not found");
        return loaded;
    }
#define KESTRIN_PULSE_RESOLVE(name)                                                    \
    loaded.functions.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
    if (!loaded.functions.name && loaded.error.empty()) {                              \
        loaded.error = prefix + "it has no function " #name;                           \
    }
    KESTRIN_PULSE_FUNCTIONS(KESTRIN_PULSE_RESOLVE)
#undef KESTRIN_PULSE_RESOLVE
    return loaded;
}

const LoadedLibrary& Loaded() {
    static const LoadedLibrary loaded = Load();
    return loaded;
}

}  // namespace

const std::string& PulseLibraryError() { return Loaded().error; }

const PulseLibrary& Pulse() {
    const LoadedLibrary& loaded = Loaded();
    if (!loaded.error.empty()) {
        throw std::runtime_error(loaded.error);
    }
    return loaded.functions;
}

}  // namespace kestrin
