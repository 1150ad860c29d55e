#pragma once
// Rename from tag: rename each file within its folder after its own tags, by the page's name format.

#include <set>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/tag_record.h"

namespace parvex {

class TOggVorbis;

// What the "Rename based on tag" page says.
struct TRenameFromTagOptions {
    std::string Format;           // the format text, e.g. "<Artist> - <Title>"
    bool CaseFixChecked = false;  // "Auto letter case fix" with CaseFixWords
    std::vector<std::string> CaseFixWords;
    bool ReplaceSpacesChecked = false;  // "Replace spaces with:" SpaceReplacement (may be empty)
    std::string SpaceReplacement;
    bool DontRenameUntagged = true;  // "Don't rename files that have no tags"
};

// The new name without its extension: the record's values put in place of the placeholders ("<Title>",
// "<Artist>", "<Album>", "<Track>", "<Date>", "<Genre>", "<Comment>", in this order, each on the
// result of the one before), the case fix, the space replacement, and the characters
// \ / : * ? " < > | removed. A value goes in with each run of line breaks and other control
// characters made one blank, and the track with only its part before a "/" ("3/12" gives "3").
// May be empty.
std::string NewNameFromTags(const TRenameFromTagOptions& options, const tagrecord& record);

// Where the loaded file `name` goes: its new path in `dir`, with the file's own extension (".ogg",
// ".oga", ".opus", in its own letter case), and why it must keep its name (empty when it may be
// renamed): a name of nothing would leave only the extension, a hidden file.
struct TNewPath {
    std::string Path;
    std::string Refusal;
};
TNewPath NewPathFromTags(const TRenameFromTagOptions& options, const tagrecord& record,
                         const std::string& dir, const std::string& name);

// The names that the renames planned so far in a run have taken or freed, on top of what the folders
// hold: a dry run plans every file without renaming any, and must still see the name an earlier
// file will take.
class TPlannedNames {
public:
    // Why a file cannot be renamed to `path`: "a file of that name already exists", or the reason the
    // name cannot be looked up ("file name too long"); empty when the name is free.
    std::string Refusal(const std::string& path) const;
    void Move(const std::string& from, const std::string& to);

private:
    std::set<std::string> taken_, freed_;
};

// What the run does to one file. Logs "Renaming: " + path first. A file without tags while untagged
// files are kept is skipped ("the file has no tags"); any other loaded file gets "     to: " + new
// path, then is skipped when it already has that name, fails ("not renamed: " + why) when the tags
// give no name or the name is taken (in the folder or by `planned`), and is otherwise renamed; the
// move is noted in `planned`.
TFilePlan PlanRenameFromTag(const TRenameFromTagOptions& options, TPlannedNames& planned, TOggVorbis& file,
                            tagrecord& record, const std::string& dir, const std::string& name);

}  // namespace parvex
