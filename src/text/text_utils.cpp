#include "text/text_utils.h"

#include <algorithm>
#include <cstdio>

namespace parvex {

namespace {

// 0-based offset of `sub` in `text` at or after `start`, or npos; an empty `sub` is never found.
std::size_t Find(std::string_view text, std::string_view sub, std::size_t start) {
    if (sub.empty() || start > text.size()) return std::string_view::npos;
    return text.find(sub, start);
}

}  // namespace

std::string LowerCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerCaseChar);
    return result;
}

std::string UpperCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperCaseChar);
    return result;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerCaseChar(x) == LowerCaseChar(y);
           });
}

int PosFrom(std::string_view text, std::string_view sub, int from) {
    const std::size_t start = from < 1 ? 0 : static_cast<std::size_t>(from - 1);
    const std::size_t found = Find(text, sub, start);
    return found == std::string_view::npos ? 0 : static_cast<int>(found + 1);
}

std::string CopyFrom(std::string_view text, int from) {
    if (from <= 0 || static_cast<std::size_t>(from) > text.size()) return {};
    return std::string(text.substr(static_cast<std::size_t>(from - 1)));
}

std::string CopyRange(std::string_view text, int from, int to) {
    if (from <= 0 || to < from || static_cast<std::size_t>(from) > text.size()) return {};
    const auto first = static_cast<std::size_t>(from - 1);
    const auto count = std::min(static_cast<std::size_t>(to), text.size()) - first;
    return std::string(text.substr(first, count));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    std::string result;
    std::size_t done = 0;
    // Searching the original text behind each occurrence is the same as searching the rewritten text
    // behind the inserted replacement, without copying the whole text per occurrence.
    for (std::size_t hit = Find(text, find, 0); hit != std::string_view::npos;
         hit = Find(text, find, done)) {
        result.append(text.substr(done, hit - done)).append(replacement);
        done = hit + find.size();
    }
    result.append(text.substr(done));
    return result;
}

std::string LowerCaseWord(std::string_view text, std::string_view word) {
    std::string result(text);
    // Lowering an occurrence leaves the lowered copy as it was, so one copy serves every search.
    const std::string lowered = LowerCase(text);
    const std::string lowerWord = LowerCase(word);
    std::size_t hit = Find(lowered, lowerWord, 0);
    while (hit != std::string_view::npos) {
        result.replace(hit, lowerWord.size(), lowerWord);
        // Resume on the last character of this occurrence so that a shared space serves two words;
        // always move on by at least one so that a one-character word cannot repeat forever.
        hit = Find(lowered, lowerWord, hit + std::max<std::size_t>(lowerWord.size() - 1, 1));
    }
    return result;
}

std::string NthField(std::string_view text, std::string_view separator, int n) {
    std::string_view rest = text;
    std::string_view field;
    int index = 1;
    bool more = !rest.empty();
    while (index <= n && more) {
        const std::size_t hit = Find(rest, separator, 0);
        if (hit != std::string_view::npos) {
            field = rest.substr(0, hit);
            rest.remove_prefix(hit + separator.size());
            ++index;
        } else {
            field = rest;
            more = false;
        }
    }
    return n > index ? std::string() : std::string(field);
}

int CountFields(std::string_view text, std::string_view separator) {
    if (text.empty()) return 0;
    // Every place where the separator starts counts once, overlapping places included; the text is
    // never changed while counting, so no separator (not even "##") can be found twice.
    int count = 1;
    for (std::size_t hit = Find(text, separator, 0); hit != std::string_view::npos;
         hit = Find(text, separator, hit + 1))
        ++count;
    return count;
}

std::string LowerCaseListedWords(std::string_view text, const std::vector<std::string>& words) {
    std::string result(text);
    for (const std::string& word : words) result = LowerCaseWord(result, " " + word + " ");
    return result;
}

namespace {

// Appends the escape of a control character (\n, \r, \t, \u001b, \u007f); false for any other byte.
bool AppendControlEscape(std::string& out, char c) {
    switch (c) {
        case '\n':
            out += "\\n";
            return true;
        case '\r':
            out += "\\r";
            return true;
        case '\t':
            out += "\\t";
            return true;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) return false;
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
            return true;
    }
}

}  // namespace

std::string_view TrimControls(std::string_view text) {
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
    return text;
}

namespace {

// The marks that rearrange or break the text around them on a screen without being seen: the
// bidirectional embeddings, overrides and isolates (U+202A to U+202E, U+2066 to U+2069) and the line
// and paragraph separators (U+2028, U+2029). Their UTF-8 forms are E2 80 A8..AE and E2 81 A6..A9.
// Appends the escape ("\u202e") of the mark that starts `text` at `at` and returns its length in
// bytes; 0 (nothing appended) when none does.
std::size_t AppendMarkEscape(std::string& out, std::string_view text, std::size_t at) {
    if (text.size() - at < 3 || static_cast<unsigned char>(text[at]) != 0xE2) return 0;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    const bool mark = (second == 0x80 && third >= 0xA8 && third <= 0xAE) ||
                      (second == 0x81 && third >= 0xA6 && third <= 0xA9);
    if (!mark) return 0;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", 0x2000 + ((second & 0x3F) << 6) + (third & 0x3F));
    out += escaped;
    return 3;
}

// Escapes `text`: control characters and the marks always, the backslash (and the quote) as asked.
// Runs of bytes that need no escape are copied whole: most text has none.
std::string Escaped(std::string_view text, bool backslash, bool quote) {
    const auto plain = [&](char c) {
        return !(backslash && c == '\\') && !(quote && c == '"') && static_cast<unsigned char>(c) >= 0x20 &&
               c != 0x7F && static_cast<unsigned char>(c) != 0xE2;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto from = text.begin() + static_cast<std::ptrdiff_t>(at);
        const auto run = static_cast<std::size_t>(std::find_if_not(from, text.end(), plain) - text.begin());
        out.append(text.substr(at, run - at));
        if (run == text.size()) break;
        const char c = text[run];
        at = run + 1;
        if (c == '\\' || c == '"')
            out += {'\\', c};
        else if (const std::size_t mark = AppendMarkEscape(out, text, run))
            at = run + mark;
        else if (!AppendControlEscape(out, c))
            out += c;
    }
    return out;
}

}  // namespace

std::string QuotedText(std::string_view text) { return '"' + Escaped(text, true, true) + '"'; }

std::string EscapedName(std::string_view text) { return Escaped(text, true, false); }

std::string EscapedControls(std::string_view text) { return Escaped(text, false, false); }

}  // namespace parvex
