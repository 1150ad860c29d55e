#include "cli/field_names.h"

#include <array>

#include "naming/name_format.h"
#include "text/text_utils.h"

namespace parvex::cli {

namespace {

struct TFieldName {
    std::string_view Word;
    std::string_view CommentName;
    TTagField Field;
};

constexpr std::array<TFieldName, kAllTagFields.size()> kFieldNames = {{
    {"artist", "ARTIST", TTagField::Artist},
    {"title", "TITLE", TTagField::Title},
    {"album", "ALBUM", TTagField::Album},
    {"track", "TRACKNUMBER", TTagField::Track},
    {"date", "DATE", TTagField::Date},
    {"genre", "GENRE", TTagField::Genre},
    {"comment", "COMMENT", TTagField::Comment},
    {"license", "LICENSE", TTagField::License},
    {"organization", "ORGANIZATION", TTagField::Organization},
    {"location", "LOCATION", TTagField::Location},
    {"contact", "CONTACT", TTagField::Contact},
    {"version", "VERSION", TTagField::Version},
    {"copyright", "COPYRIGHT", TTagField::Copyright},
    {"isrc", "ISRC", TTagField::ISRC},
}};

}  // namespace

std::optional<TTagField> ParseTagField(std::string_view word) {
    const std::string lower = LowerCase(word);
    for (const TFieldName& name : kFieldNames)
        if (lower == name.Word || lower == LowerCase(name.CommentName)) return name.Field;
    return std::nullopt;
}

std::string_view CommentNameOf(TTagField field) {
    for (const TFieldName& name : kFieldNames)
        if (name.Field == field) return name.CommentName;
    return {};
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
