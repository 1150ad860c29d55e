#pragma once
// The lists of other tags ("NAME=value" lines) on the Browse and Mass pages, edited through the Add a
// Tag dialog.

#include <QListWidget>
#include <string>
#include <vector>

namespace parvex {

class TAddTagDialog;

// How a list shows its lines: the Browse page's list shows a picture by its description and keeps
// the whole line as the entry's data; the Mass page's list shows its lines as they are, which is also
// how its settings keep them.
enum class TOtherTagsShown { Described, AsWritten };

class TOtherTagsList {
public:
    TOtherTagsList(QListWidget& list, TOtherTagsShown shown) : list_(list), shown_(shown) {}

    // The whole lines of the list, top to bottom, and the list filled with `lines`.
    std::vector<std::string> Lines() const;
    void Show(const std::vector<std::string>& lines);

    // The Add a Tag dialog adds a line, or replaces the selected one; Remove deletes the selected
    // line. Each returns whether the list changed (false when cancelled or nothing was selected).
    bool Add(TAddTagDialog& dialog);
    bool EditSelected(TAddTagDialog& dialog);
    bool RemoveSelected();

private:
    void SetLine(QListWidgetItem& item, const std::string& line) const;

    QListWidget& list_;
    TOtherTagsShown shown_;
};

}  // namespace parvex
