// The "Mass set tags" and "Clear tags" pages wired to the batch driver: tick, type, press the button,
// then check the files on disk and the log.

#include <algorithm>
#include <climits>

#include "page_fixture.h"
#include "support/long_path.h"

namespace parvex::test {
namespace {

class BatchPagesTest : public PageTest {
protected:
    TMainWindow& W() { return Window(); }

    // A folder "music" with two files and a subfolder with one more.
    void MakeNestedFolder() {
        WriteVorbisFile(Music("a.ogg"), {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"ALBUM", "Record"}});
        WriteVorbisFile(Music("b.ogg"), {{"ARTIST", "Other"}});
        WriteVorbisFile(Music("sub/c.ogg"), {{"ARTIST", "Deep"}});
        ChooseFolder(Music());
    }

    QStringList LogLines() {
        const QString text = W().logPage->logView->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }
    // The lines that name a file, sorted; not the lines that say what happened to it.
    QStringList SortedHeadings() {
        QStringList headings;
        for (const QString& line : LogLines())
            if (!line.startsWith(' ') && !line.startsWith("Done: ") && !line.startsWith("Cannot read folder"))
                headings << line;
        headings.sort();
        return headings;
    }
    QString Summary() { return LogLines().isEmpty() ? QString() : LogLines().last(); }
    QString Line(const char* heading, const std::string& relative) {
        return heading + QString::fromStdString(Music(relative).string());
    }

