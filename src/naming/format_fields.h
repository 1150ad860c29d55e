#pragma once
// Filling tag fields from a text cut by a name format: shared by tag from file name and tag from
// list, which differ only in where the text comes from.

#include <optional>
#include <string>
#include <string_view>

#include "batch/tag_fields.h"
#include "batch/tag_record.h"

namespace parvex {

// The three radio buttons of a tagging page.
enum class TOverwriteChoice {
    TagAll,        // every field named by the format is written
    KeepExisting,  // a field that already holds text keeps it
    IgnoreTagged,  // a file that has any tag at all is left alone
};

// Why `choice` passes over a loaded file: "the file has tags" under IgnoreTagged for a file that has
// tags; empty otherwise.
std::string IgnoredByChoice(TOverwriteChoice choice, const tagrecord& record);

// The field a placeholder names: "<Artist>", "<Title>", "<Album>", "<Track>", "<Date>", "<Genre>",
// "<Comment>", matched exactly (letter case included). Nothing for "<TRASH>", "<Target file>" and
// any other text.
std::optional<TTagField> PlaceholderField(std::string_view placeholder);

// Cuts `format` and `text` at `separator` and stores field I of the text in the field named by
// placeholder I of the format. Missing fields of the text give empty values; fields past the
// format's are dropped; placeholders without a field skip their column. With `keepExisting` a field
// that already holds text is left as it is.
void SetFieldsFromText(std::string_view format, std::string_view separator, std::string_view text,
                       bool keepExisting, tagrecord& record);

}  // namespace parvex
