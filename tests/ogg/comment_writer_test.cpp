#include "ogg/comment_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "ogg/ogg_page.h"
#include "ogg/ogg_vorbis.h"
#include "support/address_space.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using test::TempDir;
using Strings = std::vector<std::string>;

class Save : public ::testing::Test {
protected:
    std::string Make(const std::string& bytes) {
        original_ = bytes;
        return path_ = dir_.Write("a.ogg", bytes).string();
    }
    std::string Make(const test::CommentList& comments, const test::VorbisFileOptions& options = {}) {
        return Make(test::MakeVorbisFile(comments, options));
    }
    // Loads the file, applies `edit`, saves, and checks the result is a valid file with the same audio.
    void SaveWith(const std::function<void(TOggVorbis&)>& edit) {
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(path_));
        edit(file);
        ASSERT_TRUE(file.SaveToFile(path_));
        saved_ = ReadAll(path_);
        EXPECT_TRUE(test::IsValidOgg(saved_));
        EXPECT_TRUE(test::SameAudio(original_, saved_));
        EXPECT_TRUE(test::TempFilesBeside(path_).empty());
    }
    Strings CommentsOnDisk() const { return test::ReadCommentHeader(ReadAll(path_)).Comments; }
    std::size_t VorbisPages(const std::string& bytes) const {
        const auto walk = test::WalkOgg(bytes);
        return std::count_if(walk.Pages.begin(), walk.Pages.end(),
                             [&](const auto& p) { return p.Serial == walk.Pages.front().Serial; });
    }
    void ExpectUntouched() const {
        EXPECT_TRUE(ReadAll(path_) == original_);
        EXPECT_TRUE(test::TempFilesBeside(path_).empty());
    }

    TempDir dir_;
    std::string path_;
    std::string original_;
    std::string saved_;
};

TEST_F(Save, UnchangedSaveGivesBackTheSameBytes) {
    test::VorbisFileOptions options;
    options.Id3TagSize = 400;
    options.TrailingBytes = "TAG" + std::string(125, ' ');
    // Names in any letter case (as encoders write them) and a comment kept with an empty value.
    Make({{"title", "Song"},
          {"Artist", "Band"},
          {"MOOD", "calm"},
          {"COMMENT", ""},
          {"TRACKNUMBER", "7"},
          {"album", "Caf\xC3\xA9"}},
         options);
    SaveWith([](TOggVorbis&) {});
    EXPECT_TRUE(saved_ == original_);
}

// A comment keeps the name it has in the file when its value changes; names match whatever their
// letter case, so an emptied field removes its comment under any spelling.
TEST_F(Save, AChangedValueKeepsItsCommentsName) {
    Make({{"title", "Song"}, {"Artist", "Band"}, {"mood", "calm"}, {"Comment", ""}});
    SaveWith([](TOggVorbis& f) {
        f.Title = "New";
        f.Artist = "";
        f.OtherTags = {"MOOD=happy", "Comment="};
    });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"title=New", "mood=happy", "Comment="}));
}

TEST_F(Save, OnlyTheSecondPageChangesWhenTheCommentsStillFit) {
    Make({{"TITLE", "Song"}, {"ARTIST", "Band"}});
    SaveWith([](TOggVorbis& f) { f.Title = "A much longer title than before"; });
    const auto before = test::WalkOgg(original_).Pages;
    const auto after = test::WalkOgg(saved_).Pages;
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].Sequence, after[i].Sequence);
        EXPECT_EQ(before[i].Granule, after[i].Granule);
        if (i != 1) {
            EXPECT_TRUE(before[i].Bytes == after[i].Bytes) << "page " << i;
        }
    }
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=A much longer title than before", "ARTIST=Band"}));
}

TEST_F(Save, EmptiedFieldsDisappearAndNewOnesAreAppendedInOrder) {
    Make({{"TITLE", "A"}, {"MOOD", "calm"}, {"ARTIST", "B"}});
    SaveWith([](TOggVorbis& f) {
        f.Title = "";
        f.ISRC = "  X1  ";
        f.SetTrack("2");
        f.OtherTags = {"NEW2=second", "NEW1=first", "MOOD=still calm"};
    });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"MOOD=still calm", "ARTIST=B", "TRACKNUMBER=2", "ISRC=X1", "NEW1=first",
                                         "NEW2=second"}));
}

