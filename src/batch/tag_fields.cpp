#include "batch/tag_fields.h"

namespace parvex {

std::string& FieldOf(tagrecord& record, TTagField field) {
    switch (field) {
        case TTagField::Artist:
            return record.Artist;
        case TTagField::Title:
            return record.Title;
        case TTagField::Album:
            return record.Album;
        case TTagField::Track:
            return record.Track;
        case TTagField::Date:
            return record.Date;
        case TTagField::Genre:
            return record.Genre;
        case TTagField::Comment:
            return record.Comment;
        case TTagField::License:
            return record.License;
        case TTagField::Organization:
            return record.Organization;
        case TTagField::Location:
            return record.Location;
        case TTagField::Contact:
            return record.Contact;
        case TTagField::Version:
            return record.Version;
        case TTagField::Copyright:
            return record.Copyright;
        case TTagField::ISRC:
            return record.ISRC;
    }
    return record.Title;  // unreachable: every enumerator is handled above
}

const std::string& FieldOf(const tagrecord& record, TTagField field) {
    return FieldOf(const_cast<tagrecord&>(record), field);
}

std::string_view CommentNameOf(TTagField field) {
    switch (field) {
        case TTagField::Artist:
            return "ARTIST";
        case TTagField::Title:
            return "TITLE";
        case TTagField::Album:
            return "ALBUM";
        case TTagField::Track:
            return "TRACKNUMBER";
        case TTagField::Date:
            return "DATE";
        case TTagField::Genre:
            return "GENRE";
        case TTagField::Comment:
            return "COMMENT";
        case TTagField::License:
            return "LICENSE";
        case TTagField::Organization:
            return "ORGANIZATION";
        case TTagField::Location:
            return "LOCATION";
        case TTagField::Contact:
            return "CONTACT";
        case TTagField::Version:
            return "VERSION";
        case TTagField::Copyright:
            return "COPYRIGHT";
        case TTagField::ISRC:
            return "ISRC";
    }
    return {};
}

}  // namespace parvex