    // Clicks at the button's left end: a check box takes clicks on its mark and caption only.
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void Type(QLineEdit* editor, const char* text) {
        editor->clear();
        editor->setFocus();
        QTest::keyClicks(editor, text);
    }
};

TEST_F(BatchPagesTest, TagIsEnabledWhileAnyRowIsTicked) {
    EXPECT_FALSE(W().massPage->runButton->isEnabled());
    Click(W().massPage->RowCheck(TTagField::Copyright));
    EXPECT_TRUE(W().massPage->runButton->isEnabled());
    Click(W().massPage->otherTagsCheck);
    Click(W().massPage->RowCheck(TTagField::Copyright));
    EXPECT_TRUE(W().massPage->runButton->isEnabled()) << "Other tags counts as a row";
    Click(W().massPage->otherTagsCheck);
    EXPECT_FALSE(W().massPage->runButton->isEnabled());
    W().massPage->RowCheck(TTagField::Genre)->setChecked(true);  // as a restore of the settings sets it
    EXPECT_TRUE(W().massPage->runButton->isEnabled());
}

TEST_F(BatchPagesTest, MassTagSetsTheArtistOfTheFolderOrOfTheWholeTree) {
    MakeNestedFolder();
    Click(W().massPage->RowCheck(TTagField::Artist));
    Type(W().massPage->RowEdit(TTagField::Artist), "New Artist");
    Click(W().massPage->runButton);

    EXPECT_EQ(W().pages->currentWidget(), W().logPage) << "the run shows the log";
    EXPECT_EQ(W().BatchMode, "mass");
    EXPECT_EQ(SortedHeadings(), QStringList({Line("Mass Tag: ", "a.ogg"), Line("Mass Tag: ", "b.ogg")}));
    EXPECT_EQ(Summary(), "Done: 2 files changed, 0 left unchanged, 0 failed.");
    EXPECT_EQ(ReadTags(Music("a.ogg")).Artist, "New Artist");
    EXPECT_EQ(ReadTags(Music("a.ogg")).Title, "Song") << "rows not ticked stay";
    EXPECT_EQ(ReadTags(Music("b.ogg")).Artist, "New Artist");
    EXPECT_EQ(ReadTags(Music("sub/c.ogg")).Artist, "Deep") << "not recursive";
    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_EQ(platform_.waitCursorShown, 0) << "the window answers during a run";

    Click(W().massPage->recurseCheck);
    Type(W().massPage->RowEdit(TTagField::Artist), "Everyone");
    Click(W().massPage->runButton);
    EXPECT_EQ(SortedHeadings(), QStringList({Line("Mass Tag: ", "a.ogg"), Line("Mass Tag: ", "b.ogg"),
                                             Line("Mass Tag: ", "sub/c.ogg")}))
        << "the log holds the last run only";
    for (const char* file : {"a.ogg", "b.ogg", "sub/c.ogg"})
        EXPECT_EQ(ReadTags(Music(file)).Artist, "Everyone");
}

// The text and the old value are joined as they stand; Overwrite with nothing removes the tag; each
// row reads its own box and buttons (Version and Copyright sit apart from the others).
TEST_F(BatchPagesTest, EachRowAppliesItsOwnModeWithoutAddingBlanks) {
    WriteVorbisFile(Music("a.ogg"), {{"ARTIST", "Band"},
                                     {"TITLE", "Song"},
                                     {"ALBUM", "Record"},
                                     {"VERSION", "1"},
                                     {"COPYRIGHT", "old"},
                                     {"DATE", "2001"}});
    ChooseFolder(Music());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("The ");
    Click(W().massPage->ModeButton(TTagField::Artist, TMassMode::Prepend));
    Click(W().massPage->RowCheck(TTagField::Title));
    W().massPage->RowEdit(TTagField::Title)->setText(" Live");
    Click(W().massPage->ModeButton(TTagField::Title, TMassMode::Append));
    Click(W().massPage->RowCheck(TTagField::Album));  // Overwrite with an empty box
    Click(W().massPage->RowCheck(TTagField::Version));
    W().massPage->RowEdit(TTagField::Version)->setText("b");
    Click(W().massPage->ModeButton(TTagField::Version, TMassMode::Append));
    Click(W().massPage->RowCheck(TTagField::Track));
    W().massPage->RowEdit(TTagField::Track)->setText("3");
    Click(W().massPage->ModeButton(TTagField::Track, TMassMode::Prepend));  // the file has no track: the text alone
    W().massPage->RowEdit(TTagField::Date)->setText("not ticked");
    Click(W().massPage->runButton);

    const TOggVorbis tags = ReadTags(Music("a.ogg"));
    EXPECT_EQ(tags.Artist, "The Band");
    EXPECT_EQ(tags.Title, "Song Live");
    EXPECT_EQ(tags.Album, "");
    EXPECT_EQ(tags.Version, "1b");
    EXPECT_EQ(tags.Track, "3");
    EXPECT_EQ(tags.Copyright, "old");
    EXPECT_EQ(tags.Date, "2001");
    const auto bytes = ReadAll(Music("a.ogg"));
    EXPECT_EQ(bytes.find("ALBUM="), std::string::npos) << "an emptied field is not written";
}

TEST_F(BatchPagesTest, OtherTagLinesReplaceOrFollowTheFilesOwn) {
    WriteVorbisFile(Music("a.ogg"), {{"MOOD", "calm"}});
    ChooseFolder(Music());
    WithTagDialog(W().massPage->addOtherTagButton, [this] { AnswerTagDialog("url", "http://x/?a=b"); });
    WithTagDialog(W().massPage->addOtherTagButton, [this] { AnswerTagDialog("mood", "wild"); });
    EXPECT_EQ(Items(*W().massPage->otherTagsList), QStringList({"URL=http://x/?a=b", "MOOD=wild"}));
    WithTagDialog([this] { DoubleClickItem(*W().massPage->otherTagsList, "MOOD=wild"); },
                  [this] {
                      EXPECT_EQ(addTagDialog_->nameEdit->text(), "MOOD");
                      EXPECT_EQ(addTagDialog_->valueEdit->toPlainText(), "wild");
                      addTagDialog_->valueEdit->setPlainText("happy");
                      Click(addTagDialog_->okButton);
                  });
    EXPECT_EQ(Items(*W().massPage->otherTagsList), QStringList({"URL=http://x/?a=b", "MOOD=happy"}));
    EXPECT_FALSE(W().massPage->otherModeButtons[0]->isEnabled());

    Click(W().massPage->otherTagsCheck);
    Click(W().massPage->otherModeButtons[2]);
    Click(W().massPage->runButton);
    EXPECT_EQ(ReadTags(Music("a.ogg")).OtherTags,
              (std::vector<std::string>{"MOOD=calm", "URL=http://x/?a=b", "MOOD=happy"}));

    ClickItem(*W().massPage->otherTagsList, "MOOD=happy");
    Click(W().massPage->removeOtherTagButton);
    Click(W().massPage->otherModeButtons[1]);
    Click(W().massPage->runButton);
    EXPECT_EQ(ReadTags(Music("a.ogg")).OtherTags, (std::vector<std::string>{"URL=http://x/?a=b"}));
}

TEST_F(BatchPagesTest, ARunWorksOnlyOnTheFilesOfItsOwnScan) {
    MakeNestedFolder();
    Click(W().clearPage->FieldCheck(TTagField::Artist));
    Click(W().clearPage->recurseCheck);
    Click(W().clearPage->runButton);  // recursive: finds sub/c.ogg too
    ASSERT_EQ(SortedHeadings().size(), 3);

    Click(W().clearPage->recurseCheck);
    Click(W().clearPage->runButton);  // not recursive: the subfolder's file, found before, is not reached
    EXPECT_EQ(SortedHeadings(), QStringList({Line("Clear Tags: ", "a.ogg"), Line("Clear Tags: ", "b.ogg")}));

    ChooseFolder(Music("sub"));
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("Deeper");
    Click(W().massPage->runButton);  // nothing of the folder listed before
    EXPECT_EQ(SortedHeadings(), QStringList({Line("Mass Tag: ", "sub/c.ogg")}));
}

TEST_F(BatchPagesTest, AFileThatIsNotOggVorbisIsLoggedAndLeftAlone) {
    WriteVorbisFile(Music("a.ogg"), {});
    const auto fake = temp_.Write("music/fake.ogg", std::string(3000, 'x'));
    ChooseFolder(Music());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("X");
    Click(W().massPage->runButton);
    const QStringList lines = LogLines();
    const auto at = lines.indexOf(Line("Mass Tag: ", "fake.ogg"));
    ASSERT_GE(at, 0) << lines.join('\n').toStdString();
    ASSERT_LT(at + 1, lines.size());
    EXPECT_TRUE(lines[at + 1].contains("not an Ogg Vorbis or Opus file")) << lines[at + 1].toStdString();
    EXPECT_EQ(ReadAll(fake), std::string(3000, 'x'));
    EXPECT_EQ(ReadTags(Music("a.ogg")).Artist, "X");
}

TEST_F(BatchPagesTest, AFileThatCannotBeWrittenGetsALogLine) {
    const auto file = WriteVorbisFile(Music("a.ogg"), {{"ARTIST", "Band"}});
    const std::string before = ReadAll(file);
    ChooseFolder(Music());
    const TReadOnlyFolder readOnly(Music());
    if (!readOnly.Active()) GTEST_SKIP() << "cannot make a read-only mount here";
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("X");
    Click(W().massPage->runButton);
    EXPECT_EQ(LogLines(),
              QStringList({Line("Mass Tag: ", "a.ogg"), "     ARTIST: \"Band\" -> \"X\"",
                           "     could not be written: read-only file system; the file is unchanged",
                           "Done: 0 files changed, 0 left unchanged, 1 failed."}));
    EXPECT_EQ(ReadAll(file), before);
}

// The scan refuses a folder whose name holds "*" or "?"; the refusal reaches the user as an error
// box, and the run stops before touching any file.
TEST_F(BatchPagesTest, AFolderNameWithWildcardsIsRefusedInAnErrorBox) {
    WriteVorbisFile(temp_.Path() / "odd*name" / "a.ogg", {{"ARTIST", "Band"}});
    W().folderEdit->setText(QString::fromStdString((temp_.Path() / "odd*name").string() + "/"));
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].kind, TMessageKind::Error);
    Click(W().massPage->RowCheck(TTagField::Artist));
    Click(W().massPage->runButton);
    EXPECT_EQ(platform_.messages.size(), 2u);
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(ReadTags(temp_.Path() / "odd*name" / "a.ogg").Artist, "Band");
}

