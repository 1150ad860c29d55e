#pragma once
// The header reader: finds the first Ogg page of a file (after an optional ID3v2 tag), checks the
// identification header of a Vorbis or Opus stream, joins the comment header (and for Vorbis the
// setup header) from the pages of the stream, splits the comment header into name/value entries
// and finds the last granule position.

#include <sys/stat.h>
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fs/file_identity.h"
#include "ogg/ogg_codec.h"
#include "ogg/ogg_page.h"
#include "ogg/opus_head.h"

namespace parvex {

class TFileHandle;

// Cover art makes comment headers of megabytes; header packets larger than this in all are taken
// as damaged rather than read into memory.
constexpr std::size_t kMaxHeaderBytes = std::size_t{128} << 20;

// The comment header as a table. Entry 0 is the vendor string (empty name, the vendor's bytes
// exactly as stored); entries 1 to Count() - 1 are the comments in file order, names exactly as
// stored (letter case included), values trimmed and converted to well-formed UTF-8.
struct VorbisTag {
    std::string PacketID;  // the comment header's leading bytes: packet type 3 and "vorbis", or "OpusTags"
    uint32_t CommentCount = 0;          // the comment count as stored in the file
    std::vector<std::string> Names;
    std::vector<std::string> Values;
    // Where each entry's bytes ("NAME=value", the vendor's for entry 0) begin in the comment packet,
    // counted from the first byte after PacketID; its 4-byte length stands before them. A value can
    // so be read again from the file by itself (ReadTagValue).
    std::vector<uint32_t> Offsets;
    // Where a save puts values back (see PutTagEntry): per name upper-cased in ASCII (names match
    // whatever their letter case), the entries read under it in their order, and how many of them
    // have been given a value.
    struct TNameSlots {
        std::vector<std::size_t> Entries;
        std::size_t Taken = 0;
    };
    std::unordered_map<std::string, TNameSlots> Slots;

    std::size_t Count() const { return Names.size(); }
};

// One page of the stream and where it stands in the file.
struct HeaderPage {
    int64_t Pos = 0;
    OggPageHeader Header;

    int64_t End() const { return Pos + static_cast<int64_t>(Header.HeaderSize() + Header.BodySize()); }
};

// Everything the reader learns about one file. Offsets and sizes are in bytes from the start of
// the file.
struct FileInfo {
    OggCodec Codec = OggCodec::Vorbis;
    OggPageHeader FirstPage;   // carries the identification header
    OggPageHeader SecondPage;  // the next page of the stream: where the comment header begins
    std::array<uint8_t, 30> IdentHeader{};  // Vorbis only
    OpusHead Opus;                          // Opus only
    VorbisTag Tag;
    int64_t FileSize = 0;
    int64_t Samples = 0;       // granule position of the stream's last page; -1 unknown, 0 none found
    int64_t OggDataStart = 0;  // offset of the first Ogg page
    int64_t SecondPagePos = 0;
    int64_t CommentsEnd = 0;   // just past the last comment string read; 0 when no comment header

    // The pages of the stream from the second page through the one on which the last header
    // packet ends (or the last one found, when the headers are cut off).
    std::vector<HeaderPage> HeaderPages;
    // Bytes of the comment packet after its last comment: for Vorbis the framing byte; for Opus
    // binary data (first byte odd) or padding (first byte even), or nothing.
    std::string CommentTail;
    std::string SetupPacket;          // Vorbis: the whole setup header packet, when found
    bool IdentEndsPage = false;       // the first page holds the identification packet alone
    bool CommentOnSecondPage = false; // the comment packet starts and ends on the second page
    // The last header packet (Vorbis: the setup header, Opus: the comment header) ends its page,
    // as both codecs require: the audio begins on a fresh page.
    bool LastHeaderEndsPage = false;
    bool HeadersComplete = false;     // every header packet after the first was found whole
    bool CommentDamaged = false;      // a length in the comment packet runs past its end
    // The headers are too large to hold: the comment table would take more memory than a file's
    // comments may (counted as they are read, whatever their number), or the memory ran out. The
    // comments are not kept, nor is anything read after them when the memory ran out.
    bool TooLarge = false;
    bool Interleaved = false;         // another stream's page stands among the header pages
    // The first fault found on the header pages of the stream (a wrong checksum, impossible flags or
    // granule position), in words; empty when they are sound.
    std::string PageFault;
    FileIdentity Identity;  // of the file that was read, so that a rewrite can tell whether it changed since
};

// How much of a file ReadFileInfo reads: by default also its end, for the last granule (Samples);
// a save needs the headers only, and leaves Samples 0. Layout reads the headers only and keeps
// every comment's name but no value (all empty): what a check of a newly written file needs, without
// holding its comments a second time.
enum class TReadExtent { WithLength, HeadersOnly, Layout };

// Reads `fileName` into `info`, which the caller passes default-constructed. True when the file
// holds an Ogg first page with a Vorbis or Opus identification packet (with or without a readable
// comment header); false for anything else, including files that are not regular files. Raises EFOpenError
// when the file cannot be opened for reading. Never raises for short or damaged contents.
bool ReadFileInfo(const std::string& fileName, FileInfo& info, TReadExtent extent = TReadExtent::WithLength);
bool ReadFileInfo(const TFileHandle& file, FileInfo& info, TReadExtent extent = TReadExtent::WithLength);

// Parses a comment packet body (the bytes after packet type 3 and "vorbis", or "OpusTags"): fills Tag,
// CommentTail, CommentDamaged and returns the packet offset just past the last comment read
// (counted from the start of `body`). Without `keepValues`, each comment's value is left empty.
std::size_t ReadComments(std::string_view body, FileInfo& info, bool keepValues = true);

// Each comment of a comment packet body (as ReadComments takes it) given to `take` by its name and
// value exactly as ReadComments would keep them, none of them held: what a digest of a huge header
// needs. Stops at a length that runs past the end of `body`.
void ForEachComment(std::string_view body,
                    const std::function<void(std::string_view name, std::string_view value)>& take);

// The value of entry `entry` (1 or later) of the comment table read into `info`, read again from
// `file` (the file `info` was read from, unchanged since) as the reader gives it (ParseComment): a
// large value need not be held from a file's first read to its save. Raises std::runtime_error when
// the file does not hold it where it was read.
std::string ReadTagValue(const TFileHandle& file, const FileInfo& info, std::size_t entry);

// How many times ReadFileInfo has read a file's headers in this process: how a test or a benchmark
// tells how often a run reads each file.
std::size_t HeaderReads();

// What holding `info` costs in memory, in bytes (close, not exact).
std::size_t HeldBytes(const FileInfo& info);

// Splits one comment string at its first "=" and appends it to the Tag of `info`: the name is the
// part before, kept byte for byte (letter case and blanks included); the value
// the part after, trimmed of characters of code 32 or less and made well-formed UTF-8. A comment
// without "=" gives an empty name and the whole (trimmed) string as value; without `keepValue`, an
// empty value. Returns the size of the value (as kept, or as it would be before its UTF-8 repair).
std::size_t ParseComment(std::string_view text, FileInfo& info, bool keepValue = true);


}  // namespace parvex
