#pragma once
// The comment header rewrite: a new comment packet built from a file object, written into the file
// through a temporary file that then takes the old file's place.

#include <string>

namespace parvex {

class TOggVorbis;

// Writes the fields and OtherTags of `tags` into the comment header of `fileName` (see
// TOggVorbis::SaveToFile).
bool SaveTags(const TOggVorbis& tags, const std::string& fileName);

}  // namespace parvex
