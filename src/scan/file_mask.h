#pragma once
// File-name masks: "*" stands for any run of characters, "?" for one character, and ASCII letters
// match without regard to case, so "*.ogg" finds "Song.OGG".

#include <string>
#include <string_view>

namespace parvex {

// Whether the file name `name` (no folder part) matches the listing mask `mask`. A mask ending in
// ".*" also matches a name without that extension, so "*.*" matches every name and "readme.*"
// matches "README". An empty mask matches nothing.
bool MatchesFileName(std::string_view name, std::string_view mask);

// A mask as the search takes it from the user: empty becomes "*.*", and a mask without any "."
// gets ".*" appended ("song" becomes "song.*").
std::string CompleteMask(std::string_view mask);

// The exclusion test: whether `path` (folder and name) matches `mask`, which may carry a folder part.
// Letter case is ignored. With a folder part, the path's folder must end with it ("rock/*.ogg" refuses
// "/music/rock/a.ogg"). The names are compared dot-aware: "?" matches one character but not ".", and
// is skipped where the name has a "."; a "*" that reaches a "." of the name jumps to the mask's next
// "."; an empty mask name matches any name. So "*.*" matches "a.b" and "*" matches "readme" but not
// "a.b", and "*.c" does not match "a.b.c".
bool MatchesMask(std::string_view path, std::string_view mask);

}  // namespace parvex
