// Ogg Opus files: the identification and comment headers read, the comment header written back with
// the page layout Opus requires, and what is neither Vorbis nor Opus left alone.
#include <gtest/gtest.h>

#include <functional>

#include "ogg/comment_writer.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using Strings = std::vector<std::string>;

struct OpusStream {
    const char* Case;
    int Channels;
    int MappingFamily;
    uint16_t PreSkip;
    uint32_t InputSampleRate;
    uint32_t ShownRate;
    int AudioPages;
    int64_t Samples;  // after the pre-skip
};

class OpusStreamInfo : public ::testing::TestWithParam<OpusStream> {};

TEST_P(OpusStreamInfo, ComesFromTheIdentificationHeaderAndTheLastGranule) {
    const OpusStream& s = GetParam();
    test::OpusFileOptions options;
    options.Channels = s.Channels;
    options.MappingFamily = s.MappingFamily;
    options.PreSkip = s.PreSkip;
    options.InputSampleRate = s.InputSampleRate;
    options.AudioPages = s.AudioPages;
    test::TempDir dir;
    const std::string path = dir.Write("a.opus", test::MakeOpusFile({{"TITLE", "Song"}}, options)).string();
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path));
    EXPECT_EQ(file.Codec, OggCodec::Opus);
    EXPECT_EQ(file.Channels, s.Channels);
    EXPECT_EQ(file.SampleRate, s.ShownRate);
    EXPECT_EQ(file.NominalBitRate, 0);
    EXPECT_EQ(file.Samples, s.Samples);
    EXPECT_DOUBLE_EQ(file.Duration(), static_cast<double>(s.Samples) / 48000);
    EXPECT_EQ(file.Title, "Song");
    EXPECT_EQ(file.HeaderDamage, "");
}

// Each audio page of the builder holds 5 packets of 960 samples.
INSTANTIATE_TEST_SUITE_P(
    Layouts, OpusStreamInfo,
    ::testing::Values(OpusStream{"Mono", 1, 0, 312, 16000, 16000, 3, 3 * 4800 - 312},
                      OpusStream{"Stereo", 2, 0, 312, 44100, 44100, 3, 3 * 4800 - 312},
                      OpusStream{"Surround", 6, 1, 312, 48000, 48000, 2, 2 * 4800 - 312},
                      OpusStream{"RateLeftUnset", 2, 0, 0, 0, 48000, 1, 4800},
                      // More pre-skip than samples: nothing is played, not a negative duration.
                      OpusStream{"PreSkipBeyondTheEnd", 2, 0, 6000, 48000, 48000, 1, 0}),
    [](const auto& info) { return std::string(info.param.Case); });

TEST(OpusHeader, ReadsEveryField) {
    std::string packet = test::OpusHeadPacket(6, 3840, 96000, 1);
    packet[16] = '\x00';
    packet[17] = '\x01';  // output gain +1 dB in Q7.8
    OpusHead head;
    ASSERT_TRUE(ParseOpusHead(packet, head));
    EXPECT_EQ(head.Version, 1);
    EXPECT_EQ(head.Channels, 6);
    EXPECT_EQ(head.PreSkip, 3840);
    EXPECT_EQ(head.InputSampleRate, 96000u);
    EXPECT_EQ(head.OutputGain, 256);
    EXPECT_EQ(head.MappingFamily, 1);
}

TEST(OpusHeader, RefusesWhatIsNoOpusStream) {
    const std::string stereo = test::OpusHeadPacket(2, 312, 48000);
    const std::string surround = test::OpusHeadPacket(6, 312, 48000, 1);
    const auto with = [](std::string packet, std::size_t at, char value) {
        packet[at] = value;
        return packet;
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"cut short", stereo.substr(0, 18)},
        {"no channel", with(stereo, 9, 0)},
        {"incompatible version", with(stereo, 8, 0x10)},
        {"three channels in family 0", with(stereo, 9, 3)},
        {"mapping table cut short", surround.substr(0, surround.size() - 1)},
        {"no stream", with(surround, 19, 0)},
        {"more coupled streams than streams", with(surround, 20, 6)},
        {"another magic", with(stereo, 4, 'X')},
    };
    for (const auto& [what, packet] : cases) {
        OpusHead head;
        EXPECT_FALSE(ParseOpusHead(packet, head)) << what;
    }
    OpusHead head;
    EXPECT_TRUE(ParseOpusHead(with(stereo, 8, 0x0F), head)) << "a later minor version";
}

