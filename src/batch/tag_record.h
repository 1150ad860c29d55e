#pragma once
// The working tag record: the window's copy of one file's tags and stream information, and the
// only road by which the window and the batch operations read and write a file's tags.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ogg/ogg_codec.h"

namespace parvex {

class TFolderReplace;
class TOggVorbis;
struct FileIdentity;
struct FileInfo;
struct TPreparedSave;

struct tagrecord {
    bool HasTags = false;  // the comment header holds at least one comment (the vendor string is none)
    OggCodec Codec = OggCodec::Vorbis;
    int64_t FileSize = 0;
    int Channels = 0;
    uint32_t SampleRate = 0;
    int NominalBitRate = 0;  // kbit/s
    int BitRate = 0;         // average kbit/s
    double Duration = 0;     // seconds; filled in by the page that shows it
    std::string Version;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Track;
    std::string Date;
    std::string Genre;
    std::string Comment;
    std::string CommentName = "COMMENT";  // or "DESCRIPTION": the name Comment is kept under
    std::string Vendor;                   // read only, never written back
    std::string Performer;                // no control edits it: carried through unchanged
    std::string Copyright;
    std::string License;
    std::string Organization;
    std::string Location;
    std::string Contact;
    std::string ISRC;
    std::vector<std::string> OtherTags;  // NAME=value lines
};

enum class TLoadOutcome {
    Missing,    // no such file: the record keeps its previous contents
    NotVorbis,  // the file exists but holds no Ogg Vorbis or Opus stream: the record is empty
    Loaded,
};

// Fills `record` from the file through `file`, `identity` (when given) with the identity of the
// file read, and `read` (when given, default-constructed) with what the reader learnt of it.
// Missing when no file has that name; raises EFOpenError when the file cannot be opened (or looked
// up: a path too long, a folder without access).
TLoadOutcome LoadWorkingRecord(TOggVorbis& file, tagrecord& record, const std::string& fileName,
                               FileIdentity* identity = nullptr, FileInfo* read = nullptr);

// Writes the record's tags into the file through `file`. Returns the save's result: false when
// the file was left as it was (not Ogg Vorbis, damaged, or the write failed), with the cause in
// `reason` when given; after a save, `notes` (when given) receives what the user should still know
// about it. Raises EFOpenError when the file cannot be opened.
bool StoreWorkingRecord(TOggVorbis& file, const tagrecord& record, const std::string& fileName,
                        std::string* reason = nullptr, std::vector<std::string>* notes = nullptr);
// The first step of StoreWorkingRecord, for a batch that completes its saves in groups: the new
// version of the file `replace` has open (read into `info`, used up) written beside it into `save`
// (see PrepareSaveTags).
bool PrepareWorkingRecord(TOggVorbis& file, const tagrecord& record, std::unique_ptr<TFolderReplace> replace,
                          FileInfo& info, TPreparedSave& save, std::string* reason);

// What happened to one file of a batch run; its log lines say it in words.
enum class TFileOutcome {
    Written,  // tags (or the name) changed as asked
    Skipped,  // left as it was on purpose: by the operation's rules, or nothing would change
    Failed,   // could not be read, written or renamed: the file is as it was
};

}  // namespace parvex