// A ";" in the working folder's name would split it into two other folders, a sibling and one
// below the current directory: the run must refuse it rather than tag files the user never chose.
TEST_F(BatchPagesTest, AFolderNameWithASemicolonIsRefusedAndItsSiblingIsLeftAlone) {
    WriteVorbisFile(temp_.Path() / "Rock; Pop" / "a.ogg", {{"ARTIST", "Band"}});
    const auto sibling = WriteVorbisFile(temp_.Path() / "Rock" / "b.ogg", {{"ARTIST", "Other"}});
    W().folderEdit->setText(QString::fromStdString((temp_.Path() / "Rock; Pop").string() + "/"));
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].kind, TMessageKind::Error);
    EXPECT_TRUE(ListedFiles().isEmpty());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("X");
    Click(W().massPage->runButton);
    EXPECT_EQ(platform_.messages.size(), 2u);
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(ReadTags(sibling).Artist, "Other");
    EXPECT_EQ(ReadTags(temp_.Path() / "Rock; Pop" / "a.ogg").Artist, "Band");
}

TEST_F(BatchPagesTest, RemoveAllTagsGraysTheOtherBoxesAndKeepsTheirMarks) {
    EXPECT_FALSE(W().clearPage->runButton->isEnabled());
    Click(W().clearPage->FieldCheck(TTagField::ISRC));
    Click(W().clearPage->otherTagsCheck);
    EXPECT_TRUE(W().clearPage->runButton->isEnabled());
    Click(W().clearPage->removeAllCheck);
    for (QCheckBox* box : {W().clearPage->FieldCheck(TTagField::Artist), W().clearPage->FieldCheck(TTagField::Comment), W().clearPage->otherTagsCheck, W().clearPage->FieldCheck(TTagField::License), W().clearPage->FieldCheck(TTagField::ISRC)})
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
    EXPECT_TRUE(W().clearPage->FieldCheck(TTagField::ISRC)->isChecked());
    EXPECT_TRUE(W().clearPage->otherTagsCheck->isChecked());
    Click(W().clearPage->removeAllCheck);
    EXPECT_TRUE(W().clearPage->FieldCheck(TTagField::ISRC)->isEnabled());
    EXPECT_TRUE(W().clearPage->FieldCheck(TTagField::ISRC)->isChecked());
    Click(W().clearPage->FieldCheck(TTagField::ISRC));
    Click(W().clearPage->otherTagsCheck);
    EXPECT_FALSE(W().clearPage->runButton->isEnabled());
    W().clearPage->removeAllCheck->setChecked(true);  // as a restore of the settings sets it
    EXPECT_TRUE(W().clearPage->runButton->isEnabled());
    EXPECT_FALSE(W().clearPage->FieldCheck(TTagField::Artist)->isEnabled());
}

