// Cover art in the window: the Browse page's thumbnail, its menu (set, remove, save as) and the
// other-tags list that shows a picture by its description; the Mass page's picture row. What
// reaches the files is read back with mutagen, an independent reader.

#include "ogg/picture.h"

#include <QAction>
#include <QToolButton>

#include "page_fixture.h"
#include "support/mutagen.h"
#include "support/temp_dir.h"

namespace parvex::test {
namespace {

std::string DataPath(const char* name) { return std::string(PARVEX_TEST_DATA) + "/" + name; }

class PictureTest : public PageTest {
protected:
    TMainWindow& W() { return Window(); }

    // Chooses `image` with "Set picture...".
    void SetPicture(const std::string& image) {
        platform_.chooserAnswers.push_back(image);
        W().browsePage->setPictureAction->trigger();
    }
    void Save() { QTest::mouseClick(W().browsePage->saveButton, Qt::LeftButton); }
    QString PictureLine() {
        for (const QString& item : Items(*W().browsePage->otherTagsList))
            if (item.startsWith("METADATA_BLOCK_PICTURE")) return item;
        return {};
    }
};

TEST_F(PictureTest, ACoverIsSetShownSavedOutAndRemoved) {
    const auto file = CopyDataFile("stereo-44khz.ogg", Music(), "song.ogg");
    ChooseFolder(Music());
    SelectFile("song.ogg");
    EXPECT_FALSE(W().browsePage->removePictureAction->isEnabled());
    EXPECT_FALSE(W().browsePage->savePictureAction->isEnabled());
    EXPECT_EQ(W().browsePage->pictureButton->toolButtonStyle(), Qt::ToolButtonTextOnly) << "no thumbnail without a picture";

    SetPicture(DataPath("cover-48x40.jpg"));
    const QString description = "Front cover, image/jpeg, 837 bytes, 48 x 40";
    EXPECT_EQ(PictureLine(), "METADATA_BLOCK_PICTURE: " + description) << "never the base64 value";
    EXPECT_EQ(W().browsePage->pictureText->text(), description);
    EXPECT_EQ(W().browsePage->pictureButton->toolButtonStyle(), Qt::ToolButtonIconOnly) << "the JPEG decoded to a thumbnail";
    EXPECT_FALSE(W().browsePage->pictureButton->icon().isNull());
    EXPECT_TRUE(W().browsePage->saveButton->isEnabled()) << "a new picture is an edit";
    EXPECT_EQ(platform_.openFileRequests.back().first, "Pictures (*.jpg;*.jpeg;*.png)|*.jpg;*.jpeg;*.png|");

    Save();
    ASSERT_TRUE(platform_.messages.empty());
    EXPECT_EQ(PictureLine(), "METADATA_BLOCK_PICTURE: " + description) << "the file, reloaded, holds it";
    EXPECT_EQ(ReadTags(file).Title, "Two tones");
    if (const auto pictures = MutagenPictures(file.string(), DataPath("cover-48x40.jpg"))) {
        EXPECT_EQ(*pictures, std::vector<std::string>{"3 image/jpeg 48x40 24 837 same"});
    }

    const auto copy = temp_.Path() / "out" / "front.jpg";
    std::filesystem::create_directories(copy.parent_path());
    platform_.chooserAnswers.push_back(copy.string());
    W().browsePage->savePictureAction->trigger();
    EXPECT_EQ(ReadAll(copy), ReadAll(DataPath("cover-48x40.jpg")));
    EXPECT_EQ(platform_.saveFileRequests.back(),
              (std::pair<std::string, std::string>{"JPEG picture (*.jpg;*.jpeg)|*.jpg;*.jpeg|",
                                                   Music("cover.jpg").string()}));

    W().browsePage->removePictureAction->trigger();
    EXPECT_EQ(PictureLine(), "");
    EXPECT_EQ(W().browsePage->pictureText->text(), "");
    Save();
    if (const auto pictures = MutagenPictures(file.string())) {
        EXPECT_TRUE(pictures->empty());
    }
    EXPECT_EQ(ReadTags(file).OtherTags, (std::vector<std::string>{"ARTIST=Second", "MOOD=calm"}));
}

TEST_F(PictureTest, ANewCoverTakesTheOldOnesPlaceAndAPngIsShownToo) {
    const auto file = CopyDataFile("mono-8khz.ogg", Music(), "a.ogg");
    if (!MutagenAddPicture(file.string(), DataPath("cover-48x40.jpg"), "image/jpeg", 3, 48, 40) ||
        !MutagenAddPicture(file.string(), DataPath("cover-16x16-indexed.png"), "image/png", 4, 16, 16))
        GTEST_SKIP() << "python3-mutagen is not installed";
    ChooseFolder(Music());
    SelectFile("a.ogg");
    EXPECT_EQ(W().browsePage->pictureText->text(), "Front cover, image/jpeg, 837 bytes, 48 x 40");
    SetPicture(DataPath("cover-32x24.png"));
    EXPECT_EQ(W().browsePage->pictureText->text(), "Front cover, image/png, 1475 bytes, 32 x 24");
    EXPECT_EQ(W().browsePage->pictureButton->toolButtonStyle(), Qt::ToolButtonIconOnly) << "the PNG decoded to a thumbnail";
    Save();
    EXPECT_EQ(*MutagenPictures(file.string(), DataPath("cover-32x24.png")),
              (std::vector<std::string>{"3 image/png 32x24 24 1475 same", "4 image/png 16x16 24 97"}));
    // With the front cover gone, the back cover shows.
    W().browsePage->removePictureAction->trigger();
    EXPECT_EQ(W().browsePage->pictureText->text(), "Back cover, image/png, 97 bytes, 16 x 16");
}

// A cover that declares 20000 x 20000 pixels in a few hundred bytes is not decoded: the line under
// the thumbnail says why.
TEST_F(PictureTest, ACoverTooLargeToShowSaysSo) {
    CopyDataFile("stereo-44khz.ogg", Music(), "song.ogg");
    ChooseFolder(Music());
    SelectFile("song.ogg");
    std::string bytes = ReadAll(DataPath("cover-48x40.jpg"));
    bytes.replace(bytes.find("\xFF\xC0") + 5, 4, "\x4E\x20\x4E\x20");  // height and width 20000
    const TempDir images;
    SetPicture(images.Write("huge.jpg", bytes).string());
    const TBrowsePage& page = *W().browsePage;
    EXPECT_TRUE(page.pictureText->text().startsWith("Not shown: 20000 x 20000 pixels"))
        << page.pictureText->text().toStdString();
    EXPECT_TRUE(page.pictureButton->icon().isNull());
    EXPECT_TRUE(page.pictureButton->toolTip().endsWith("20000 x 20000 pixels, too large to show"));
}

TEST_F(PictureTest, APictureThatIsNoImageIsRefusedAndChangesNothing) {
    CopyDataFile("stereo-44khz.ogg", Music(), "song.ogg");
    ChooseFolder(Music());
    SelectFile("song.ogg");
    SetPicture(DataPath("stereo-44khz.ogg"));
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text, "This picture cannot be used: " + DataPath("stereo-44khz.ogg") +
                                              " is not a JPEG or PNG picture.");
    EXPECT_EQ(PictureLine(), "");
    EXPECT_FALSE(W().browsePage->saveButton->isEnabled());

