#pragma once
// Rename from tag: rename each file within its folder after its own tags, by the page's name format.

#include <string>
#include <vector>

#include "batch/tag_record.h"

namespace parvex {

class TLogSink;
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

// The new name without its ".ogg": the record's values put in place of the placeholders ("<Title>",
// "<Artist>", "<Album>", "<Track>", "<Date>", "<Genre>", "<Comment>", in this order, each on the
// result of the one before), the case fix, the space replacement, and the characters
// \ / : * ? " < > | removed. May be empty.
std::string NewNameFromTags(const TRenameFromTagOptions& options, const tagrecord& record);

// Where a loaded file goes: its new path, and why it must keep its name (empty when it may be
// renamed): a name of nothing would leave only ".ogg", a hidden file.
struct TRenamePlan {
    std::string NewPath;
    std::string Refusal;
};
TRenamePlan PlanRename(const TRenameFromTagOptions& options, const tagrecord& record, const std::string& dir);

// The per-file routine. Logs "Renaming: " + path; a file gone since the scan, or without tags while
// untagged files are kept, stops there (Skipped). Otherwise logs "     to: " + new path and renames
// the file, never over an existing file. When the file keeps its name a further line
// "     not renamed: " + reason follows (the plan's refusal, name taken, the system's reason) and
// the result is WriteFailed. A file already named so is left as it is (Skipped). Never raises: an
// error reading the file is logged the same way.
TFileOutcome RenameFromTag(const TRenameFromTagOptions& options, TOggVorbis& file, tagrecord& record,
                           TLogSink& log, const std::string& dir, const std::string& name);

}  // namespace parvex
