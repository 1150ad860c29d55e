#pragma once
// The genre names offered by the two genre boxes.

#include <string>
#include <vector>

namespace parvex {

// The 115 built-in genre names, in their traditional order and spelling ("Psychadelic" included).
const std::vector<std::string>& BuiltInGenres();

// The genre list file, looked up in the current directory; when it exists it replaces the built-in
// list entirely, even when it is empty.
inline constexpr const char* kGenreFileName = "genre.txt";

}  // namespace parvex
