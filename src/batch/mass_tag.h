#pragma once
// Mass tag: set chosen fields of every file to a typed value, in front of, instead of, or after
// the file's own value.

#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/tag_fields.h"
#include "batch/tag_record.h"
#include "ogg/picture.h"

namespace parvex {

class TOggVorbis;

enum class TMassMode { None, Prepend, Overwrite, Append };

struct TMassRow {
    TTagField Field;
    std::string Text;
    TMassMode Mode = TMassMode::Overwrite;
};

enum class TPictureAction { Keep, SetFrontCover, RemoveAll };

// What the "Mass set tags" page says: the checked rows only, the other-tags row and the picture row.
struct TMassTagOptions {
    std::vector<TMassRow> Rows;
    bool OtherTagsChecked = false;
    TMassMode OtherTagsMode = TMassMode::Overwrite;  // Overwrite replaces the file's lines; else appends
    std::vector<std::string> OtherTagLines;
    // SetFrontCover puts Picture in the place of the file's front cover; RemoveAll removes every
    // picture. Either keeps malformed picture comments, which the run's log names.
    TPictureAction PictureAction = TPictureAction::Keep;
    TPicture Picture;
};

// Applies the page's rows to a loaded record: text and old value joined with no separator.
void ApplyMassTag(const TMassTagOptions& options, tagrecord& record);

// What the run does to one file: the page's rows applied to its tags (see PlanTagChange), with the
// heading "Mass Tag: ", and a line for the malformed picture comments kept when the pictures change.
TFilePlan PlanMassTag(const TMassTagOptions& options, TOggVorbis& file, tagrecord& record,
                      const std::string& dir, const std::string& name);

}  // namespace parvex