    const auto file = CopyDataFile("cover-art.ogg", Music(), "undecodable.ogg");  // its image is noise
    QTest::keyClick(&W(), Qt::Key_F5);
    SelectFile("undecodable.ogg");
    EXPECT_EQ(W().browsePage->pictureText->text(), "Front cover, image/jpeg, 90000 bytes, 300 x 300");
    EXPECT_EQ(W().browsePage->pictureButton->toolButtonStyle(), Qt::ToolButtonTextOnly) << "no thumbnail, but the menu";
    platform_.chooserAnswers.push_back((temp_.Path() / "no" / "such" / "folder.jpg").string());
    W().browsePage->savePictureAction->trigger();
    ASSERT_EQ(platform_.messages.size(), 2u);
    EXPECT_EQ(platform_.messages[1].text.rfind("The picture could not be written to ", 0), 0u);
}

TEST_F(PictureTest, AMalformedPictureIsShownAsSuchAndKeptByEverySave) {
    const std::string malformed = "AAAAAwAAAAppbWFnZS9qcGVn";
    const auto file = WriteVorbisFile(
        Music("m.ogg"), {{"TITLE", "Old"}, {"METADATA_BLOCK_PICTURE", malformed}, {"MOOD", "x"}});
    ChooseFolder(Music());
    SelectFile("m.ogg");
    EXPECT_EQ(PictureLine(),
              "METADATA_BLOCK_PICTURE: malformed picture block (its description runs past its end)");
    EXPECT_EQ(W().browsePage->pictureText->text(), "") << "no picture to show";
    W().browsePage->FieldEdit(TTagField::Title)->setText("New");
    SetPicture(DataPath("cover-48x40.jpg"));
    Save();
    const TOggVorbis tags = ReadTags(file);
    EXPECT_EQ(tags.Title, "New");
    ASSERT_EQ(tags.OtherTags.size(), 3u);
    EXPECT_EQ(tags.OtherTags[0], "METADATA_BLOCK_PICTURE=" + malformed);
    EXPECT_TRUE(IsPictureLine(tags.OtherTags[2]));
}

TEST_F(PictureTest, TheCopyToTheMassPageLeavesPicturesToItsPictureRow) {
    CopyDataFile("stereo-44khz.ogg", Music(), "song.ogg");
    ChooseFolder(Music());
    SelectFile("song.ogg");
    SetPicture(DataPath("cover-48x40.jpg"));
    QTest::mouseClick(W().browsePage->copyOtherTagsButton, Qt::LeftButton);
    EXPECT_EQ(Items(*W().massPage->otherTagsList), QStringList({"ARTIST=Second", "MOOD=calm"}));
}

TEST_F(PictureTest, MassTagSetsAndRemovesEveryFilesPicture) {
    const auto a = CopyDataFile("stereo-44khz.ogg", Music(), "a.ogg");
    const auto b = CopyDataFile("mono-8khz.ogg", Music("sub"), "b.ogg");
    ChooseFolder(Music());
    W().SetActivePage(W().massPage);
    EXPECT_FALSE(W().massPage->runButton->isEnabled());
    W().massPage->pictureCheck->setChecked(true);
    EXPECT_TRUE(W().massPage->runButton->isEnabled()) << "the picture row alone is a reason to run";

    QTest::mouseClick(W().massPage->runButton, Qt::LeftButton);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text, "Choose the picture to set first.");
    EXPECT_TRUE(W().logPage->logView->toPlainText().isEmpty()) << "no run";

