#pragma once
// Tag from file name: cut each file's name by the page's name format and store the pieces as tags.

#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/tag_record.h"
#include "naming/format_fields.h"

namespace parvex {

class TOggVorbis;

// What the "Tag based on filename" page says.
struct TTagFromFileNameOptions {
    bool ReplaceChecked = false;  // "Replace": ReplaceText becomes a space in the name
    std::string ReplaceText;      // any length; empty replaces nothing
    bool CaseFixChecked = false;  // "Auto letter case fix" with CaseFixWords
    std::vector<std::string> CaseFixWords;
    std::string Separator;  // the field separator
    std::string Format;     // the format text, e.g. "<Artist> - <Title>"
    TOverwriteChoice Overwrite = TOverwriteChoice::TagAll;
};

// The part of `name` that is cut into fields: the replacement and the case fix applied to the
// whole name, then as many characters dropped from its end as the name's own extension (".ogg",
// ".opus", ...) has, whatever they have become.
std::string NameToCut(const TTagFromFileNameOptions& options, const std::string& name);

// Why the name cannot be cut by the format: it has fewer pieces than the format has fields, so the
// pieces would land in the wrong tags ("Song.ogg" by "<Artist> - <Title>" would give the artist
// "Song"). Empty when the name has enough pieces.
std::string TooFewPieces(const TTagFromFileNameOptions& options, const std::string& name);

// What the run does to one file (see PlanTagChange), with the heading "Tag from filename: ": a file
// the overwrite choice ignores, or whose name has too few pieces, is skipped; otherwise the format's
// fields are set from its name.
TFilePlan PlanTagFromFileName(const TTagFromFileNameOptions& options, TOggVorbis& file, tagrecord& record,
                              const std::string& dir, const std::string& name);

}  // namespace parvex
