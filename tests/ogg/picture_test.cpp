// Pictures in comments: the picture block both ways, what is malformed about a block, the image
// headers, and the picture lines among a file's other tags.
#include "ogg/picture.h"

#include <gtest/gtest.h>

#include <functional>

#include "ogg/ogg_vorbis.h"
#include "support/temp_dir.h"
#include "text/base64.h"

namespace parvex {
namespace {

std::string DataFile(const char* name) { return test::ReadAll(std::string(PARVEX_TEST_DATA) + "/" + name); }

TPicture Picture(uint32_t type, std::string mime, std::string data, std::string description = "") {
    TPicture picture;
    picture.Type = type;
    picture.MimeType = std::move(mime);
    picture.Description = std::move(description);
    picture.Data = std::move(data);
    return picture;
}

std::string Line(const TPicture& picture) { return "METADATA_BLOCK_PICTURE=" + PictureCommentValue(picture); }

TEST(PictureBlockTest, HasTheLayoutOtherTaggersRead) {
    TPicture picture = Picture(kFrontCover, "image/png", "PNGDATA", "Caf\xc3\xa9");
    picture.Width = 0x0102;
    picture.Height = 0x0304;
    picture.ColorDepth = 24;
    picture.IndexedColors = 0;
    const std::string expected = std::string("\0\0\0\x03", 4) + std::string("\0\0\0\x09", 4) + "image/png" +
                                 std::string("\0\0\0\x05", 4) + "Caf\xc3\xa9" +
                                 std::string("\0\0\x01\x02", 4) + std::string("\0\0\x03\x04", 4) +
                                 std::string("\0\0\0\x18", 4) + std::string("\0\0\0\0", 4) +
                                 std::string("\0\0\0\x07", 4) + "PNGDATA";
    EXPECT_EQ(BuildPictureBlock(picture), expected);
    EXPECT_EQ(PictureCommentValue(picture), EncodeBase64(expected));
}

TEST(PictureBlockTest, EveryPictureComesBackAsItWas) {
    TPicture sized = Picture(4, "image/jpeg", DataFile("cover-48x40.jpg"));
    sized.Width = 48;
    sized.Height = 40;
    sized.ColorDepth = 24;
    const TPicture pictures[] = {
        sized,
        Picture(kFrontCover, "image/png", DataFile("cover-32x24.png"), "Front of the box \xe2\x80\x94 2024"),
        Picture(0, "", ""),
        Picture(kFrontCover, "-->", "https://example.org/cover.jpg"),
        Picture(77, "image/x-new", std::string(70000, '\xff')),
    };
    for (const TPicture& picture : pictures) {
        EXPECT_EQ(ParsePictureBlock(BuildPictureBlock(picture)), picture) << picture.MimeType;
        EXPECT_EQ(ParsePictureComment(PictureCommentValue(picture)), picture) << picture.MimeType;
    }
}

TEST(PictureBlockTest, AMalformedBlockIsRefusedAndSaysWhy) {
    const std::string block = BuildPictureBlock(Picture(kFrontCover, "image/jpeg", "abc", "d"));
    // type 0..3, MIME length 4..7, MIME 8..17, description length 18..21, description 22, numbers 23..38,
    // data length 39..42, data 43..45
    struct Case {
        std::string block;
        const char* problem;
    };
    const Case cases[] = {
        {block.substr(0, 3), "cut off before its MIME type"},
        {block.substr(0, 6), "its MIME type runs past its end"},
        {block.substr(0, 12), "its MIME type runs past its end"},
        {block.substr(0, 20), "its description runs past its end"},
        {block.substr(0, 30), "cut off before its picture data"},
        {block.substr(0, 45), "its picture data runs past its end"},
        {block + "x", "bytes follow its picture data"},
        {BuildPictureBlock(Picture(kFrontCover, "image/j\npeg", "abc")),
         "its MIME type is not printable ASCII"},
        {std::string(4, '\0') + "\xff\xff\xff\xff" + "image/jpeg", "its MIME type runs past its end"},
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_EQ(ParsePictureBlock(c.block, &problem), std::nullopt) << c.problem;
        EXPECT_EQ(problem, c.problem);
    }
    std::string problem;
    EXPECT_EQ(ParsePictureComment("not*base64", &problem), std::nullopt);
    EXPECT_EQ(problem, "not base64");
    EXPECT_EQ(DescribePictureComment(EncodeBase64(block.substr(0, 30))),
              "malformed picture block (cut off before its picture data)");
}

TEST(PictureDescriptionTest, NamesTypeMimeTypeSizeAndPixelSizeButNeverTheData) {
    TPicture withSize = Picture(kFrontCover, "image/jpeg", std::string(34567, 'x'));
    withSize.Width = 300;
    withSize.Height = 250;
    const std::pair<TPicture, std::string> cases[] = {
        {withSize, "Front cover, image/jpeg, 34567 bytes, 300 x 250"},
        // without a size in the block, the image's own header tells it
        {Picture(4, "image/png", DataFile("cover-32x24.png")), "Back cover, image/png, 1475 bytes, 32 x 24"},
        {Picture(0, "", "abc"), "Other, no MIME type, 3 bytes"},
        {Picture(20, "image/png", ""), "Publisher logo, image/png, 0 bytes"},
        {Picture(21, "image/png", ""), "Picture type 21, image/png, 0 bytes"},
        {Picture(kFrontCover, "-->", "https://example.org/c.jpg"),
         "Front cover, link to https://example.org/c.jpg"},
    };
    for (const auto& [picture, text] : cases) {
        EXPECT_EQ(DescribePicture(picture), text);
        EXPECT_EQ(DescribePictureComment(PictureCommentValue(picture)), text);
    }
}

TEST(ImageInfoTest, ReadsTheKindAndPixelSizeOfJpegAndPng) {
    struct Case {
        const char* file;
        TImageInfo info;
    };
    const Case cases[] = {
        {"cover-48x40.jpg", {"image/jpeg", 48, 40, 24, 0}},
        {"cover-32x24.png", {"image/png", 32, 24, 24, 0}},
        {"cover-16x16-indexed.png", {"image/png", 16, 16, 2, 4}},
    };
    for (const Case& c : cases) {
        const std::optional<TImageInfo> info = ReadImageInfo(DataFile(c.file));
        ASSERT_TRUE(info) << c.file;
        EXPECT_EQ(info->MimeType, c.info.MimeType) << c.file;
        EXPECT_EQ(info->Width, c.info.Width) << c.file;
        EXPECT_EQ(info->Height, c.info.Height) << c.file;
        EXPECT_EQ(info->ColorDepth, c.info.ColorDepth) << c.file;
        EXPECT_EQ(info->IndexedColors, c.info.IndexedColors) << c.file;
    }
    const std::optional<TPicture> cover = FrontCoverFromImage(DataFile("cover-48x40.jpg"));
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->Type, kFrontCover);
    EXPECT_EQ(cover->MimeType, "image/jpeg");
    EXPECT_EQ(cover->Width, 48u);
    EXPECT_EQ(cover->Data, DataFile("cover-48x40.jpg"));
}

TEST(ImageInfoTest, AnythingElseOrAHeaderCutShortIsNoImage) {
    const std::string jpeg = DataFile("cover-48x40.jpg");
    const std::string png = DataFile("cover-32x24.png");
    const std::string frame = std::string("\xff\xd8\xff\xc0\x00\x11\x08\x00\x28\x00\x30\x03", 12);
    for (const std::string& data : {
             std::string(), std::string("GIF89a") + std::string(100, '\0'),
             jpeg.substr(0, 20),                                  // before the frame header
             png.substr(0, 20),                                   // inside IHDR
             std::string("\xff\xd8\xff\xda\x00\x02", 6),          // image data without a frame
             std::string("\xff\xd8\xff\xe0\xff\xff", 6) + "abc",  // a segment running past the end
             frame.substr(0, 9),                                  // a frame header cut short
             std::string("\xff\xd8\xff\xe0\x00\x01", 6) + frame,  // a length shorter than itself
         })
        EXPECT_EQ(ReadImageInfo(data), std::nullopt) << data.size();
    EXPECT_EQ(FrontCoverFromImage("plain text"), std::nullopt);
    EXPECT_TRUE(ReadImageInfo(frame)) << "the shortest whole frame header";
}

// The picture lines among a file's other tags, as the window and the command line change them.
TEST(PictureLinesTest, SettingTheFrontCoverReplacesOnlyFrontCovers) {
    const std::string front = Line(Picture(kFrontCover, "image/png", "old front"));
    const std::string front2 = Line(Picture(kFrontCover, "image/png", "second front"));
    const std::string back = Line(Picture(4, "image/png", "back"));
    const std::string malformed = "METADATA_BLOCK_PICTURE=AAAA";
    const TPicture cover = Picture(kFrontCover, "image/jpeg", "new");
    struct Case {
        std::vector<std::string> before;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {{}, {Line(cover)}},
        {{"MOOD=calm"}, {"MOOD=calm", Line(cover)}},
        {{"A=1", front, "B=2", front2, back}, {"A=1", Line(cover), "B=2", back}},
        {{back, malformed}, {back, malformed, Line(cover)}},
        {{"METADATA_BLOCK_PICTURES=x", "X=METADATA_BLOCK_PICTURE="},
         {"METADATA_BLOCK_PICTURES=x", "X=METADATA_BLOCK_PICTURE=", Line(cover)}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = c.before;
        SetFrontCover(lines, cover);
        EXPECT_EQ(lines, c.after);
    }
}

TEST(PictureLinesTest, RemovingKeepsMalformedBlocksWhichAreCounted) {
    const std::string malformed = "METADATA_BLOCK_PICTURE=not a block";
    std::vector<std::string> lines = {Line(Picture(kFrontCover, "image/png", "a")), "MOOD=calm", malformed,
                                      Line(Picture(4, "image/png", "b")), "METADATA_BLOCK_PICTURE="};
    EXPECT_EQ(MalformedPictures(lines), 2u);
    RemovePictures(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"MOOD=calm", malformed, "METADATA_BLOCK_PICTURE="}));
    EXPECT_EQ(MalformedPictures(lines), 2u);
    EXPECT_EQ(MalformedPictures({"MOOD=calm"}), 0u);
    EXPECT_EQ(KeptMalformedPicturesNote(1), "kept 1 malformed picture comment as it is");
    EXPECT_EQ(KeptMalformedPicturesNote(2), "kept 2 malformed picture comments as they are");
}

