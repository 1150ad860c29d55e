#pragma once
// Lists that keep their entries in alphabetical order without regard to letter case, whichever way
// an entry arrives (added by the program, restored from the settings, typed by the user).

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace parvex {

// The order of sorted lists: alphabetical without regard to letter case; equal texts keep the order
// in which they were added.
bool ListTextLess(const QString& left, const QString& right);

// A list box whose entries are always sorted: an entry added at any row, or whose text changes, moves
// to its place at once.
class TSortedListBox : public QListWidget {
public:
    explicit TSortedListBox(QWidget* parent);

private:
    // Moves the entries of rows `first` to `last` to their sorted places.
    void PlaceRows(int first, int last);
    int SortedRow(const QString& text) const;

    bool placing_ = false;
};

// Adds `text` to the drop-down list of `combo` at its sorted place. The text in an editable box stays
// as it was.
void AddSorted(QComboBox& combo, const QString& text);

}  // namespace parvex
