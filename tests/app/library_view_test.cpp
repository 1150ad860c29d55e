// The Browse page's table: the files with their tags, read while the window answers, sorted in
// natural order and filtered; several files selected and edited in one Save, undone as one run.

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <map>

#include "page_fixture.h"

namespace parvex::test {
namespace {

namespace fs = std::filesystem;

class LibraryViewTest : public PageTest {
protected:
    TBrowsePage& Page() { return *Window().browsePage; }
    QAbstractItemModel& Table() { return *Page().fileTable->model(); }
    // Waits until the table's rows are all read.
    void AwaitRows() { AwaitListing(Page()); }
    QString Cell(int row, TLibraryColumn column) { return Table().index(row, static_cast<int>(column)).data().toString(); }
    QStringList Column(TLibraryColumn column) {
        QStringList cells;
        for (int row = 0; row < Table().rowCount(); ++row) cells << Cell(row, column);
        return cells;
    }
    void SortBy(TLibraryColumn column) { Page().fileTable->sortByColumn(static_cast<int>(column), Qt::AscendingOrder); }
    std::map<std::string, std::string> Folder() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Music()))
            if (entry.is_regular_file()) files[entry.path().filename()] = ReadAll(entry.path());
        return files;
    }
};

TEST_F(LibraryViewTest, TheTableListsTheTreeWithTagsSortsNaturallyAndFilters) {
    WriteVorbisFile(Music("t10.ogg"), {{"ARTIST", "Band"}, {"TITLE", "Ten"}, {"TRACKNUMBER", "10"}});
    WriteVorbisFile(Music("t2.ogg"), {{"ARTIST", "band"}, {"TITLE", "Two"}, {"TRACKNUMBER", "2"}});
    WriteVorbisFile(Music("disc 2/t1.ogg"), {{"ARTIST", "Other"}, {"TITLE", "One"}, {"TRACKNUMBER", "1"}});
    temp_.Write("music/broken.ogg", "not music");
    fs::last_write_time(Music("t2.ogg"), fs::file_time_type::clock::now() + std::chrono::hours(48));
    ChooseFolder(Music());
    EXPECT_EQ(ListedFiles(), QStringList({"broken.ogg", "t2.ogg", "t10.ogg"}))
        << "the folder alone, natural order, a file dated in the future too";

    Page().recurseBox->setChecked(true);
    AwaitRows();
    EXPECT_EQ(ListedFiles(), QStringList({"broken.ogg", "disc 2/t1.ogg", "t2.ogg", "t10.ogg"}));
    EXPECT_EQ(Column(TLibraryColumn::Title), QStringList({"", "One", "Two", "Ten"}));
    EXPECT_EQ(Cell(2, TLibraryColumn::Codec), "Vorbis");
    // A file Parvex cannot edit is listed greyed, with the reason in its tooltip.
    const QModelIndex broken = Table().index(0, 0);
    EXPECT_EQ(broken.data(Qt::ToolTipRole).toString(), "Parvex cannot edit this file: not an Ogg Vorbis or Opus file.");
    EXPECT_TRUE(broken.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(Table().index(1, 0).data(Qt::ForegroundRole).isValid());

    SortBy(TLibraryColumn::Track);
    EXPECT_EQ(Column(TLibraryColumn::Track), QStringList({"", "1", "2", "10"}));
    SortBy(TLibraryColumn::Artist);  // case ignored; a tie keeps the order of the names
    EXPECT_EQ(ListedFiles(), QStringList({"broken.ogg", "t2.ogg", "t10.ogg", "disc 2/t1.ogg"}));
    // Listed again, the rows come in the order of their names and take the table's order at the end.
    Page().fileTable->sortByColumn(static_cast<int>(TLibraryColumn::Title), Qt::DescendingOrder);
    Page().RereadFolder();
    AwaitRows();
    EXPECT_EQ(Column(TLibraryColumn::Title), QStringList({"Two", "Ten", "One", ""}));

    QTest::keyClicks(Page().filterEdit, "BAND");
    EXPECT_EQ(ListedFiles(), QStringList({"t2.ogg", "t10.ogg"}));
    Page().fileTable->horizontalHeader()->hideSection(static_cast<int>(TLibraryColumn::Artist));
    Page().libraryProxy->SetFilterText(Page().filterEdit->text());
    EXPECT_TRUE(ListedFiles().isEmpty()) << "a hidden column is not searched";
}

// The window keeps answering while a large folder is read: a timer of the event loop fires before
// the table is complete.
TEST_F(LibraryViewTest, TheWindowAnswersWhileTheTableIsRead) {
    const std::string bytes = MakeVorbisFile({{"ARTIST", "Band"}, {"TITLE", "Song"}});
    for (int k = 0; k < 3000; ++k) temp_.Write("music/f" + std::to_string(k) + ".ogg", bytes);
    int ticks = 0, ticksWhileLoading = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        if (Page().libraryLoader->Loading()) ++ticksWhileLoading;
    });
    tick.start(1);
    Window().folderEdit->setText(QString::fromStdString(Music().string() + "/"));
    EXPECT_EQ(Table().rowCount(), 0) << "the folder is listed off the window's thread too";
    AwaitRows();
    EXPECT_EQ(Table().rowCount(), 3000);
    EXPECT_GT(ticksWhileLoading, 0);
    EXPECT_EQ(Cell(2999, TLibraryColumn::Artist), "Band");
}

