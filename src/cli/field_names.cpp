#include "cli/field_names.h"

#include <array>

#include "naming/name_format.h"
#include "text/text_utils.h"

namespace parvex::cli {

namespace {

struct TFieldName {
    std::string_view Word;
    TTagField Field;
};

constexpr std::array<TFieldName, kAllTagFields.size()> kFieldNames = {{
    {"artist", TTagField::Artist},
    {"title", TTagField::Title},
    {"album", TTagField::Album},
    {"track", TTagField::Track},
    {"date", TTagField::Date},
    {"genre", TTagField::Genre},
    {"comment", TTagField::Comment},
    {"license", TTagField::License},
    {"organization", TTagField::Organization},
    {"location", TTagField::Location},
    {"contact", TTagField::Contact},
    {"version", TTagField::Version},
    {"copyright", TTagField::Copyright},
    {"isrc", TTagField::ISRC},
}};

}  // namespace

std::optional<TTagField> ParseTagField(std::string_view word) {
    const std::string lower = LowerCase(word);
    for (const TFieldName& name : kFieldNames)
        if (lower == name.Word || lower == LowerCase(CommentNameOf(name.Field))) return name.Field;
    return std::nullopt;
}

std::optional<std::string> ParseFormatEntry(std::string_view word, TFormatKind kind) {
    const std::string lower = LowerCase(word);
    for (std::string_view caption : kFieldCaptions)
        if (lower == LowerCase(caption)) return std::string(caption);
    if (kind != TFormatKind::Rename && lower == "trash") return std::string(kTrashEntry);
    if (kind == TFormatKind::List && lower == "target") return std::string(kTargetFileEntry);
    return std::nullopt;
}

std::string TagFieldWords() {
    std::string words;
    for (const TFieldName& name : kFieldNames) words += (words.empty() ? "" : ", ") + std::string(name.Word);
    return words;
}

}  // namespace parvex::cli
