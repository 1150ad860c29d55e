#include "text/base64.h"

#include <array>
#include <cstdint>

namespace parvex {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kNotBase64 = -1;

// The 6-bit value of each character of the alphabet; kNotBase64 for every other byte.
constexpr std::array<int8_t, 256> DecodeTable() {
    std::array<int8_t, 256> table{};
    table.fill(kNotBase64);
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}
constexpr std::array<int8_t, 256> kDecode = DecodeTable();

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

// Three bytes make four characters of six bits each; a last group of one or two bytes makes two or
// three characters and "==" or "=".
std::string EncodeBase64(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = static_cast<uint8_t>(bytes[i]) << 16 |
                               static_cast<uint8_t>(bytes[i + 1]) << 8 | static_cast<uint8_t>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(group >> shift) & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 0) return text;
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (rest == 2) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    text += kAlphabet[(group >> 18) & 0x3F];
    text += kAlphabet[(group >> 12) & 0x3F];
    text += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
    text += '=';
    return text;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int bitCount = 0;
    std::size_t characters = 0;  // of the alphabet, so far
    std::size_t padding = 0;
    for (const char c : text) {
        if (IsSpace(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int8_t value = kDecode[static_cast<unsigned char>(c)];
        if (value == kNotBase64 || padding > 0) return std::nullopt;
        bits = bits << 6 | static_cast<uint32_t>(value);
        bitCount += 6;
        ++characters;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    const std::size_t lastGroup = characters % 4;
    // One character holds no whole byte; the padding fills the last group and nothing more.
    if (lastGroup == 1) return std::nullopt;
    if (padding > 0 && (lastGroup == 0 || lastGroup + padding != 4)) return std::nullopt;
    if ((bits & ((1u << bitCount) - 1)) != 0) return std::nullopt;
    return bytes;
}

}  // namespace parvex