// Twelve tracks of an album get one album name in one Save; their own titles stay; the other files
// stay byte for byte; "Undo last run" puts the twelve back.
TEST_F(LibraryViewTest, ASelectionGetsOneValueInOneSaveAndUndoPutsItBack) {
    for (int k = 1; k <= 12; ++k)
        WriteVorbisFile(Music("a" + std::to_string(k) + ".ogg"),
                        {{"ALBUM", k == 3 ? "Typo" : "Old"}, {"TITLE", "Song " + std::to_string(k)}, {"MOOD", "calm"}});
    WriteVorbisFile(Music("b1.ogg"), {{"ALBUM", "Other"}});
    WriteVorbisFile(Music("b2.ogg"), {{"ALBUM", "Other"}});
    ChooseFolder(Music());
    const auto before = Folder();
    SortBy(TLibraryColumn::Title);  // the table's rows are not the model's: b1 and b2 come first

    SelectFile("a1.ogg");
    SelectFile("a12.ogg", Qt::ShiftModifier);
    EXPECT_EQ(Page().SelectedFilePaths().size(), 12u);
    TBrowsePage& page = Page();
    EXPECT_EQ(page.FieldEdit(TTagField::Album)->text(), "");
    EXPECT_EQ(page.FieldEdit(TTagField::Album)->placeholderText(), "(different values)");
    EXPECT_EQ(page.FieldEdit(TTagField::Title)->placeholderText(), "(different values)");
    EXPECT_EQ(Items(*page.otherTagsList), QStringList({"MOOD=calm"})) << "the other tags all files share";
    EXPECT_FALSE(page.saveButton->isEnabled());

    QTest::keyClicks(page.FieldEdit(TTagField::Album), "One Album");
    ASSERT_TRUE(page.saveButton->isEnabled());
    QTest::mouseClick(page.previewButton, Qt::LeftButton);  // the preview is closed: nothing written
    ASSERT_EQ(platform_.shownPlans.size(), 1u);
    EXPECT_EQ(platform_.shownPlans[0].size(), 12u) << "one changed comment in each of the twelve";
    EXPECT_TRUE(Folder() == before);
    EXPECT_TRUE(page.saveButton->isEnabled()) << "the edits stay for another try";

    // A file that came after the listing: Save reads the rows of the files it wrote, not the folder.
    WriteVorbisFile(Music("late.ogg"), {});
    QTest::mouseClick(page.saveButton, Qt::LeftButton);
    EXPECT_FALSE(ListedFiles().contains("late.ogg"));
    fs::remove(Music("late.ogg"));
    const QStringList names = ListedFiles();
    for (int row = 0; row < names.size(); ++row)
        EXPECT_EQ(Cell(row, TLibraryColumn::Album), names[row].startsWith('a') ? "One Album" : "Other") << row;
    for (int k = 1; k <= 12; ++k) {
        const TOggVorbis tags = ReadTags(Music("a" + std::to_string(k) + ".ogg"));
        EXPECT_EQ(tags.Album, "One Album") << k;
        EXPECT_EQ(tags.Title, "Song " + std::to_string(k)) << "a value left untouched stays each file's own";
        EXPECT_EQ(tags.OtherTags, std::vector<std::string>({"MOOD=calm"}));
    }
    EXPECT_EQ(Folder().at("b1.ogg"), before.at("b1.ogg"));
    EXPECT_EQ(Folder().at("b2.ogg"), before.at("b2.ogg"));
    EXPECT_EQ(Window().pages->currentWidget(), Window().browsePage);
    EXPECT_EQ(Page().SelectedFilePaths().size(), 12u) << "the files stay selected";
    EXPECT_EQ(page.FieldEdit(TTagField::Album)->text(), "One Album");

    platform_.confirmAnswers.push_back(true);
    QTest::mouseClick(Window().logPage->undoButton, Qt::LeftButton);
    EXPECT_TRUE(Folder() == before);
}

