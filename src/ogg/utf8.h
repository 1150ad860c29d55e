#pragma once
// Conversion of comment values between UTF-8 bytes and UTF-16 text.

#include <string>
#include <string_view>

namespace parvex {

// Decodes UTF-8. Characters beyond U+FFFF become surrogate pairs. A byte that does not begin a
// well-formed sequence (a stray continuation byte, a cut-off or overlong sequence, an encoded
// surrogate, a value past U+10FFFF) is taken as the Windows-1252 character of that byte, and
// decoding goes on with the next byte: text stored as Latin-1 by another program still reads as
// its text.
std::u16string Utf8ToWide(std::string_view bytes);

// Encodes UTF-16 as UTF-8. A surrogate pair becomes one four-byte sequence; a surrogate without
// its partner becomes U+FFFD, so the output is always well-formed UTF-8.
std::string WideToUtf8(std::u16string_view text);

// Well-formed UTF-8 for any bytes: Utf8ToWide followed by WideToUtf8.
std::string ToValidUtf8(std::string_view bytes);

// The offset of the first byte of `bytes` that does not begin a well-formed UTF-8 sequence (see
// Utf8ToWide), or std::string_view::npos when all of it is well-formed.
std::size_t FirstInvalidUtf8(std::string_view bytes);

}  // namespace parvex