class OpusSave : public ::testing::Test {
protected:
    void Make(const std::string& bytes) {
        original_ = bytes;
        path_ = dir_.Write("a.opus", bytes).string();
    }
    void Make(const test::CommentList& comments, const test::OpusFileOptions& options = {}) {
        Make(test::MakeOpusFile(comments, options));
    }
    void SaveWith(const std::function<void(TOggVorbis&)>& edit) {
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(path_));
        edit(file);
        std::string reason;
        ASSERT_TRUE(file.SaveToFile(path_, &reason)) << reason;
        saved_ = ReadAll(path_);
        EXPECT_TRUE(test::IsValidOgg(saved_));
        EXPECT_TRUE(test::SameAudio(original_, saved_));
        // The identification page is never touched.
        EXPECT_TRUE(test::WalkOgg(saved_).Pages.front().Bytes ==
                    test::WalkOgg(original_).Pages.front().Bytes);
    }
    void ExpectRefused(const std::string& expectedReason) {
        TOggVorbis file;
        file.Title = "New";
        std::string reason;
        EXPECT_FALSE(file.SaveToFile(path_, &reason));
        EXPECT_EQ(reason, expectedReason);
        EXPECT_TRUE(ReadAll(path_) == original_);
    }
    test::CommentHeader OnDisk() const { return test::ReadCommentHeader(ReadAll(path_)); }
    std::size_t StreamPages(const std::string& bytes) const {
        const auto walk = test::WalkOgg(bytes);
        return std::count_if(walk.Pages.begin(), walk.Pages.end(),
                             [&](const auto& p) { return p.Serial == walk.Pages.front().Serial; });
    }

    test::TempDir dir_;
    std::string path_;
    std::string original_;
    std::string saved_;
};

TEST_F(OpusSave, UnchangedSaveGivesBackTheSameBytes) {
    Make({{"TITLE", "Song"}, {"R128_TRACK_GAIN", "-256"}, {"R128_ALBUM_GAIN", "128"}, {"MOOD", "calm"}});
    SaveWith([](TOggVorbis&) {});
    EXPECT_TRUE(saved_ == original_);
}

TEST_F(OpusSave, CommentsWrittenInTheOpusLayoutAndGainTagsKept) {
    Make({{"TITLE", "Song"}, {"R128_TRACK_GAIN", "-256"}, {"R128_ALBUM_GAIN", "128"}});
    SaveWith([](TOggVorbis& f) {
        f.Title = "A much longer title than before";
        f.Artist = "Band";
    });
    const test::CommentHeader header = OnDisk();
    EXPECT_EQ(header.Vendor, "Parvex test encoder");
    EXPECT_EQ(header.Comments, (Strings{"TITLE=A much longer title than before", "R128_TRACK_GAIN=-256",
                                        "R128_ALBUM_GAIN=128", "ARTIST=Band"}));
    EXPECT_EQ(header.Tail, "") << "no framing byte is added";
    EXPECT_EQ(StreamPages(saved_), StreamPages(original_));
}

// Data after the comments: binary data (first byte odd) must survive byte for byte, and padding
// (first byte even) is kept too, whether the header is rewritten in place or laid out anew.
struct TailCase {
    const char* Case;
    std::string Tail;
    std::size_t SegmentsPerPage;
    std::size_t AddedBytes;
};

class OpusCommentTail : public OpusSave, public ::testing::WithParamInterface<TailCase> {};

TEST_P(OpusCommentTail, SurvivesAnEdit) {
    const TailCase& c = GetParam();
    test::OpusFileOptions options;
    options.Tail = c.Tail;
    options.HeaderSegmentsPerPage = c.SegmentsPerPage;
    Make({{"TITLE", "Song"}}, options);
    SaveWith([&](TOggVorbis& f) { f.Comment = std::string(c.AddedBytes, 'c'); });
    EXPECT_TRUE(OnDisk().Tail == c.Tail);
    EXPECT_EQ(OnDisk().Comments, (Strings{"TITLE=Song", "COMMENT=" + std::string(c.AddedBytes, 'c')}));
    TOggVorbis reread;
    ASSERT_TRUE(reread.LoadFromFile(path_));
    EXPECT_EQ(reread.Comment, std::string(c.AddedBytes, 'c'));
}

INSTANTIATE_TEST_SUITE_P(
    Tails, OpusCommentTail,
    ::testing::Values(
        TailCase{"BinaryInPlace", std::string("\x01\xFF\x00\x80 binary", 11) + test::FillerBytes(300, 5), 255,
                 10},
        TailCase{"BinaryRepaged", "\x03" + test::FillerBytes(70000, 6), 255, 10},
        TailCase{"BinaryOverManyPages", "\x01" + test::FillerBytes(5000, 7), 4, 3000},
        TailCase{"Padding", std::string(512, '\0'), 255, 100},
        TailCase{"PaddingRepaged", std::string(1, '\x02') + std::string(600, '\0'), 255, 70000}),
    [](const auto& info) { return std::string(info.param.Case); });

