#pragma once
// Base64 as RFC 4648 defines it (alphabet "A-Z a-z 0-9 + /", "=" padding), the form in which a Vorbis
// comment carries binary data such as a picture.

#include <optional>
#include <string>
#include <string_view>

namespace parvex {

// `bytes` in base64, padded to a multiple of four characters, without line breaks.
std::string EncodeBase64(std::string_view bytes);

// The bytes `text` stands for. Blanks and line breaks are passed over and the final padding may be
// left out. Nothing when `text` holds another character, padding anywhere but at its end, or a
// group of characters that cannot end the data (a single character, or bits left over that are not 0).
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace parvex
