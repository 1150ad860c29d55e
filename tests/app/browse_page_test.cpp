// The "Browse / Edit tags" page driven as the user drives it: choose a folder, pick a file, read its
// stream information and tags, edit and save them, and check what reached the file on disk.

#include <fcntl.h>

#include <QApplication>
#include <fstream>
#include <functional>
#include <optional>

#include "batch/tag_record.h"
#include "page_fixture.h"

namespace parvex::test {
namespace {

class BrowsePageTest : public PageTest {
protected:
    TMainWindow& W() { return Window(); }
};

TEST_F(BrowsePageTest, ChoosingAFolderListsItsOggFilesOnlySorted) {
    WriteVorbisFile(Music("b.ogg"), {});
    WriteVorbisFile(Music("A.OGG"), {});
    WriteVorbisFile(Music("c.ogg"), {});
    temp_.Write("music/notes.txt", "not music");
    WriteVorbisFile(Music("sub/deep.ogg"), {});

    ChooseFolder(Music());

    EXPECT_EQ(W().folderEdit->text().toStdString(), Music().string() + "/");
    EXPECT_EQ(ListedFiles(), QStringList({"A.OGG", "b.ogg", "c.ogg"})) << "top level only, sorted";
    EXPECT_EQ(W().BatchMode, "");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
}

// Without a shown file there is nothing to save: typing leaves Save off, and Ctrl+S does nothing.
TEST_F(BrowsePageTest, AnEmptyOrVanishedFolderListsNothingAndSaveStaysOff) {
    std::filesystem::create_directories(Music());
    ChooseFolder(Music());
    EXPECT_TRUE(ListedFiles().isEmpty());
    ChooseFolder(temp_.Path() / "gone");
    EXPECT_TRUE(ListedFiles().isEmpty());

    W().browsePage->FieldEdit(TTagField::Artist)->setText("typed");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
    QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(BrowsePageTest, SelectingAFileShowsEveryFieldTheOtherTagsAndTheStreamInformation) {
    // clang-format off
    const CommentList comments = {
        {"ARTIST", "Band"},        {"TITLE", "Song"},          {"ALBUM", "Record"},
        {"TRACKNUMBER", "7"},      {"DATE", "1999"},           {"GENRE", "Not A Listed Genre"},
        {"COMMENT", "Loud"},       {"LICENSE", "CC-BY"},       {"ORGANIZATION", "Label"},
        {"LOCATION", "Berlin"},    {"CONTACT", "me@example"},  {"VERSION", "Live"},
        {"COPYRIGHT", "(c) Band"}, {"ISRC", "DEA123456789"},   {"PERFORMER", "Singer"},
        {"MOOD", "calm"},          {"URL", "http://x/?a=b&c=d"},
    };
    // clang-format on
    VorbisFileOptions options;
    options.Vendor = "Test vendor 1.0";
    options.SampleRate = 44100;
    options.NominalBitRate = 128000;
    const auto file = WriteVorbisFile(Music("song.ogg"), comments, options);
    ChooseFolder(Music());
    SelectFile("song.ogg");

    // clang-format off
    const std::vector<std::pair<QWidget*, QString>> editors = {
        {W().browsePage->FieldEdit(TTagField::Artist), "Band"},    {W().browsePage->FieldEdit(TTagField::Title), "Song"},        {W().browsePage->FieldEdit(TTagField::Album), "Record"},
        {W().browsePage->FieldEdit(TTagField::Track), "7"},       {W().browsePage->FieldEdit(TTagField::Date), "1999"},        {W().browsePage->genreBox, "Not A Listed Genre"},
        {W().browsePage->FieldEdit(TTagField::Comment), "Loud"},    {W().browsePage->FieldEdit(TTagField::License), "CC-BY"},      {W().browsePage->FieldEdit(TTagField::Organization), "Label"},
        {W().browsePage->FieldEdit(TTagField::Location), "Berlin"}, {W().browsePage->FieldEdit(TTagField::Contact), "me@example"}, {W().browsePage->FieldEdit(TTagField::Version), "Live"},
        {W().browsePage->FieldEdit(TTagField::Copyright), "(c) Band"}, {W().browsePage->FieldEdit(TTagField::ISRC), "DEA123456789"},
    };
    // clang-format on
    for (const auto& [editor, text] : editors) {
        const QString shown =
            editor == W().browsePage->genreBox ? W().browsePage->genreBox->currentText() : static_cast<QLineEdit*>(editor)->text();
        EXPECT_EQ(shown, text) << editor->objectName().toStdString();
    }
    EXPECT_EQ(Items(*W().browsePage->otherTagsList), QStringList({"MOOD=calm", "URL=http://x/?a=b&c=d"}));
    EXPECT_EQ(W().browsePage->vendorText->text(), "Test vendor 1.0");
    EXPECT_EQ(W().browsePage->fileSizeText->text().toStdString(),
              std::to_string(std::filesystem::file_size(file)) + " bytes");
    EXPECT_EQ(W().browsePage->channelModeText->text(), "Stereo (Vorbis)");
    EXPECT_EQ(W().browsePage->sampleRateText->text(), "44.1 Khz");
    EXPECT_EQ(W().browsePage->bitRateText->text(), "128 Kbps");
    // 3 pages of 4 packets of 1024 samples: 12288 samples at 44100 Hz, from the last page's count.
    EXPECT_EQ(W().browsePage->durationText->text(), ".279 sec.");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled()) << "showing a file is no edit";
}

struct TStreamCase {
    const char* dataFile;
    const char* listedAs;  // the folder lists every Ogg extension in any letter case
    const char* mode;
    const char* rate;
    const char* duration;
    const char* bitRate;
    const char* vendor;
};

class StreamInformationTest : public PageTest, public testing::WithParamInterface<TStreamCase> {};

// The play time comes from the sample count, so it is exact also where the nominal bit rate is far
// from the real one (every Vorbis file here) or not set at all (the 96 kHz file). Opus has no
// nominal bit rate: its average is shown.
TEST_P(StreamInformationTest, LabelsOfRealEncodedFiles) {
    const TStreamCase& c = GetParam();
    CopyDataFile(c.dataFile, Music(), c.listedAs);
    ChooseFolder(Music());
    SelectFile(c.listedAs);
    EXPECT_EQ(Window().browsePage->channelModeText->text(), c.mode);
    EXPECT_EQ(Window().browsePage->sampleRateText->text(), c.rate) << "the hundreds digit is cut, never rounded";
    EXPECT_EQ(Window().browsePage->durationText->text(), c.duration);
    EXPECT_EQ(Window().browsePage->bitRateText->text(), c.bitRate);
    EXPECT_TRUE(Window().browsePage->vendorText->text().startsWith(c.vendor));
}

INSTANTIATE_TEST_SUITE_P(Files, StreamInformationTest,
                         testing::Values(TStreamCase{"mono-8khz.ogg", "file.ogg", "Mono (Vorbis)", "8.0 Khz",
                                                     "1.500 sec.", "14 Kbps", "Xiph.Org libVorbis"},
                                         TStreamCase{"stereo-44khz.ogg", "file.OGG", "Stereo (Vorbis)",
                                                     "44.1 Khz", "1.000 sec.", "64 Kbps",
                                                     "Xiph.Org libVorbis"},
                                         TStreamCase{"stereo-96khz.ogg", "file.oga", "Stereo (Vorbis)",
                                                     "96.0 Khz", ".500 sec.", "0 Kbps", "Xiph.Org libVorbis"},
                                         TStreamCase{"unicode.ogg", "file.ogg", "Mono (Vorbis)", "22.0 Khz",
                                                     ".500 sec.", "24 Kbps", "Xiph.Org libVorbis"},
                                         TStreamCase{"mono-16khz.opus", "file.opus", "Mono (Opus)",
                                                     "16.0 Khz", "1.000 sec.", "48 Kbps", "libopus"},
                                         TStreamCase{"stereo-48khz.opus", "file.Opus", "Stereo (Opus)",
                                                     "48.0 Khz", "1.000 sec.", "142 Kbps", "libopus"},
                                         TStreamCase{"surround-51.opus", "file.oga", "6 channels (Opus)",
                                                     "44.1 Khz", ".500 sec.", "509 Kbps", "libopus"}));

TEST_F(BrowsePageTest, AFileThatIsNotOggVorbisShowsNothing) {
    WriteVorbisFile(Music("good.ogg"), {{"TITLE", "Good"}});
    temp_.Write("music/fake.ogg", std::string(5000, 'x'));
    ChooseFolder(Music());
    SelectFile("good.ogg");
    SelectFile("fake.ogg");
    for (QLabel* label : {W().browsePage->fileSizeText, W().browsePage->channelModeText, W().browsePage->sampleRateText, W().browsePage->durationText,
                          W().browsePage->bitRateText, W().browsePage->vendorText})
        EXPECT_EQ(label->text(), "") << label->objectName().toStdString();
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "");
    EXPECT_EQ(W().browsePage->otherTagsList->count(), 0);
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(BrowsePageTest, ALongVendorStringIsShortenedAndShownWholeInItsHint) {
    VorbisFileOptions options;
    options.Vendor = "A vendor string far too long to fit beside its caption on the page, 2024-01-01";
    WriteVorbisFile(Music("a.ogg"), {}, options);
    ChooseFolder(Music());
    SelectFile("a.ogg");
    EXPECT_LE(W().browsePage->vendorText->fontMetrics().horizontalAdvance(W().browsePage->vendorText->text()), W().browsePage->vendorText->width());
    EXPECT_TRUE(W().browsePage->vendorText->text().startsWith("A vendor string"));
    EXPECT_EQ(W().browsePage->vendorText->toolTip().toStdString(), options.Vendor);
}

TEST_F(BrowsePageTest, EditingEnablesSaveAndSelectingAnotherFileAsksAboutTheEdit) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "Two"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->setFocus();
    QTest::keyClicks(W().browsePage->FieldEdit(TTagField::Title), "x");
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled());
    platform_.saveAnswers = {TSaveChoice::Discard};
    SelectFile("b.ogg");
    EXPECT_EQ(platform_.questions, std::vector<std::string>{"Save changes to a.ogg?"});
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Two");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
    SelectFile("a.ogg");
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "One") << "the dropped edit was never written";
    EXPECT_EQ(platform_.questions.size(), 1u) << "showing a file is no edit to ask about";

    W().browsePage->genreBox->setFocus();
    QTest::keyClicks(W().browsePage->genreBox, "Jazz");
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled()) << "the genre box is an editor too";
}

