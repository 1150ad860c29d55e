#pragma once
// The one input/output error the file layer lets pass to its callers: a file that cannot be opened.

#include <stdexcept>
#include <string>
#include <system_error>

namespace parvex {

// The system's text for an errno value with its first letter in lower case, to stand inside a
// sentence: "permission denied", "no space left on device". Safe to call from several threads.
inline std::string ErrorText(int error) {
    std::string text = std::generic_category().message(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

class EFOpenError : public std::runtime_error {
public:
    // `error` is the errno value of the failed open, 0 when none is known. The message is "Cannot
    // open file " + path, followed by ": " and the system's reason when it is known.
    explicit EFOpenError(const std::string& path, int error = 0)
        : std::runtime_error("Cannot open file " + path + (error != 0 ? ": " + ErrorText(error) : "")),
          error_(error) {}

    // Why the file could not be opened, in words: "cannot be opened: permission denied".
    std::string Reason() const {
        return error_ != 0 ? "cannot be opened: " + ErrorText(error_) : "cannot be opened";
    }
    int Error() const { return error_; }

private:
    int error_;
};

}  // namespace parvex
