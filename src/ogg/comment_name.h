#pragma once
// What a comment name may hold: one or more characters of printable ASCII, 0x20 to 0x7D, without
// "=". Other programs drop or misread any other name, so the program writes no new one; names a
// file already holds are read and kept as they are, whatever they hold.

#include <string_view>

namespace parvex {

inline bool IsValidCommentName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code > 0x7D || c == '=') return false;
    }
    return true;
}

}  // namespace parvex