TEST_F(BatchPagesTest, ClearRemovesTheChosenTagsOnly) {
    CopyDataFile("stereo-44khz.ogg", Music(), "tones.ogg");  // its comment is a DESCRIPTION
    WriteVorbisFile(Music("b.ogg"), {{"TRACKNUMBER", "4"}, {"TITLE", "Keep"}, {"MOOD", "calm"}});
    ChooseFolder(Music());
    Click(W().clearPage->FieldCheck(TTagField::Comment));
    Click(W().clearPage->FieldCheck(TTagField::Track));
    Click(W().clearPage->runButton);

    EXPECT_EQ(SortedHeadings(),
              QStringList({Line("Clear Tags: ", "b.ogg"), Line("Clear Tags: ", "tones.ogg")}));
    EXPECT_TRUE(LogLines().contains("     DESCRIPTION: \"Made by a script\" -> (none)"))
        << "the comment under its own name";
    const TOggVorbis tones = ReadTags(Music("tones.ogg"));
    EXPECT_EQ(tones.Comment, "");
    EXPECT_EQ(tones.Title, "Two tones");
    const TOggVorbis b = ReadTags(Music("b.ogg"));
    EXPECT_EQ(b.Track, "");
    EXPECT_EQ(b.Title, "Keep");
    EXPECT_EQ(b.OtherTags, (std::vector<std::string>{"MOOD=calm"}));
    const auto listing = VorbisCommentList(Music("tones.ogg"));
    if (listing) {
        EXPECT_EQ(listing->find("DESCRIPTION="), std::string::npos) << *listing;
    }
}

