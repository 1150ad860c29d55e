#include "batch/mass_tag.h"

namespace parvex {

namespace {

void ApplyRow(const TMassRow& row, std::string& value) {
    switch (row.Mode) {
        case TMassMode::Overwrite:
            value = row.Text;
            break;
        case TMassMode::Prepend:
            value = row.Text + value;
            break;
        case TMassMode::Append:
            value += row.Text;
            break;
        case TMassMode::None:
            break;
    }
}

}  // namespace

void ApplyMassTag(const TMassTagOptions& options, tagrecord& record) {
    for (const TMassRow& row : options.Rows) ApplyRow(row, FieldOf(record, row.Field));
    if (options.OtherTagsChecked) {
        if (options.OtherTagsMode == TMassMode::Overwrite) record.OtherTags.clear();
        record.OtherTags.insert(record.OtherTags.end(), options.OtherTagLines.begin(),
                                options.OtherTagLines.end());
    }
    switch (options.PictureAction) {
        case TPictureAction::SetFrontCover:
            SetFrontCover(record.OtherTags, options.Picture);
            break;
        case TPictureAction::RemoveAll:
            RemovePictures(record.OtherTags);
            break;
        case TPictureAction::Keep:
            break;
    }
}

TFilePlan PlanMassTag(const TMassTagOptions& options, TOggVorbis& file, tagrecord& record,
                      const std::string& dir, const std::string& name) {
    std::size_t kept = 0;
    TFilePlan plan = PlanTagChange(file, record, "Mass Tag: ", dir, name, {}, [&](tagrecord& r) {
        ApplyMassTag(options, r);
        kept = MalformedPictures(r.OtherTags);
    });
    if (options.PictureAction == TPictureAction::Keep || plan.Action == TPlanAction::Fail) return plan;
    if (kept > 0)
        plan.Lines.push_back(kLogIndent + KeptMalformedPicturesNote(kept));
    return plan;
}

}  // namespace parvex