TEST_F(OpusSave, CoverArtSpreadsTheCommentHeaderAndTheAudioIsRenumbered) {
    Make({{"TITLE", "Song"}});
    const std::string art = test::CoverArtValue(150000);
    SaveWith([&](TOggVorbis& f) { f.AddOtherTag("METADATA_BLOCK_PICTURE", art); });
    EXPECT_GT(StreamPages(saved_), StreamPages(original_) + 2);
    EXPECT_EQ(OnDisk().Comments, (Strings{"TITLE=Song", "METADATA_BLOCK_PICTURE=" + art}));

    // And back to one page: the pages after the header are numbered down again.
    original_ = saved_;
    SaveWith([](TOggVorbis& f) { f.OtherTags.clear(); });
    EXPECT_EQ(OnDisk().Comments, Strings{"TITLE=Song"});
    EXPECT_TRUE(saved_ == test::MakeOpusFile({{"TITLE", "Song"}}));
}

TEST_F(OpusSave, ChainedFileKeepsItsLaterLinksUntouched) {
    test::OpusFileOptions second;
    second.Serial = 0x2222;
    const std::string link2 = test::MakeOpusFile({{"TITLE", "Second link"}}, second);
    Make(test::MakeOpusFile({{"TITLE", "First link"}}) + link2);
    SaveWith([](TOggVorbis& f) { f.AddOtherTag("METADATA_BLOCK_PICTURE", test::CoverArtValue(80000)); });
    EXPECT_EQ(saved_.substr(saved_.size() - link2.size()), link2);
}

TEST_F(OpusSave, RefusedUntouchedWhenTheCommentHeaderSharesItsPageWithAudio) {
    test::OggStreamBuilder stream(0x77);
    stream.AddPacket(test::OpusHeadPacket(2, 312, 48000), 0);
    stream.Flush();
    stream.AddPacket(test::OpusTagsPacket("enc", {"TITLE=Song"}), 0);
    stream.AddPacket(test::FillerBytes(100, 1), 960);
    stream.Flush(true);
    Make(test::Concat(stream.TakePages()));
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    EXPECT_EQ(file.Title, "Song");
    EXPECT_EQ(file.HeaderDamage, "the comment header does not end its page");
    ExpectRefused("the comment header does not end its page");
}

TEST_F(OpusSave, RefusedUntouchedWhenDamaged) {
    // A comment length running past the end of the packet.
    std::string packet = test::OpusTagsPacket("enc", {"TITLE=Song"});
    packet[8 + 4 + 3 + 4] = '\x7F';
    Make(test::MakeOpusFileFromPacket(packet));
    ExpectRefused("the comment header is damaged");
    // Its magic wrong in the last of its 8 bytes.
    packet = test::OpusTagsPacket("enc", {"TITLE=Song"});
    packet[7] = 'X';
    Make(test::MakeOpusFileFromPacket(packet));
    ExpectRefused("the headers are incomplete or damaged");
    // The file ends before the comment header does (its comments are whole, its padding is not).
    test::OpusFileOptions options;
    options.HeaderSegmentsPerPage = 1;
    const auto pages =
        test::OpusStreamPages(test::OpusTagsPacket("enc", {"TITLE=Song"}, std::string(600, '\0')), options);
    Make(pages[0] + pages[1]);
    ExpectRefused("the headers are incomplete or damaged");
}

// Streams of other codecs carry headers that look alike but are not Vorbis or Opus: they are read
// as nothing and never rewritten.
TEST_F(OpusSave, OtherCodecsAreRefusedUntouched) {
    const std::vector<std::pair<const char*, std::string>> firstPackets = {
        {"FLAC in Ogg", std::string("\x7F"
                                    "FLAC\x01\x00\x00\x01"
                                    "fLaC",
                                    13) +
                            std::string(38, '\0')},
        {"Speex", "Speex   1.2" + std::string(69, '\0')},
        {"Theora", "\x80theora" + std::string(35, '\0')},
        {"Opus identification with no channel", test::OpusHeadPacket(0, 312, 48000)},
    };
    for (const auto& [what, first] : firstPackets) {
        test::OggStreamBuilder stream(0x99);
        stream.AddPacket(first, 0);
        stream.Flush();
        stream.AddPacket(test::OpusTagsPacket("enc", {"TITLE=Song"}), 0);
        stream.Flush();
        stream.AddPacket(test::FillerBytes(100, 1), 960);
        stream.Flush(true);
        Make(test::Concat(stream.TakePages()));
        TOggVorbis file;
        EXPECT_FALSE(file.LoadFromFile(path_)) << what;
        ExpectRefused("not an Ogg Vorbis or Opus file");
    }
}

}  // namespace
}  // namespace parvex
