#pragma once
// The words by which the command line names tag fields and name-format entries.

#include <optional>
#include <string>
#include <string_view>

#include "batch/tag_fields.h"
#include "naming/name_format.h"

namespace parvex::cli {

// The field named by `word`: its page caption ("artist", "track", "isrc") or its comment name
// ("TRACKNUMBER"), letter case ignored.
std::optional<TTagField> ParseTagField(std::string_view word);

// The name-format entry named by `word`, letter case ignored: one of the seven format fields
// ("artist" gives "Artist"), or what `kind` allows of "trash" ("TRASH") and "target" ("Target file").
std::optional<std::string> ParseFormatEntry(std::string_view word, TFormatKind kind);

// The words of every field, for help texts and error messages: "artist, title, ...".
std::string TagFieldWords();

}  // namespace parvex::cli
