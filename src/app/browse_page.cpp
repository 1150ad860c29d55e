// The "Browse / Edit tags" page: the file list, the fourteen field editors with their "->" buttons,
// the other-tags list, the stream information and "Save".

#include "app/form_builder.h"
#include "app/key_input.h"
#include "app/main_window.h"
#include "app/sorted_list.h"

namespace parvex {

namespace {

// One row of field editors, top to bottom, which is also the editors' tab order.
struct TBrowseField {
    QLabel* TForm1::*label;
    const char* labelName;
    const char* caption;
    int labelTop;
    QLineEdit* TForm1::*editor;  // null for the genre row, whose editor is the combo box edit7
    const char* editorName;
    int editorTop;
    QPushButton* TForm1::*copyButton;
    const char* copyButtonName;
};

// clang-format off
constexpr TBrowseField kBrowseFields[] = {
    {&TForm1::Label21, "Label21", "Artist", 14, &TForm1::Edit1, "Edit1", 6, &TForm1::BitBtn20, "BitBtn20"},
    {&TForm1::Label22, "Label22", "Title", 40, &TForm1::Edit2, "Edit2", 32, &TForm1::BitBtn21, "BitBtn21"},
    {&TForm1::Label23, "Label23", "Album", 66, &TForm1::Edit3, "Edit3", 58, &TForm1::BitBtn22, "BitBtn22"},
    {&TForm1::Label24, "Label24", "Track", 92, &TForm1::Edit5, "Edit5", 84, &TForm1::BitBtn23, "BitBtn23"},
    {&TForm1::Label25, "Label25", "Date", 118, &TForm1::Edit6, "Edit6", 110, &TForm1::BitBtn24, "BitBtn24"},
    {&TForm1::Label26, "Label26", "Genre", 144, nullptr, "edit7", 136, &TForm1::BitBtn25, "BitBtn25"},
    {&TForm1::Label27, "Label27", "Comment", 170, &TForm1::Edit8, "Edit8", 162, &TForm1::BitBtn26, "BitBtn26"},
    {&TForm1::Label35, "Label35", "License", 198, &TForm1::Edit31, "Edit31", 188, &TForm1::BitBtn33, "BitBtn33"},
    {&TForm1::Label37, "Label37", "Organization", 222, &TForm1::Edit32, "Edit32", 214, &TForm1::BitBtn34,
     "BitBtn34"},
    {&TForm1::Label38, "Label38", "Location", 248, &TForm1::Edit33, "Edit33", 240, &TForm1::BitBtn35, "BitBtn35"},
    {&TForm1::Label39, "Label39", "Contact", 274, &TForm1::Edit34, "Edit34", 266, &TForm1::BitBtn36, "BitBtn36"},
    {&TForm1::Label42, "Label42", "Version", 300, &TForm1::Edit35, "Edit35", 292, &TForm1::BitBtn37, "BitBtn37"},
    {&TForm1::Label40, "Label40", "Copyright", 326, &TForm1::Edit36, "Edit36", 318, &TForm1::BitBtn38, "BitBtn38"},
    {&TForm1::Label43, "Label43", "ISRC", 352, &TForm1::Edit37, "Edit37", 344, &TForm1::BitBtn39, "BitBtn39"},
};
// clang-format on

// The stream information: a caption and the value label beside it.
struct TInfoRow {
    QLabel* TForm1::*caption;
    const char* captionName;
    const char* text;
    QLabel* TForm1::*value;
    const char* valueName;
    int top;
};

constexpr TInfoRow kInfoRows[] = {
    {&TForm1::Label9, "Label9", "Vendor", &TForm1::Vendertxt, "Vendertxt", 380},
    {&TForm1::Label12, "Label12", "File Size", &TForm1::FileSizeText, "FileSizeText", 394},
    {&TForm1::Label13, "Label13", "Mode", &TForm1::ChannelModeText, "ChannelModeText", 408},
    {&TForm1::Label14, "Label14", "Rate", &TForm1::SampleRateText, "SampleRateText", 422},
    {&TForm1::Label15, "Label15", "Duration", &TForm1::DurationText, "DurationText", 436},
    {&TForm1::Label16, "Label16", "Bit rate", &TForm1::BitRateText, "BitRateText", 450},
};

constexpr int kFieldLabelLeft = 274;
constexpr int kEditorLeft = 336;
constexpr int kEditorWidth = 209;
constexpr int kEditorHeight = 21;
constexpr int kCopyButtonLeft = 548;
constexpr int kCopyButtonSize = 16;
// The vendor string may be long; the other values are short and end left of the "Save" button.
constexpr int kVendorWidth = 225;
constexpr int kValueWidth = 140;

}  // namespace

void TForm1::CreateBrowsePage() {
    QWidget* page = TabSheet1;
    Listview1 = MakeControl<TSortedListBox>(page, "Listview1", {8, 8, 249, 297});
    RemoveTabStop(*Listview1);
    Label28 = MakeLabel(page, "Label28", "Other Tags", {8, 320}, TFontWeight::Bold);
    BitBtn27 = MakeButton(page, "BitBtn27", "->", {76, 318, 16, 16});
    ListBox1 = MakeControl<QListWidget>(page, "ListBox1", {8, 340, 233, 121});
    RemoveTabStop(*ListBox1);
    BitBtn6 = MakeGlyphButton(page, "BitBtn6", "", TGlyph::Add, {246, 340, 20, 20}, TTabStop::No);
    BitBtn7 = MakeGlyphButton(page, "BitBtn7", "", TGlyph::Delete, {246, 441, 20, 20}, TTabStop::No);

    for (const TBrowseField& field : kBrowseFields) {
        this->*field.label = MakeLabel(page, field.labelName, field.caption,
                                       {kFieldLabelLeft, field.labelTop}, TFontWeight::Bold);
        const QRect editorPlace(kEditorLeft, field.editorTop, kEditorWidth, kEditorHeight);
        QWidget* editor;
        if (field.editor) {
            editor = this->*field.editor = MakeEdit(page, field.editorName, editorPlace);
        } else {
            editor = edit7 = MakeGenreBox(page, field.editorName, editorPlace);
        }
        UseEnterMovesFocus(editor);
        this->*field.copyButton = MakeButton(
            page, field.copyButtonName, "->",
            {kCopyButtonLeft, field.editorTop + 2, kCopyButtonSize, kCopyButtonSize}, TTabStop::No);
    }

    for (const TInfoRow& row : kInfoRows) {
        this->*row.caption =
            MakeLabel(page, row.captionName, row.text, {kFieldLabelLeft, row.top}, TFontWeight::Bold);
        QLabel* value = this->*row.value = MakeControl<QLabel>(page, row.valueName, {});
        const int width = row.value == &TForm1::Vendertxt ? kVendorWidth : kValueWidth;
        value->setGeometry(kEditorLeft, row.top, width, value->fontMetrics().height());
    }

    BitBtn18 = MakeGlyphButton(page, "BitBtn18", "Save", TGlyph::Save, {480, 432, 75, 25}, TTabStop::No);
    BitBtn18->setEnabled(false);
}

void TForm1::UseEnterMovesFocus(QWidget* editor) {
    enterMovesFocus_.insert(editor);
    editor->installEventFilter(this);
}

bool TForm1::Edit10KeyPress(QWidget* editor, QKeyEvent* key) {
    if (!IsEnterKey(*key)) return false;
    MoveFocusToNextControl(*editor);
    return true;
}

}  // namespace parvex
