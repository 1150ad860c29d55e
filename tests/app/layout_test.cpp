// The window as the user sees it: every control in its place with its name, kind and caption, the
// pages in order, and the states the window starts in.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <cmath>
#include <fstream>
#include <optional>
#include <set>
#include <vector>

#include "app/form_builder.h"
#include "support/ogg_builder.h"
#include "window_fixture.h"

// The tables below are laid out as rows of the window description.
// clang-format off
namespace parvex::test {
namespace {

// A control as the window's description places it. Labels size themselves, so only their corner is
// given (width and height 0). A caption of nullopt is not checked.
struct TPlaced {
    std::string name;
    const char* kind;
    std::string parent;
    QRect place;
    std::optional<QString> caption;
};

using TLayout = std::vector<TPlaced>;

TLayout FrameLayout() {
    return {
        {"GroupBox1", "QGroupBox", "Form1", {8, 8, 577, 47}, "Directory"},
        {"Edit4", "QLineEdit", "GroupBox1", {16, 16, 433, 21}, ""},
        {"BitBtn1", "QPushButton", "GroupBox1", {464, 16, 99, 21}, "Directory"},
        {"PageControl1", "QTabWidget", "Form1", {8, 64, 577, 513}, std::nullopt},
    };
}

TLayout BrowseLayout() {
    TLayout layout = {
        {"edtFilter", "QLineEdit", "TabSheet1", {8, 8, 249, 21}, ""},
        {"Listview1", "QTableView", "TabSheet1", {8, 32, 249, 272}, {}},
        {"chkBrowseRecurse", "QCheckBox", "TabSheet1", {120, 318, 137, 17}, "Recurse subdirs"},
        {"Label28", "QLabel", "TabSheet1", {8, 320, 0, 0}, "Other Tags"},
        {"BitBtn27", "QPushButton", "TabSheet1", {76, 318, 16, 16}, "->"},
        {"ListBox1", "QListWidget", "TabSheet1", {8, 340, 233, 121}, {}},
        {"BitBtn6", "QPushButton", "TabSheet1", {246, 340, 20, 20}, {}},
        {"BitBtn7", "QPushButton", "TabSheet1", {246, 441, 20, 20}, {}},
        {"BitBtn18", "QPushButton", "TabSheet1", {480, 432, 75, 25}, "Save"},
        {"btnPicture", "QToolButton", "TabSheet1", {496, 368, 60, 60}, "Picture"},
        {"lblPicture", "QLabel", "TabSheet1", {268, 464, 0, 0}, "Picture"},
        {"PictureText", "QLabel", "TabSheet1", {336, 464, 225, 14}, ""},
        {"lblCannotEdit", "QLabel", "TabSheet1", {268, 464, 0, 0}, ""},
    };
    struct Field {
        const char* label;
        const char* caption;
        int labelTop;
        const char* editor;
        int editorTop;
        const char* copy;
    };
    const Field fields[] = {
        {"Label21", "Artist", 14, "Edit1", 6, "BitBtn20"},      {"Label22", "Title", 40, "Edit2", 32, "BitBtn21"},
        {"Label23", "Album", 66, "Edit3", 58, "BitBtn22"},      {"Label24", "Track", 92, "Edit5", 84, "BitBtn23"},
        {"Label25", "Date", 118, "Edit6", 110, "BitBtn24"},     {"Label26", "Genre", 144, "edit7", 136, "BitBtn25"},
        {"Label27", "Comment", 170, "Edit8", 162, "BitBtn26"},  {"Label35", "License", 198, "Edit31", 188, "BitBtn33"},
        {"Label37", "Organization", 222, "Edit32", 214, "BitBtn34"},
        {"Label38", "Location", 248, "Edit33", 240, "BitBtn35"}, {"Label39", "Contact", 274, "Edit34", 266, "BitBtn36"},
        {"Label42", "Version", 300, "Edit35", 292, "BitBtn37"}, {"Label40", "Copyright", 326, "Edit36", 318, "BitBtn38"},
        {"Label43", "ISRC", 352, "Edit37", 344, "BitBtn39"},
    };
    for (const Field& f : fields) {
        layout.push_back({f.label, "QLabel", "TabSheet1", {268, f.labelTop, 0, 0}, f.caption});
        const char* kind = std::string(f.editor) == "edit7" ? "QComboBox" : "QLineEdit";
        layout.push_back({f.editor, kind, "TabSheet1", {336, f.editorTop, 209, 21}, {}});
        layout.push_back({f.copy, "QPushButton", "TabSheet1", {548, f.editorTop + 2, 16, 16}, "->"});
    }
    const std::pair<const char*, const char*> info[] = {{"Label9", "Vendor"},  {"Label12", "File Size"},
                                                        {"Label13", "Mode"},   {"Label14", "Rate"},
                                                        {"Label15", "Duration"}, {"Label16", "Bit rate"}};
    const char* values[] = {"Vendertxt", "FileSizeText", "ChannelModeText", "SampleRateText", "DurationText",
                            "BitRateText"};
    for (int i = 0; i < 6; ++i) {
        layout.push_back({info[i].first, "QLabel", "TabSheet1", {268, 380 + 14 * i, 0, 0}, info[i].second});
        layout.push_back({values[i], "QLabel", "TabSheet1", {336, 380 + 14 * i, 0, 0}, ""});
    }
    return layout;
}

TLayout MassLayout() {
    struct Row {
        const char* check;
        const char* caption;
        QRect checkPlace;
        const char* editor;
        QRect editorPlace;
        const char* panel;
        QPoint panelAt;
        const char* modes;
    };
    const Row rows[] = {
        {"CheckBox9", "Artist", {10, 16, 80, 17}, "Edit10", {112, 8, 376, 21}, "Panel1", {496, 8}, "artist"},
        {"CheckBox10", "Title", {10, 42, 80, 17}, "Edit11", {112, 34, 376, 21}, "Panel2", {496, 34}, "title"},
        {"CheckBox11", "Album", {10, 68, 80, 17}, "Edit12", {112, 60, 376, 21}, "Panel3", {496, 60}, "album"},
        {"CheckBox12", "Track", {10, 94, 70, 17}, "Edit13", {112, 86, 376, 21}, "Panel4", {496, 86}, "track"},
        {"CheckBox13", "Date", {10, 120, 70, 17}, "Edit14", {112, 112, 376, 21}, "Panel5", {496, 112}, "date"},
        {"CheckBox14", "Genre", {10, 146, 80, 17}, "edit15", {112, 138, 376, 21}, "Panel6", {496, 138}, "genre"},
        {"CheckBox15", "Comment", {10, 172, 80, 17}, "Edit16", {112, 164, 376, 21}, "Panel7", {496, 164}, "comment"},
        {"CheckBox49", "License", {10, 198, 80, 17}, "Edit24", {112, 190, 376, 21}, "Panel9", {496, 190}, "license"},
        {"CheckBox50", "Organization", {10, 224, 90, 17}, "Edit25", {112, 216, 376, 21}, "Panel10", {496, 216},
         "organization"},
        {"CheckBox51", "Location", {10, 250, 80, 17}, "Edit26", {112, 242, 376, 21}, "Panel11", {496, 242},
         "location"},
        {"CheckBox52", "Contact", {10, 276, 80, 17}, "Edit27", {112, 268, 376, 21}, "Panel12", {496, 268}, "contact"},
        {"CheckBox54", "Version", {310, 302, 73, 17}, "Edit29", {388, 294, 100, 21}, "Panel14", {496, 294},
         "version"},
        {"CheckBox53", "Copyright", {310, 328, 80, 17}, "Edit28", {388, 320, 100, 21}, "Panel13", {496, 320},
         "copyright"},
        {"CheckBox55", "ISRC", {310, 354, 73, 17}, "Edit30", {388, 346, 100, 21}, "Panel15", {496, 346}, "isrc"},
        {"CheckBox16", "Other tags", {10, 320, 97, 17}, "ListBox2", {10, 340, 233, 121}, "Panel8", {96, 310},
         "other"},
    };
    // The rows sit 6 pixels lower than drawn, under the legend that names the mode buttons.
    const auto lower = [](const QRect& place) { return place.translated(0, 6); };
    TLayout layout;
    for (const Row& r : rows) {
        layout.push_back({r.check, "QCheckBox", "TabSheet2", lower(r.checkPlace), r.caption});
        const std::string editor = r.editor;
        const char* kind = editor == "edit15" ? "QComboBox" : editor == "ListBox2" ? "QListWidget" : "QLineEdit";
        layout.push_back({editor, kind, "TabSheet2", lower(r.editorPlace), {}});
        layout.push_back({r.panel, "QFrame", "TabSheet2", lower({r.panelAt, QSize(60, 21)}), {}});
        const std::string modes = r.modes;
        layout.push_back({modes + "_a", "QRadioButton", r.panel, {6, 3, 0, 0}, {}});
        layout.push_back({modes + "_o", "QRadioButton", r.panel, {22, 3, 0, 0}, {}});
        layout.push_back({modes + "_p", "QRadioButton", r.panel, {38, 3, 0, 0}, {}});
    }
    layout.push_back({"BitBtn4", "QPushButton", "TabSheet2", lower({248, 340, 20, 20}), {}});
    layout.push_back({"BitBtn5", "QPushButton", "TabSheet2", lower({248, 441, 20, 20}), {}});
    layout.push_back({"chkPicture", "QCheckBox", "TabSheet2", {280, 378, 70, 17}, "Picture"});
    layout.push_back({"pnlPicture", "QWidget", "TabSheet2", {350, 376, 124, 21}, {}});
    layout.push_back({"radSetPicture", "QRadioButton", "pnlPicture", {2, 2, 50, 17}, "Set"});
    layout.push_back({"radRemovePicture", "QRadioButton", "pnlPicture", {54, 2, 70, 17}, "Remove"});
    layout.push_back({"edtPictureFile", "QLineEdit", "TabSheet2", {280, 400, 140, 21}, {}});
    layout.push_back({"btnPictureFile", "QPushButton", "TabSheet2", {424, 400, 24, 21}, "..."});
    layout.push_back({"CheckBox39", "QCheckBox", "TabSheet2", {456, 400, 97, 17}, "Recurse subdirs"});
    layout.push_back({"BitBtn3", "QPushButton", "TabSheet2", {480, 432, 75, 25}, "Tag"});
    layout.push_back({"btnPreviewMass", "QPushButton", "TabSheet2", {400, 432, 75, 25}, "Preview"});
    return layout;
}

TLayout ClearLayout() {
    TLayout layout = {
        {"Label20", "QLabel", "TabSheet3", {136, 32, 0, 0}, "Place a check next to the tag you wish to remove"},
        {"CheckBox1", "QCheckBox", "TabSheet3", {120, 56, 97, 17}, "Artist"},
        {"CheckBox2", "QCheckBox", "TabSheet3", {120, 80, 97, 17}, "Title"},
        {"CheckBox3", "QCheckBox", "TabSheet3", {120, 104, 97, 17}, "Album"},
        {"CheckBox4", "QCheckBox", "TabSheet3", {120, 128, 97, 17}, "Track"},
        {"CheckBox5", "QCheckBox", "TabSheet3", {120, 152, 97, 17}, "Date"},
        {"CheckBox6", "QCheckBox", "TabSheet3", {120, 176, 97, 17}, "Genre"},
        {"CheckBox7", "QCheckBox", "TabSheet3", {120, 200, 97, 17}, "Comment"},
        {"CheckBox37", "QCheckBox", "TabSheet3", {120, 224, 97, 17}, "Other tags"},
        {"CheckBox8", "QCheckBox", "TabSheet3", {120, 264, 121, 17}, "Remove all tags"},
        {"clrLicense", "QCheckBox", "TabSheet3", {304, 56, 97, 17}, "License"},
        {"clrOrganization", "QCheckBox", "TabSheet3", {304, 80, 97, 17}, "Organization"},
        {"clrLocation", "QCheckBox", "TabSheet3", {304, 104, 97, 17}, "Location"},
        {"clrContact", "QCheckBox", "TabSheet3", {304, 128, 97, 17}, "Contact"},
        {"clrVersion", "QCheckBox", "TabSheet3", {304, 152, 97, 17}, "Version"},
        {"clrCopyright", "QCheckBox", "TabSheet3", {304, 176, 97, 17}, "Copyright"},
        {"clrISRC", "QCheckBox", "TabSheet3", {304, 200, 97, 17}, "ISRC"},
        {"CheckBox40", "QCheckBox", "TabSheet3", {456, 400, 97, 17}, "Recurse subdirs"},
        {"BitBtn2", "QPushButton", "TabSheet3", {480, 432, 75, 25}, "Clear"},
        {"btnPreviewClear", "QPushButton", "TabSheet3", {400, 432, 75, 25}, "Preview"},
    };
    return layout;
}

// The name-format editor, the same on the three file-name pages but for its names.
struct FormatNames {
    const char* page;
    std::vector<const char*> boxes;
    const char* list;
    const char* up;
    const char* down;
    const char* trash;
    const char* separator;
    QRect separatorPlace;
    const char* format;
};

void AddFormatEditor(TLayout& layout, const FormatNames& n) {
    const char* captions[] = {"Artist", "Title", "Album", "Track", "Date", "Genre", "Comment"};
    for (int i = 0; i < 7; ++i)
        layout.push_back({n.boxes[i], "QCheckBox", n.page, {256, 64 + 24 * i, 97, 17}, captions[i]});
    layout.push_back({n.list, "QListWidget", n.page, {328, 64, 145, 161}, {}});
    layout.push_back({n.up, "QPushButton", n.page, {480, 64, 27, 57}, ""});
    layout.push_back({n.down, "QPushButton", n.page, {478, 168, 27, 57}, ""});
    if (n.trash) layout.push_back({n.trash, "QPushButton", n.page, {256, 40, 65, 17}, "Add Trash"});
    layout.push_back({n.separator, "QLineEdit", n.page, n.separatorPlace, {}});
    layout.push_back({n.format, "QLineEdit", n.page, {256, 264, 241, 21}, {}});
}

void AddWordList(TLayout& layout, const char* page, const char* caseFix, const char* list, const char* add,
                 const char* remove) {
    layout.push_back({caseFix, "QCheckBox", page, {24, 160, 121, 17}, "Auto letter case fix"});
    layout.push_back({list, "QListWidget", page, {24, 184, 145, 109}, {}});
    layout.push_back({add, "QPushButton", page, {179, 184, 30, 25}, ""});
    layout.push_back({remove, "QPushButton", page, {179, 268, 30, 25}, ""});
}

void AddOverwriteChoice(TLayout& layout, const char* page, std::vector<const char*> names) {
    const char* captions[] = {"Tag all files", "Don't overwrite existing tags",
                              "Ignore files that have any tags at all"};
    for (int i = 0; i < 3; ++i)
        layout.push_back({names[i], "QRadioButton", page, {24, 306 + 24 * i, 250, 25}, captions[i]});
}

TLayout FileNameLayout() {
    TLayout layout = {
        {"CheckBox27", "QCheckBox", "TabSheet4", {24, 72, 121, 17}, "Replace"},
        {"Edit9", "QLineEdit", "TabSheet4", {88, 64, 65, 21}, {}},
        {"CheckBox28", "QCheckBox", "TabSheet4", {24, 136, 97, 17}, "Recurse subdirs"},
        {"btnTagFromFilename", "QPushButton", "TabSheet4", {480, 432, 75, 25}, "Tag"},
        {"btnPreviewFileName", "QPushButton", "TabSheet4", {400, 432, 75, 25}, "Preview"},
    };
    AddWordList(layout, "TabSheet4", "CheckBox29", "ListBox3", "BitBtn13", "BitBtn14");
    AddOverwriteChoice(layout, "TabSheet4", {"radTagAll", "radDontOverwriteTags", "radIgnoreTaggedFiles"});
    AddFormatEditor(layout, {"TabSheet4",
                             {"CheckBox30", "CheckBox31", "CheckBox32", "CheckBox33", "CheckBox34", "CheckBox35",
                              "CheckBox36"},
                             "ListBox5", "BitBtn16", "BitBtn15", "BitBtn19", "Edit20", {152, 96, 65, 21}, "Edit21"});
    return layout;
}

TLayout RenameLayout() {
    TLayout layout = {
        {"CheckBox17", "QCheckBox", "TabSheet5", {24, 72, 161, 17}, "Replace spaces with:"},
        {"Edit19", "QLineEdit", "TabSheet5", {152, 64, 65, 21}, {}},
        {"CheckBox18", "QCheckBox", "TabSheet5", {24, 136, 97, 17}, "Recurse subdirs"},
        {"chkDontRenameUntaggedFiles", "QCheckBox", "TabSheet5", {24, 312, 313, 25},
         "Don't rename files that have no tags"},
        {"btnRenameFromTag", "QPushButton", "TabSheet5", {480, 432, 75, 25}, "Rename"},
        {"btnPreviewRename", "QPushButton", "TabSheet5", {400, 432, 75, 25}, "Preview"},
    };
    AddWordList(layout, "TabSheet5", "CheckBox19", "ListBox4", "BitBtn10", "BitBtn11");
    AddFormatEditor(layout, {"TabSheet5",
                             {"CheckBox20", "CheckBox21", "CheckBox22", "CheckBox23", "CheckBox24", "CheckBox25",
                              "CheckBox26"},
                             "ListBox6", "BitBtn8", "BitBtn9", nullptr, "edtFieldSep", {153, 100, 65, 21}, "Edit18"});
    return layout;
}

TLayout TagListLayout() {
    TLayout layout = {
        {"Edit23", "QLineEdit", "TabSheet7", {24, 64, 121, 21}, {}},
        {"BitBtn30", "QPushButton", "TabSheet7", {152, 64, 65, 21}, "Browse"},
        {"CheckBox47", "QCheckBox", "TabSheet7", {24, 136, 97, 17}, "Recurse subdirs"},
        {"BitBtn29", "QPushButton", "TabSheet7", {480, 432, 75, 25}, "Tag"},
        {"btnPreviewList", "QPushButton", "TabSheet7", {400, 432, 75, 25}, "Preview"},
    };
    AddWordList(layout, "TabSheet7", "CheckBox48", "ListBox8", "BitBtn31", "BitBtn32");
    AddOverwriteChoice(layout, "TabSheet7", {"RadioButton1", "RadioButton2", "RadioButton3"});
    AddFormatEditor(layout, {"TabSheet7",
                             {"CheckBox38", "CheckBox41", "CheckBox42", "CheckBox43", "CheckBox44", "CheckBox45",
                              "CheckBox46"},
                             "ListBox7", "BitBtn28", "BitBtn17", "BitBtn12", "Edit22", {152, 96, 65, 21}, "Edit17"});
    return layout;
}

TLayout LogLayout() {
    return {
        {"memoLog", "QPlainTextEdit", "TabSheet6", {8, 8, 553, 329}, {}},
        {"prgRun", "QProgressBar", "TabSheet6", {8, 345, 180, 17}, {}},
        {"lblRunFile", "QLabel", "TabSheet6", {194, 345, 196, 17}, {}},
        {"btnUndoRun", "QPushButton", "TabSheet6", {394, 341, 90, 25}, "Undo last run"},
        {"btnStopRun", "QPushButton", "TabSheet6", {488, 341, 73, 25}, "Stop"},
        {"Version", "QLabel", "TabSheet6", {16, 422, 0, 0}, "Version 0.0.20"},
    };
}

TLayout WholeLayout() {
    TLayout all;
    for (const TLayout& part : {FrameLayout(), BrowseLayout(), MassLayout(), ClearLayout(), FileNameLayout(),
                                RenameLayout(), TagListLayout(), LogLayout()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// clang-format on

QString CaptionOf(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(&widget)) return box->title();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) return edit->text();
    return {};
}

// A place of the drawn layout at a layout scale: its edges scaled, so touching controls still touch.
QRect AtScale(const QRect& place, double scale) {
    const auto scaled = [scale](int length) { return static_cast<int>(std::lround(length * scale)); };
    const int left = scaled(place.left());
    const int top = scaled(place.top());
    return {left, top, scaled(place.left() + place.width()) - left,
            scaled(place.top() + place.height()) - top};
}

// The caption of a button as drawn: without the "&" that marks its access key.
QString DrawnText(const QAbstractButton& button) {
    QString text = button.text();
    return text.replace("&&", "\x01").remove('&').replace('\x01', '&');
}

// With the window's font, every caption fits inside its control, and a field label ends a few pixels
// before its editor begins, so that it does not touch the box. (The mode buttons of the Mass page are narrower than their captions by design; their
// hints name them.)
void ExpectCaptionsFit(const TMainWindow& window) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const QString parent = button->parentWidget()->objectName();
        if (parent.startsWith("Panel") || button->parentWidget() == window.pages->tabBar()) continue;
        int needed = button->sizeHint().width();
        if (qobject_cast<QPushButton*>(button)) {  // whose size hint never goes below a minimum width
            const QString text = DrawnText(*button);
            const bool glyphOnly = text.isEmpty();
            needed = button->fontMetrics().horizontalAdvance(text) + (glyphOnly ? 2 : 6);
            if (!button->icon().isNull()) needed += button->iconSize().width() + (glyphOnly ? 0 : 4);
        }
        EXPECT_LE(needed, button->width()) << button->objectName().toStdString();
    }
    for (QLabel* label :
         {window.browsePage->FieldLabel(TTagField::Artist), window.browsePage->FieldLabel(TTagField::Organization), window.browsePage->FieldLabel(TTagField::Copyright), window.browsePage->FieldLabel(TTagField::ISRC), window.browsePage->fileSizeLabel, window.browsePage->durationLabel})
        EXPECT_LE(label->geometry().right(), window.browsePage->FieldEdit(TTagField::Organization)->x() - 3)
            << label->objectName().toStdString();
    EXPECT_LE(window.browsePage->otherTagsLabel->geometry().right(), window.browsePage->copyOtherTagsButton->x() - 1);
    // The Mass page's mode buttons are named by a legend over their column, clear of the first row.
    const TMassPage& mass = *window.massPage;
    EXPECT_EQ(mass.modeLegend->text(), "Modes, left to right: Prepend, Overwrite, Append");
    EXPECT_LT(mass.modeLegend->geometry().bottom(), mass.ModePanel(TTagField::Artist)->y());
    EXPECT_GT(mass.modeLegend->x(), mass.RowCheck(TTagField::Artist)->geometry().right());
    EXPECT_EQ(mass.modeLegend->geometry().right(), mass.ModePanel(TTagField::Artist)->geometry().right());
    const int tabsWidth = window.pages->tabBar()->sizeHint().width();
    EXPECT_LE(tabsWidth, window.pages->width()) << "all seven tabs show in one row";
}

// Nothing is cut off by the edge of its page or of the window: every control of the layout lies
// inside its parent. The window must have been shown, so that the pages have their sizes.
void ExpectControlsInsideTheirParents(const TMainWindow& window) {
    for (const TPlaced& expected : WholeLayout()) {
        const auto* control = window.findChild<QWidget*>(QString::fromStdString(expected.name));
        ASSERT_NE(control, nullptr) << expected.name;
        const QWidget* parent = control->parentWidget();
        // Pages not shown yet have no size of their own; every page takes the size of the shown one.
        const bool onPage =
            parent->parentWidget() && parent->parentWidget()->parentWidget() == window.pages;
        const QRect room = onPage ? window.pages->currentWidget()->rect() : parent->rect();
        EXPECT_TRUE(room.contains(control->geometry()))
            << expected.name << " at " << control->geometry().bottom() << "/" << control->geometry().right()
            << " in " << parent->objectName().toStdString() << " of " << parent->height() << "/"
            << parent->width();
    }
}

class LayoutTest : public WindowTest {
protected:
    // A shown file with an edit, so that Save takes part, and a field in the rename format, so that
    // Rename does; in `folder` under the test's folder, whose other files the runs may change.
    void MakeEveryButtonUsable(const char* folder) {
        TMainWindow& window = Window();
        WriteVorbisFile(temp_.Path() / folder / "a.ogg", {{"TITLE", "One"}});
        window.folderEdit->setText(QString::fromStdString((temp_.Path() / folder).string() + "/"));
        AwaitListing(*window.browsePage);
        window.browsePage->fileTable->selectRow(0);
        window.browsePage->FieldEdit(TTagField::Title)->setText("edited");
        window.renamePage->editor->fieldChecks[1]->setChecked(true);
    }
};

// A desktop font and the layout scale it gives on the tests' large screen.
struct TFontCase {
    double points;
    double scale;
};

class ScaledLayoutTest : public WindowTest, public testing::WithParamInterface<TFontCase> {
protected:
    TDesktopFont font_{GetParam().points};
};

// The drawn layout at the default font, and the same layout grown with a larger desktop font.
TEST_P(ScaledLayoutTest, EveryControlHasItsNameKindPlaceAndCaption) {
    const double scale = GetParam().scale;
    ASSERT_EQ(LayoutScale(), scale);
    TMainWindow& window = Window();
    EXPECT_EQ(window.size(), AtScale({0, 0, 592, 583}, scale).size());
    EXPECT_EQ(window.minimumSize(), window.size()) << "the drawn layout is the least size";
    for (const TPlaced& expected : WholeLayout()) {
        SCOPED_TRACE(expected.name);
        const auto matches = window.findChildren<QWidget*>(QString::fromStdString(expected.name));
        ASSERT_EQ(matches.size(), 1) << "one control of that name";
        const QWidget& control = *matches.front();
        EXPECT_TRUE(control.inherits(expected.kind)) << control.metaObject()->className();
        const QWidget* parent = control.parentWidget();
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(parent->objectName().toStdString(), expected.parent);
        const QRect place = AtScale(expected.place, scale);
        EXPECT_EQ(control.pos(), place.topLeft());
        if (expected.place.width() > 0) {
            EXPECT_EQ(control.size(), place.size());
        }
        if (expected.caption) {
            const auto* button = qobject_cast<const QAbstractButton*>(&control);
            EXPECT_EQ(button ? DrawnText(*button) : CaptionOf(control), *expected.caption);
        }
    }
}

TEST_P(ScaledLayoutTest, CaptionsFitAndNothingIsCutOff) {
    TMainWindow& window = Window();
    window.show();
    ExpectCaptionsFit(window);
    ExpectControlsInsideTheirParents(window);
}

// 9 points is Qt's own default, 10 the usual desktop default; both keep the drawn layout.
INSTANTIATE_TEST_SUITE_P(DesktopFonts, ScaledLayoutTest,
                         testing::Values(TFontCase{9, 1.0}, TFontCase{10, 1.0}, TFontCase{15, 1.5},
                                         TFontCase{18, 1.8125}));

TEST_F(LayoutTest, FrameIsAResizableWindowWithSevenPagesInOrder) {
    TMainWindow& window = Window();
    // The title is the application's name alone: Qt then adds no " — Parvex" of its own.
    EXPECT_EQ(window.windowTitle(), "Parvex");
    EXPECT_EQ(window.windowTitle(), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(window.size(), QSize(592, 583));
    EXPECT_EQ(window.minimumSize(), window.size());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);

    const std::pair<const char*, const char*> pages[] = {{"TabSheet1", "Browse / Edit tags"},
                                                         {"TabSheet2", "Mass set tags"},
                                                         {"TabSheet3", "Clear tags"},
                                                         {"TabSheet4", "Tag based on filename"},
                                                         {"TabSheet5", "Rename based on tag"},
                                                         {"TabSheet7", "Tag from List"},
                                                         {"TabSheet6", "Log"}};
    ASSERT_EQ(window.pages->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(window.pages->widget(i)->objectName(), pages[i].first);
        EXPECT_EQ(window.pages->tabText(i), pages[i].second);
    }
    EXPECT_EQ(window.pages->currentWidget(), window.browsePage);
}

// A larger window gives its room to the Browse page's table: the editors keep their width beside
// the table's top, the other tags stay under it, and nothing leaves its page.
TEST_F(LayoutTest, ALargerWindowGivesTheRoomToTheTable) {
    TMainWindow& window = Window();
    window.show();
    TBrowsePage& page = *window.browsePage;
    const QSize table = page.fileTable->size();
    const QRect title = page.FieldEdit(TTagField::Title)->geometry();
    const QRect otherTags = page.otherTagsList->geometry();
    // Everything drawn right of the table (captions, editors, stream lines, Save) moves as one.
    std::vector<std::pair<QWidget*, QPoint>> rightOfTable;
    for (QWidget* control : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control->x() > page.fileTable->geometry().right()) rightOfTable.emplace_back(control, control->pos());
    const int buttonMargin = window.folderBox->width() - window.folderButton->geometry().right();
    window.resize(window.size() + QSize(400, 300));
    EXPECT_EQ(page.fileTable->size(), table + QSize(400, 300));
    EXPECT_EQ(page.FieldEdit(TTagField::Title)->geometry(), title.translated(400, 0));
    EXPECT_EQ(page.otherTagsList->geometry(), otherTags.translated(0, 300));
    for (const auto& [control, drawn] : rightOfTable)
        EXPECT_EQ(control->pos(), drawn + QPoint(400, 0)) << control->objectName().toStdString();
    EXPECT_EQ(window.folderBox->width() - window.folderButton->geometry().right(), buttonMargin)
        << "the directory row takes the width, its button at its end";
    ExpectControlsInsideTheirParents(window);

    window.resize(window.minimumSize());
    EXPECT_EQ(page.fileTable->size(), table) << "back to the drawn layout";
    EXPECT_EQ(page.FieldEdit(TTagField::Title)->geometry(), title);
}

TEST(LayoutScale, FollowsTheFontAndKeepsTheMainWindowOnTheScreen) {
    struct Case {
        double fontPixels;
        QSize screen;  // available, in logical pixels
        double scale;
        double devicePixelRatio = 1;
    };
    const Case cases[] = {
        {12, {1920, 1200}, 1.0},     // Qt's default font: the drawn layout
        {13, {1920, 1200}, 1.0},     // 10 points: the drawn layout
        {20, {1920, 1200}, 1.5},     // 15 points
        {15, {1920, 1200}, 1.125},   // 11 points
        {40, {1920, 1200}, 1.9375},  // as large as the screen allows
        {12, {853, 683}, 1.0},       // a 1280 x 1024 screen at scale 1.5
        {20, {853, 683}, 1.0625},    // the same with a large font: the screen decides
        {12, {1024, 560}, 0.875},    // a small screen: smaller than drawn, on the screen
        {12, {640, 512}, 0.875},     // never below legible, even off the screen
        {13, {960, 540}, 0.8125, 2},  // 1920 x 1080 at scale 2: on the screen, legible in device pixels
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutScaleFor(c.fontPixels, c.screen, c.devicePixelRatio), c.scale)
            << c.fontPixels << " px on " << c.screen.width() << "x" << c.screen.height();
}

// The window on the screen the test runs on: ctest runs these on small and scaled screens too
// (OnScreen.*), with the default font and a large one.
class OnAnyScreen : public WindowTest, public testing::WithParamInterface<double> {
protected:
    TDesktopFont font_{GetParam()};
};

TEST_P(OnAnyScreen, TheWindowFitsTheScreenAndNothingIsCutOff) {
    ShowActive();
    TMainWindow& window = Window();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << "frame " << window.frameGeometry().right() << "," << window.frameGeometry().bottom() << " on "
        << screen.width() << "x" << screen.height();
    ExpectCaptionsFit(window);
    ExpectControlsInsideTheirParents(window);
}

// A place saved on a larger screen, or at a smaller scale, is moved back onto this one.
TEST_P(OnAnyScreen, ASavedPlacePartlyOffTheScreenIsBroughtBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint corner = screen.bottomRight() - QPoint(100, 80);
    std::filesystem::create_directories(config_.IniPath().parent_path());
    std::ofstream(config_.IniPath()) << "[TForm1]\nPixelsPerInch=96\nNormPos=" << corner.x() << ","
                                     << corner.y() << "," << corner.x() + 592 << "," << corner.y() + 583
                                     << "\n";
    ShowActive();
    EXPECT_TRUE(screen.contains(Window().frameGeometry()));
}

INSTANTIATE_TEST_SUITE_P(DesktopFonts, OnAnyScreen, testing::Values(9.0, 18.0));

TEST_F(LayoutTest, ControlsStartInTheirDescribedStates) {
    TMainWindow& window = Window();
    for (QPushButton* button : {window.browsePage->saveButton, window.massPage->runButton, window.clearPage->runButton})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(window.massPage->otherModeButtons[0]->isEnabled());
    // Boxes that ignore typing look so: the window's background, not a text field's.
    for (QLineEdit* readOnly : {window.folderEdit, window.tagFromNamePage->editor->formatEdit,
                                window.renamePage->editor->formatEdit, window.tagListPage->editor->formatEdit,
                                window.tagListPage->listFileEdit, window.massPage->pictureFileEdit}) {
        EXPECT_TRUE(readOnly->isReadOnly()) << readOnly->objectName().toStdString();
        EXPECT_EQ(readOnly->palette().color(QPalette::Base), readOnly->palette().color(QPalette::Window))
            << readOnly->objectName().toStdString();
    }
    for (QPushButton* run : {window.renamePage->runButton, window.renamePage->previewButton})
        EXPECT_FALSE(run->isEnabled()) << "no field ticked, no new name: " << run->objectName().toStdString();
    EXPECT_TRUE(window.logPage->logView->isReadOnly());
    EXPECT_EQ(window.logPage->logView->lineWrapMode(), QPlainTextEdit::NoWrap);

    for (const char* row : {"artist", "title", "album", "track", "date", "genre", "comment", "license",
                            "organization", "location", "contact", "version", "copyright", "isrc", "other"}) {
        const QString name = QString(row) + "_o";
        const auto* overwrite = window.findChild<QRadioButton*>(name);
        ASSERT_NE(overwrite, nullptr) << row;
        EXPECT_TRUE(overwrite->isChecked()) << row;
        EXPECT_EQ(overwrite->toolTip(), "Overwrite");
        EXPECT_EQ(window.findChild<QRadioButton*>(QString(row) + "_a")->toolTip(), "Prepend");
        EXPECT_EQ(window.findChild<QRadioButton*>(QString(row) + "_p")->toolTip(), "Append");
    }
    EXPECT_TRUE(window.tagFromNamePage->editor->overwriteRadios[0]->isChecked());
    EXPECT_TRUE(window.tagListPage->editor->overwriteRadios[0]->isChecked());
    EXPECT_TRUE(window.renamePage->dontRenameUntaggedCheck->isChecked());

    EXPECT_EQ(window.tagListPage->editor->orderList->count(), 1);
    EXPECT_EQ(window.tagListPage->editor->orderList->item(0)->text(), "Target file");
    EXPECT_EQ(window.tagListPage->editor->formatEdit->text(), "<Target file>");
    for (QListWidget* empty :
         {window.tagFromNamePage->editor->orderList, window.renamePage->editor->orderList, window.tagFromNamePage->editor->wordList, window.renamePage->editor->wordList, window.tagListPage->editor->wordList})
        EXPECT_EQ(empty->count(), 0);
    for (QLineEdit* empty : {window.tagFromNamePage->editor->formatEdit, window.renamePage->editor->formatEdit, window.tagFromNamePage->editor->separatorEdit, window.renamePage->editor->separatorEdit, window.tagListPage->editor->separatorEdit})
        EXPECT_TRUE(empty->text().isEmpty());
    EXPECT_EQ(window.tagFromNamePage->editor->trashButton->text(), "Add Trash");
    EXPECT_EQ(window.tagListPage->editor->trashButton->text(), "Add Trash");
}

// The name of the focused control: its own, or that of the named control it belongs to (the line edit
// of an editable combo box, the tab bar of the page control).
std::string FocusedName() {
    for (const QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (!w->objectName().isEmpty()) return w->objectName().toStdString();
    return {};
}

// The names of the controls Tab visits from `start` until it comes back to it.
std::vector<std::string> TabCycle(QWidget* start) {
    start->setFocus();
    std::vector<std::string> visited = {FocusedName()};
    for (int i = 0; i < 300; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == start || FocusedName() == visited.front()) break;
        visited.push_back(FocusedName());
    }
    return visited;
}

// What Tab must reach: a control, or, for a radio button, its group (named after the parent they
// share), which Tab enters once and the arrow keys move within.
std::string TabStopOf(const QWidget& control) {
    const QWidget& named = qobject_cast<const QRadioButton*>(&control) ? *control.parentWidget() : control;
    return named.objectName().toStdString();
}

// The tab stops of `page`: every enabled control that takes the focus.
std::set<std::string> Reachable(const QWidget& page) {
    std::set<std::string> stops;
    for (const QWidget* control : page.findChildren<QWidget*>())
        if (!control->objectName().isEmpty() && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus))
            stops.insert(TabStopOf(*control));
    return stops;
}