TEST_F(Save, CommentNotKeptAsFieldOrLineIsRemoved) {
    Make({{"TITLE", "T"}, {"ARTIST", "A"}, {"MOOD", "m"}});
    SaveWith([](TOggVorbis& f) { f.OtherTags.clear(); });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=T", "ARTIST=A"}));
}

TEST_F(Save, RepeatedNamesKeepEveryValue) {
    Make({{"TITLE", "A"}, {"TITLE", "B"}, {"COMMENT", "C"}, {"DESCRIPTION", "D"}, {"X", "1"}});
    SaveWith([](TOggVorbis&) {});
    EXPECT_TRUE(saved_ == original_);
    SaveWith([](TOggVorbis& f) { f.Title = "A2"; });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=A2", "TITLE=B", "COMMENT=C", "DESCRIPTION=D", "X=1"}));
}

TEST_F(Save, LinesAreTakenFromTheLastToTheFirst) {
    Make({{"X", "1"}, {"X", "2"}, {"Y", "y"}});
    // Handed over in reverse, the lines keep their order in the file.
    SaveWith([](TOggVorbis& f) { f.OtherTags = {"NEW=b", "NEW=a", "X=3", "Y=y", "X=2", "X=1"}; });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"X=1", "X=2", "Y=y", "X=3", "NEW=a", "NEW=b"}));
    // Saved as loaded, repeated names swap places but no value is lost.
    SaveWith([](TOggVorbis&) {});
    EXPECT_EQ(CommentsOnDisk(), (Strings{"X=3", "X=2", "Y=y", "X=1", "NEW=b", "NEW=a"}));
}

TEST_F(Save, ValuesAreWrittenAsValidUtf8) {
    Make({{"TITLE", "Caf\xE9"}, {"ARTIST", "\xF0\x9F\x8E\xB8 band"}});
    SaveWith([](TOggVorbis&) {});
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=Caf\xC3\xA9", "ARTIST=\xF0\x9F\x8E\xB8 band"}));
}

TEST_F(Save, VendorStringIsKeptAsStored) {
    test::VorbisFileOptions options;
    options.Vendor = " vendor=with equals ";
    Make({{"TITLE", "A"}}, options);
    SaveWith([](TOggVorbis& f) { f.Vendor = "ignored"; f.Title = "B"; });
    EXPECT_EQ(test::ReadCommentHeader(saved_).Vendor, " vendor=with equals ");
}

TEST_F(Save, SegmentTableForPacketsAroundMultiplesOf255) {
    Make({{"TITLE", "A"}});
    FileInfo info;
    ASSERT_TRUE(ReadFileInfo(path_, info));
    const auto setup = std::vector<uint8_t>(info.SecondPage.SegmentTable.begin() + 1,
                                            info.SecondPage.SegmentTable.begin() + info.SecondPage.SegmentCount);
    for (const auto& [size, head] : std::vector<std::pair<std::size_t, std::vector<uint8_t>>>{
             {510, {255, 255, 0}}, {509, {255, 254}}, {1, {1}}}) {
        FileInfo copy = info;
        ASSERT_TRUE(RebuildSegmentTable(copy, size));
        std::vector<uint8_t> expected = head;
        expected.insert(expected.end(), setup.begin(), setup.end());
        EXPECT_EQ(std::vector<uint8_t>(copy.SecondPage.SegmentTable.begin(),
                                       copy.SecondPage.SegmentTable.begin() + copy.SecondPage.SegmentCount),
                  expected);
    }
    FileInfo copy = info;
    EXPECT_FALSE(RebuildSegmentTable(copy, 255 * 255));
    EXPECT_EQ(copy.SecondPage.SegmentCount, info.SecondPage.SegmentCount);
}

// Comment data sized so that the second page needs exactly `segments` lacing values.
std::string TitleForSegments(std::size_t segments, std::size_t setupSegments) {
    const std::size_t packet = (segments - setupSegments - 1) * 255 + 100;
    const std::size_t fixed = 7 + 4 + 19 + 4 + 4 + 6 + 1;  // "TITLE=", framing byte
    return std::string(packet - fixed, 't');
}

TEST_F(Save, PacketThatNeedsExactly255SegmentsStaysOnePage) {
    test::VorbisFileOptions options;
    options.SetupSize = 2000;  // 8 segments
    Make({{"TITLE", "x"}}, options);
    SaveWith([](TOggVorbis& f) { f.Title = TitleForSegments(255, 8); });
    EXPECT_EQ(VorbisPages(saved_), VorbisPages(original_));
    EXPECT_EQ(test::WalkOgg(saved_).Pages[1].Lacing.size(), 255u);
    SaveWith([](TOggVorbis& f) { f.Title = TitleForSegments(256, 8); });
    EXPECT_EQ(VorbisPages(saved_), VorbisPages(original_) + 1);
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=" + TitleForSegments(256, 8)}));
}

