#pragma once
// The comment header rewrite: a new comment packet built from a file object's fields, written into
// the file through a temporary file that then takes the old file's place in one atomic rename. Every
// save goes through one pair of steps: a prepare writes the new file beside the old one, a complete
// puts it in place (a batch run completes a group of saves at once). Where
// the file system can share blocks between the old and the new file (see SharedBlockSize), the
// comment packet is padded with zero bytes so that the audio keeps its offset modulo the block size
// and its blocks are shared rather than copied.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fs/folder_replace.h"
#include "ogg/header_reader.h"
#include "ogg/written_comment.h"

namespace parvex {

class TOggVorbis;

// A save whose new file is written beside the old one and checked, waiting to take the old file's
// place: Replace then flushes it, renames it over the old file and flushes the folder, one step at a
// time for a group of saves or all at once (Commit). Dropped before its rename, it removes its new
// file and the old file stays as it was.
struct TPreparedSave {
    std::unique_ptr<TFolderReplace> Replace;
    std::vector<std::string> Notes;  // what the user should know once the save is done
    int64_t Size = 0;                // of the new file
    // CommentsDigest of the comments of the new file, as the reader takes them from it.
    uint64_t WrittenDigest = 0;
    // Not prepared for want of disk space (or quota): another try may pass once space is freed.
    bool NoSpace = false;
};

// Prepares the save of the fields and OtherTags of `tags` into the comment header of the file that
// `replace` has open, read into `info` (used up), into `save`. The new file is the old one with the
// new comment packet in place of the old: it is written beside the old file, read back, given the
// old file's owner, group, permission bits and extended attributes (see CopyMetadata) and sent on
// its way to disk. A file the process neither owns nor may write is refused, and so is comment data
// of more than kMaxHeaderBytes or a new file the reader would not read back whole. The headers are
// re-paged when the new packet does not fit the second page or the old one spanned pages; later
// pages of the stream are then renumbered. False, with the cause in `reason` ("permission denied",
// ...), save.NoSpace where it was the disk's space, and no new file left, when the file cannot be
// saved.
bool PrepareSaveTags(const TOggVorbis& tags, std::unique_ptr<TFolderReplace> replace, FileInfo& info,
                     TPreparedSave& save, std::string* reason = nullptr);

// The same for exactly `comments`, in their order and with their values as given, in place of every
// comment of the file; its vendor string stays. Undo puts a file's old comments back so.
bool PrepareSaveComments(const std::vector<TWrittenComment>& comments, std::unique_ptr<TFolderReplace> replace,
                         FileInfo& info, TPreparedSave& save, std::string* reason = nullptr);

// The rest of a prepared save in one go: flushed, renamed over the old file, the folder flushed.
// True when done, with the save's notes added to `notes` (when given); false, with the cause in
// `reason` and the old file as it was, when a step fails or the old file is not the one read any
// more.
bool CompleteSave(TPreparedSave& save, std::string* reason = nullptr, std::vector<std::string>* notes = nullptr);

// How the save of one file (SaveFileTags) ended.
enum class TSaveOutcome {
    Saved,    // the file was replaced by the rewritten one
    NotOgg,   // the file holds neither a Vorbis nor an Opus stream: nothing was written
    Refused,  // not saved, the cause in `reason`: the file is as it was
};

// The tags a save of one file writes, given the file's headers as read into `info`: they may take
// the values of its comments out of info.Tag, whose names the save still needs.
using TTagsToSave = std::function<const TOggVorbis&(FileInfo& info)>;

// The save of one file by the pair above: its headers are read, `tagsFor` gives the tags to write,
// the new file is prepared (PrepareSaveTags) for a replacement that expects exactly the file read,
// so that a file changed since is refused rather than overwritten, and put in place (CompleteSave).
// `reason`, when given, receives the cause of a failure (kNotOggVorbisOrOpus for NotOgg), `notes`
// what the user should know after a save (one line each). Raises EFOpenError when the file cannot be
// opened.
TSaveOutcome SaveFileTags(const std::string& fileName, const TTagsToSave& tagsFor, std::string* reason = nullptr,
                          std::vector<std::string>* notes = nullptr);

// A failure of a save in words: the system's text for an error code ("No space left on device"
// becomes "no space left on device"), or the message of any other error.
std::string ReasonOf(const std::exception& error);

// Why the header of `info` cannot be rewritten without guessing, or an empty text when it can: it
// needs a whole, undamaged comment header (for Vorbis with its framing byte), every other header
// packet found whole, the identification packet alone on the first page, for Opus the comment
// header ending its page, and no other stream's page among the header pages.
std::string RewriteRefusal(const FileInfo& info);
bool CanRewrite(const FileInfo& info);

// Gives SecondPage the segment table for a comment packet of `packetSize` bytes (the comment data and
// the bytes after its last comment) followed by the page's other lacing values, unchanged. False,
// with SecondPage unchanged, when that needs more than 255 segments.
bool RebuildSegmentTable(FileInfo& info, std::size_t packetSize);

}  // namespace parvex
