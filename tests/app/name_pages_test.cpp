// The three file-name pages driven through the real window: the format editors, the word lists with
// the Add a word dialog, and one run of each operation on a folder of real encoded files.

#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "modal_dialog.h"
#include "ogg/ogg_vorbis.h"
#include "support/page_walker.h"
#include "window_fixture.h"

namespace parvex::test {
namespace {

using Names = std::vector<std::string>;

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
    return entries;
}

QStringList LogLines(const TMainWindow& window) {
    QStringList lines = window.logPage->logView->toPlainText().split('\n');
    if (lines == QStringList{""}) lines.clear();
    return lines;
}

class NamePagesTest : public WindowTest {
protected:
    NamePagesTest() : addTagDialog_(&Window(), platform_), addWordDialog_(&Window()) {
        Window().SetDialogs(addTagDialog_, addWordDialog_);
        std::filesystem::create_directory(Music());
    }

    std::filesystem::path Music() const { return temp_.Path() / "music"; }
    std::string MusicDir() const { return Music().string() + "/"; }

    // Shows the window on `page`, so that clicks reach the page's controls.
    void ShowPage(QWidget* page) {
        ShowActive();
        Window().pages->setCurrentWidget(page);
    }
    static void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    // Check boxes and radio buttons take a click on their mark, not on the empty width beside their
    // caption.
    static void Click(QAbstractButton* box) {
        if (qobject_cast<QPushButton*>(box)) return Click(static_cast<QWidget*>(box));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    static void ClickEntry(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    static void Type(QLineEdit* edit, const char* keys) {
        edit->setFocus();
        QTest::keyClicks(edit, keys);
    }

    // A real encoded file (tagged "Low tone" by "Parvex", track 1) copied into the music folder.
    void AddSong(const std::string& name) const {
        std::filesystem::copy_file(std::filesystem::path(PARVEX_TEST_DATA) / "mono-8khz.ogg", Music() / name);
    }
    TOggVorbis Tags(const std::string& name) const {
        TOggVorbis file;
        EXPECT_TRUE(file.LoadFromFile((Music() / name).string())) << name;
        return file;
    }
    Names Files() const { return test::FileNames(Music()); }
    void ExpectIntactAudio(const std::string& name) const {
        const std::string original = ReadAll(std::filesystem::path(PARVEX_TEST_DATA) / "mono-8khz.ogg");
        const std::string bytes = ReadAll(Music() / name);
        EXPECT_TRUE(IsValidOgg(bytes)) << name;
        EXPECT_TRUE(SameAudio(original, bytes)) << name;
    }
    void UseMusicFolder() { Window().folderEdit->setText(QString::fromStdString(MusicDir())); }

    // The word the Add a word dialog is given: typed and confirmed, or cancelled.
    void AnswerWord(const std::function<void()>& action, const char* keys, bool confirm = true) {
        WhileOpen(
            addWordDialog_,
            [this, keys, confirm] {
                addWordDialog_.wordEdit->selectAll();
                QTest::keyClicks(addWordDialog_.wordEdit, keys);
                Click(confirm ? addWordDialog_.okButton : addWordDialog_.cancelButton);
            },
            [&action] {
                action();
                return std::string();
            });
    }

    TAddTagDialog addTagDialog_;
    TAddWordDialog addWordDialog_;
};

TEST_F(NamePagesTest, FieldBoxesAndSeparatorKeepTheFormatText) {
    TMainWindow& w = Window();
    ShowPage(w.tagFromNamePage);
    Click(w.tagFromNamePage->editor->fieldChecks[0]);  // Artist
    Click(w.tagFromNamePage->editor->fieldChecks[1]);  // Title
    Type(w.tagFromNamePage->editor->separatorEdit, " - ");
    EXPECT_EQ(Entries(w.tagFromNamePage->editor->orderList), (QStringList{"Artist", "Title"}));
    EXPECT_EQ(w.tagFromNamePage->editor->formatEdit->text(), "<Artist> - <Title>");

    w.tagFromNamePage->editor->separatorEdit->setText("_");  // as a restore of the settings sets it
    EXPECT_EQ(w.tagFromNamePage->editor->formatEdit->text(), "<Artist>_<Title>");

    Click(w.tagFromNamePage->editor->fieldChecks[0]);
    EXPECT_EQ(Entries(w.tagFromNamePage->editor->orderList), QStringList{"Title"});
    EXPECT_EQ(w.tagFromNamePage->editor->formatEdit->text(), "<Title>");

    w.tagFromNamePage->editor->fieldChecks[0]->setChecked(true);  // a restored box runs its handler too
    EXPECT_EQ(w.tagFromNamePage->editor->formatEdit->text(), "<Title>_<Artist>");
}

TEST_F(NamePagesTest, MoveButtonsMoveTheSelectedEntryOnly) {
    TMainWindow& w = Window();
    ShowPage(w.renamePage);
    for (QCheckBox* box : {w.renamePage->editor->fieldChecks[1], w.renamePage->editor->fieldChecks[0], w.renamePage->editor->fieldChecks[3]}) Click(box);  // Title, Artist, Track
    Type(w.renamePage->editor->separatorEdit, "-");
    ASSERT_EQ(w.renamePage->editor->formatEdit->text(), "<Title>-<Artist>-<Track>");

    Click(w.renamePage->editor->moveUpButton);  // nothing selected
    Click(w.renamePage->editor->moveDownButton);
    EXPECT_EQ(w.renamePage->editor->formatEdit->text(), "<Title>-<Artist>-<Track>");

    ClickEntry(w.renamePage->editor->orderList, 1);
    Click(w.renamePage->editor->moveUpButton);
    EXPECT_EQ(w.renamePage->editor->formatEdit->text(), "<Artist>-<Title>-<Track>");
    EXPECT_EQ(w.renamePage->editor->orderList->currentItem()->text(), "Artist") << "the moved entry stays selected";
    Click(w.renamePage->editor->moveUpButton);  // already at the top
    EXPECT_EQ(w.renamePage->editor->formatEdit->text(), "<Artist>-<Title>-<Track>");

    ClickEntry(w.renamePage->editor->orderList, 0);
    Click(w.renamePage->editor->moveDownButton);
    Click(w.renamePage->editor->moveDownButton);
    Click(w.renamePage->editor->moveDownButton);  // pushed against the bottom
    EXPECT_EQ(Entries(w.renamePage->editor->orderList), (QStringList{"Title", "Track", "Artist"}));
    EXPECT_EQ(w.renamePage->editor->formatEdit->text(), "<Title>-<Track>-<Artist>");
}

TEST_F(NamePagesTest, TrashButtonAddsAndDeletesTrashEntriesAndNamesItsNextPress) {
    TMainWindow& w = Window();
    ShowPage(w.tagListPage);
    EXPECT_EQ(Entries(w.tagListPage->editor->orderList), QStringList{"Target file"});
    EXPECT_EQ(w.tagListPage->editor->formatEdit->text(), "<Target file>");

    Click(w.tagListPage->editor->trashButton);
    Click(w.tagListPage->editor->trashButton);
    EXPECT_EQ(Entries(w.tagListPage->editor->orderList), (QStringList{"Target file", "TRASH", "TRASH"}));
    EXPECT_EQ(w.tagListPage->editor->formatEdit->text(), "<Target file><TRASH><TRASH>");

    ClickEntry(w.tagListPage->editor->orderList, 1);
    EXPECT_EQ(w.tagListPage->editor->trashButton->text(), "Delet Trash");
    Click(w.tagListPage->editor->trashButton);
    EXPECT_EQ(Entries(w.tagListPage->editor->orderList), (QStringList{"Target file", "TRASH"}));
    EXPECT_EQ(w.tagListPage->editor->trashButton->text(), "Add Trash");

    ClickEntry(w.tagListPage->editor->orderList, 0);  // "Target file" is never deleted: a press adds trash
    EXPECT_EQ(w.tagListPage->editor->trashButton->text(), "Add Trash");
    Click(w.tagListPage->editor->trashButton);
    EXPECT_EQ(Entries(w.tagListPage->editor->orderList), (QStringList{"Target file", "TRASH", "TRASH"}));
    Click(w.tagListPage->editor->moveDownButton);
    EXPECT_EQ(w.tagListPage->editor->formatEdit->text(), "<TRASH><Target file><TRASH>");

    ShowPage(w.tagFromNamePage);
    Click(w.tagFromNamePage->editor->trashButton);
    EXPECT_EQ(w.tagFromNamePage->editor->formatEdit->text(), "<TRASH>") << "each page has its own trash button";
    EXPECT_EQ(w.tagListPage->editor->formatEdit->text(), "<TRASH><Target file><TRASH>");
}

TEST_F(NamePagesTest, FormatEditorsComeBackAsTheyWereLeftAfterARestart) {
    TMainWindow& w = Window();
    ShowPage(w.renamePage);
    Click(w.renamePage->editor->fieldChecks[0]);  // Artist
    Click(w.renamePage->editor->fieldChecks[1]);  // Title
    ClickEntry(w.renamePage->editor->orderList, 1);
    Click(w.renamePage->editor->moveUpButton);
    Type(w.renamePage->editor->separatorEdit, " - ");
    ShowPage(w.tagListPage);
    Click(w.tagListPage->editor->fieldChecks[0]);
    Click(w.tagListPage->editor->trashButton);
    w.close();

    TMainWindow again(platform_);
    again.show();
    EXPECT_EQ(Entries(again.renamePage->editor->orderList), (QStringList{"Title", "Artist"}));
    EXPECT_EQ(again.renamePage->editor->separatorEdit->text(), " - ");
    EXPECT_EQ(again.renamePage->editor->formatEdit->text(), "<Title> - <Artist>");
    EXPECT_EQ(Entries(again.tagListPage->editor->orderList), (QStringList{"Target file", "Artist", "TRASH"}));
    EXPECT_EQ(again.tagListPage->editor->formatEdit->text(), "<Target file><Artist><TRASH>");
    again.renamePage->editor->fieldChecks[0]->setChecked(false);
    EXPECT_EQ(again.renamePage->editor->formatEdit->text(), "<Title>") << "the restored boxes and list work together";
}

TEST_F(NamePagesTest, WordListsAddEditAndDeleteThroughTheDialog) {
    TMainWindow& w = Window();
    ShowPage(w.tagFromNamePage);
    AnswerWord([&] { Click(w.tagFromNamePage->editor->addWordButton); }, "The");
    AnswerWord([&] { Click(w.tagFromNamePage->editor->addWordButton); }, "Of");
    AnswerWord([&] { Click(w.tagFromNamePage->editor->addWordButton); }, "and", false);
    EXPECT_EQ(Entries(w.tagFromNamePage->editor->wordList), (QStringList{"of", "the"}))
        << "sorted, in lower case, cancel adds nothing";

    ShowPage(w.tagListPage);
    AnswerWord([&] { Click(w.tagListPage->editor->addWordButton); }, "a");
    ClickEntry(w.tagListPage->editor->wordList, 0);
    AnswerWord(
        [&] {
            QTest::mouseDClick(w.tagListPage->editor->wordList->viewport(), Qt::LeftButton, {},
                               w.tagListPage->editor->wordList->visualItemRect(w.tagListPage->editor->wordList->item(0)).center());
        },
        "zz");
    EXPECT_EQ(Entries(w.tagListPage->editor->wordList), QStringList{"zz"});
    EXPECT_EQ(Entries(w.tagFromNamePage->editor->wordList), (QStringList{"of", "the"})) << "ListBox8's double-click edits ListBox8";

    ShowPage(w.renamePage);
    AnswerWord([&] { Click(w.renamePage->editor->addWordButton); }, "by");
    ClickEntry(w.renamePage->editor->wordList, 0);
    AnswerWord(
        [&] {
            QTest::mouseDClick(w.renamePage->editor->wordList->viewport(), Qt::LeftButton, {},
                               w.renamePage->editor->wordList->visualItemRect(w.renamePage->editor->wordList->item(0)).center());
        },
        "x", false);
    EXPECT_EQ(Entries(w.renamePage->editor->wordList), QStringList{"by"}) << "a cancelled edit keeps the word";
    w.renamePage->editor->wordList->clearSelection();
    Click(w.renamePage->editor->removeWordButton);
    EXPECT_EQ(Entries(w.renamePage->editor->wordList), QStringList{"by"}) << "delete without a selection does nothing";
    ClickEntry(w.renamePage->editor->wordList, 0);
    Click(w.renamePage->editor->removeWordButton);
    EXPECT_TRUE(Entries(w.renamePage->editor->wordList).isEmpty());
}

// The folder of "Band - Song.ogg" files, taken through all three operations from the window.
TEST_F(NamePagesTest, TagFromNamesRenameFromTagsAndTagFromASpreadsheetList) {
    TMainWindow& w = Window();
    AddSong("Band - Song.ogg");
    AddSong("Other Band - Tune.ogg");
    UseMusicFolder();

    ShowPage(w.tagFromNamePage);
    Click(w.tagFromNamePage->editor->fieldChecks[0]);
    Click(w.tagFromNamePage->editor->fieldChecks[1]);
    Type(w.tagFromNamePage->editor->separatorEdit, " - ");
    Click(w.tagFromNamePage->runButton);
    EXPECT_EQ(w.pages->currentWidget(), w.logPage);
    EXPECT_EQ(
        LogLines(w),
        (QStringList{QString::fromStdString("Tag from filename: " + MusicDir() + "Band - Song.ogg"),
                     "     ARTIST: \"Parvex\" -> \"Band\"", "     TITLE: \"Low tone\" -> \"Song\"",
                     QString::fromStdString("Tag from filename: " + MusicDir() + "Other Band - Tune.ogg"),
                     "     ARTIST: \"Parvex\" -> \"Other Band\"", "     TITLE: \"Low tone\" -> \"Tune\"",
                     "Done: 2 files changed, 0 left unchanged, 0 failed."}));
    EXPECT_EQ(Tags("Band - Song.ogg").Artist, "Band");
    EXPECT_EQ(Tags("Band - Song.ogg").Title, "Song");
    EXPECT_EQ(Tags("Other Band - Tune.ogg").Artist, "Other Band");
    EXPECT_EQ(Tags("Other Band - Tune.ogg").Track, "1") << "fields outside the format are kept";

    ShowPage(w.renamePage);
    Click(w.renamePage->editor->fieldChecks[1]);  // Title
    Click(w.renamePage->editor->fieldChecks[0]);  // Artist
    Type(w.renamePage->editor->separatorEdit, " by ");
    Click(w.renamePage->runButton);
    EXPECT_EQ(Files(), (Names{"Song by Band.ogg", "Tune by Other Band.ogg"}));
    EXPECT_EQ(LogLines(w).size(), 5);
    EXPECT_EQ(LogLines(w)[1], QString::fromStdString("     to: " + MusicDir() + "Song by Band.ogg"));
    EXPECT_EQ(LogLines(w)[4], "Done: 2 files changed, 0 left unchanged, 0 failed.");

    ClickEntry(w.renamePage->editor->orderList, 1);
    Click(w.renamePage->editor->moveUpButton);
    w.renamePage->editor->separatorEdit->setText(" - ");
    Click(w.renamePage->runButton);
    EXPECT_EQ(Files(), (Names{"Band - Song.ogg", "Other Band - Tune.ogg"})) << "renamed back from their tags";

    // A list as a spreadsheet saves it: CRLF lines, a title row, the target file in the last column.
    const std::filesystem::path list =
        temp_.Write("list.csv",
                    "Artist;Title;File\r\nNew Band;New Song;Band - Song.ogg\r\n"
                    "Wrong;Wrong;Other Band - Tune.ogg\r\nLast;Word;Other Band - Tune.ogg\r\n");
    platform_.chooserAnswers.push_back(list.string());
    ShowPage(w.tagListPage);
    Click(w.tagListPage->listFileButton);
    ASSERT_EQ(platform_.openFileRequests.size(), 1u);
    EXPECT_EQ(platform_.openFileRequests[0].first, "csv (*.csv)|*.CSV|");
    EXPECT_EQ(w.tagListPage->listFileEdit->text().toStdString(), list.string());
    Click(w.tagListPage->editor->fieldChecks[0]);  // Artist
    Click(w.tagListPage->editor->fieldChecks[1]);  // Title
    ClickEntry(w.tagListPage->editor->orderList, 0);
    Click(w.tagListPage->editor->moveDownButton);
    Click(w.tagListPage->editor->moveDownButton);
    Type(w.tagListPage->editor->separatorEdit, ";");
    ASSERT_EQ(w.tagListPage->editor->formatEdit->text(), "<Artist>;<Title>;<Target file>");
    Click(w.tagListPage->runButton);
    EXPECT_EQ(platform_.pendingMessageRuns, 0) << "the list loads off the window's thread, which never waits";
    EXPECT_EQ(Tags("Band - Song.ogg").Artist, "New Band");
    EXPECT_EQ(Tags("Band - Song.ogg").Title, "New Song");
    EXPECT_EQ(Tags("Other Band - Tune.ogg").Title, "Word") << "the later of two lines wins";
    EXPECT_EQ(LogLines(w).size(), 8);
    EXPECT_EQ(LogLines(w)[6], "List line 1 matched no file: \"File\"") << "the title row named no file";
    EXPECT_EQ(LogLines(w)[7], "Done: 2 files changed, 0 left unchanged, 0 failed.");
    for (const std::string& name : Files()) ExpectIntactAudio(name);
    EXPECT_TRUE(platform_.messages.empty());
}

// "Export list..." writes the folder's tags in the page's format to the file chosen, which becomes
// the page's list: tagging from it at once changes nothing.
TEST_F(NamePagesTest, ExportListWritesTheFolderAsAListThatReadsBackUnchanged) {
    TMainWindow& w = Window();
    AddSong("a.ogg");
    AddSong("b;c.ogg");
    UseMusicFolder();
    ShowPage(w.tagListPage);
    Click(w.tagListPage->editor->fieldChecks[1]);  // Title
    Click(w.tagListPage->editor->fieldChecks[0]);  // Artist
    Type(w.tagListPage->editor->separatorEdit, ";");
    const std::string list = (temp_.Path() / "tags.csv").string();
    platform_.chooserAnswers.push_back(list);
    Click(w.tagListPage->exportButton);
    ASSERT_EQ(platform_.saveFileRequests.size(), 1u);
    EXPECT_EQ(platform_.saveFileRequests[0].first, "csv (*.csv)|*.CSV|");
    EXPECT_EQ(ReadAll(list), "a.ogg;Low tone;Parvex\n\"b;c.ogg\";Low tone;Parvex\n");
    EXPECT_EQ(platform_.messages, (std::vector<TShownMessage>{
                                      {TMessageKind::Information, "The tags of 2 files were written to " + list + "."}}));
    EXPECT_EQ(w.tagListPage->listFileEdit->text().toStdString(), list);

    const std::string before = ReadAll(Music() / "a.ogg");
    Click(w.tagListPage->runButton);
    EXPECT_EQ(LogLines(w).back(), "Done: 0 files changed, 2 left unchanged, 0 failed.");
    EXPECT_TRUE(ReadAll(Music() / "a.ogg") == before);
}

// A format holding a placeholder its page does not know (a settings file edited by hand) stops the
// run with a message that names it, before anything is read.
TEST_F(NamePagesTest, AFormatWithAnUnknownPlaceholderStopsTheRunWithAMessage) {
    TMainWindow& w = Window();
    AddSong("Band - Song.ogg");
    UseMusicFolder();
    ShowPage(w.renamePage);
    w.renamePage->editor->ShowOrder(TOrderList{{"artist", "Title"}, -1});
    w.renamePage->editor->separatorEdit->setText(" - ");
    Click(w.renamePage->runButton);
    Click(w.renamePage->previewButton);
    const TShownMessage refused{TMessageKind::Error,
                                "unknown field <artist>; did you mean <Artist>? (known: <Artist>, <Title>, "
                                "<Album>, <Track>, <Date>, <Genre>, <Comment>)"};
    EXPECT_EQ(platform_.messages, (std::vector<TShownMessage>{refused, refused}));
    EXPECT_EQ(Files(), Names{"Band - Song.ogg"});
    EXPECT_EQ(w.BatchMode, "");
}

TEST_F(NamePagesTest, RenameKeepsBothFilesWhenTheirTagsGiveOneName) {
    TMainWindow& w = Window();
    AddSong("a.ogg");
    AddSong("b.ogg");
    UseMusicFolder();
    ShowPage(w.renamePage);
    Click(w.renamePage->editor->fieldChecks[1]);  // Title: "Low tone" in both
    Click(w.renamePage->editor->replaceCheck);
    Type(w.renamePage->editor->replaceEdit, "_");
    Click(w.renamePage->runButton);
    EXPECT_EQ(Files(), (Names{"Low_tone.ogg", "b.ogg"})) << "the scan hands the files over sorted";
    const QStringList log = LogLines(w);
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(log[3], QString::fromStdString("     to: " + MusicDir() + "Low_tone.ogg"));
    EXPECT_EQ(log[4], "     not renamed: a file of that name already exists");
    EXPECT_EQ(log[5], "Done: 1 file changed, 0 left unchanged, 1 failed.");
}

// Each page's options reach its operation: a control read into the wrong option shows here.
TEST_F(NamePagesTest, PageOptionsReachTheirOperations) {
    TMainWindow& w = Window();
    const std::string song = "The_Band-Best_Of_All-Someone.ogg";
    AddSong(song);
    UseMusicFolder();
    ShowPage(w.tagFromNamePage);
    Click(w.tagFromNamePage->editor->replaceCheck);
    Type(w.tagFromNamePage->editor->replaceEdit, "_");
    Click(w.tagFromNamePage->editor->caseFixCheck);
    AnswerWord([&] { Click(w.tagFromNamePage->editor->addWordButton); }, "of");
    for (QCheckBox* box : {w.tagFromNamePage->editor->fieldChecks[2], w.tagFromNamePage->editor->fieldChecks[5], w.tagFromNamePage->editor->fieldChecks[0]}) Click(box);  // Album, Genre, Artist
    Type(w.tagFromNamePage->editor->separatorEdit, "-");
    Click(w.tagFromNamePage->editor->overwriteRadios[1]);
    Click(w.tagFromNamePage->runButton);
    EXPECT_EQ(Tags(song).Album, "The Band");
    EXPECT_EQ(Tags(song).Genre, "Best of All");
    EXPECT_EQ(Tags(song).Artist, "Parvex") << "an artist already there is kept";

    Click(w.tagListPage->editor->overwriteRadios[2]);  // the file has tags: passed over, and the log says why
    const std::filesystem::path list = temp_.Write("list.csv", song + ";X\r\n");
    w.tagListPage->listFileEdit->setText(QString::fromStdString(list.string()));
    Click(w.tagListPage->editor->fieldChecks[0]);
    Type(w.tagListPage->editor->separatorEdit, ";");
    Click(w.tagListPage->runButton);
    EXPECT_EQ(LogLines(w), (QStringList{QString::fromStdString("Tag from List: " + MusicDir() + song),
                                        "     skipped: the file has tags",
                                        "Done: 0 files changed, 1 left unchanged, 0 failed."}));
    EXPECT_EQ(Tags(song).Artist, "Parvex");

    Click(w.tagListPage->editor->overwriteRadios[0]);
    Click(w.tagListPage->runButton);
    EXPECT_EQ(Tags(song).Artist, "X");
}

TEST_F(NamePagesTest, TheListButtonStopsWithAMessageWithoutAListFile) {
    TMainWindow& w = Window();
    AddSong("a.ogg");
    UseMusicFolder();
    w.logPage->logView->setPlainText("last run");
    ShowPage(w.tagListPage);
    Click(w.tagListPage->runButton);
    w.tagListPage->listFileEdit->setText(QString::fromStdString((temp_.Path() / "gone.csv").string()));
    Click(w.tagListPage->runButton);
    EXPECT_EQ(platform_.messages,
              (std::vector<TShownMessage>{{TMessageKind::Error, "You need to select an input list csv file."},
                                          {TMessageKind::Error, "I can't find the input list csv file."}}));
    EXPECT_EQ(w.logPage->logView->toPlainText(), "last run");
    EXPECT_EQ(w.pages->currentWidget(), w.tagListPage);
    EXPECT_EQ(w.BatchMode, "");

    platform_.chooserAnswers.push_back(std::nullopt);  // a cancelled chooser keeps the path
    Click(w.tagListPage->listFileButton);
    EXPECT_EQ(w.tagListPage->listFileEdit->text().toStdString(), (temp_.Path() / "gone.csv").string());
    EXPECT_EQ(platform_.openFileRequests.back().second, (temp_.Path() / "gone.csv").string());
}

}  // namespace
}  // namespace parvex::test
