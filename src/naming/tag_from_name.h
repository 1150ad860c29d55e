#pragma once
// Tag from file name: cut each file's name by the page's name format and store the pieces as tags.

#include <string>
#include <vector>

#include "batch/tag_record.h"
#include "naming/format_fields.h"

namespace parvex {

class TLogSink;
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
// whole name, then its last four characters (the extension) dropped, whatever they are.
std::string NameToCut(const TTagFromFileNameOptions& options, const std::string& name);

// The per-file routine: loads the file, logs "Tag from filename: " + path, and unless the file is
// to be ignored sets the format's fields from its name and stores it (also when nothing changed).
// Skipped for an ignored file. Raises EFOpenError for a file that cannot be opened or is gone.
TFileOutcome TagFromFileName(const TTagFromFileNameOptions& options, TOggVorbis& file,
                             tagrecord& record, TLogSink& log, const std::string& dir,
                             const std::string& name);

}  // namespace parvex
