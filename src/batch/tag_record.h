#pragma once
// The working tag record: the window's copy of one file's tags and stream information, and the
// only road by which the window and the batch operations read and write a file's tags.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace parvex {

class TOggVorbis;
class TLogSink;

struct tagrecord {
    bool HasTags = false;  // a comment header was read (the vendor string alone counts)
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
    std::string Vendor;     // read only, never written back
    std::string Performer;  // no control edits it: carried through unchanged
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
    NotVorbis,  // the file exists but holds no Ogg Vorbis stream: the record is empty
    Loaded,
};

// Fills `record` from the file through `file`. Raises EFOpenError when the file exists but
// cannot be opened.
TLoadOutcome LoadWorkingRecord(TOggVorbis& file, tagrecord& record, const std::string& fileName);

// Writes the record's tags into the file through `file`. Returns the save's result: false when
// the file was left as it was (not Ogg Vorbis, damaged, or the write failed), with the cause in
// `reason` when given. Raises EFOpenError when the file cannot be opened.
bool StoreWorkingRecord(TOggVorbis& file, const tagrecord& record, const std::string& fileName,
                        std::string* reason = nullptr);

// What happened to one file of a batch run; the run's log says it in words.
enum class TFileOutcome {
    Written,       // tags (or the name) changed as asked
    Skipped,       // nothing to do for this file, by the operation's rules
    NotVorbis,     // not an Ogg Vorbis file: left untouched
    WriteFailed,   // the new tags or name could not be written: the file is as it was
};

// The end of every tag-writing routine, once the file is loaded and its log line written: a file
// gone since the scan raises EFOpenError; a file that is not Ogg Vorbis is logged and left alone;
// any other file is changed by `change` and stored, and a failed save is logged.
template <typename Change>
TFileOutcome StoreChangedRecord(TLoadOutcome loaded, TOggVorbis& file, tagrecord& record,
                                TLogSink& log, const std::string& path, Change&& change);

// The whole load-log-change-store sequence of the routines that log every file first.
template <typename Change>
TFileOutcome ChangeFileTags(TOggVorbis& file, tagrecord& record, TLogSink& log,
                            const std::string& heading, const std::string& dir,
                            const std::string& name, Change&& change);

// Log lines for the outcomes that are not plain success; shared by every batch operation.
void LogOutcome(TLogSink& log, TFileOutcome outcome);

}  // namespace parvex

#include "batch/tag_record_inl.h"
