// The window's building blocks that work without a window: the logo decoder, the sorted genre box,
// the open-file filter and the error handler.

#include <gtest/gtest.h>

#include <QComboBox>
#include <stdexcept>

#include "app/logo.h"
#include "app/picture_image.h"
#include "app/platform/error_handler.h"
#include "app/platform/qt_platform.h"
#include "app/sorted_list.h"
#include "fake_platform.h"
#include "fs/open_error.h"
#include "support/temp_dir.h"
#include "window_fixture.h"

namespace parvex::test {
namespace {

TEST(Logo, DecodesToThePictureOfTheLogPage) {
    const QImage logo = LogoPicture();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(553, 81));
    const QColor corner = logo.pixelColor(2, 2);  // the light background, #f4f7fb at the top
    EXPECT_NEAR(corner.red(), 0xf4, 8);
    EXPECT_NEAR(corner.green(), 0xf7, 8);
    EXPECT_NEAR(corner.blue(), 0xfb, 8);
    const QColor bar = logo.pixelColor(265, 40);  // a blue level bar in the middle
    EXPECT_GT(bar.blue(), bar.red() + 40);
}

TEST(Logo, DataThatIsNoJpegGivesANullImage) {
    const unsigned char garbage[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 3};
    EXPECT_TRUE(DecodeJpeg({}).isNull());
    EXPECT_TRUE(DecodeJpeg(garbage).isNull());
    const unsigned char headerOnly[] = {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10};
    EXPECT_TRUE(DecodeJpeg(headerOnly).isNull());
}

// A cover is decoded no larger than its thumbnail needs, and one that declares more pixels than a
// picture sensibly has is not decoded at all: a few hundred bytes of JPEG may declare gigabytes.
TEST(PictureImage, CoversAreDecodedScaledDownAndHugeOnesRefused) {
    const std::string jpeg = ReadAll(std::string(PARVEX_TEST_DATA) + "/cover-48x40.jpg");
    const auto declaring = [&jpeg](int width, int height) {
        std::string bytes = jpeg;
        const std::size_t frame = bytes.find("\xFF\xC0");  // then length, precision, height, width
        for (const auto& [at, value] : {std::pair{5, height}, {7, width}}) {
            bytes[frame + at] = static_cast<char>(value >> 8);
            bytes[frame + at + 1] = static_cast<char>(value & 0xFF);
        }
        return FrontCoverFromImage(bytes).value();
    };
    std::string refusal;
    EXPECT_EQ(DecodePicture(declaring(960, 800), QSize(60, 60), &refusal).size(), QSize(120, 100));
    EXPECT_EQ(DecodePicture(declaring(960, 800), QSize(250, 60), &refusal).size(), QSize(360, 300));
    EXPECT_EQ(DecodePicture(declaring(48, 40), QSize(60, 60), &refusal).size(), QSize(48, 40));
    EXPECT_EQ(refusal, "");
    EXPECT_TRUE(DecodePicture(declaring(20000, 20000), QSize(60, 60), &refusal).isNull());
    EXPECT_EQ(refusal, "20000 x 20000 pixels, too large to show");
}

TEST(SortedComboBox, AddingNamesKeepsTheirOrderAndNeverChangesTheText) {
    QComboBox box;
    box.setEditable(true);
    box.setEditText("typed");
    for (const char* name : {"rock", "Ambient", "blues", "Acid", "R&B"}) AddSorted(box, name);
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    EXPECT_EQ(items, QStringList({"Acid", "Ambient", "blues", "R&B", "rock"}));
    EXPECT_EQ(box.currentText(), "typed");
}

TEST(OpenFileFilter, PairsBecomeQtNameFilters) {
    EXPECT_EQ(QtNameFilters("csv (*.csv)|*.CSV|"), QStringList({"csv (*.CSV)"}));
    EXPECT_EQ(QtNameFilters("ogg (*.ogg)|*.OGG"), QStringList({"ogg (*.OGG)"}));
    EXPECT_EQ(QtNameFilters("Lists|*.csv;*.txt|All files|*"),
              QStringList({"Lists (*.csv *.txt)", "All files (*)"}));
    EXPECT_EQ(QtNameFilters(""), QStringList());
}

TEST(ErrorHandler, ShowsTheMessageOfWhateverAHandlerRaises) {
    TFakePlatform platform;
    RunHandler(platform, [] {});
    EXPECT_TRUE(platform.messages.empty());
    RunHandler(platform, [] { throw EFOpenError("/music/a.ogg"); });
    RunHandler(platform, [] { throw 42; });
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], (TShownMessage{TMessageKind::Error, "Cannot open file /music/a.ogg"}));
    EXPECT_EQ(platform.messages[1].kind, TMessageKind::Error);
    EXPECT_FALSE(platform.messages[1].text.empty());
}

TEST(WaitCursor, IsTakenBackAlsoWhenTheWorkRaises) {
    TFakePlatform platform;
    RunHandler(platform, [&platform] {
        TWaitCursor wait(platform);
        EXPECT_EQ(platform.waitCursorDepth, 1);
        throw std::runtime_error("write failed");
    });
    EXPECT_EQ(platform.waitCursorDepth, 0);
    EXPECT_EQ(platform.waitCursorShown, 1);
}

}  // namespace
}  // namespace parvex::test
