#pragma once
// The fields of a tag list's lines, quoted as spreadsheets quote them when they save a list.
//
// A field that starts with a double quote is quoted: it runs to the next lone double quote and may
// hold the separator and line ends, each doubled quote in it standing for one quote
// ("Smith; John" and "Song ""One""" read Smith; John and Song "One"). Text between the closing
// quote and the next separator is kept as it stands. Any other field runs to the next separator
// and is taken exactly as written, quotes included, as NthField cuts it.

#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// Cuts one record of a list into its fields, a line of the file at a time: a record whose quoted
// field holds a line end spans several lines.
class TListRecord {
public:
    explicit TListRecord(std::string_view separator) : separator_(separator) {}

    // Starts a new record.
    void Clear();
    // Reads the next piece of the record: its first line, or for a record still open the line end
    // that closed the line before followed by the next line. True when the record is complete,
    // false while a quoted field is still open (its text so far is the last field).
    bool Add(std::string_view piece);
    // The fields read so far, from the first; a record that was given some text has at least one.
    const std::vector<std::string>& Fields() const { return fields_; }

private:
    std::string separator_;
    std::vector<std::string> fields_;
    bool atFieldStart_ = true;  // the next byte starts a field (the record's start, or after a separator)
    bool inQuotes_ = false;     // inside a quoted field, before its closing quote
};

// The fields of a whole record (line ends inside quoted fields included).
std::vector<std::string> SplitListRecord(std::string_view record, std::string_view separator);

// `value` as a field of a list line cut at `separator`: in double quotes with each quote doubled
// when it holds the separator, a double quote or a line end (a carriage return or a line feed),
// so that it reads back as the same value; as it is otherwise.
std::string ListField(std::string_view value, std::string_view separator);

}  // namespace parvex
