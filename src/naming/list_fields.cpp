#include "naming/list_fields.h"

namespace parvex {

namespace {

constexpr char kQuote = '"';

}  // namespace

void TListRecord::Clear() {
    fields_.clear();
    atFieldStart_ = true;
    inQuotes_ = false;
}

bool TListRecord::Add(std::string_view piece) {
    std::size_t at = 0;
    // A separator at the very end still opens a last, empty field.
    while (at < piece.size() || atFieldStart_) {
        if (atFieldStart_) {
            fields_.emplace_back();
            atFieldStart_ = false;
            if (at < piece.size() && piece[at] == kQuote) {
                inQuotes_ = true;
                ++at;
            }
        }
        std::string& field = fields_.back();
        if (inQuotes_) {
            const std::size_t quote = piece.find(kQuote, at);
            field.append(piece.substr(at, quote - at));
            if (quote == std::string_view::npos) return false;
            // A doubled quote is one quote of the text; a lone one closes the field.
            const bool doubled = quote + 1 < piece.size() && piece[quote + 1] == kQuote;
            if (doubled) field += kQuote;
            inQuotes_ = doubled;
            at = quote + (doubled ? 2 : 1);
            continue;
        }
        const std::size_t stop = separator_.empty() ? std::string_view::npos : piece.find(separator_, at);
        field.append(piece.substr(at, stop - at));
        if (stop == std::string_view::npos) return true;
        at = stop + separator_.size();
        atFieldStart_ = true;
    }
    return !inQuotes_;
}

std::vector<std::string> SplitListRecord(std::string_view record, std::string_view separator) {
    TListRecord fields(separator);
    fields.Add(record);
    return fields.Fields();
}

std::string ListField(std::string_view value, std::string_view separator) {
    const bool holdsSeparator = !separator.empty() && value.find(separator) != std::string_view::npos;
    if (!holdsSeparator && value.find_first_of("\"\r\n") == std::string_view::npos) return std::string(value);
    std::string quoted(1, kQuote);
    for (const char c : value) {
        if (c == kQuote) quoted += kQuote;
        quoted += c;
    }
    quoted += kQuote;
    return quoted;
}

}  // namespace parvex
