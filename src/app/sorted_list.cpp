#include "app/sorted_list.h"

#include <algorithm>
#include <vector>

namespace parvex {

namespace {

// The first of `count` rows whose text (given by `textAt`) sorts after `text`.
template <typename TextAt>
int SortedPlace(int count, TextAt textAt, const QString& text) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (ListTextLess(text, textAt(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

}  // namespace

bool ListTextLess(const QString& left, const QString& right) {
    return QString::compare(left, right, Qt::CaseInsensitive) < 0;
}

TSortedListBox::TSortedListBox(QWidget* parent) : QListWidget(parent) {
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { PlaceRows(first, last); });
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                PlaceRows(topLeft.row(), bottomRight.row());
            });
}

void TSortedListBox::PlaceRows(int first, int last) {
    if (placing_) return;  // our own moves below insert rows too
    placing_ = true;
    QListWidgetItem* current = currentItem();
    std::vector<QListWidgetItem*> moving;
    for (int row = first; row <= last; ++row) moving.push_back(takeItem(first));
    for (QListWidgetItem* item : moving) insertItem(SortedRow(item->text()), item);
    if (current) setCurrentItem(current);
    placing_ = false;
}

int TSortedListBox::SortedRow(const QString& text) const {
    return SortedPlace(
        count(), [this](int row) { return item(row)->text(); }, text);
}

void AddSorted(QComboBox& combo, const QString& text) {
    const QString shown = combo.currentText();  // the first name added would otherwise show in the box
    combo.insertItem(SortedPlace(
                         combo.count(), [&combo](int row) { return combo.itemText(row); }, text),
                     text);
    if (combo.isEditable()) combo.setEditText(shown);
}

}  // namespace parvex
