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

// Runs of bytes that need no escape are copied whole: most text has none.
std::string QuotedText(std::string_view text) {
    const auto plain = [](char c) {
        return c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    };
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (auto at = text.begin(); at != text.end();) {
        const auto run = std::find_if_not(at, text.end(), plain);
        out.append(at, run);
        if (run == text.end()) break;
        if (*run == '"' || *run == '\\')
            out += {'\\', *run};
        else
            AppendControlEscape(out, *run);
        at = run + 1;
    }
    out += '"';
    return out;
}

std::string EscapedControls(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (!AppendControlEscape(out, c)) out += c;
    return out;
}

}  // namespace parvex
