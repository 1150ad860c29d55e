#include "app/platform/error_handler.h"

#include <stdexcept>
#include <string>

namespace parvex {

namespace {

std::string MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error.";
    }
}

}  // namespace

void ShowException(TPlatform& platform, std::exception_ptr error) noexcept {
    try {
        platform.ShowMessage(TMessageKind::Error, MessageOf(error));
    } catch (...) {
        // Nothing is left to report to: the box itself failed. Dropping the error keeps the event
        // loop alive, which is the handler's one promise.
    }
}

}  // namespace parvex