TEST_F(BrowsePageTest, SaveWritesTheEditedFieldsAndKeepsEverythingElse) {
    const auto file = CopyDataFile("stereo-44khz.ogg", Music(), "tones.ogg");
    const std::string audioBefore = ReadAll(file).substr(ReadAll(file).size() - 2000);
    ChooseFolder(Music());
    SelectFile("tones.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->selectAll();
    W().browsePage->FieldEdit(TTagField::Title)->setFocus();
    QTest::keyClicks(W().browsePage->FieldEdit(TTagField::Title), "New title");
    W().browsePage->FieldEdit(TTagField::ISRC)->setText("GBXYZ0000001");
    W().browsePage->FieldEdit(TTagField::Comment)->clear();  // the comment, read from DESCRIPTION
    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);

    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
    EXPECT_EQ(platform_.waitCursorShown, 1);
    EXPECT_EQ(platform_.waitCursorDepth, 0);
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "New title") << "the window shows the file as it is now";
    EXPECT_EQ(W().browsePage->fileTable->currentIndex().siblingAtColumn(int(TLibraryColumn::Title)).data().toString(), "New title")
        << "and so does the table";

    const TOggVorbis tags = ReadTags(file);
    EXPECT_EQ(tags.Title, "New title");
    EXPECT_EQ(tags.ISRC, "GBXYZ0000001");
    EXPECT_EQ(tags.Artist, "First");
    EXPECT_EQ(tags.Album, "Test Album");
    EXPECT_EQ(tags.Comment, "");
    EXPECT_EQ(tags.OtherTags, (std::vector<std::string>{"ARTIST=Second", "MOOD=calm"}));
    EXPECT_EQ(ReadAll(file).substr(ReadAll(file).size() - 2000), audioBefore);

    const auto listing = VorbisCommentList(file);
    if (!listing) GTEST_SKIP() << "vorbiscomment is not installed";
    EXPECT_NE(listing->find("TITLE=New title\n"), std::string::npos) << *listing;
    EXPECT_NE(listing->find("ISRC=GBXYZ0000001\n"), std::string::npos) << *listing;
    EXPECT_NE(listing->find("ARTIST=Second\n"), std::string::npos) << *listing;
    EXPECT_EQ(listing->find("DESCRIPTION="), std::string::npos) << *listing;
}