TEST_F(BatchPagesTest, RemoveAllTagsKeepsThePerformerAndTheVendor) {
    WriteVorbisFile(Music("a.ogg"), {{"ARTIST", "Band"},
                                     {"PERFORMER", "Singer"},
                                     {"LICENSE", "CC"},
                                     {"ISRC", "X1"},
                                     {"MOOD", "calm"},
                                     {"URL", "a=b"}});
    ChooseFolder(Music());
    Click(W().clearPage->removeAllCheck);
    Click(W().clearPage->runButton);
    const TOggVorbis tags = ReadTags(Music("a.ogg"));
    EXPECT_EQ(tags.Performer, "Singer");
    EXPECT_EQ(tags.Vendor, "Parvex test encoder");
    EXPECT_EQ(tags.Artist, "");
    EXPECT_EQ(tags.License, "");
    EXPECT_EQ(tags.ISRC, "");
    EXPECT_TRUE(tags.OtherTags.empty());
    EXPECT_EQ(tags.EntryCount, 2) << "the vendor string and PERFORMER";
}

// An empty folder text would be taken as the current folder; "/" or the home folder itself, walked
// with "Recurse subdirs", reach far more than the user's music. The first never runs, the others
// only once the user confirms.
TEST_F(BatchPagesTest, NoRunWithoutAFolderAndNoWholeTreeRunUnconfirmed) {
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("X");
    Click(W().massPage->runButton);
    EXPECT_EQ(platform_.messages,
              (std::vector<TShownMessage>{
                  {TMessageKind::Error, "Choose a folder with the \"Directory\" button first."}}));
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(W().BatchMode, "");

    W().folderEdit->setText("/");
    Click(W().massPage->recurseCheck);
    Click(W().massPage->runButton);  // answered No
    ASSERT_EQ(platform_.questions.size(), 1u);
    EXPECT_NE(platform_.questions[0].find("the root of the file system"), std::string::npos)
        << platform_.questions[0];
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(W().BatchMode, "");

    const auto song = WriteVorbisFile(Music("sub/a.ogg"), {{"ARTIST", "Band"}});
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", Music().string().c_str());
    ChooseFolder(Music());
    platform_.confirmAnswers = {true};
    Click(W().massPage->runButton);
    ASSERT_EQ(platform_.questions.size(), 2u);
    EXPECT_NE(platform_.questions[1].find("your home folder " + Music().string()), std::string::npos);
    EXPECT_EQ(ReadTags(song).Artist, "X") << "confirmed";
    Click(W().massPage->recurseCheck);
    Click(W().massPage->runButton);
    EXPECT_EQ(platform_.questions.size(), 2u) << "a run on the folder alone asks nothing";
    qputenv("HOME", home);
}