TEST_F(Save, CoverArtAddedRemovedAndReplaced) {
    test::VorbisFileOptions options;
    options.AudioPages = 6;
    Make({{"TITLE", "Song"}, {"ARTIST", "Band"}}, options);
    const std::size_t pages = VorbisPages(original_);
    const std::string art(150000, 'P');
    SaveWith([&](TOggVorbis& f) { f.AddOtherTag("METADATA_BLOCK_PICTURE", art); });
    EXPECT_GT(VorbisPages(saved_), pages + 1);
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=Song", "ARTIST=Band", "METADATA_BLOCK_PICTURE=" + art}));

    const std::string bigger(400000, 'Q');
    SaveWith([&](TOggVorbis& f) { f.OtherTags = {"METADATA_BLOCK_PICTURE=" + bigger}; });
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=Song", "ARTIST=Band", "METADATA_BLOCK_PICTURE=" + bigger}));

    SaveWith([](TOggVorbis& f) { f.OtherTags.clear(); });
    EXPECT_EQ(VorbisPages(saved_), pages);
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=Song", "ARTIST=Band"}));
}

TEST_F(Save, HeadersSpreadOverPagesAreReadAndRewrittenWhole) {
    test::VorbisFileOptions options;
    options.HeaderSegmentsPerPage = 5;
    options.TrailingBytes = std::string(7, '\0');
    Make({{"TITLE", "Song"}, {"ALBUM", std::string(3000, 'a')}}, options);
    SaveWith([](TOggVorbis& f) { f.Artist = "New"; });
    EXPECT_LT(VorbisPages(saved_), VorbisPages(original_));
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=Song", "ALBUM=" + std::string(3000, 'a'), "ARTIST=New"}));
}

TEST_F(Save, AThousandComments) {
    test::CommentList comments;
    for (int i = 0; i < 1000; ++i) comments.emplace_back("NAME" + std::to_string(i), "value " + std::to_string(i));
    Make(comments);
    SaveWith([](TOggVorbis&) {});
    EXPECT_EQ(CommentsOnDisk(), test::CommentStrings(comments));
    SaveWith([](TOggVorbis& f) { f.Title = "T"; });
    EXPECT_EQ(CommentsOnDisk().size(), 1001u);
}

// Every value goes back to the next entry of its name at once: 100,000 comments under one name took
// a scan of the entries set before for each (minutes). A million short comments (a 12 MB file) take
// about 64 MB as a table: read and saved whole. The lines are taken from the last, so the values of
// the name come back reversed; the new field follows them.
TEST_F(Save, AMillionShortCommentsOfOneName) {
    test::CommentList comments;
    for (int i = 0; i < 1000000; ++i) comments.emplace_back("X", std::to_string(i));
    Make(comments);
    SaveWith([](TOggVorbis& f) { f.Title = "T"; });
    test::CommentList expected(comments.rbegin(), comments.rend());
    expected.emplace_back("TITLE", "T");
    EXPECT_EQ(CommentsOnDisk(), test::CommentStrings(expected));
}

// Lyrics or cover art of 32 MB: loading the file and saving a changed field holds the header no
// more than a few times over (the read, the table, the new packet, the read back), never once per
// step of the way: under a limit of four times its size, the save goes through.
TEST_F(Save, HugeHeaderIsSavedWithinAFewTimesItsSize) {
    if (test::kSanitized) GTEST_SKIP() << "address space limits do not work under the sanitizers";
    constexpr std::size_t kHeader = std::size_t{32} << 20;
    Make({{"TITLE", "Song"}, {"LYRICS", std::string(kHeader, 'l')}});
    const int status = test::RunWithinAddressSpace(4 * kHeader + (std::size_t{32} << 20), [this] {
        TOggVorbis file;
        if (!file.LoadFromFile(path_)) return 2;
        file.Artist = "Band";
        return file.SaveToFile(path_) ? 0 : 1;
    });
    ASSERT_EQ(status, 0) << "1: not saved, -1: killed by a signal";
    saved_ = ReadAll(path_);
    EXPECT_TRUE(test::IsValidOgg(saved_));
    EXPECT_TRUE(test::SameAudio(original_, saved_));
    EXPECT_EQ(CommentsOnDisk().back(), "ARTIST=Band");
}

