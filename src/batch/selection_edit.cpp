#include "batch/selection_edit.h"

#include <algorithm>

namespace parvex {

namespace {

bool HoldsLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TSharedTags SharedTags(std::span<const tagrecord> records) {
    TSharedTags shared;
    if (records.empty()) return shared;
    for (std::size_t k = 0; k < kAllTagFields.size(); ++k) {
        const std::string& first = FieldOf(records.front(), kAllTagFields[k]);
        const bool alike = std::all_of(records.begin(), records.end(), [&](const tagrecord& record) {
            return FieldOf(record, kAllTagFields[k]) == first;
        });
        if (alike) shared.Fields[k] = first;
    }
    for (const std::string& line : records.front().OtherTags) {
        if (HoldsLine(shared.OtherTags, line)) continue;
        if (std::all_of(records.begin(), records.end(),
                        [&](const tagrecord& record) { return HoldsLine(record.OtherTags, line); }))
            shared.OtherTags.push_back(line);
    }
    return shared;
}

TSelectionChange SelectionChange(const TSharedTags& shared,
                                 const std::array<std::string, kAllTagFields.size()>& shownFields,
                                 const std::array<bool, kAllTagFields.size()>& touched,
                                 const std::vector<std::string>& shownOtherTags) {
    TSelectionChange change;
    for (std::size_t k = 0; k < kAllTagFields.size(); ++k) {
        // A shared value counts when it was changed; a differing one when the user set it, even to
        // nothing: left alone, each file keeps its own.
        const bool set = shared.Fields[k] ? shownFields[k] != *shared.Fields[k] : touched[k];
        if (set) change.Fields.emplace_back(kAllTagFields[k], shownFields[k]);
    }
    for (const std::string& line : shared.OtherTags)
        if (!HoldsLine(shownOtherTags, line)) change.RemovedLines.push_back(line);
    for (const std::string& line : shownOtherTags)
        if (!HoldsLine(shared.OtherTags, line)) change.AddedLines.push_back(line);
    return change;
}

void ApplySelectionChange(const TSelectionChange& change, tagrecord& record) {
    for (const auto& [field, value] : change.Fields) FieldOf(record, field) = value;
    std::vector<std::string>& lines = record.OtherTags;
    for (const std::string& line : change.RemovedLines)
        if (const auto at = std::find(lines.begin(), lines.end(), line); at != lines.end()) lines.erase(at);
    for (const std::string& line : change.AddedLines)
        if (!HoldsLine(lines, line)) lines.push_back(line);
}

TPlanner SelectionEditPlanner(TSelectionChange change) {
    return [change = std::move(change)](const std::string& dir, const std::string& name, TOggVorbis& file,
                                        tagrecord& record) {
        return PlanTagChange(file, record, "Edit: ", dir, name, {},
                             [&change](tagrecord& r) { ApplySelectionChange(change, r); });
    };
}

}  // namespace parvex
