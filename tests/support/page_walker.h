#pragma once
// An independent check of Ogg files for tests: walks every page, verifies capture patterns,
// checksums, sequence numbers and packet framing per stream, and compares the audio of two files.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::test {

struct WalkedPage {
    std::size_t Offset = 0;
    uint8_t Flags = 0;
    int64_t Granule = 0;
    uint32_t Serial = 0;
    uint32_t Sequence = 0;
    uint32_t StoredCrc = 0;
    std::vector<uint8_t> Lacing;
    std::string Bytes;  // the whole page
};

struct WalkedPacket {
    uint32_t Serial = 0;
    int Index = 0;        // 0 for the first packet of its stream
    std::string Bytes;
    int64_t Granule = 0;  // of the page on which the packet ends
};

struct OggWalk {
    std::size_t Start = 0;        // where the first page begins
    std::vector<WalkedPage> Pages;
    std::vector<WalkedPacket> Packets;
    std::string Trailing;         // bytes after the last whole page
    std::vector<std::string> Problems;
};

// Walks `bytes` from `start` (by default after an ID3v2 tag, if any) until no whole page follows.
// Problems lists every checksum, sequence, flag or framing fault found.
OggWalk WalkOgg(std::string_view bytes);

// Success when the file walks with no problem and the header pages of its first stream are well
// framed (granule 0 where a header packet ends, -1 where none does, the last header packet ending
// its page: Vorbis's setup header, Opus's comment header).
::testing::AssertionResult IsValidOgg(std::string_view bytes);

// Success when `rewritten` carries the same bytes in front of its first page, the same packets and
// granules of every stream except the first stream's comment header, and the same trailing bytes.
::testing::AssertionResult SameAudio(std::string_view original, std::string_view rewritten);

// The vendor string and the comment strings of the first stream's comment header (Vorbis or Opus).
struct CommentHeader {
    std::string Vendor;
    std::vector<std::string> Comments;
    bool Framed = false;  // Vorbis: the packet ends in its framing byte
    std::string Tail;     // the bytes after the last comment (Vorbis: from its framing byte on)
};
CommentHeader ReadCommentHeader(std::string_view bytes);
// The comment strings of the file at `path`, as ReadCommentHeader finds them.
std::vector<std::string> CommentsOnDisk(const std::filesystem::path& path);

// Runs `ogginfo` (when installed) on `path`; success when it reports no error or warning. Returns
// success with a note when the tool is missing.
::testing::AssertionResult OgginfoAccepts(const std::string& path);

// Runs `opusinfo` (when installed) on `path`; success when it reports no error or warning. Returns
// success with a note when the tool is missing.
::testing::AssertionResult OpusinfoAccepts(const std::string& path);

// The 16-bit samples `opusdec` decodes from `path` (undithered, so the same packets give the same
// bytes), or a text saying it failed; nothing with `available` false when the tool is missing.
std::string OpusdecSamples(const std::string& path, bool& available);

// The comment strings `vorbiscomment -l -R` lists for `path`, or nothing with `available` false when
// the tool is missing.
std::vector<std::string> VorbiscommentList(const std::string& path, bool& available);

}  // namespace parvex::test