TEST_F(BrowsePageTest, OtherTagsAreAddedEditedAndDeletedWithTheirWholeValues) {
    const auto file =
        WriteVorbisFile(Music("a.ogg"), {{"TITLE", "T"}, {"URL", "http://x/?q=1"}, {"MOOD", "calm"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");

    WithTagDialog(W().browsePage->addOtherTagButton, [this] { AnswerTagDialog("note", "a=b"); });
    EXPECT_EQ(Items(*W().browsePage->otherTagsList), QStringList({"URL=http://x/?q=1", "MOOD=calm", "NOTE=a=b"}));
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled());

    // Editing splits at the first "=": the dialog shows the whole value.
    WithTagDialog([this] { DoubleClickItem(*W().browsePage->otherTagsList, "URL=http://x/?q=1"); },
                  [this] {
                      EXPECT_EQ(addTagDialog_->nameEdit->text(), "URL");
                      EXPECT_EQ(addTagDialog_->valueEdit->toPlainText(), "http://x/?q=1");
                      addTagDialog_->valueEdit->setPlainText("http://y/?q=2&r=3");
                      QTest::mouseClick(addTagDialog_->okButton, Qt::LeftButton);
                  });
    ClickItem(*W().browsePage->otherTagsList, "MOOD=calm");
    QTest::mouseClick(W().browsePage->removeOtherTagButton, Qt::LeftButton);
    EXPECT_EQ(Items(*W().browsePage->otherTagsList), QStringList({"URL=http://y/?q=2&r=3", "NOTE=a=b"}));

    // Cancel changes nothing.
    WithTagDialog(W().browsePage->addOtherTagButton, [this] { QTest::mouseClick(addTagDialog_->cancelButton, Qt::LeftButton); });
    EXPECT_EQ(W().browsePage->otherTagsList->count(), 2);

    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    EXPECT_EQ(ReadTags(file).OtherTags, (std::vector<std::string>{"URL=http://y/?q=2&r=3", "NOTE=a=b"}));
    EXPECT_EQ(Items(*W().browsePage->otherTagsList), QStringList({"URL=http://y/?q=2&r=3", "NOTE=a=b"}));
}

TEST_F(BrowsePageTest, DeleteWithoutASelectionDoesNothing) {
    WriteVorbisFile(Music("a.ogg"), {{"MOOD", "calm"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    QTest::mouseClick(W().browsePage->removeOtherTagButton, Qt::LeftButton);
    EXPECT_EQ(W().browsePage->otherTagsList->count(), 1);
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
}

TEST_F(BrowsePageTest, AFileDeletedAfterItWasShownCannotBeSavedAndTheEditsStay) {
    const auto a = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "Kept"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->setText("Edited");
    std::filesystem::remove(a);
    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].kind, TMessageKind::Error);
    EXPECT_EQ(platform_.messages[0].text, "Cannot open file " + a.string() + ": no such file or directory");
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled());
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Edited");
    EXPECT_FALSE(std::filesystem::exists(a));
}

TEST_F(BrowsePageTest, AFailedWriteIsReportedAndTheEditsStay) {
    const auto file = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "Old"}});
    const std::string before = ReadAll(file);
    ChooseFolder(Music());
    SelectFile("a.ogg");
    const TReadOnlyFolder readOnly(Music());
    if (!readOnly.Active()) GTEST_SKIP() << "cannot make a read-only mount here";

    W().browsePage->FieldEdit(TTagField::Title)->setText("New");
    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].kind, TMessageKind::Error);
    EXPECT_EQ(platform_.messages[0].text, "The tags could not be written to " + file.string() +
                                              ": read-only file system. The file is unchanged.");
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled()) << "the user may try again";
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "New");
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(platform_.waitCursorDepth, 0);
}

