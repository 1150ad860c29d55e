#pragma once
// Tag from list: set each file's tags from the line of a CSV list that names the file.
//
// The list is a text file read by the rules of TTextFileReader (a line ends at CR LF, CR or LF). The
// fields of a line are cut at the page's separator, quoted fields read as spreadsheets write them
// (see TListRecord: such a field may carry its record over several lines), and matched by position
// to the placeholders of the page's format; the column under "<Target file>" holds the file name
// (without folder, letter case included).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/file_plan.h"
#include "batch/tag_record.h"
#include "naming/format_fields.h"

namespace parvex {

class TOggVorbis;
class TStringHash;

// The entries the list table has room for before it first grows.
inline constexpr unsigned kTagListStartSize = 4000;

// What the "Tag from List" page says.
struct TTagFromListOptions {
    std::string Separator;        // of the format and of the list's lines
    std::string Format;           // the format text, e.g. "<Target file>;<Artist>;<Title>"
    bool CaseFixChecked = false;  // "Auto letter case fix" with CaseFixWords
    std::vector<std::string> CaseFixWords;
    TOverwriteChoice Overwrite = TOverwriteChoice::TagAll;
};

// The 0-based columns of `format` cut at `separator` that hold "<Target file>" (it may name it more
// than once); none for a format whose lines could name no file.
std::vector<std::size_t> TargetColumns(std::string_view format, std::string_view separator);

// The checks of the "Tag" button on the list file's path: the message to show and stop with, or an
// empty text when the run may start. "You need to select an input list csv file." for an empty
// path, "I can't find the input list csv file." when no file (a folder does not count) is there.
std::string CheckInputList(const std::string& listPath);

// A line of the list as it was stored: its number (1-based, empty lines counted) and its key.
struct TListedKey {
    int Line = 0;
    std::string Key;
};

// Empties `table` and fills it from the list file: each record (a non-empty line, or the lines a
// quoted field holds together, with their line ends) is stored whole under the text of its target
// column (a later record with the same key replaces an earlier one). Returns the stored records, in
// list order, each key once with the number of the line its record starts on. `beforeEachLine`,
// when given, runs before each line is read, empty lines included (the window lets pending events
// run there). Raises EFOpenError when the file cannot be opened, std::system_error when it cannot be
// read, and std::runtime_error when a quoted field is still open at its end; the table may then be
// partly filled.
std::vector<TListedKey> LoadTagList(const std::string& listPath, const TTagFromListOptions& options,
                                    TStringHash& table, const std::function<void()>& beforeEachLine = {});

// What the run does to one file (see PlanTagChange), with the heading "Tag from List: ": a file
// the list has no line for, or that the overwrite choice ignores, is skipped; otherwise the format's
// fields are set from its line.
TFilePlan PlanTagFromList(const TTagFromListOptions& options, const TStringHash& table, TOggVorbis& file,
                          tagrecord& record, const std::string& dir, const std::string& name);

// The closing lines of a run: one for each listed key that names none of `foundNames` (the names of
// the files the scan found), "List line 3 matched no file: \"x.ogg\"".
std::vector<std::string> UnmatchedListLines(const std::vector<TListedKey>& keys,
                                            const std::vector<std::string>& foundNames);

}  // namespace parvex
