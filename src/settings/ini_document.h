#pragma once
// An INI document held in memory: "[section]" header lines followed by "key=value" lines.
//
// Reading and writing follow the rules of the classic profile routines the settings file has always
// been read with, so files written by hand keep working:
//   - section and key names are compared without regard to ASCII letter case; the first match wins;
//   - a read value loses the blanks around it and then one pair of enclosing quotes ('...' or "...");
//     it is cut at kMaxIniValueLength characters;
//   - a written value that the read would change is quoted first (QuoteIniValue), so it reads back
//     unchanged (blanks at its ends excepted);
//   - an existing key is updated in place, a new key goes at the end of its section, a new section at
//     the end of the document;
//   - lines that are neither a header nor a key line (blank lines, ";" comments, stray text) are kept
//     as they stand and never matched.
// Nothing here fails on malformed text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace parvex {

// Longest value a read returns, in characters (UTF-8 code points); longer values are cut.
inline constexpr std::size_t kMaxIniValueLength = 2047;

class TIniDocument {
public:
    // Parses INI text; lines may end in "\n" or "\r\n".
    static TIniDocument Parse(std::string_view text);
    // The document as text, every line ended by "\n".
    std::string Text() const;

    // The value of `key` in `section`, unquoted and cut as described above; nullopt when the section
    // or the key is missing.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // The value read as an integer (ParseIniInteger); `fallback` when missing or unreadable.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;

    // Stores `value` quoted by QuoteIniValue. Line breaks inside the value become blanks, so a value
    // can never add lines of its own to the document. `section` and `key` must hold no line break,
    // `key` no "=" and `section` no "]".
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes the section: its header and every line up to the next header.
    void EraseSection(std::string_view section);
    bool HasSection(std::string_view section) const;

private:
    struct Section {
        std::string header;  // the header line as it stands in the text
        std::vector<std::string> lines;
        std::unordered_map<std::string, std::size_t> keys;  // folded key -> index of its first line
    };

    const Section* FindSection(std::string_view name) const;
    Section& SectionForWrite(std::string_view name);
    void IndexSections();

    std::vector<std::string> preamble_;  // lines before the first header: part of no section
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> first section
};

// The writer's quoting rule: a non-empty value that starts and ends with a double quote gets one more
// double quote at each end; otherwise a value that starts and ends with a single quote is enclosed in
// double quotes; any other value is returned as it is.
std::string QuoteIniValue(std::string_view value);

// Decimal with an optional sign, or hexadecimal after "0x" or "0X"; the whole text must be the number
// and fit an int, else nullopt.
std::optional<int> ParseIniInteger(std::string_view text);

}  // namespace parvex