// A file saved after an earlier scan set its time limits is still listed by the next one.
TEST_F(BrowsePageTest, AFileSavedInThisSessionIsListedByEveryLaterScan) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    WriteVorbisFile(Music("other/b.ogg"), {});
    ChooseFolder(Music());
    W().pages->setCurrentWidget(W().massPage);
    W().pages->setCurrentWidget(W().browsePage);  // entering the page scans with fresh limits
    QTest::qWait(20);
    SelectFile("a.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->setText("Two");
    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    ASSERT_TRUE(platform_.messages.empty());

    ChooseFolder(Music("other"));
    ChooseFolder(Music());
    EXPECT_EQ(ListedFiles(), QStringList({"a.ogg"}));
}

TEST_F(BrowsePageTest, EnteringThePageListsAgainButKeepsUnsavedEdits) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->setText("Edited");
    W().pages->setCurrentWidget(W().clearPage);
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Edited") << "leaving the page keeps the edits";
    WriteVorbisFile(Music("b.ogg"), {});
    W().pages->setCurrentWidget(W().browsePage);
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Edited") << "and so does coming back";
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled());
    EXPECT_TRUE(platform_.questions.empty());

    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    W().pages->setCurrentWidget(W().clearPage);
    W().pages->setCurrentWidget(W().browsePage);
    EXPECT_EQ(ListedFiles(), QStringList({"a.ogg", "b.ogg"})) << "without edits the folder is listed again";
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
}

