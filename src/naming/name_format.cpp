#include "naming/name_format.h"

#include <algorithm>
#include <utility>

#include "text/text_utils.h"

namespace parvex {

namespace {

bool HasSelection(const TOrderList& order) {
    return order.Selected >= 0 && static_cast<std::size_t>(order.Selected) < order.Entries.size();
}

void SwapWithSelected(TOrderList& order, int otherRow) {
    std::swap(order.Entries[static_cast<std::size_t>(order.Selected)],
              order.Entries[static_cast<std::size_t>(otherRow)]);
    order.Selected = otherRow;
}

void RemoveRow(TOrderList& order, int row) {
    order.Entries.erase(order.Entries.begin() + row);
    if (order.Selected == row)
        order.Selected = -1;
    else if (order.Selected > row)
        --order.Selected;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsPlaceholderChar(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '-';
}

std::vector<std::string> KnownPlaceholders(TFormatKind kind) {
    std::vector<std::string> known;
    for (std::string_view caption : kFieldCaptions) known.push_back(Placeholder(caption));
    if (kind != TFormatKind::Rename) known.push_back(Placeholder(kTrashEntry));
    if (kind == TFormatKind::List) known.push_back(Placeholder(kTargetFileEntry));
    return known;
}

// Edits that turn `a` into `b`, ASCII case ignored: inserting, deleting or replacing a character,
// or swapping two neighbours ("Titel" is one edit from "Title").
std::size_t EditDistance(std::string_view a, std::string_view b) {
    const auto same = [&](std::size_t i, std::size_t j) { return LowerCaseChar(a[i]) == LowerCaseChar(b[j]); };
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same(i - 1, j - 1) ? 0 : 1)});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The known placeholder `unknown` most likely stands for: one that differs from it in letter case,
// or by one edit; empty when none is that close.
std::string ClosestPlaceholder(std::string_view unknown, const std::vector<std::string>& known) {
    for (const std::string& candidate : known)
        if (EditDistance(unknown, candidate) == 0) return candidate;
    for (const std::string& candidate : known)
        if (EditDistance(unknown, candidate) == 1) return candidate;
    return {};
}

// The first placeholder of `text` that is not in `known`; empty when there is none.
std::string FirstUnknownPlaceholder(std::string_view text, const std::vector<std::string>& known) {
    for (std::size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<', open + 1)) {
        if (open + 1 >= text.size() || !IsAsciiLetter(text[open + 1])) continue;
        std::size_t close = open + 1;
        while (close < text.size() && IsPlaceholderChar(text[close])) ++close;
        if (close == text.size() || text[close] != '>') continue;
        const std::string_view placeholder = text.substr(open, close - open + 1);
        if (std::find(known.begin(), known.end(), placeholder) == known.end()) return std::string(placeholder);
    }
    return {};
}

}  // namespace

std::string UnknownPlaceholderProblem(std::string_view format, std::string_view separator, TFormatKind kind) {
    const std::vector<std::string> known = KnownPlaceholders(kind);
    std::string unknown;
    if (kind == TFormatKind::Rename) {
        unknown = FirstUnknownPlaceholder(format, known);
    } else {
        const int count = CountFields(format, separator);
        for (int i = 1; i <= count && unknown.empty(); ++i)
            unknown = FirstUnknownPlaceholder(NthField(format, separator, i), known);
    }
    if (unknown.empty()) return {};
    std::string problem = "unknown field " + unknown;
    if (const std::string closest = ClosestPlaceholder(unknown, known); !closest.empty())
        problem += "; did you mean " + closest + "?";
    std::string list;
    for (const std::string& placeholder : known) list += (list.empty() ? "" : ", ") + placeholder;
    return problem + " (known: " + list + ")";
}

std::string Placeholder(std::string_view entry) {
    std::string text = "<";
    text += entry;
    text += '>';
    return text;
}

std::string BuildNameFormat(const std::vector<std::string>& entries, std::string_view separator) {
    std::string format;
    for (const std::string& entry : entries) {
        if (!format.empty()) format += separator;
        format += Placeholder(entry);
    }
    return format;
}

TOrderList NewListFormatOrder() { return TOrderList{{std::string(kTargetFileEntry)}, -1}; }

void FieldBoxClicked(TOrderList& order, std::string_view caption, bool checked) {
    if (checked) {
        order.Entries.emplace_back(caption);
        return;
    }
    const auto found = std::find(order.Entries.begin(), order.Entries.end(), caption);
    if (found != order.Entries.end()) RemoveRow(order, static_cast<int>(found - order.Entries.begin()));
}

bool MoveSelectedUp(TOrderList& order) {
    if (!HasSelection(order)) return false;
    if (order.Selected > 0) SwapWithSelected(order, order.Selected - 1);
    return true;
}

bool MoveSelectedDown(TOrderList& order) {
    if (!HasSelection(order)) return false;
    if (static_cast<std::size_t>(order.Selected) + 1 < order.Entries.size())
        SwapWithSelected(order, order.Selected + 1);
    return true;
}

void TrashButtonPressed(TOrderList& order) {
    if (TrashCaption(order) == kDeleteTrashCaption)
        RemoveRow(order, order.Selected);
    else
        order.Entries.emplace_back(kTrashEntry);
}

std::string_view TrashCaption(const TOrderList& order) {
    const bool trashSelected =
        HasSelection(order) && order.Entries[static_cast<std::size_t>(order.Selected)] == kTrashEntry;
    return trashSelected ? kDeleteTrashCaption : kAddTrashCaption;
}

}  // namespace parvex
