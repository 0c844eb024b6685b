#pragma once

#include <pulse/pulseaudio.h>

#include <string>

namespace kestrin {

// The functions of the sound server's client library that the capture calls.
#define KESTRIN_PULSE_FUNCTIONS(X)        \
    X(pa_channel_map_init_auto)           \
    X(pa_context_connect)                 \
    X(pa_context_disconnect)              \
    X(pa_context_errno)                   \
    X(pa_context_get_server_info)         \
    X(pa_context_get_source_info_by_name) \
    X(pa_context_get_source_info_list)    \
    X(pa_context_get_state)               \
    X(pa_context_new)                     \
    X(pa_context_set_state_callback)      \
    X(pa_context_unref)                   \
    X(pa_gettimeofday)                    \
    X(pa_mainloop_free)                   \
    X(pa_mainloop_get_api)                \
    X(pa_mainloop_new)                    \
    X(pa_mainloop_quit)                   \
    X(pa_mainloop_run)                    \
    X(pa_mainloop_set_poll_func)          \
    X(pa_operation_cancel)                \
    X(pa_operation_get_state)             \
    X(pa_operation_set_state_callback)    \
    X(pa_operation_unref)                 \
    X(pa_stream_connect_record)           \
    X(pa_stream_cork)                     \
    X(pa_stream_disconnect)               \
    X(pa_stream_drop)                     \
    X(pa_stream_get_sample_spec)          \
    X(pa_stream_get_state)                \
    X(pa_stream_new)                      \
    X(pa_stream_peek)                     \
    X(pa_stream_readable_size)            \
    X(pa_stream_set_buffer_attr)          \
    X(pa_stream_set_read_callback)        \
    X(pa_stream_set_state_callback)       \
    X(pa_stream_unref)                    \
    X(pa_timeval_add)

// The client library, loaded when the program asks for it rather than by the system's loader at
// start, so that a machine without it gets the program's own plain message instead of the
// loader's. Its functions are called through this table under their own names.
struct PulseLibrary {
#define KESTRIN_PULSE_POINTER(name) decltype(&::name) name = nullptr;
    KESTRIN_PULSE_FUNCTIONS(KESTRIN_PULSE_POINTER)
#undef KESTRIN_PULSE_POINTER
};

// The file name the library is loaded by.
inline constexpr const char* kPulseLibraryFile = "libpulse.so.0";

// Loads the library once; empty when it is there with every function the capture calls, else
// what is missing: "cannot load the sound system library libpulse.so.0: <the system's reason>".
const std::string& PulseLibraryError();

// The loaded library. Throws std::runtime_error with PulseLibraryError() when it is missing.
const PulseLibrary& Pulse();

}  // namespace kestrin