TEST_F(LayoutTest, TabReachesEveryControlOfEveryPage) {
    ShowActive();
    TMainWindow& window = Window();
    MakeEveryButtonUsable("music");
    for (QCheckBox* box : {window.massPage->RowCheck(TTagField::Artist), window.clearPage->FieldCheck(TTagField::Artist)}) box->setChecked(true);  // and Tag, Clear
    for (int i = 0; i < window.pages->count(); ++i) {
        QWidget* page = window.pages->widget(i);
        window.SetActivePage(page);
        const std::vector<std::string> cycle = TabCycle(window.folderEdit);
        std::set<std::string> visited;
        for (const std::string& name : cycle)
            visited.insert(TabStopOf(*window.findChild<QWidget*>(QString::fromStdString(name))));
        for (const std::string& stop : Reachable(*page))
            EXPECT_TRUE(visited.count(stop)) << stop << " on " << page->objectName().toStdString();
        EXPECT_EQ(std::vector<std::string>(cycle.begin(), cycle.begin() + 3),
                  (std::vector<std::string>{"Edit4", "BitBtn1", "qt_tabwidget_tabbar"}))
            << "the folder, then the tabs, then the page";
    }
}

TEST_F(LayoutTest, TabWalksEachPageInASensibleOrder) {
    ShowActive();
    TMainWindow& window = Window();
    MakeEveryButtonUsable("music");
    window.massPage->RowCheck(TTagField::Artist)->setChecked(true);
    // The order of the first controls of each page after the tabs, and the last one before the folder.
    struct Case {
        QWidget* page;
        std::vector<std::string> first;
        std::string last;
    };
    const Case cases[] = {
        {window.browsePage,
         {"edtFilter", "Listview1", "chkBrowseRecurse", "Edit1", "Edit2", "Edit3", "Edit5", "Edit6", "edit7", "Edit8", "Edit31", "Edit32",
          "Edit33", "Edit34", "Edit35", "Edit36", "Edit37", "ListBox1", "BitBtn6", "BitBtn7"},
         "BitBtn39"},
        // Row by row: the box, the value, the mode buttons (one stop for the group).
        {window.massPage,
         {"CheckBox9", "Edit10", "artist_a", "CheckBox10", "Edit11", "title_a", "CheckBox11", "Edit12"},
         "BitBtn3"},
        {window.tagFromNamePage, {"CheckBox27", "Edit9"}, "btnTagFromFilename"},
        {window.renamePage, {"CheckBox17", "Edit19"}, "btnRenameFromTag"},
        {window.tagListPage, {"Edit23", "BitBtn30"}, "BitBtn29"},
    };
    for (const Case& c : cases) {
        window.SetActivePage(c.page);
        const std::vector<std::string> cycle = TabCycle(window.folderEdit);
        ASSERT_GT(cycle.size(), 3 + c.first.size());
        EXPECT_EQ(std::vector<std::string>(cycle.begin() + 3, cycle.begin() + 3 + c.first.size()), c.first)
            << c.page->objectName().toStdString();
        EXPECT_EQ(cycle.back(), c.last) << c.page->objectName().toStdString();
    }
    window.SetActivePage(window.browsePage);
    const std::vector<std::string> browse = TabCycle(window.folderEdit);
    const auto save = std::find(browse.begin(), browse.end(), "BitBtn18");
    ASSERT_NE(save, browse.end());
    EXPECT_EQ(*(save + 1), "BitBtn27") << "Save comes before the buttons that copy to the Mass page";
}