TEST_F(BrowsePageTest, EnterMovesToTheNextEditor) {
    W().browsePage->FieldEdit(TTagField::Comment)->setFocus();
    QTest::keyClick(W().browsePage->FieldEdit(TTagField::Comment), Qt::Key_Return);
    EXPECT_TRUE(W().browsePage->FieldEdit(TTagField::License)->hasFocus());
    W().browsePage->FieldEdit(TTagField::Date)->setFocus();
    QTest::keyClick(W().browsePage->FieldEdit(TTagField::Date), Qt::Key_Return);
    EXPECT_TRUE(W().browsePage->genreBox->hasFocus());
}

TEST_F(BrowsePageTest, CopyButtonsFillTheMassPageOnly) {
    W().browsePage->FieldEdit(TTagField::Artist)->setText("Band");
    W().browsePage->genreBox->setCurrentText("My own genre");
    W().browsePage->FieldEdit(TTagField::Copyright)->setText("(c)");
    W().browsePage->FieldEdit(TTagField::Version)->setText("v2");
    W().massPage->RowCheck(TTagField::Artist)->setChecked(false);
    for (QPushButton* button : {W().browsePage->CopyButton(TTagField::Artist), W().browsePage->CopyButton(TTagField::Genre), W().browsePage->CopyButton(TTagField::Copyright), W().browsePage->CopyButton(TTagField::Version)})
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(W().massPage->RowEdit(TTagField::Artist)->text(), "Band");
    EXPECT_EQ(W().massPage->genreBox->currentText(), "My own genre");
    EXPECT_EQ(W().massPage->RowEdit(TTagField::Copyright)->text(), "(c)") << "Copyright goes to Edit28";
    EXPECT_EQ(W().massPage->RowEdit(TTagField::Version)->text(), "v2") << "Version goes to Edit29";
    EXPECT_EQ(W().massPage->RowEdit(TTagField::Title)->text(), "");
    EXPECT_FALSE(W().massPage->RowCheck(TTagField::Artist)->isChecked()) << "no row is ticked by copying";

    W().browsePage->otherTagsList->addItems({"A=1", "B=x=y"});
    W().massPage->otherTagsList->addItem("OLD=gone");
    QTest::mouseClick(W().browsePage->copyOtherTagsButton, Qt::LeftButton);
    EXPECT_EQ(Items(*W().massPage->otherTagsList), QStringList({"A=1", "B=x=y"}));
}

// The roads by which the Browse page's edits of a.ogg could be lost.
enum class TRoad { AnotherFile, AnotherFolder, BatchRun, Closing, Reread };

struct TLossCase {
    TRoad road;
    TSaveChoice answer;
};

class UnsavedEditsTest : public PageTest, public testing::WithParamInterface<TLossCase> {
protected:
    TMainWindow& W() { return Window(); }

