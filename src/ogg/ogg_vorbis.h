#pragma once
// TOggVorbis: one Ogg Vorbis or Ogg Opus file's stream information and comments, read from and
// written back into the file. Text is UTF-8.

#include <cstdint>
#include <string>
#include <vector>

#include "ogg/ogg_codec.h"

namespace parvex {

struct FileInfo;
class TFileHandle;

class TOggVorbis {
public:
    // Every number to 0, every text to empty, OtherTags emptied.
    void Clear();

    // Clears the object, then fills it from the file's headers. False (object left cleared) when
    // the file holds neither a Vorbis nor an Opus stream. Raises EFOpenError when the file cannot be opened.
    // The first comment of a standard name (in any letter case) with a non-empty value fills its
    // field (the first COMMENT or DESCRIPTION fills Comment, and CommentName says which); every
    // further one, and every one with an empty value, becomes an OtherTags line. Names are kept as
    // read, letter case and blanks included.
    bool LoadFromFile(const std::string& fileName);
    // The same, leaving what the reader learnt in `info` (passed default-constructed) for a caller
    // that shows more of the file than the object keeps: the file is read once.
    bool LoadFromFile(const std::string& fileName, FileInfo& info);
    // The same for a file opened already.
    bool Load(const TFileHandle& file, FileInfo& info);

    // Rewrites the file's comment header from the fields and OtherTags, leaving every audio byte
    // as it was; the object is not changed. True when the file was replaced by the rewritten one;
    // false, with the file untouched, when it is neither Vorbis nor Opus, cannot be rewritten safely
    // (damaged, cut off, no comment header, headers interleaved with another stream) or the write
    // failed; `reason`, when given, then receives the cause in words. After a save `notes`, when
    // given, receives what the user should still know about it, one line each (other names of the
    // file that keep the old tags, a folder that could not be flushed). Raises EFOpenError when the
    // file cannot be opened.
    // A field with a value sets the first comment of its name; an empty field sets none. OtherTags
    // lines are taken from the last to the first: each sets the first comment of its name (the name
    // as it stands in the line, byte for byte but for ASCII letter case) that no field or line taken
    // before it has set, or else is appended, so lines new to the file reach it in the reverse of
    // their order here; a line with an empty value keeps an empty comment. A comment keeps the name
    // it has in the file; comments that nothing sets are removed.
    bool SaveToFile(const std::string& fileName, std::string* reason = nullptr,
                    std::vector<std::string>* notes = nullptr) const;

    void SetTrack(const std::string& track);
    // Appends the line name + "=" + value to OtherTags.
    void AddOtherTag(const std::string& name, const std::string& value);

    // Play time in seconds: from the sample count when known, otherwise estimated from the nominal
    // bit rate; 0 when neither is available.
    double Duration() const;
    // The rate Samples counts in: the sample rate for Vorbis, 48 kHz (the decoding rate) for Opus.
    uint32_t SampleCountRate() const;
    // Average bit rate in kbit/s over the whole Ogg data, at most the largest int; 0 when the
    // duration is 0.
    int BitRate() const;

    OggCodec Codec = OggCodec::Vorbis;
    int64_t FileSize = 0;
    int Channels = 0;
    // Vorbis: the sample rate. Opus: the rate of the encoder's input (48000 when the file leaves it
    // unset), shown to the user; the audio always decodes at 48 kHz.
    uint32_t SampleRate = 0;
    int NominalBitRate = 0;  // kbit/s, rounded; 0 when the header leaves it unset (always for Opus)
    // The samples the stream plays, at SampleCountRate(): the granule position of the last page
    // (for Opus less the pre-skip, never below 0); -1 unknown, 0 none found.
    int64_t Samples = 0;
    int64_t OggDataStart = 0;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Performer;
    std::string Track;
    std::string Date;
    std::string Genre;
    std::string Comment;
    // The name Comment is read from and written back under: "COMMENT", or "DESCRIPTION" for a file
    // that keeps its comment so.
    std::string CommentName = "COMMENT";
    std::string Vendor;  // for display; the file's vendor string is never rewritten
    std::string Version;
    std::string Copyright;
    std::string License;
    std::string Organization;
    std::string Location;
    std::string Contact;
    std::string ISRC;
    int EntryCount = 0;  // strings in the comment header, the vendor string included
    // Why a save would refuse this file (damaged or incomplete headers), in words; empty when the
    // loaded file can be rewritten.
    std::string HeaderDamage;
    std::vector<std::string> OtherTags;  // NAME=value lines

    // The comment names that have a field, in the order the writer sets them, with the field.
    struct FieldName {
        const char* Name;
        std::string TOggVorbis::*Field;
    };
    static const std::vector<FieldName>& SavedFields();

private:
    void Fill(const FileInfo& info);
};

}  // namespace parvex