// Alt and the underlined letter press the buttons of the shown page.
TEST_F(LayoutTest, PageButtonsHaveAccessKeys) {
    ShowActive();
    TMainWindow& window = Window();
    MakeEveryButtonUsable("music");
    for (QCheckBox* box : {window.massPage->RowCheck(TTagField::Artist), window.clearPage->FieldCheck(TTagField::Artist)}) box->setChecked(true);
    struct Case {
        QWidget* page;
        Qt::Key key;
        QAbstractButton* button;
    };
    const Case cases[] = {
        {window.browsePage, Qt::Key_D, window.folderButton},
        {window.browsePage, Qt::Key_S, window.browsePage->saveButton},
        {window.massPage, Qt::Key_T, window.massPage->runButton},
        {window.clearPage, Qt::Key_C, window.clearPage->runButton},
        {window.tagFromNamePage, Qt::Key_T, window.tagFromNamePage->runButton},
        {window.renamePage, Qt::Key_R, window.renamePage->runButton},
        {window.tagListPage, Qt::Key_T, window.tagListPage->runButton},
        {window.tagListPage, Qt::Key_B, window.tagListPage->listFileButton},
    };
    for (const Case& c : cases) {
        window.SetActivePage(c.page);
        QSignalSpy clicks(c.button, &QAbstractButton::clicked);
        QTest::keyClick(&window, c.key, Qt::AltModifier);
        EXPECT_TRUE(clicks.count() == 1 || clicks.wait(1000)) << c.button->objectName().toStdString();
    }
}

