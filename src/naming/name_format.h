#pragma once
// Name formats: an ordered list of entries ("Artist", "TRASH", "Target file", ...) joined into a
// format text such as "<Artist> - <Title>", and the edits the three format editors make to that list.
//
// Every edit is a pure function on a TOrderList (the entries and the selected row), so an editor
// only copies its list widget into a TOrderList, calls the edit, copies the result back and rebuilds
// its format text with BuildNameFormat.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// The entry that marks a part of a name to skip: its placeholder has no field.
inline constexpr std::string_view kTrashEntry = "TRASH";
// The permanent entry of the list format: the column that holds the file name.
inline constexpr std::string_view kTargetFileEntry = "Target file";

// Captions of the seven field boxes of each editor, in their order on the page.
inline constexpr std::array<std::string_view, 7> kFieldCaptions = {
    "Artist", "Title", "Album", "Track", "Date", "Genre", "Comment",
};

// Captions of the trash button: what its next press does.
inline constexpr std::string_view kAddTrashCaption = "Add Trash";
inline constexpr std::string_view kDeleteTrashCaption = "Delet Trash";

// "<" + entry + ">".
std::string Placeholder(std::string_view entry);

// Which entries beside the seven fields a name format may hold: the rename format has none, the
// file-name format "TRASH", the list format also "Target file".
enum class TFormatKind { Rename, FileName, List };

// Why `format` cannot be used: its first placeholder that a format of `kind` does not know, as
// "unknown field <artist>; did you mean <Artist>? (known: <Artist>, <Title>, ...)", the question
// left out when no known one is within one edit. Empty when every placeholder is known (letter case
// included). A placeholder is "<", a letter, then letters, digits, blanks, "_" or "-", then ">";
// any other "<" stands for itself ("<-", "< 3", "<<"). The file-name and list formats are checked
// field by field, cut at `separator`, so a separator may hold anything.
std::string UnknownPlaceholderProblem(std::string_view format, std::string_view separator, TFormatKind kind);

// The format text: each entry as its placeholder, joined by `separator` (any text, may be empty).
// An empty list gives an empty text.
std::string BuildNameFormat(const std::vector<std::string>& entries, std::string_view separator);

struct TOrderList {
    std::vector<std::string> Entries;  // top to bottom: the format's order
    int Selected = -1;                 // row of the selected entry; -1 when none is selected
};

// A fresh list-format editor: the single entry "Target file", nothing selected.
TOrderList NewListFormatOrder();

// A field box changed: checked appends `caption` at the end; unchecked removes the first entry equal
// to it (a selection on a later row follows its entry; a removed selected entry leaves none).
void FieldBoxClicked(TOrderList& order, std::string_view caption, bool checked);

// Move the selected entry one row up / down, keeping it selected. False when nothing is selected,
// in which case the list is unchanged and the format need not be rebuilt; an entry already at the
// end it is pushed against stays where it is (and the result is still true).
bool MoveSelectedUp(TOrderList& order);
bool MoveSelectedDown(TOrderList& order);

// The trash button: with a "TRASH" entry selected, deletes it and leaves nothing selected; otherwise
// appends a "TRASH" entry at the end. "Target file" and field entries are never deleted here.
void TrashButtonPressed(TOrderList& order);

// The trash button's caption for the current selection: "Delet Trash" while a "TRASH" entry is
// selected, "Add Trash" otherwise.
std::string_view TrashCaption(const TOrderList& order);

}  // namespace parvex
