#pragma once
// Editing several files at once: what the selected files share (shown in the editors) and the
// change the user makes to all of them, planned and carried out like any batch run, so it is
// journaled, committed in groups and undone as one run.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_run.h"
#include "batch/tag_fields.h"
#include "batch/tag_record.h"

namespace parvex {

// The mode word of such a run in the journal.
inline constexpr const char* kSelectionEditMode = "edit";

// What every file of a selection holds alike.
struct TSharedTags {
    // Per field of kAllTagFields, in its order: the value all files hold, or nothing when they differ.
    std::array<std::optional<std::string>, kAllTagFields.size()> Fields;
    // The other tags lines every file holds, in the order of the first file.
    std::vector<std::string> OtherTags;
};

// What the files of `records` share; for a single record, all of it.
TSharedTags SharedTags(std::span<const tagrecord> records);

// The change an edit of a selection makes to each file: fields given one value for all (an empty
// value removes the field), and other tags lines added to or removed from all. A field not named
// keeps each file's own value.
struct TSelectionChange {
    std::vector<std::pair<TTagField, std::string>> Fields;
    std::vector<std::string> AddedLines;
    std::vector<std::string> RemovedLines;
};

// The change the editors describe: `shownFields` as the editors hold them (per field of
// kAllTagFields), `touched` whether the user set a field that the files did not share, and the
// other tags shown at first and now.
TSelectionChange SelectionChange(const TSharedTags& shared, const std::array<std::string, kAllTagFields.size()>& shownFields,
                                 const std::array<bool, kAllTagFields.size()>& touched,
                                 const std::vector<std::string>& shownOtherTags);

// Applies `change` to one file's record: each removed line goes once (the first such line), each
// added line is appended unless the file holds it already.
void ApplySelectionChange(const TSelectionChange& change, tagrecord& record);

// Plans `change` for each file of a run ("Edit: " + path), as the batch operations plan theirs.
TPlanner SelectionEditPlanner(TSelectionChange change);

}  // namespace parvex