    // Takes the road; returns whether it was gone all the way.
    bool TakeRoad(TRoad road) {
        switch (road) {
            case TRoad::AnotherFile:
                SelectFile("b.ogg");
                return W().browsePage->FieldEdit(TTagField::Title)->text() == "Two";
            case TRoad::AnotherFolder:
                ChooseFolder(Music("other"));
                return W().folderEdit->text().toStdString() == Music("other").string() + "/";
            case TRoad::BatchRun:
                W().clearPage->FieldCheck(TTagField::Comment)->setChecked(true);  // clear the comments
                QTest::mouseClick(W().clearPage->runButton, Qt::LeftButton);
                return !W().logPage->logView->toPlainText().isEmpty();
            case TRoad::Closing:
                return W().close();
            case TRoad::Reread:
                QTest::keyClick(&W(), Qt::Key_F5);
                return !W().browsePage->saveButton->isEnabled();
        }
        return false;
    }
};

TEST_P(UnsavedEditsTest, AreAskedAboutBeforeTheyWouldBeLost) {
    const auto [road, answer] = GetParam();
    const auto a = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}, {"COMMENT", "c"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "Two"}});
    WriteVorbisFile(Music("other/c.ogg"), {});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    W().browsePage->FieldEdit(TTagField::Title)->setText("Edited");
    platform_.saveAnswers = {answer};

    const bool wentOn = TakeRoad(road);

    EXPECT_EQ(platform_.questions, std::vector<std::string>{"Save changes to a.ogg?"});
    EXPECT_EQ(ReadTags(a).Title, answer == TSaveChoice::Save ? "Edited" : "One");
    EXPECT_EQ(wentOn, answer != TSaveChoice::Cancel);
    if (answer == TSaveChoice::Cancel) {
        EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Edited");
        EXPECT_TRUE(W().browsePage->saveButton->isEnabled());
        EXPECT_EQ(CurrentFile(), "a.ogg");
        EXPECT_TRUE(platform_.messages.empty());
    }
}

std::vector<TLossCase> EveryRoadAndAnswer() {
    std::vector<TLossCase> cases;
    for (TRoad road :
         {TRoad::AnotherFile, TRoad::AnotherFolder, TRoad::BatchRun, TRoad::Closing, TRoad::Reread})
        for (TSaveChoice answer : {TSaveChoice::Save, TSaveChoice::Discard, TSaveChoice::Cancel})
            cases.push_back({road, answer});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, UnsavedEditsTest, testing::ValuesIn(EveryRoadAndAnswer()));

TEST_F(BrowsePageTest, WithoutEditsNothingIsAsked) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "Two"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    SelectFile("b.ogg");
    QTest::keyClick(&W(), Qt::Key_F5);
    ChooseFolder(Music("other"));
    W().browsePage->FieldEdit(TTagField::Artist)->setText("typed with no file shown");
    EXPECT_TRUE(W().close());
    EXPECT_TRUE(platform_.questions.empty());
}

TEST_F(BrowsePageTest, ASaveThatFailsWhenAskedKeepsTheEditsAndTheFile) {
    const auto a = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "Two"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    const TReadOnlyFolder readOnly(Music());
    if (!readOnly.Active()) GTEST_SKIP() << "cannot make a read-only mount here";
    W().browsePage->FieldEdit(TTagField::Title)->setText("Edited");
    platform_.saveAnswers = {TSaveChoice::Save};
    SelectFile("b.ogg");
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_NE(platform_.messages[0].text.find("a.ogg"), std::string::npos) << platform_.messages[0].text;
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Edited");
    EXPECT_EQ(CurrentFile(), "a.ogg");
    EXPECT_EQ(ReadTags(a).Title, "One");
}

TEST_F(BrowsePageTest, F5ListsTheFolderAgainAndShowsTheSelectedFileAsItIsNow) {
    const auto a = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    WriteVorbisFile(Music("b.ogg"), {});
    WriteVorbisFile(a, {{"TITLE", "Changed elsewhere"}});
    QTest::keyClick(&W(), Qt::Key_F5);
    EXPECT_EQ(ListedFiles(), QStringList({"a.ogg", "b.ogg"}));
    EXPECT_EQ(CurrentFile(), "a.ogg");
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Changed elsewhere");
}

