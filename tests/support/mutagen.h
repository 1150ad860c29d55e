#pragma once
// mutagen (Debian's python3-mutagen), the tagging library of Python, as an independent reader and
// writer of the pictures the program writes and reads.

#include <optional>
#include <string>
#include <vector>

namespace parvex::test {

// The pictures of an Ogg Vorbis file as mutagen reads them, one line each: "TYPE MIME WIDTHxHEIGHT
// DEPTH SIZE", then " same" when the picture's data equal the bytes of `compareWith` (when given).
// Nothing when no Python with mutagen is installed.
std::optional<std::vector<std::string>> MutagenPictures(const std::string& oggFile,
                                                        const std::string& compareWith = "");

// The comments of an Ogg Vorbis or Ogg Opus file as mutagen reads them, "NAME=value" in file order;
// nothing when no Python with mutagen is installed, one line saying why when mutagen fails.
std::optional<std::vector<std::string>> MutagenComments(const std::string& oggFile);

// Has mutagen add `image` to the file as a picture of `type` (its front cover when 3), with its MIME
// type and pixel size. False when no Python with mutagen is installed or the write failed.
bool MutagenAddPicture(const std::string& oggFile, const std::string& image, const std::string& mime,
                       int type, int width, int height);

}  // namespace parvex::test
