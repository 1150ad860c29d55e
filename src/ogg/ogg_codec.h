#pragma once
// The codecs whose comment headers Parvex reads and writes, and the names their files go by. Both
// codecs keep their tags in the same comment structure; they differ in the identification header
// and in how the headers lie on pages.

#include <string_view>

namespace parvex {

enum class OggCodec { Vorbis, Opus };

// The codec's name as the user knows it: "Vorbis" or "Opus".
constexpr const char* CodecName(OggCodec codec) { return codec == OggCodec::Opus ? "Opus" : "Vorbis"; }

// What a reader or a save says of a file that holds neither a Vorbis nor an Opus stream.
inline constexpr const char* kNotOggVorbisOrOpus = "not an Ogg Vorbis or Opus file";

// The names the scans list: Ogg audio by its usual extensions (letter case is ignored by the scan).
inline constexpr const char* kOggFileMask = "*.ogg;*.oga;*.opus";

// The extension of a file name as it stands: from its last "." on (".ogg", ".OGA", ".opus"); empty
// when the name has no ".".
constexpr std::string_view FileExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace parvex
