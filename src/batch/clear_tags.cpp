#include "batch/clear_tags.h"

namespace parvex {

void ApplyClearTags(const TClearTagsOptions& options, tagrecord& record) {
    for (TTagField field : options.Fields) FieldOf(record, field).clear();
    if (options.OtherTags) record.OtherTags.clear();
    if (!options.RemoveAll) return;
    for (TTagField field : kAllTagFields) FieldOf(record, field).clear();
    record.OtherTags.clear();
}

TFilePlan PlanClearTags(const TClearTagsOptions& options, TOggVorbis& file, tagrecord& record,
                        const std::string& dir, const std::string& name) {
    return PlanTagChange(file, record, "Clear Tags: ", dir, name, {},
                         [&](tagrecord& r) { ApplyClearTags(options, r); });
}

}  // namespace parvex
