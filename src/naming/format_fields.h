#pragma once
// Filling tag fields from a text cut by a name format: shared by tag from file name and tag from
// list, which differ only in where the text comes from.

#include <functional>
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

// The text of column I (1-based) of what a format is matched against; empty past the last column.
using TColumnText = std::function<std::string(int column)>;

// Cuts `format` at `separator` and stores column I in the field named by placeholder I of the
// format. Missing columns give empty values; columns past the format's are dropped; placeholders
// without a field skip their column. With `keepExisting` a field that already holds text is left
// as it is.
void SetFieldsFromColumns(std::string_view format, std::string_view separator, const TColumnText& column,
                          bool keepExisting, tagrecord& record);

// The same with the columns of `text` cut at `separator`.
void SetFieldsFromText(std::string_view format, std::string_view separator, std::string_view text,
                       bool keepExisting, tagrecord& record);

}  // namespace parvex