TEST(PictureLinesTest, APictureLineIsShownByItsDescription) {
    EXPECT_EQ(OtherTagDisplayLine(Line(Picture(4, "image/png", "abc"))),
              "METADATA_BLOCK_PICTURE: Back cover, image/png, 3 bytes");
    EXPECT_EQ(OtherTagDisplayLine("METADATA_BLOCK_PICTURE=%"),
              "METADATA_BLOCK_PICTURE: malformed picture block (not base64)");
    EXPECT_EQ(OtherTagDisplayLine("MOOD=calm"), "MOOD=calm");
    EXPECT_EQ(OtherTagDisplayLine("no equals sign"), "no equals sign");
}

TEST(PictureLinesTest, TheShownPictureIsTheFrontCoverElseTheFirstWellFormedOne) {
    const TPicture back = Picture(4, "image/png", "back");
    const TPicture front = Picture(kFrontCover, "image/png", "front");
    const std::vector<std::string> lines = {"METADATA_BLOCK_PICTURE=!", Line(back), "A=b", Line(front)};
    EXPECT_EQ(ShownPicture(lines), (std::pair<std::size_t, TPicture>{3, front}));
    EXPECT_EQ(ShownPicture({lines[0], lines[1]}), (std::pair<std::size_t, TPicture>{1, back}));
    EXPECT_EQ(ShownPicture({lines[0], "A=b"}), std::nullopt);
}

TEST(PictureLinesTest, TheCoverOfARealFileIsFoundAmongItsOtherTags) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(std::string(PARVEX_TEST_DATA) + "/cover-art.ogg"));
    const auto shown = ShownPicture(file.OtherTags);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->second.Description, "front");
    EXPECT_EQ(DescribePicture(shown->second), "Front cover, image/jpeg, 90000 bytes, 300 x 300");
}

}  // namespace
}  // namespace parvex