// Removing a shared other tag removes it from every file; emptying a field the files differ in
// empties it in all; a file whose own lines differ keeps them. A selected file deleted meanwhile
// fails alone.
TEST_F(LibraryViewTest, SharedOtherTagsAndEmptiedFieldsApplyToEveryFile) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "A"}, {"MOOD", "calm"}, {"X", "1"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "B"}, {"MOOD", "calm"}});
    WriteVorbisFile(Music("gone.ogg"), {{"MOOD", "calm"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    SelectFile("b.ogg", Qt::ControlModifier);
    SelectFile("gone.ogg", Qt::ControlModifier);
    fs::remove(Music("gone.ogg"));
    TBrowsePage& page = Page();
    page.otherTagsList->setCurrentRow(0);
    QTest::mouseClick(page.removeOtherTagButton, Qt::LeftButton);
    QLineEdit& title = *page.FieldEdit(TTagField::Title);
    QTest::keyClicks(&title, "x");
    QTest::keyClick(&title, Qt::Key_Backspace);
    QTest::mouseClick(page.saveButton, Qt::LeftButton);
    EXPECT_EQ(ReadTags(Music("a.ogg")).OtherTags, std::vector<std::string>({"X=1"}));
    EXPECT_TRUE(ReadTags(Music("b.ogg")).OtherTags.empty());
    EXPECT_EQ(ReadTags(Music("a.ogg")).Title, "");
    EXPECT_EQ(ReadTags(Music("b.ogg")).Title, "");
    const QString log = Window().logPage->logView->toPlainText();
    EXPECT_TRUE(log.contains("gone.ogg") && log.contains("no such file")) << log.toStdString();
}

// The keys of the table: arrows move and load the file, typing finds a name from any column, Ctrl+A
// selects all, Ctrl+F goes to the filter, and Delete removes nothing.
TEST_F(LibraryViewTest, TheTableAnswersTheKeyboard) {
    for (const char* name : {"alpha.ogg", "beta.ogg", "gamma.ogg"}) WriteVorbisFile(Music(name), {{"TITLE", std::string("Song ") + name}});
    ChooseFolder(Music());
    QTableView& table = *Page().fileTable;
    SelectFile("alpha.ogg");
    table.setCurrentIndex(table.currentIndex().siblingAtColumn(2));  // the Title column
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(Page().FieldEdit(TTagField::Title)->text(), "Song beta.ogg");
    QTest::keyClicks(&table, "gam");
    EXPECT_EQ(CurrentFile(), "gamma.ogg") << "typing looks in the names";
    EXPECT_EQ(Page().FieldEdit(TTagField::Title)->text(), "Song gamma.ogg");
    QTest::keyClick(&table, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Page().SelectedFilePaths().size(), 3u);
    QTest::keyClick(&table, Qt::Key_Delete);
    EXPECT_EQ(Folder().size(), 3u);
    Window().activateWindow();
    QTest::keyClick(&table, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Page().filterEdit->hasFocus());
}

// A batch page's run on the Browse page's selection touches only the selected files; one selected
// file is the file shown, and a new listing drops the selection: the run goes over the folder.
TEST_F(LibraryViewTest, ABatchRunOnTheSelectionTouchesOnlyIt) {
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg"}) WriteVorbisFile(Music(name), {{"ARTIST", "Band"}});
    ChooseFolder(Music());
    const auto before = Folder();
    TClearPage& clear = *Window().clearPage;
    SelectFile("a.ogg");
    EXPECT_EQ(clear.scopeBox->currentText(), "Whole folder");
    SelectFile("c.ogg", Qt::ControlModifier);
    EXPECT_EQ(clear.scopeBox->currentText(), "Selected files (2)");
    Window().SetActivePage(&clear);
    QTest::mouseClick(clear.FieldCheck(TTagField::Artist), Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(clear.runButton, Qt::LeftButton);
    EXPECT_EQ(ReadTags(Music("a.ogg")).Artist, "");
    EXPECT_EQ(ReadTags(Music("c.ogg")).Artist, "");
    EXPECT_EQ(Folder().at("b.ogg"), before.at("b.ogg"));

    Window().pages->setCurrentWidget(Window().browsePage);  // the folder is listed again
    EXPECT_EQ(clear.scopeBox->currentText(), "Whole folder");
}

}  // namespace
}  // namespace parvex::test
