#pragma once
// The application's one error handler. Every window event handler that can raise runs through
// RunHandler: an exception it raises ends the handler and is shown to the user in a modal error box,
// and never reaches the toolkit's event loop.

#include <exception>
#include <utility>

#include "app/platform/platform.h"

namespace parvex {

// Shows the message of `error` (its what() text) in a modal error box. Never raises.
void ShowException(TPlatform& platform, std::exception_ptr error) noexcept;

// Runs `handler()`; whatever it raises is shown by ShowException.
template <typename Handler>
void RunHandler(TPlatform& platform, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowException(platform, std::current_exception());
    }
}

}  // namespace parvex
