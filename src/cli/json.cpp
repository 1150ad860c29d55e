#include "cli/json.h"

#include <charconv>

#include "ogg/utf8.h"
#include "text/base64.h"
#include "text/text_utils.h"

namespace parvex::cli {

std::string JsonString(std::string_view text) { return QuotedText(ToValidUtf8(text)); }

std::string JsonFileMembers(std::string_view path) {
    const std::string text = ToValidUtf8(path);
    std::string members = "\"file\": " + QuotedText(text);
    if (text != path) members += ", \"file_bytes\": \"" + EncodeBase64(path) + "\"";
    return members;
}

std::string JsonNumber(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace parvex::cli
