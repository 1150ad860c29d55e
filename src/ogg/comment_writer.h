#pragma once
// The comment header rewrite: a new comment packet built from a file object's fields, written into
// the file through a temporary file that then takes the old file's place in one atomic rename. Where
// the file system can share blocks between the old and the new file (see SharedBlockSize), the
// comment packet is padded with zero bytes so that the audio keeps its offset modulo the block size
// and its blocks are shared rather than copied.

#include <exception>
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
    // Not prepared for want of disk space (or quota): another try may pass once space is freed.
    bool NoSpace = false;
};

// Prepares the save of the fields and OtherTags of `tags` into the comment header of the file that
// `replace` has open, read into `info` (used up), the first step of SaveTags, into `save`. False,
// with the cause in `reason`, save.NoSpace where it was the disk's space, and nothing written, when
// the file cannot be saved.
bool PrepareSaveTags(const TOggVorbis& tags, std::unique_ptr<TFolderReplace> replace, FileInfo& info,
                     TPreparedSave& save, std::string* reason = nullptr);

// The same for exactly `comments`, in their order and with their values as given, in place of every
// comment of the file; its vendor string stays. Undo puts a file's old comments back so.
bool PrepareSaveComments(const std::vector<TWrittenComment>& comments, std::unique_ptr<TFolderReplace> replace,
                         FileInfo& info, TPreparedSave& save, std::string* reason = nullptr);

// Writes the fields and OtherTags of `tags` into the comment header of `fileName`; see
// TOggVorbis::SaveToFile for the contract.
bool SaveTags(const TOggVorbis& tags, const std::string& fileName, std::string* reason = nullptr,
              std::vector<std::string>* notes = nullptr);
// The same over the headers of the file as the caller read them into `info`: a file changed since
// is not saved. `info` is used up.
bool SaveTags(const TOggVorbis& tags, FileInfo& info, const std::string& fileName,
              std::string* reason = nullptr, std::vector<std::string>* notes = nullptr);

// A failure of a save in words: the system's text for an error code ("No space left on device"
// becomes "no space left on device"), or the message of any other error.
std::string ReasonOf(const std::exception& error);

// Why the header of `info` cannot be rewritten without guessing, or an empty text when it can: it
// needs a whole, undamaged comment header (for Vorbis with its framing byte), every other header
// packet found whole, the identification packet alone on the first page, for Opus the comment
// header ending its page, and no other stream's page among the header pages.
std::string RewriteRefusal(const FileInfo& info);
bool CanRewrite(const FileInfo& info);

// Empties the values of entries 1 to Count() - 1 (names stay; the vendor entry keeps its value) and
// marks none of them set.
void ClearTagValues(VorbisTag& tag);

// Gives `value` to the first entry among 1 to Count() - 1 named `name` (ASCII letter case aside)
// that no earlier call since ClearTagValues has set, the entry keeping its own name; or else appends
// a new entry named `name`. Either way the entry counts as set.
void PutTagEntry(const std::string& name, std::string value, VorbisTag& tag);

// The comment packet without what followed its last comment: the leading bytes, the vendor string as
// read, and every entry 1 to Count() - 1 as name "=" value (the value as well-formed UTF-8), empty
// values included, but those ClearTagValues emptied that PutTagEntry has not set since.
std::string BuildCommentData(const FileInfo& info);

// Gives SecondPage the segment table for a comment packet of `packetSize` bytes (the comment data and
// the bytes after its last comment) followed by the page's other lacing values, unchanged. False,
// with SecondPage unchanged, when that needs more than 255 segments.
bool RebuildSegmentTable(FileInfo& info, std::size_t packetSize);

// Computes the checksum of the second page of the file open as `fd` from the header in
// info.SecondPage (its checksum field zero) and the body read back from the file, and stores it at
// SecondPagePos + 22. Raises std::system_error on a read or write error.
void StoreSecondPageCrc(int fd, const FileInfo& info);

// Writes the file again with the new comment data in place of the old comment packet and replaces
// it (see TFolderReplace): the new file is written, given the old file's owner, group, permission
// bits and extended attributes (see CopyMetadata), flushed to disk and renamed over the old one. A
// file the process neither owns nor may write is refused, and so is comment data of more than
// kMaxHeaderBytes, which the reader would refuse. The second page's checksum is computed here (its
// field in `info` is cleared first). The headers are re-paged when the new packet
// does not fit the second page or the old one spanned pages; later pages of the Vorbis stream are
// then renumbered. True when the file was replaced; `notes`, when given, then receives what the
// user should know about the save (one line each). False, with the old file untouched and no
// temporary file left, when anything fails or the file is not the one `info` was read from any more;
// `reason`, when given, then receives the cause in words ("permission denied", ...).
bool ReplaceThroughTempFile(const std::string& fileName, std::string commentData, FileInfo& info,
                            std::string* reason = nullptr, std::vector<std::string>* notes = nullptr);
// The rest of a prepared save in one go: flushed, renamed over the old file, the folder flushed.
// True when done, with the save's notes added to `notes` (when given); false, with the cause in
// `reason` and the old file as it was, when a step fails.
bool CompleteSave(TPreparedSave& save, std::string* reason = nullptr, std::vector<std::string>* notes = nullptr);
// The first steps of ReplaceThroughTempFile: the new file written, read back, given the old file's
// metadata and on its way to disk (StartFlush). Raises std::exception on failure, with no
// temporary file left. The comment data is let go once written, before the read back.
TPreparedSave PrepareReplacement(const std::string& fileName, std::string commentData, FileInfo& info);
// The same through the file that `replace` has open.
TPreparedSave PrepareReplacement(std::unique_ptr<TFolderReplace> replace, std::string commentData,
                                 FileInfo& info);

}  // namespace parvex