// A file that ends in a hole of 256 MB (a few KB on disk) keeps it a hole, whether the comments
// stay on their page or the headers are laid out anew: the copy neither fills it on disk nor reads
// it into memory.
TEST_F(Save, AHoleAfterTheAudioStaysAHole) {
    Make({{"TITLE", "A"}});
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(original_.size()) + (off_t{256} << 20)), 0);
    for (const std::string& title : {std::string("B"), std::string(100000, 't')}) {
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(path_));
        file.Title = title;
        std::string reason;
        ASSERT_TRUE(file.SaveToFile(path_, &reason)) << reason;
        struct stat st {};
        ASSERT_EQ(stat(path_.c_str(), &st), 0);
        EXPECT_LT(st.st_blocks * 512, 4 << 20);
        ASSERT_TRUE(file.LoadFromFile(path_));
        EXPECT_EQ(file.Title, title);
    }
}

TEST_F(Save, ChainedFileKeepsItsLaterLinkUnchanged) {
    test::VorbisFileOptions second;
    second.Serial = 0xABCD;
    const std::string link2 = test::MakeVorbisFile({{"TITLE", "Second link"}}, second);
    Make(test::MakeVorbisFile({{"TITLE", "First link"}}) + link2);
    SaveWith([](TOggVorbis& f) { f.AddOtherTag("PAD", std::string(70000, 'p')); });
    EXPECT_TRUE(saved_.substr(saved_.size() - link2.size()) == link2);
}

TEST_F(Save, OtherStreamBesideTheVorbisOneIsCopiedUnchanged) {
    auto pages = test::VorbisStreamPages(test::CommentPacket("v", {"TITLE=A"}), {});
    test::OggStreamBuilder other(0x77);
    for (int i = 0; i < 3; ++i) {
        other.AddPacket(test::FillerBytes(300, 50 + i), i);
        other.Flush(i == 2);
    }
    const auto otherPages = other.TakePages();
    // The other stream's pages stand between the Vorbis stream's audio pages.
    pages.insert(pages.begin() + 3, otherPages[0]);
    pages.insert(pages.begin() + 5, otherPages[1]);
    pages.push_back(otherPages[2]);
    Make(test::Concat(pages));
    SaveWith([](TOggVorbis& f) { f.Comment = std::string(80000, 'c'); });
    for (const auto& page : test::WalkOgg(saved_).Pages)
        if (page.Serial == 0x77) {
            EXPECT_NE(std::find(otherPages.begin(), otherPages.end(), page.Bytes), otherPages.end());
        }
}

TEST_F(Save, DamagedAudioPageStaysDamagedAfterRenumbering) {
    test::VorbisFileOptions options;
    options.AudioPages = 3;
    std::string bytes = test::MakeVorbisFile({{"TITLE", "A"}}, options);
    bytes[bytes.size() - 10] ^= 0x40;  // one flipped bit in the last page's audio
    Make(bytes);
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Title = std::string(70000, 'x');
    ASSERT_TRUE(file.SaveToFile(path_));
    const auto walk = test::WalkOgg(ReadAll(path_));
    ASSERT_EQ(walk.Problems.size(), 1u);
    EXPECT_NE(walk.Problems[0].find("checksum"), std::string::npos);
    EXPECT_TRUE(test::SameAudio(original_, ReadAll(path_)));
}

TEST_F(Save, PacketOfAMultipleOf255BytesKeepsItsClosingLacingValueOnNewPages) {
    // The comment packet ends with a lacing value of 0; without it the comment and setup packets
    // would run together. 256 segments put that 0 alone at the start of a page.
    for (const std::size_t segments : {300u, 256u, 255u}) {
        Make({{"TITLE", "x"}});
        const std::size_t fixed = 7 + 4 + 19 + 4 + 4 + 6 + 1;  // "TITLE=", framing byte
        const std::string title(segments * 255 - fixed, 't');
        SaveWith([&](TOggVorbis& f) { f.Title = title; });
        EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=" + title})) << segments;
    }
}

