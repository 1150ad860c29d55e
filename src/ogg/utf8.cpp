#include "ogg/utf8.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "text/large_text.h"

namespace parvex {

namespace {

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined map to the C1 control of the same
// value, as the platform's own conversion does. Every other byte is its Latin-1 character.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252Char(uint8_t byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kCp1252High[byte - 0x80] : char16_t{byte};
}

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Decodes the well-formed sequence at bytes[i], if there is one: its code point and its length.
bool DecodeSequence(std::string_view bytes, std::size_t i, char32_t& cp, std::size_t& length) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(bytes[i + k]);
        if (!IsContinuation(next)) return false;
        cp = (cp << 6) | (next & 0x3F);
    }
    return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string Utf8ToWide(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        char32_t cp = 0;
        std::size_t length = 1;
        if (byte < 0x80) {
            text += static_cast<char16_t>(byte);
        } else if (!DecodeSequence(bytes, i, cp, length)) {
            text += Cp1252Char(byte);
            length = 1;
        } else if (cp < 0x10000) {
            text += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (cp >> 10));
            text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
        i += length;
    }
    return text;
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

namespace {

// Where the run of ASCII bytes (below 0x80, each a character by itself) that starts at `i` ends.
// Eight bytes are looked at at once: a comment of a hundred megabytes is checked in a few hundredths
// of a second.
std::size_t AsciiRunEnd(std::string_view bytes, std::size_t i) {
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    for (uint64_t eight = 0; bytes.size() - i >= sizeof eight; i += sizeof eight) {
        std::memcpy(&eight, bytes.data() + i, sizeof eight);
        if ((eight & kHighBits) != 0) break;
    }
    while (i < bytes.size() && static_cast<uint8_t>(bytes[i]) < 0x80) ++i;
    return i;
}

}  // namespace

// Well-formed UTF-8 comes back from the two conversions byte for byte, so it is kept as it is:
// nearly every comment is, and reading a folder converts thousands of them.
std::string ToValidUtf8(std::string_view bytes) {
    if (FirstInvalidUtf8(bytes) == std::string_view::npos) return CopyLarge(bytes);
    return WideToUtf8(Utf8ToWide(bytes));
}

std::size_t FirstInvalidUtf8(std::string_view bytes) {
    char32_t cp = 0;
    std::size_t length = 1;
    for (std::size_t i = AsciiRunEnd(bytes, 0); i < bytes.size(); i = AsciiRunEnd(bytes, i + length))
        if (!DecodeSequence(bytes, i, cp, length)) return i;
    return std::string_view::npos;
}

}  // namespace parvex
