#include "app/pages/other_tags.h"

#include "app/add_tag_dialog.h"
#include "app/dialog_frame.h"
#include "ogg/picture.h"

namespace parvex {

namespace {

// The role under which an entry of the Browse page's list keeps its whole NAME=value line, where its
// text shows less of it.
constexpr int kLineRole = Qt::UserRole;

std::string LineOf(const QListWidgetItem& item) {
    const QVariant line = item.data(kLineRole);
    return (line.isValid() ? line.toString() : item.text()).toStdString();
}

QListWidgetItem* SelectedLine(const QListWidget& list) {
    QListWidgetItem* current = list.currentItem();
    return current && current->isSelected() ? current : nullptr;
}

}  // namespace

std::vector<std::string> TOtherTagsList::Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < list_.count(); ++i) lines.push_back(LineOf(*list_.item(i)));
    return lines;
}

void TOtherTagsList::Show(const std::vector<std::string>& lines) {
    list_.clear();
    for (const std::string& line : lines) SetLine(*new QListWidgetItem(&list_), line);
}

void TOtherTagsList::SetLine(QListWidgetItem& item, const std::string& line) const {
    const bool described = shown_ == TOtherTagsShown::Described;
    item.setData(kLineRole, described ? QVariant(QString::fromStdString(line)) : QVariant());
    item.setText(QString::fromStdString(described ? OtherTagDisplayLine(line) : line));
}

bool TOtherTagsList::RemoveSelected() {
    QListWidgetItem* selected = SelectedLine(list_);
    delete selected;
    return selected != nullptr;
}

bool TOtherTagsList::Add(TAddTagDialog& dialog) {
    const std::string line = dialog.OpenForAdd();
    if (line == kCancelled) return false;
    SetLine(*new QListWidgetItem(&list_), line);
    return true;
}

bool TOtherTagsList::EditSelected(TAddTagDialog& dialog) {
    QListWidgetItem* selected = SelectedLine(list_);
    if (!selected) return false;
    const std::string line = LineOf(*selected);
    // The name ends at the first "="; the value keeps every "=" after it.
    const std::size_t eq = line.find('=');
    const std::string name = eq == std::string::npos ? std::string() : line.substr(0, eq);
    const std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
    const std::string edited = dialog.OpenForEdit(name, value);
    if (edited == kCancelled) return false;
    SetLine(*selected, edited);
    return true;
}

}  // namespace parvex
