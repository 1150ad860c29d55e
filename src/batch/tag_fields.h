#pragma once
// The editable text fields of the working tag record, named so that page options can refer to
// them as data (a table row per field) rather than as fourteen copies of the same code.

#include <array>
#include <string>
#include <string_view>

#include "batch/tag_record.h"

namespace parvex {

enum class TTagField {
    Artist,
    Title,
    Album,
    Track,
    Date,
    Genre,
    Comment,
    License,
    Organization,
    Location,
    Contact,
    Version,
    Copyright,
    ISRC,
};

inline constexpr std::array<TTagField, 14> kAllTagFields = {
    TTagField::Artist,       TTagField::Title,    TTagField::Album,   TTagField::Track,
    TTagField::Date,         TTagField::Genre,    TTagField::Comment, TTagField::License,
    TTagField::Organization, TTagField::Location, TTagField::Contact, TTagField::Version,
    TTagField::Copyright,    TTagField::ISRC,
};

std::string& FieldOf(tagrecord& record, TTagField field);
const std::string& FieldOf(const tagrecord& record, TTagField field);

// The comment name a field is written under: "ARTIST", "TRACKNUMBER", ... ("COMMENT" for Comment,
// which a record may keep under "DESCRIPTION" instead, see tagrecord::CommentName).
std::string_view CommentNameOf(TTagField field);

}  // namespace parvex
