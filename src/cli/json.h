#pragma once
// The small part of JSON that parvex-cli writes.

#include <string>
#include <string_view>

namespace parvex::cli {

// `text` as a JSON string literal, quotes included; bytes that are not UTF-8 are taken as
// Windows-1252 characters, so the result is always valid JSON.
std::string JsonString(std::string_view text);

// The members that name the file `path` in an object: "file", the name as JSON text; and where the
// name is not valid UTF-8 (so that "file" holds a stand-in for some of its bytes), also
// "file_bytes", the name's bytes in base64. No two names give the same members.
std::string JsonFileMembers(std::string_view path);

// A number as JSON writes it: the shortest form that reads back as the same value.
std::string JsonNumber(double value);

}  // namespace parvex::cli