TEST_F(Save, SetupSharingItsPageWithAudioIsRewrittenInPlaceUpTo255LacingValues) {
    test::OggStreamBuilder stream(9);
    stream.AddPacket(test::IdentPacket(2, 44100, 128000), 0);
    stream.Flush();
    stream.AddPacket(test::CommentPacket("v", {"TITLE=A"}), 0);
    stream.AddPacket(test::SetupPacket(7), 0);          // one lacing value
    stream.AddPacket(test::FillerBytes(200, 1), 1024);  // audio on the header page: one more
    stream.Flush(true);
    Make(test::Concat(stream.TakePages()));
    // The comment packet may take 253 lacing values; its fixed part is 27 bytes with the framing byte.
    const std::string fits(252 * 255 + 100 - 27, 'f');
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Title = fits;
    std::string reason;
    ASSERT_TRUE(file.SaveToFile(path_, &reason)) << reason;
    EXPECT_EQ(test::WalkOgg(ReadAll(path_)).Pages[1].Lacing.size(), 255u);
    EXPECT_TRUE(test::SameAudio(original_, ReadAll(path_)));
    file.Title = fits + std::string(255, 'f');
    EXPECT_FALSE(file.SaveToFile(path_));
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=" + fits}));
}

TEST_F(Save, LastPageCutShortIsKeptWhenLaterPagesAreRenumbered) {
    test::VorbisFileOptions options;
    options.AudioPages = 4;
    const std::string whole = test::MakeVorbisFile({{"TITLE", "A"}}, options);
    Make(whole.substr(0, whole.size() - 100));
    SaveWith([](TOggVorbis& f) { f.Title = std::string(70000, 'x'); });
    EXPECT_GT(VorbisPages(saved_), VorbisPages(original_));
    EXPECT_EQ(test::WalkOgg(saved_).Trailing, test::WalkOgg(original_).Trailing);
}

// A file whose header pages were damaged after it was written: one page of the headers changed.
struct DamageCase {
    const char* Name;
    std::size_t Page;  // index of the page among the file's pages
    std::function<void(std::string&)> Change;
    bool Resealed;  // the checksum fits the damaged page
    const char* Reason;
};

class DamagedHeaderPage : public Save, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedHeaderPage, IsNotRewrittenAndTheReasonSaysWhy) {
    const DamageCase& c = GetParam();
    test::VorbisFileOptions options;
    // Six lacing values a page: the comment takes pages 2 and 3, the setup pages 3 to 5.
    options.HeaderSegmentsPerPage = 6;
    auto pages =
        test::VorbisStreamPages(test::CommentPacket("v", {"ALBUM=" + std::string(2000, 'a')}), options);
    c.Change(pages[c.Page]);
    if (c.Resealed) SealPage(pages[c.Page]);
    Make(test::Concat(pages));
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    EXPECT_EQ(file.HeaderDamage, c.Reason);
    file.Title = "New";
    std::string reason;
    EXPECT_FALSE(file.SaveToFile(path_, &reason));
    EXPECT_EQ(reason, c.Reason);
    ExpectUntouched();
}

void FlipLastByte(std::string& page) { page.back() ^= 0x10; }
auto OrFlags(uint8_t flags) {
    return [flags](std::string& page) { page[5] = static_cast<char>(page[5] | flags); };
}
auto ClearFlags(uint8_t flags) {
    return [flags](std::string& page) { page[5] = static_cast<char>(page[5] & ~flags); };
}
void BogusGranule(std::string& page) { page[6] = 0x39; }

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedHeaderPage,
    ::testing::Values(
        DamageCase{"IdentificationPageChecksum", 0, FlipLastByte, false,
                   "the checksum of header page 1 is wrong"},
        DamageCase{"CommentPageChecksum", 1, FlipLastByte, false, "the checksum of header page 2 is wrong"},
        DamageCase{"SetupPageChecksum", 4, FlipLastByte, false, "the checksum of header page 5 is wrong"},
        DamageCase{"GarbageFlags", 1, OrFlags(0x80), true, "header page 2 has impossible flags"},
        DamageCase{"FirstPageFlagAgain", 2, OrFlags(kPageFirst), true, "header page 3 has impossible flags"},
        DamageCase{"NoFirstPageFlag", 0, ClearFlags(kPageFirst), true, "header page 1 has impossible flags"},
        DamageCase{"ContinuedFlagMissing", 2, ClearFlags(kPageContinued), true,
                   "header page 3 has impossible flags"},
        DamageCase{"ContinuedFlagWithNothingToContinue", 1, OrFlags(kPageContinued), true,
                   "header page 2 has impossible flags"},
        DamageCase{"EndOfStreamInsideTheHeaders", 3, OrFlags(kPageLast), true,
                   "header page 4 has impossible flags"},
        DamageCase{"GranuleOnACommentPage", 1, BogusGranule, true,
                   "header page 2 has an impossible granule position"},
        DamageCase{"GranuleOnASetupPage", 3, BogusGranule, true,
                   "header page 4 has an impossible granule position"}),
    [](const auto& info) { return std::string(info.param.Name); });

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_F(Save, CommentTooLargeToReadBackIsNotWritten) {
    if (kSanitized) GTEST_SKIP() << "a 129 MiB comment is too slow under the sanitizers";
    Make({{"TITLE", "A"}});
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Comment.assign((std::size_t{129} << 20), 'c');
    std::string reason;
    EXPECT_FALSE(file.SaveToFile(path_, &reason));
    EXPECT_EQ(reason, "the comments are too large to be read back");
    ExpectUntouched();
}

