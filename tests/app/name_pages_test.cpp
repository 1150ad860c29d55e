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

QStringList LogLines(const TForm1& window) {
    QStringList lines = window.memoLog->toPlainText().split('\n');
    if (lines == QStringList{""}) lines.clear();
    return lines;
}

class NamePagesTest : public WindowTest {
protected:
    NamePagesTest() : form2_(&Window(), *Window().BitBtn18, platform_), form3_(&Window()) {
        Window().SetDialogs(form2_, form3_);
        std::filesystem::create_directory(Music());
    }

    std::filesystem::path Music() const { return temp_.Path() / "music"; }
    std::string MusicDir() const { return Music().string() + "/"; }

    // Shows the window on `page`, so that clicks reach the page's controls.
    void ShowPage(QWidget* page) {
        ShowActive();
        Window().PageControl1->setCurrentWidget(page);
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
    Names Files() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(Music()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectIntactAudio(const std::string& name) const {
        const std::string original = ReadAll(std::filesystem::path(PARVEX_TEST_DATA) / "mono-8khz.ogg");
        const std::string bytes = ReadAll(Music() / name);
        EXPECT_TRUE(IsValidOgg(bytes)) << name;
        EXPECT_TRUE(SameAudio(original, bytes)) << name;
    }
    void UseMusicFolder() { Window().Edit4->setText(QString::fromStdString(MusicDir())); }

    // The word the Add a word dialog is given: typed and confirmed, or cancelled.
    void AnswerWord(const std::function<void()>& action, const char* keys, bool confirm = true) {
        WhileOpen(
            form3_,
            [this, keys, confirm] {
                form3_.Edit1->selectAll();
                QTest::keyClicks(form3_.Edit1, keys);
                Click(confirm ? form3_.BitBtn1 : form3_.BitBtn2);
            },
            [&action] {
                action();
                return std::string();
            });
    }

    TForm2 form2_;
    TForm3 form3_;
};

TEST_F(NamePagesTest, FieldBoxesAndSeparatorKeepTheFormatText) {
    TForm1& w = Window();
    ShowPage(w.TabSheet4);
    Click(w.CheckBox30);  // Artist
    Click(w.CheckBox31);  // Title
    Type(w.Edit20, " - ");
    EXPECT_EQ(Entries(w.ListBox5), (QStringList{"Artist", "Title"}));
    EXPECT_EQ(w.Edit21->text(), "<Artist> - <Title>");

    w.Edit20->setText("_");  // as a restore of the settings sets it
    EXPECT_EQ(w.Edit21->text(), "<Artist>_<Title>");

    Click(w.CheckBox30);
    EXPECT_EQ(Entries(w.ListBox5), QStringList{"Title"});
    EXPECT_EQ(w.Edit21->text(), "<Title>");

    w.CheckBox30->setChecked(true);  // a restored box runs its handler too
    EXPECT_EQ(w.Edit21->text(), "<Title>_<Artist>");
}

TEST_F(NamePagesTest, MoveButtonsMoveTheSelectedEntryOnly) {
    TForm1& w = Window();
    ShowPage(w.TabSheet5);
    for (QCheckBox* box : {w.CheckBox21, w.CheckBox20, w.CheckBox23}) Click(box);  // Title, Artist, Track
    Type(w.edtFieldSep, "-");
    ASSERT_EQ(w.Edit18->text(), "<Title>-<Artist>-<Track>");

    Click(w.BitBtn8);  // nothing selected
    Click(w.BitBtn9);
    EXPECT_EQ(w.Edit18->text(), "<Title>-<Artist>-<Track>");

    ClickEntry(w.ListBox6, 1);
    Click(w.BitBtn8);
    EXPECT_EQ(w.Edit18->text(), "<Artist>-<Title>-<Track>");
    EXPECT_EQ(w.ListBox6->currentItem()->text(), "Artist") << "the moved entry stays selected";
    Click(w.BitBtn8);  // already at the top
    EXPECT_EQ(w.Edit18->text(), "<Artist>-<Title>-<Track>");

    ClickEntry(w.ListBox6, 0);
    Click(w.BitBtn9);
    Click(w.BitBtn9);
    Click(w.BitBtn9);  // pushed against the bottom
    EXPECT_EQ(Entries(w.ListBox6), (QStringList{"Title", "Track", "Artist"}));
    EXPECT_EQ(w.Edit18->text(), "<Title>-<Track>-<Artist>");
}

TEST_F(NamePagesTest, TrashButtonAddsAndDeletesTrashEntriesAndNamesItsNextPress) {
    TForm1& w = Window();
    ShowPage(w.TabSheet7);
    EXPECT_EQ(Entries(w.ListBox7), QStringList{"Target file"});
    EXPECT_EQ(w.Edit17->text(), "<Target file>");

    Click(w.BitBtn12);
    Click(w.BitBtn12);
    EXPECT_EQ(Entries(w.ListBox7), (QStringList{"Target file", "TRASH", "TRASH"}));
    EXPECT_EQ(w.Edit17->text(), "<Target file><TRASH><TRASH>");

    ClickEntry(w.ListBox7, 1);
    EXPECT_EQ(w.BitBtn12->text(), "Delet Trash");
    Click(w.BitBtn12);
    EXPECT_EQ(Entries(w.ListBox7), (QStringList{"Target file", "TRASH"}));
    EXPECT_EQ(w.BitBtn12->text(), "Add Trash");

    ClickEntry(w.ListBox7, 0);  // "Target file" is never deleted: a press adds trash
    EXPECT_EQ(w.BitBtn12->text(), "Add Trash");
    Click(w.BitBtn12);
    EXPECT_EQ(Entries(w.ListBox7), (QStringList{"Target file", "TRASH", "TRASH"}));
    Click(w.BitBtn17);
    EXPECT_EQ(w.Edit17->text(), "<TRASH><Target file><TRASH>");

    ShowPage(w.TabSheet4);
    Click(w.BitBtn19);
    EXPECT_EQ(w.Edit21->text(), "<TRASH>") << "each page has its own trash button";
    EXPECT_EQ(w.Edit17->text(), "<TRASH><Target file><TRASH>");
}

TEST_F(NamePagesTest, FormatEditorsComeBackAsTheyWereLeftAfterARestart) {
    TForm1& w = Window();
    ShowPage(w.TabSheet5);
    Click(w.CheckBox20);  // Artist
    Click(w.CheckBox21);  // Title
    ClickEntry(w.ListBox6, 1);
    Click(w.BitBtn8);
    Type(w.edtFieldSep, " - ");
    ShowPage(w.TabSheet7);
    Click(w.CheckBox38);
    Click(w.BitBtn12);
    w.close();

    TForm1 again(platform_);
    again.show();
    EXPECT_EQ(Entries(again.ListBox6), (QStringList{"Title", "Artist"}));
    EXPECT_EQ(again.edtFieldSep->text(), " - ");
    EXPECT_EQ(again.Edit18->text(), "<Title> - <Artist>");
    EXPECT_EQ(Entries(again.ListBox7), (QStringList{"Target file", "Artist", "TRASH"}));
    EXPECT_EQ(again.Edit17->text(), "<Target file><Artist><TRASH>");
    again.CheckBox20->setChecked(false);
    EXPECT_EQ(again.Edit18->text(), "<Title>") << "the restored boxes and list work together";
}

TEST_F(NamePagesTest, WordListsAddEditAndDeleteThroughTheDialog) {
    TForm1& w = Window();
    ShowPage(w.TabSheet4);
    AnswerWord([&] { Click(w.BitBtn13); }, "The");
    AnswerWord([&] { Click(w.BitBtn13); }, "Of");
    AnswerWord([&] { Click(w.BitBtn13); }, "and", false);
    EXPECT_EQ(Entries(w.ListBox3), (QStringList{"of", "the"}))
        << "sorted, in lower case, cancel adds nothing";

    ShowPage(w.TabSheet7);
    AnswerWord([&] { Click(w.BitBtn31); }, "a");
    ClickEntry(w.ListBox8, 0);
    AnswerWord(
        [&] {
            QTest::mouseDClick(w.ListBox8->viewport(), Qt::LeftButton, {},
                               w.ListBox8->visualItemRect(w.ListBox8->item(0)).center());
        },
        "zz");
    EXPECT_EQ(Entries(w.ListBox8), QStringList{"zz"});
    EXPECT_EQ(Entries(w.ListBox3), (QStringList{"of", "the"})) << "ListBox8's double-click edits ListBox8";

    ShowPage(w.TabSheet5);
    AnswerWord([&] { Click(w.BitBtn10); }, "by");
    ClickEntry(w.ListBox4, 0);
    AnswerWord(
        [&] {
            QTest::mouseDClick(w.ListBox4->viewport(), Qt::LeftButton, {},
                               w.ListBox4->visualItemRect(w.ListBox4->item(0)).center());
        },
        "x", false);
    EXPECT_EQ(Entries(w.ListBox4), QStringList{"by"}) << "a cancelled edit keeps the word";
    w.ListBox4->clearSelection();
    Click(w.BitBtn11);
    EXPECT_EQ(Entries(w.ListBox4), QStringList{"by"}) << "delete without a selection does nothing";
    ClickEntry(w.ListBox4, 0);
    Click(w.BitBtn11);
    EXPECT_TRUE(Entries(w.ListBox4).isEmpty());
}

// The folder of "Band - Song.ogg" files, taken through all three operations from the window.
TEST_F(NamePagesTest, TagFromNamesRenameFromTagsAndTagFromASpreadsheetList) {
    TForm1& w = Window();
    AddSong("Band - Song.ogg");
    AddSong("Other Band - Tune.ogg");
    UseMusicFolder();

    ShowPage(w.TabSheet4);
    Click(w.CheckBox30);
    Click(w.CheckBox31);
    Type(w.Edit20, " - ");
    Click(w.btnTagFromFilename);
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheet6);
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

    ShowPage(w.TabSheet5);
    Click(w.CheckBox21);  // Title
    Click(w.CheckBox20);  // Artist
    Type(w.edtFieldSep, " by ");
    Click(w.btnRenameFromTag);
    EXPECT_EQ(Files(), (Names{"Song by Band.ogg", "Tune by Other Band.ogg"}));
    EXPECT_EQ(LogLines(w).size(), 5);
    EXPECT_EQ(LogLines(w)[1], QString::fromStdString("     to: " + MusicDir() + "Song by Band.ogg"));
    EXPECT_EQ(LogLines(w)[4], "Done: 2 files changed, 0 left unchanged, 0 failed.");

    ClickEntry(w.ListBox6, 1);
    Click(w.BitBtn8);
    w.edtFieldSep->setText(" - ");
    Click(w.btnRenameFromTag);
    EXPECT_EQ(Files(), (Names{"Band - Song.ogg", "Other Band - Tune.ogg"})) << "renamed back from their tags";

    // A list as a spreadsheet saves it: CRLF lines, a title row, the target file in the last column.
    const std::filesystem::path list =
        temp_.Write("list.csv",
                    "Artist;Title;File\r\nNew Band;New Song;Band - Song.ogg\r\n"
                    "Wrong;Wrong;Other Band - Tune.ogg\r\nLast;Word;Other Band - Tune.ogg\r\n");
    platform_.chooserAnswers.push_back(list.string());
    ShowPage(w.TabSheet7);
    Click(w.BitBtn30);
    ASSERT_EQ(platform_.openFileRequests.size(), 1u);
    EXPECT_EQ(platform_.openFileRequests[0].first, "csv (*.csv)|*.CSV|");
    EXPECT_EQ(w.Edit23->text().toStdString(), list.string());
    Click(w.CheckBox38);  // Artist
    Click(w.CheckBox41);  // Title
    ClickEntry(w.ListBox7, 0);
    Click(w.BitBtn17);
    Click(w.BitBtn17);
    Type(w.Edit22, ";");
    ASSERT_EQ(w.Edit17->text(), "<Artist>;<Title>;<Target file>");
    Click(w.BitBtn29);
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

TEST_F(NamePagesTest, RenameKeepsBothFilesWhenTheirTagsGiveOneName) {
    TForm1& w = Window();
    AddSong("a.ogg");
    AddSong("b.ogg");
    UseMusicFolder();
    ShowPage(w.TabSheet5);
    Click(w.CheckBox21);  // Title: "Low tone" in both
    Click(w.CheckBox17);
    Type(w.Edit19, "_");
    Click(w.btnRenameFromTag);
    EXPECT_EQ(Files(), (Names{"Low_tone.ogg", "b.ogg"})) << "the scan hands the files over sorted";
    const QStringList log = LogLines(w);
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(log[3], QString::fromStdString("     to: " + MusicDir() + "Low_tone.ogg"));
    EXPECT_EQ(log[4], "     not renamed: a file of that name already exists");
    EXPECT_EQ(log[5], "Done: 1 file changed, 0 left unchanged, 1 failed.");
}

// Each page's options reach its operation: a control read into the wrong option shows here.
TEST_F(NamePagesTest, PageOptionsReachTheirOperations) {
    TForm1& w = Window();
    const std::string song = "The_Band-Best_Of_All-Someone.ogg";
    AddSong(song);
    UseMusicFolder();
    ShowPage(w.TabSheet4);
    Click(w.CheckBox27);
    Type(w.Edit9, "_");
    Click(w.CheckBox29);
    AnswerWord([&] { Click(w.BitBtn13); }, "of");
    for (QCheckBox* box : {w.CheckBox32, w.CheckBox35, w.CheckBox30}) Click(box);  // Album, Genre, Artist
    Type(w.Edit20, "-");
    Click(w.radDontOverwriteTags);
    Click(w.btnTagFromFilename);
    EXPECT_EQ(Tags(song).Album, "The Band");
    EXPECT_EQ(Tags(song).Genre, "Best of All");
    EXPECT_EQ(Tags(song).Artist, "Parvex") << "an artist already there is kept";

    Click(w.RadioButton3);  // the file has tags: passed over, and the log says why
    const std::filesystem::path list = temp_.Write("list.csv", song + ";X\r\n");
    w.Edit23->setText(QString::fromStdString(list.string()));
    Click(w.CheckBox38);
    Type(w.Edit22, ";");
    Click(w.BitBtn29);
    EXPECT_EQ(LogLines(w), (QStringList{QString::fromStdString("Tag from filename: " + MusicDir() + song),
                                        "     skipped: the file has tags",
                                        "Done: 0 files changed, 1 left unchanged, 0 failed."}));
    EXPECT_EQ(Tags(song).Artist, "Parvex");

    Click(w.RadioButton1);
    Click(w.BitBtn29);
    EXPECT_EQ(Tags(song).Artist, "X");
}

TEST_F(NamePagesTest, TheListButtonStopsWithAMessageWithoutAListFile) {
    TForm1& w = Window();
    AddSong("a.ogg");
    UseMusicFolder();
    w.memoLog->setPlainText("last run");
    ShowPage(w.TabSheet7);
    Click(w.BitBtn29);
    w.Edit23->setText(QString::fromStdString((temp_.Path() / "gone.csv").string()));
    Click(w.BitBtn29);
    EXPECT_EQ(platform_.messages,
              (std::vector<TShownMessage>{{TMessageKind::Error, "You need to select an input list csv file."},
                                          {TMessageKind::Error, "I can't find the input list csv file."}}));
    EXPECT_EQ(w.memoLog->toPlainText(), "last run");
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheet7);
    EXPECT_EQ(w.BatchMode, "");

    platform_.chooserAnswers.push_back(std::nullopt);  // a cancelled chooser keeps the path
    Click(w.BitBtn30);
    EXPECT_EQ(w.Edit23->text().toStdString(), (temp_.Path() / "gone.csv").string());
    EXPECT_EQ(platform_.openFileRequests.back().second, (temp_.Path() / "gone.csv").string());
}

}  // namespace
}  // namespace parvex::test