    platform_.chooserAnswers.push_back(DataPath("cover-48x40.jpg"));
    QTest::mouseClick(W().massPage->pictureFileButton, Qt::LeftButton);
    EXPECT_EQ(W().massPage->pictureFileEdit->text().toStdString(), DataPath("cover-48x40.jpg"));
    W().massPage->recurseCheck->setChecked(true);
    QTest::mouseClick(W().massPage->runButton, Qt::LeftButton);
    for (const auto& file : {a, b}) {
        EXPECT_EQ(DescribePictureComment(ReadTags(file).OtherTags.back().substr(23)),
                  "Front cover, image/jpeg, 837 bytes, 48 x 40")
            << file;
        if (const auto pictures = MutagenPictures(file.string(), DataPath("cover-48x40.jpg"))) {
            EXPECT_EQ(*pictures, std::vector<std::string>{"3 image/jpeg 48x40 24 837 same"}) << file;
        }
    }
    EXPECT_EQ(ReadTags(a).Title, "Two tones") << "nothing else changes";

    W().SetActivePage(W().massPage);  // the run showed the Log page
    W().massPage->removePictureRadio->setChecked(true);
    QTest::mouseClick(W().massPage->runButton, Qt::LeftButton);
    EXPECT_FALSE(W().massPage->setPictureRadio->isChecked());
    EXPECT_TRUE(W().massPage->ModeButton(TTagField::Artist, TMassMode::Overwrite)->isChecked()) << "the rows' mode buttons are groups of their own";
    for (const auto& file : {a, b})
        for (const std::string& line : ReadTags(file).OtherTags) EXPECT_FALSE(IsPictureLine(line)) << file;
    EXPECT_EQ(platform_.messages.size(), 1u);
}

}  // namespace
}  // namespace parvex::test
