#pragma once

#include <exception>

namespace kestrin {

// The program's answer to an error that an event handler raised and did not handle itself: an
// error box captioned with the application's title, "Kestrin", and its text; the program runs on.
// Window procedures run each handler through RunHandler, since nothing may be thrown through the
// system's dispatch of a message.
void ShowHandlerError(const char* text);

template <typename Handler>
void RunHandler(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowHandlerError(error.what());
    }
}

}  // namespace kestrin
