#pragma once
// Clear tags: empty chosen fields (or all of them) of every file; an empty field is not written,
// so the tag disappears from the file.

#include <string>
#include <vector>

#include "batch/tag_fields.h"
#include "batch/tag_record.h"

namespace parvex {

class TLogSink;
class TOggVorbis;

// What the "Clear tags" page says. A box counts when checked, whether or not it is grayed.
struct TClearTagsOptions {
    std::vector<TTagField> Fields;
    bool OtherTags = false;
    bool RemoveAll = false;  // every field and every other tag; PERFORMER and the vendor stay
};

void ApplyClearTags(const TClearTagsOptions& options, tagrecord& record);

// The per-file routine: log line "Clear Tags: " + path, then the change, then the save.
TFileOutcome ClearTagsFile(const TClearTagsOptions& options, TOggVorbis& file, tagrecord& record,
                           TLogSink& log, const std::string& dir, const std::string& name);

}  // namespace parvex
