#pragma once
// Clear tags: empty chosen fields (or all of them) of every file; an empty field is not written,
// so the tag disappears from the file.

#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/tag_fields.h"
#include "batch/tag_record.h"

namespace parvex {

class TOggVorbis;

// What the "Clear tags" page says. A box counts when checked, whether or not it is grayed.
struct TClearTagsOptions {
    std::vector<TTagField> Fields;
    bool OtherTags = false;
    bool RemoveAll = false;  // every field and every other tag; PERFORMER and the vendor stay
};

void ApplyClearTags(const TClearTagsOptions& options, tagrecord& record);

// What the run does to one file: the chosen tags removed (see PlanTagChange), with the heading
// "Clear Tags: ". A file that has none of them is left as it is ("no change").
TFilePlan PlanClearTags(const TClearTagsOptions& options, TOggVorbis& file, tagrecord& record,
                        const std::string& dir, const std::string& name);

}  // namespace parvex
