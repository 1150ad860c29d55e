// A folder of Ogg Opus files in the window, as a new user meets it: listed, shown, edited and saved,
// then a mass tag and a rename from tag over them; every file stays sound Opus.

#include "page_fixture.h"
#include "support/page_walker.h"

namespace parvex::test {
namespace {

class OpusWindowTest : public PageTest {
protected:
    TMainWindow& W() { return Window(); }
    void AddOpus(const char* dataName, const std::string& as) { CopyDataFile(dataName, Music(), as); }
    void ExpectSoundOpus(const std::string& name, const char* dataName) {
        const std::string path = Music(name).string();
        const std::string original = ReadAll(std::filesystem::path(PARVEX_TEST_DATA) / dataName);
        EXPECT_TRUE(IsValidOgg(ReadAll(path))) << name;
        EXPECT_TRUE(SameAudio(original, ReadAll(path))) << name;
        EXPECT_TRUE(OpusinfoAccepts(path)) << name;
    }
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
};

TEST_F(OpusWindowTest, ListedShownEditedMassTaggedAndRenamed) {
    AddOpus("stereo-48khz.opus", "talk.opus");
    AddOpus("mono-16khz.opus", "voice.OPUS");
    AddOpus("surround-51.opus", "film.oga");
    WriteVorbisFile(Music("tune.ogg"), {{"TITLE", "Tune"}});
    temp_.Write("music/cover.flac", "not listed");
    ChooseFolder(Music());
    EXPECT_EQ(ListedFiles(), QStringList({"film.oga", "talk.opus", "tune.ogg", "voice.OPUS"}));

    SelectFile("talk.opus");
    EXPECT_EQ(W().browsePage->channelModeText->text(), "Stereo (Opus)");
    EXPECT_EQ(W().browsePage->FieldEdit(TTagField::Title)->text(), "Two voices");
    EXPECT_TRUE(W().browsePage->FieldEdit(TTagField::Title)->isEnabled()) << "an Opus file can be edited";
    W().browsePage->FieldEdit(TTagField::Title)->selectAll();
    W().browsePage->FieldEdit(TTagField::Title)->setFocus();
    QTest::keyClicks(W().browsePage->FieldEdit(TTagField::Title), "Edited");
    QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton);
    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_EQ(ReadTags(Music("talk.opus")).Title, "Edited");
    EXPECT_EQ(ReadTags(Music("talk.opus")).OtherTags,
              (std::vector<std::string>{"ENCODER=opusenc from opus-tools 0.2", "artist=Second", "MOOD=calm",
                                        "R128_TRACK_GAIN=-256", "R128_ALBUM_GAIN=128"}));
    ExpectSoundOpus("talk.opus", "stereo-48khz.opus");

    W().pages->setCurrentWidget(W().massPage);
    Click(W().massPage->RowCheck(TTagField::Artist));
    W().massPage->RowEdit(TTagField::Artist)->setText("Band");
    Click(W().massPage->runButton);
    EXPECT_TRUE(W().logPage->logView->toPlainText().endsWith("Done: 4 files changed, 0 left unchanged, 0 failed."))
        << W().logPage->logView->toPlainText().toStdString();
    for (const char* name : {"talk.opus", "voice.OPUS", "film.oga", "tune.ogg"})
        EXPECT_EQ(ReadTags(Music(name)).Artist, "Band") << name;

    W().pages->setCurrentWidget(W().renamePage);
    Click(W().renamePage->editor->fieldChecks[1]);  // Title
    Click(W().renamePage->runButton);
    EXPECT_EQ(test::FileNames(Music()),
              (std::vector<std::string>{"Edited.opus", "Low voice.OPUS", "Six channels.oga", "Tune.ogg",
                                        "cover.flac"}));
    ExpectSoundOpus("Edited.opus", "stereo-48khz.opus");
    ExpectSoundOpus("Low voice.OPUS", "mono-16khz.opus");
    ExpectSoundOpus("Six channels.oga", "surround-51.opus");
}

}  // namespace
}  // namespace parvex::test
