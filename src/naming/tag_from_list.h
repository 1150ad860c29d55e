#pragma once
// Tag from list: set each file's tags from the line of a CSV list that names the file.
//
// The list is a text file of lines ending at a carriage return, optionally followed by a line feed;
// a line feed alone does not end a line, and a byte 26 ends the file. The fields of a line are cut at
// the page's separator and matched by position to the placeholders of the page's format; the column
// under "<Target file>" holds the file name (without folder, letter case included).

#include <functional>
#include <string>
#include <vector>

#include "batch/tag_record.h"
#include "naming/format_fields.h"

namespace parvex {

class TLogSink;
class TOggVorbis;
class TStringHash;

// The bucket count of the window's list table.
inline constexpr unsigned kTagListBuckets = 4000;

// What the "Tag from List" page says.
struct TTagFromListOptions {
    std::string Separator;        // of the format and of the list's lines
    std::string Format;           // the format text, e.g. "<Target file>;<Artist>;<Title>"
    bool CaseFixChecked = false;  // "Auto letter case fix" with CaseFixWords
    std::vector<std::string> CaseFixWords;
    TOverwriteChoice Overwrite = TOverwriteChoice::TagAll;
};

// The checks of the "Tag" button on the list file's path: the message to show and stop with, or an
// empty text when the run may start. "You need to select an input list csv file." for an empty
// path, "I can't find the input list csv file." when no file (a folder does not count) is there.
std::string CheckInputList(const std::string& listPath);

// Empties `table` and fills it from the list file: each non-empty line is stored whole under the
// text of its target column (a later line with the same key replaces an earlier one).
// `beforeEachLine`, when given, runs before each line is read, empty lines included (the window lets
// pending events run there). Raises EFOpenError when the file cannot be opened and std::system_error
// when it cannot be read; the table may then be partly filled.
void LoadTagList(const std::string& listPath, const TTagFromListOptions& options, TStringHash& table,
                 const std::function<void()>& beforeEachLine = {});

// The per-file routine. Loads the file; a file to be ignored, or one without a line in `table`, is
// passed over without a log line (Skipped). Otherwise logs "Tag from filename: " + path, sets the
// format's fields from the line and stores the file. Raises EFOpenError for a listed file that cannot
// be opened or is gone.
TFileOutcome TagFromList(const TTagFromListOptions& options, const TStringHash& table,
                         TOggVorbis& file, tagrecord& record, TLogSink& log, const std::string& dir,
                         const std::string& name);

}  // namespace parvex