TEST_F(LayoutTest, SortedListsKeepAlphabeticalOrderWithoutRegardToCase) {
    TMainWindow& window = Window();
    for (QListWidget* sorted : {window.tagFromNamePage->editor->wordList, window.renamePage->editor->wordList, window.tagListPage->editor->wordList}) {
        sorted->addItems({"beta", "Alpha", "gamma", "Beta2"});
        sorted->insertItem(0, "zulu");
        QStringList shown;
        for (int i = 0; i < sorted->count(); ++i) shown << sorted->item(i)->text();
        EXPECT_EQ(shown, QStringList({"Alpha", "beta", "Beta2", "gamma", "zulu"}))
            << sorted->objectName().toStdString();
        sorted->setCurrentRow(4);
        sorted->item(4)->setText("Apple");  // an entry edited in place moves to its new place
        EXPECT_EQ(sorted->item(1)->text(), "Apple");
        EXPECT_EQ(sorted->currentRow(), 1) << "and stays the selected entry";
    }
    for (QListWidget* ordered :
         {window.browsePage->otherTagsList, window.massPage->otherTagsList, window.tagFromNamePage->editor->orderList, window.renamePage->editor->orderList, window.tagListPage->editor->orderList}) {
        ordered->addItems({"b", "a"});
        EXPECT_EQ(ordered->item(ordered->count() - 1)->text(), "a") << ordered->objectName().toStdString();
    }
}