// A file that cannot be opened (here its path is longer than the system opens) is logged with the
// reason and the run goes on with the next file; no error box stops it.
TEST_F(BatchPagesTest, AFileThatCannotBeOpenedIsLoggedAndTheRunGoesOn) {
    const auto b = WriteVorbisFile(Music("b.ogg"), {{"ARTIST", "Band"}});
    const TLongPath deep(Music(), PATH_MAX - 230);
    const std::string longName = std::string(240, 'x') + ".ogg";
    deep.Write(longName, MakeVorbisFile({}));
    ChooseFolder(Music());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("X");
    Click(W().massPage->recurseCheck);
    Click(W().massPage->runButton);
    EXPECT_TRUE(platform_.messages.empty());
    const QStringList lines = LogLines();
    const auto at = lines.indexOf(QString::fromStdString("Mass Tag: " + deep.Deepest() + longName));
    ASSERT_GE(at, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[at + 1], "     cannot be opened: file name too long");
    EXPECT_EQ(ReadTags(b).Artist, "X");
    EXPECT_EQ(Summary(), "Done: 1 file changed, 0 left unchanged, 1 failed.");
}

// A folder the scan cannot read is named in the log with the reason, and counted in the summary.
TEST_F(BatchPagesTest, AFolderThatCannotBeReadIsLogged) {
    const auto b = WriteVorbisFile(Music("b.ogg"), {{"ARTIST", "Band"}});
    const TLongPath deep(Music(), PATH_MAX + 10);
    ChooseFolder(Music());
    Click(W().clearPage->FieldCheck(TTagField::Artist));
    Click(W().clearPage->recurseCheck);
    Click(W().clearPage->runButton);
    EXPECT_TRUE(platform_.messages.empty());
    const QStringList lines = LogLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines[0].startsWith(QString::fromStdString("Cannot read folder " + Music().string() + "/")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(": file name too long")) << lines[0].toStdString();
    EXPECT_EQ(Summary(), "Done: 1 file changed, 0 left unchanged, 0 failed. 1 folder could not be read.");
    EXPECT_EQ(ReadTags(b).Artist, "");
}

// A playlist folder of links to the album's files: a recursive run works on each file once, so a
// prepend is not applied twice.
TEST_F(BatchPagesTest, AFileReachedByTwoPathsIsDoneOnce) {
    const auto song = WriteVorbisFile(Music("album/a.ogg"), {{"ARTIST", "Band"}});
    std::filesystem::create_directories(Music("playlist"));
    std::filesystem::create_symlink(song, Music("playlist/a.ogg"));
    ChooseFolder(Music());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("The ");
    Click(W().massPage->ModeButton(TTagField::Artist, TMassMode::Prepend));
    Click(W().massPage->recurseCheck);
    Click(W().massPage->runButton);
    EXPECT_EQ(ReadTags(song).Artist, "The Band");
    EXPECT_EQ(SortedHeadings(), QStringList({Line("Mass Tag: ", "album/a.ogg")}));
}

// The other-tags row counts only while its box is ticked: a run that sets the artist must not
// replace every file's other tags (cover art included) with the page's list.
TEST_F(BatchPagesTest, AnUntickedOtherTagsRowLeavesEveryFilesOtherTags) {
    const std::string art = CoverArtValue(3000);
    const auto song = WriteVorbisFile(
        Music("a.ogg"), {{"ARTIST", "Band"}, {"METADATA_BLOCK_PICTURE", art}, {"MOOD", "calm"}});
    ChooseFolder(Music());
    W().massPage->otherTagsList->addItem("X=1");
    ASSERT_TRUE(W().massPage->otherModeButtons[1]->isChecked());
    ASSERT_FALSE(W().massPage->otherTagsCheck->isChecked());
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("New");
    Click(W().massPage->runButton);
    const TOggVorbis tags = ReadTags(song);
    EXPECT_EQ(tags.Artist, "New");
    EXPECT_EQ(tags.OtherTags, (std::vector<std::string>{"METADATA_BLOCK_PICTURE=" + art, "MOOD=calm"}));
}

}  // namespace
}  // namespace parvex::test
