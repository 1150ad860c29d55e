#pragma once
// The order people expect of names and numbers in a list: "track 2" before "track 10", letter case
// ignored, so that a sorted column reads as a person would sort it by hand.

#include <string_view>

namespace parvex {

// Compares `left` and `right` in natural order: runs of ASCII digits compare by their value (leading
// zeros ignored, a tie in value broken by the shorter run first), everything else byte by byte with
// ASCII letters folded to lower case. Returns <0, 0 or >0; 0 only for texts equal in that order
// (a tie the caller breaks as it likes).
int NaturalCompare(std::string_view left, std::string_view right);

}  // namespace parvex