TEST_F(LayoutTest, EnterInAFieldEditorMovesToTheNextEditor) {
    ShowActive();
    TMainWindow& window = Window();
    const std::pair<QWidget*, QWidget*> steps[] = {
        {window.browsePage->FieldEdit(TTagField::Artist), window.browsePage->FieldEdit(TTagField::Title)},  {window.browsePage->FieldEdit(TTagField::Date), window.browsePage->genreBox},   {window.browsePage->genreBox, window.browsePage->FieldEdit(TTagField::Comment)},
        {window.browsePage->FieldEdit(TTagField::Comment), window.browsePage->FieldEdit(TTagField::License)}, {window.browsePage->FieldEdit(TTagField::Copyright), window.browsePage->FieldEdit(TTagField::ISRC)},
    };
    for (const auto& [from, to] : steps) {
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(to->hasFocus()) << from->objectName().toStdString() << " -> "
                                    << QApplication::focusWidget()->objectName().toStdString();
    }

    window.SetActivePage(window.massPage);
    const std::pair<QWidget*, QWidget*> massSteps[] = {
        {window.massPage->RowEdit(TTagField::Artist), window.massPage->RowEdit(TTagField::Title)}, {window.massPage->RowEdit(TTagField::Date), window.massPage->genreBox}, {window.massPage->genreBox, window.massPage->RowEdit(TTagField::Comment)},
        {window.massPage->RowEdit(TTagField::Contact), window.massPage->RowEdit(TTagField::Version)}, {window.massPage->RowEdit(TTagField::Version), window.massPage->RowEdit(TTagField::Copyright)}, {window.massPage->RowEdit(TTagField::Copyright), window.massPage->RowEdit(TTagField::ISRC)},
    };
    for (const auto& [from, to] : massSteps) {
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        EXPECT_TRUE(to->hasFocus()) << from->objectName().toStdString() << " -> "
                                    << QApplication::focusWidget()->objectName().toStdString();
    }
}

TEST_F(LayoutTest, EnterInAGenreBoxNeverAddsToTheGenreList) {
    ShowActive();
    TMainWindow& window = Window();
    const int genres = window.browsePage->genreBox->count();
    window.browsePage->genreBox->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), "Zydeco");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(window.browsePage->genreBox->count(), genres);
    EXPECT_EQ(window.browsePage->genreBox->currentText(), "Zydeco");
}

}  // namespace
}  // namespace parvex::test
