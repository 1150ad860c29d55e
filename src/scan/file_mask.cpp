#include "scan/file_mask.h"

#include <algorithm>

#include "text/text_utils.h"

namespace parvex {

namespace {

bool SameLetter(char a, char b) { return LowerCaseChar(a) == LowerCaseChar(b); }

bool EndsWithIgnoringCase(std::string_view name, std::string_view end) {
    return name.size() >= end.size() && std::equal(end.begin(), end.end(), name.end() - end.size(), SameLetter);
}

// Plain wildcard match with backtracking to the last "*": linear for the usual one-star masks, and
// a mere look at the end of the name for the commonest of them, "*" and an extension.
bool MatchesWildcards(std::string_view name, std::string_view mask) {
    if (mask.starts_with('*') && mask.find_first_of("*?", 1) == std::string_view::npos)
        return EndsWithIgnoringCase(name, mask.substr(1));
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || SameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

// Splits "dir/name" into "dir/" and "name".
std::pair<std::string_view, std::string_view> SplitFolder(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {std::string_view(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

bool MatchesDotAware(std::string_view name, std::string_view mask) {
    if (mask.empty()) return true;
    std::size_t n = 0, m = 0;
    while (n < name.size() && m < mask.size()) {
        const char c = name[n];
        const char k = mask[m];
        if (c == k) {
            ++n;
            ++m;
        } else if (k == '?') {
            if (c != '.') ++n;
            ++m;
        } else if (k == '*') {
            if (c == '.') {
                const std::size_t dot = mask.find('.', m);
                m = dot == std::string_view::npos ? mask.size() : dot;
            } else {
                ++n;
            }
        } else {
            return false;
        }
    }
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '?')) ++m;
    return n == name.size() && m == mask.size();
}

}  // namespace

bool MatchesFileName(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    if (MatchesWildcards(name, mask)) return true;
    return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
           MatchesWildcards(name, mask.substr(0, mask.size() - 2));
}

std::string CompleteMask(std::string_view mask) {
    if (mask.empty()) return "*.*";
    std::string completed(mask);
    if (completed.find('.') == std::string::npos) completed += ".*";
    return completed;
}

bool MatchesMask(std::string_view path, std::string_view mask) {
    const std::string upperPath = UpperCase(path);
    const std::string upperMask = UpperCase(mask);
    const auto [pathFolder, pathName] = SplitFolder(upperPath);
    const auto [maskFolder, maskName] = SplitFolder(upperMask);
    if (!maskFolder.empty() && !pathFolder.ends_with(maskFolder)) return false;
    return MatchesDotAware(pathName, maskName);
}

}  // namespace parvex