TEST_F(BrowsePageTest, CtrlSSavesTheEditsFromAnyPage) {
    const auto a = WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    ChooseFolder(Music());
    SelectFile("a.ogg");
    QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(platform_.waitCursorShown, 0) << "nothing to save";
    W().browsePage->FieldEdit(TTagField::Title)->setText("Saved by key");
    W().SetActivePage(W().massPage);
    QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadTags(a).Title, "Saved by key");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());
}

// A file Parvex cannot edit shows why in one line; its editors and Save stay disabled.
struct TCannotEditCase {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    std::string line;
    bool showsStream;  // the stream information of the file is shown
    bool needsNobody;  // the case needs the tests to drop root's rights
};

class CannotEditTest : public PageTest, public testing::WithParamInterface<TCannotEditCase> {};

TEST_P(CannotEditTest, TheEditorsAndSaveAreDisabledWithALineSayingWhy) {
    const TCannotEditCase& c = GetParam();
    WriteVorbisFile(Music("good.ogg"), {{"TITLE", "Good"}, {"MOOD", "calm"}});
    WriteVorbisFile(Music("x.ogg"), {});
    ChooseFolder(Music());
    c.make(Music("x.ogg"));  // after the listing, so that a file removed by the case is listed
    TMainWindow& w = Window();
    SelectFile("good.ogg");
    {
        std::optional<TAsNobody> nobody;
        if (c.needsNobody) nobody.emplace();
        SelectFile("x.ogg");
    }
    if (c.needsNobody && w.browsePage->cannotEditLabel->isHidden()) GTEST_SKIP() << "the file stayed readable";
    EXPECT_TRUE(w.browsePage->cannotEditLabel->isVisible());
    EXPECT_EQ(w.browsePage->cannotEditLabel->toolTip().toStdString(), c.line);
    for (QWidget* editor :
         std::initializer_list<QWidget*>{w.browsePage->FieldEdit(TTagField::Artist), w.browsePage->genreBox, w.browsePage->FieldEdit(TTagField::ISRC), w.browsePage->otherTagsList, w.browsePage->addOtherTagButton, w.browsePage->removeOtherTagButton})
        EXPECT_FALSE(editor->isEnabled()) << editor->objectName().toStdString();
    EXPECT_EQ(w.browsePage->fileSizeText->text().isEmpty(), !c.showsStream);
    w.browsePage->FieldEdit(TTagField::Artist)->setText("set by the program");
    EXPECT_FALSE(w.browsePage->saveButton->isEnabled());
    EXPECT_TRUE(platform_.messages.empty()) << "the line says it, no box";

    SelectFile("good.ogg");
    EXPECT_FALSE(w.browsePage->cannotEditLabel->isVisible());
    EXPECT_TRUE(w.browsePage->FieldEdit(TTagField::Artist)->isEnabled());
    EXPECT_TRUE(w.browsePage->otherTagsList->isEnabled());
    EXPECT_EQ(w.browsePage->FieldEdit(TTagField::Title)->text(), "Good");
}

INSTANTIATE_TEST_SUITE_P(
    Files, CannotEditTest,
    testing::Values(
        TCannotEditCase{"NotOggVorbis",
                        [](const std::filesystem::path& p) { std::ofstream(p) << std::string(5000, 'x'); },
                        "Not an Ogg Vorbis or Opus file: Parvex cannot edit it.", false, false},
        TCannotEditCase{"DamagedHeaders",
                        [](const std::filesystem::path& p) {
                            std::ofstream(p, std::ios::binary)
                                << MakeVorbisFileFromPacket(CommentPacket("v", {"TITLE=T"}, false));
                        },
                        "Damaged headers (the comment header has no framing bit): Parvex leaves the file as "
                        "it is.",
                        true, false},
        TCannotEditCase{"Unreadable",
                        [](const std::filesystem::path& p) {
                            // nobody may pass through the folders, but not read the file
                            std::filesystem::permissions(p.parent_path().parent_path(),
                                                         std::filesystem::perms::all);
                            std::filesystem::permissions(p, std::filesystem::perms::none);
                        },
                        "Cannot read this file: permission denied.", false, true},
        TCannotEditCase{"Vanished", [](const std::filesystem::path& p) { std::filesystem::remove(p); },
                        "Cannot read this file: it no longer exists.", false, false}),
    [](const testing::TestParamInfo<TCannotEditCase>& info) { return info.param.name; });

}  // namespace
}  // namespace parvex::test
