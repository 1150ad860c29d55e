#include "settings/ini_document.h"

#include <charconv>
#include <limits>

namespace parvex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// The name of a header line "[name]", or nullopt when the line is no header. A missing "]" is
// forgiven: the name then runs to the end of the line.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    return TrimBlanks(line.substr(0, line.find(']')));
}

// The key of a "key=value" line, or nullopt for comments, blank lines and lines without a key.
std::optional<std::string_view> KeyName(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return key;
}

std::string_view RawValue(std::string_view line) { return line.substr(line.find('=') + 1); }

std::string_view StripEnclosingQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts after `limit` UTF-8 code points, never inside one.
std::string_view CutCharacters(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == limit) return text.substr(0, i);
    }
    return text;
}

std::string WithoutLineBreaks(std::string_view value) {
    std::string clean(value);
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = ' ';
    return clean;
}

bool IsBlankLine(const std::string& line) { return TrimBlanks(line).empty(); }

}  // namespace

TIniDocument TIniDocument::Parse(std::string_view text) {
    TIniDocument doc;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (HeaderName(line)) {
            doc.sections_.push_back(Section{std::string(line), {}, {}});
            continue;
        }
        if (doc.sections_.empty()) {
            doc.preamble_.emplace_back(line);
            continue;
        }
        Section& section = doc.sections_.back();
        if (const auto key = KeyName(line)) section.keys.try_emplace(Fold(*key), section.lines.size());
        section.lines.emplace_back(line);
    }
    doc.IndexSections();
    return doc;
}

std::string TIniDocument::Text() const {
    std::string text;
    for (const auto& line : preamble_) text.append(line).push_back('\n');
    for (const auto& section : sections_) {
        text.append(section.header).push_back('\n');
        for (const auto& line : section.lines) text.append(line).push_back('\n');
    }
    return text;
}

void TIniDocument::IndexSections() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.try_emplace(Fold(*HeaderName(sections_[i].header)), i);
}

const TIniDocument::Section* TIniDocument::FindSection(std::string_view name) const {
    const auto found = sectionIndex_.find(Fold(TrimBlanks(name)));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

bool TIniDocument::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::optional<std::string> TIniDocument::Read(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return std::nullopt;
    const auto line = found->keys.find(Fold(TrimBlanks(key)));
    if (line == found->keys.end()) return std::nullopt;
    const std::string_view value = StripEnclosingQuotes(TrimBlanks(RawValue(found->lines[line->second])));
    return std::string(CutCharacters(value, kMaxIniValueLength));
}

std::string TIniDocument::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
    auto value = Read(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int TIniDocument::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
    const auto value = Read(section, key);
    if (!value) return fallback;
    return ParseIniInteger(*value).value_or(fallback);
}

TIniDocument::Section& TIniDocument::SectionForWrite(std::string_view name) {
    if (const Section* found = FindSection(name)) return sections_[found - sections_.data()];
    // Keep a blank line between the last section and the new one, for whoever reads the file.
    if (!sections_.empty() && !sections_.back().lines.empty() && !IsBlankLine(sections_.back().lines.back()))
        sections_.back().lines.emplace_back();
    sections_.push_back(Section{"[" + std::string(name) + "]", {}, {}});
    sectionIndex_.try_emplace(Fold(TrimBlanks(name)), sections_.size() - 1);
    return sections_.back();
}

void TIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section& target = SectionForWrite(section);
    const std::string folded = Fold(TrimBlanks(key));
    const auto existing = target.keys.find(folded);
    if (existing != target.keys.end()) {
        // Keep the key as it is spelled in the file; only the value changes.
        std::string& line = target.lines[existing->second];
        line = std::string(TrimBlanks(line.substr(0, line.find('=')))) + "=" +
               WithoutLineBreaks(QuoteIniValue(value));
        return;
    }
    // A new key goes after the last non-blank line, so blank lines stay between sections.
    std::size_t at = target.lines.size();
    while (at > 0 && IsBlankLine(target.lines[at - 1])) --at;
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                        std::string(key) + "=" + WithoutLineBreaks(QuoteIniValue(value)));
    target.keys.emplace(folded, at);
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniDocument::EraseSection(std::string_view section) {
    const Section* found = FindSection(section);
    if (found == nullptr) return;
    sections_.erase(sections_.begin() + (found - sections_.data()));
    IndexSections();
}

std::string QuoteIniValue(std::string_view value) {
    const auto enclosedIn = [value](char quote) {
        return !value.empty() && value.front() == quote && value.back() == quote;
    };
    // Both cases come down to one more pair of double quotes, which the reader takes off again.
    if (enclosedIn('"') || enclosedIn('\'')) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::optional<int> ParseIniInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // Parsed unsigned and checked by hand, so a stray sign after the prefix is refused and the
    // most negative int is still accepted.
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const unsigned long long limit = negative ? 1ULL + std::numeric_limits<int>::max()
                                              : static_cast<unsigned long long>(std::numeric_limits<int>::max());
    if (magnitude > limit) return std::nullopt;
    return negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
}

}  // namespace parvex
