#include "naming/name_format.h"

#include <algorithm>
#include <utility>

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

}  // namespace

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
