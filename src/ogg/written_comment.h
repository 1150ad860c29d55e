#pragma once
// One comment as the writer stores it, and the rule by which the writer trims a value. What a plan
// says a file will hold and what a save writes into it follow this one rule.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/fnv_hash.h"
#include "text/large_text.h"
#include "text/text_utils.h"

namespace parvex {

// One comment of a file: its name exactly, its value.
struct TWrittenComment {
    std::string Name;
    std::string Value;
    bool operator==(const TWrittenComment&) const = default;
};

// A stable 64-bit hash of comments, names and values, in order: each name and value goes in after
// its length in decimal and ":". Journals keep it to recognise a file's comments later, so it never
// changes. Comments are added one at a time, so that a file's can be hashed as they are read.
class TCommentsDigest {
public:
    void Add(std::string_view name, std::string_view value) {
        for (const std::string_view text : {name, value}) {
            hash_.Add(std::to_string(text.size()));
            hash_.Add(":");
            hash_.Add(text);
        }
    }
    uint64_t Value() const { return hash_.Value(); }

private:
    TFnvHash hash_;
};

inline uint64_t CommentsDigest(const std::vector<TWrittenComment>& comments) {
    TCommentsDigest digest;
    for (const TWrittenComment& comment : comments) digest.Add(comment.Name, comment.Value);
    return digest.Value();
}

// A value as the writer stores it: blanks and control characters at both ends dropped.
inline std::string WrittenValue(std::string_view value) { return CopyLarge(TrimControls(value)); }

// A field as the writer stores it: the comment `name` with the value as WrittenValue makes it, or
// nothing where that is empty (an empty field is no comment).
inline std::optional<TWrittenComment> WrittenField(std::string name, std::string_view value) {
    std::string kept = WrittenValue(value);
    if (kept.empty()) return std::nullopt;
    return TWrittenComment{std::move(name), std::move(kept)};
}

// An other-tags line "NAME=value" as the writer stores it: the name exactly as it stands, blanks
// included (a line without "=" has an empty name), the value as WrittenValue makes it. A line with a
// name and an empty value is a comment the user keeps ("COMMENT=" on purpose); one with neither is
// no comment (nothing).
inline std::optional<TWrittenComment> WrittenOtherTag(std::string_view line) {
    const std::size_t eq = line.find('=');
    TWrittenComment comment;
    if (eq == std::string_view::npos) {
        comment.Value = WrittenValue(line);
    } else {
        comment.Name = line.substr(0, eq);
        comment.Value = WrittenValue(line.substr(eq + 1));
    }
    if (comment.Name.empty() && comment.Value.empty()) return std::nullopt;
    return comment;
}

}  // namespace parvex
