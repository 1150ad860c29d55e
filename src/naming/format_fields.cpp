#include "naming/format_fields.h"

#include <array>
#include <utility>

#include "naming/name_format.h"
#include "text/text_utils.h"

namespace parvex {

std::optional<TTagField> PlaceholderField(std::string_view placeholder) {
    static const std::array<std::pair<std::string, TTagField>, 7> kPlaceholders = {{
        {Placeholder("Artist"), TTagField::Artist},
        {Placeholder("Title"), TTagField::Title},
        {Placeholder("Album"), TTagField::Album},
        {Placeholder("Track"), TTagField::Track},
        {Placeholder("Date"), TTagField::Date},
        {Placeholder("Genre"), TTagField::Genre},
        {Placeholder("Comment"), TTagField::Comment},
    }};
    for (const auto& [text, field] : kPlaceholders)
        if (text == placeholder) return field;
    return std::nullopt;
}

std::string IgnoredByChoice(TOverwriteChoice choice, const tagrecord& record) {
    return choice == TOverwriteChoice::IgnoreTagged && record.HasTags ? "the file has tags" : std::string();
}

void SetFieldsFromColumns(std::string_view format, std::string_view separator, const TColumnText& column,
                          bool keepExisting, tagrecord& record) {
    const int count = CountFields(format, separator);
    for (int i = 1; i <= count; ++i) {
        const std::optional<TTagField> field = PlaceholderField(NthField(format, separator, i));
        if (!field) continue;
        std::string& value = FieldOf(record, *field);
        if (keepExisting && !value.empty()) continue;
        value = column(i);
    }
}

void SetFieldsFromText(std::string_view format, std::string_view separator, std::string_view text,
                       bool keepExisting, tagrecord& record) {
    SetFieldsFromColumns(format, separator, [&](int i) { return NthField(text, separator, i); }, keepExisting,
                         record);
}

}  // namespace parvex