TEST_F(Save, CommentsTheReaderWouldRefuseAreNotWritten) {
    Make({{"TITLE", "A"}});
    FileInfo info;
    ASSERT_TRUE(ReadFileInfo(path_, info));
    // 5,000,000 comments "=": 5 bytes each on disk, 64 in memory, 320 MB in all.
    const std::vector<TWrittenComment> comments(5000000);
    TPreparedSave save;
    std::string reason;
    EXPECT_FALSE(PrepareSaveComments(comments, std::make_unique<TFolderReplace>(path_, info.Identity), info, save,
                                     &reason));
    EXPECT_EQ(reason, "the new file would not read back: the headers are too large to hold in memory");
    ExpectUntouched();
}

class Refused : public Save, public ::testing::WithParamInterface<std::function<std::string()>> {};

TEST_P(Refused, SaveReturnsFalseWithAReasonAndTouchesNothing) {
    Make(GetParam()());
    TOggVorbis file;
    file.Title = "New title";
    std::string reason;
    EXPECT_FALSE(file.SaveToFile(path_, &reason));
    EXPECT_FALSE(reason.empty());
    ExpectUntouched();
}

std::string DamagedCommentLength() {
    std::string packet = test::CommentPacket("v", {"TITLE=A", "ARTIST=B"});
    packet[packet.find("ARTIST") - 2] = '\x10';
    return test::MakeVorbisFileFromPacket(packet);
}

std::string NoCommentHeader() {
    std::string packet = test::CommentPacket("v", {"TITLE=A"});
    packet[0] = '\x04';
    return test::MakeVorbisFileFromPacket(packet);
}

std::string NoFramingByte() { return test::MakeVorbisFileFromPacket(test::CommentPacket("v", {"TITLE=A"}, false)); }
std::string FramingBitZero() {
    return test::MakeVorbisFileFromPacket(test::CommentPacket("v", {"TITLE=A"}, false) + '\x00');
}

std::string CutInsideTheHeaders() {
    test::VorbisFileOptions options;
    options.SetupOnOwnPage = true;
    const auto pages = test::VorbisStreamPages(test::CommentPacket("v", {"TITLE=A"}), options);
    return pages[0] + pages[1] + pages[2].substr(0, 100);
}

std::string InterleavedHeaders() {
    auto pages = test::VorbisStreamPages(test::CommentPacket("v", {"TITLE=A"}), {});
    test::OggStreamBuilder other(5);
    other.AddPacket("another stream's header", 0);
    other.Flush();
    pages.insert(pages.begin() + 1, other.TakePages().front());
    return test::Concat(pages);
}

std::string NotVorbis() { return "not an Ogg file, just text"; }

INSTANTIATE_TEST_SUITE_P(Cases, Refused,
                         ::testing::Values(DamagedCommentLength, NoCommentHeader, NoFramingByte,
                                           FramingBitZero, CutInsideTheHeaders, InterleavedHeaders,
                                           NotVorbis));

TEST_F(Save, SetupNotEndingItsPageIsRewrittenOnlyInPlace) {
    test::OggStreamBuilder stream(9);
    stream.AddPacket(test::IdentPacket(2, 44100, 128000), 0);
    stream.Flush();
    stream.AddPacket(test::CommentPacket("v", {"TITLE=A"}), 0);
    stream.AddPacket(test::SetupPacket(500), 0);
    stream.AddPacket(test::FillerBytes(200, 1), 1024);  // audio on the header page
    stream.Flush(true);
    Make(test::Concat(stream.TakePages()));
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Title = "B";
    ASSERT_TRUE(file.SaveToFile(path_));
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=B"}));
    file.Title = std::string(70000, 'b');
    EXPECT_FALSE(file.SaveToFile(path_));
    EXPECT_EQ(CommentsOnDisk(), (Strings{"TITLE=B"}));
}

}  // namespace
}  // namespace parvex
