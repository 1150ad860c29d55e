#pragma once
// Builds Ogg Vorbis and Ogg Opus files in memory, page by page, with correct checksums, for tests.
//
// The common case is one call:
//     std::string bytes = MakeVorbisFile({{"TITLE", "Song"}, {"ARTIST", "Band"}});
//     WriteVorbisFile(dir.Path() / "a.ogg", {{"TITLE", "Song"}});
// The files have a real identification header, a comment header built from the given comments,
// a stand-in setup header and a few audio pages with granule positions; they are valid Ogg, not
// decodable audio. VorbisFileOptions adds an ID3v2 tag in front, spreads the headers over several
// pages, and so on; OggStreamBuilder and the packet functions build anything else (other codecs,
// interleaved or chained streams) from pages.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parvex::test {

using CommentList = std::vector<std::pair<std::string, std::string>>;

// Identification header (30 bytes).
std::string IdentPacket(int channels, uint32_t sampleRate, int32_t nominalBitRate);
// Comment header from whole comment strings ("NAME=value", or anything else), with the framing
// byte when `framing`.
std::string CommentPacket(std::string_view vendor, const std::vector<std::string>& comments, bool framing = true);
// "NAME=value" strings of `comments`.
std::vector<std::string> CommentStrings(const CommentList& comments);
// A stand-in setup header of `size` bytes (at least 7): type 5, "vorbis", filler.
std::string SetupPacket(std::size_t size);
// `size` bytes of pseudo-random data derived from `seed`.
std::string FillerBytes(std::size_t size, uint32_t seed);
// The value of a METADATA_BLOCK_PICTURE comment (cover art): a base64-encoded picture block
// holding `imageBytes` bytes of stand-in JPEG data.
std::string CoverArtValue(std::size_t imageBytes);
// An ID3v2.4 tag of exactly `size` bytes (at least 10), padding inside.
std::string Id3v2Tag(std::size_t size);

// Lays the packets of one logical stream into pages with correct checksums.
class OggStreamBuilder {
public:
    explicit OggStreamBuilder(uint32_t serial, std::size_t maxSegmentsPerPage = 255);

    void SetMaxSegmentsPerPage(std::size_t count) { maxSegments_ = count; }
    // Queues a packet; `granule` is the granule position of a page on which it ends.
    void AddPacket(std::string_view packet, int64_t granule);
    // Puts every queued segment on pages of at most the maximum segment count. `last` marks the
    // final page as the end of the stream.
    void Flush(bool last = false);
    // The finished pages, each a complete page in file bytes; the builder keeps none of them.
    std::vector<std::string> TakePages();

private:
    struct Segment {
        std::string Bytes;
        bool EndsPacket = false;
        int64_t Granule = 0;
    };
    uint32_t serial_;
    std::size_t maxSegments_;
    uint32_t sequence_ = 0;
    bool continued_ = false;
    std::vector<Segment> pending_;
    std::vector<std::string> pages_;
};

struct VorbisFileOptions {
    std::string Vendor = "Parvex test encoder";
    int Channels = 2;
    uint32_t SampleRate = 44100;
    int32_t NominalBitRate = 128000;
    uint32_t Serial = 0x5EED1234;
    std::size_t Id3TagSize = 0;               // an ID3v2 tag of this many bytes in front (0: none)
    std::size_t HeaderSegmentsPerPage = 255;  // fewer spreads the header packets over more pages
    bool SetupOnOwnPage = false;              // the setup header starts a page of its own
    std::size_t SetupSize = 3000;
    int AudioPages = 3;
    int PacketsPerAudioPage = 4;
    std::size_t AudioPacketSize = 600;
    int64_t SamplesPerPacket = 1024;
    std::string TrailingBytes;                // appended after the last page
};

// The pages of one complete Vorbis stream around the given comment header packet.
std::vector<std::string> VorbisStreamPages(const std::string& commentPacket, const VorbisFileOptions& options);
// A whole file: the ID3v2 tag, the stream's pages and the trailing bytes of `options`.
std::string MakeVorbisFile(const CommentList& comments, const VorbisFileOptions& options = {});
// The same, from a ready comment packet.
std::string MakeVorbisFileFromPacket(const std::string& commentPacket, const VorbisFileOptions& options = {});
// Writes MakeVorbisFile's bytes to `path` (parent folders created) and returns the path.
std::filesystem::path WriteVorbisFile(const std::filesystem::path& path, const CommentList& comments,
                                      const VorbisFileOptions& options = {});

// Opus identification header: version 1, no output gain. Mapping family 0 is mono or stereo; any
// other family gets a mapping table of one stream per channel, the first two coupled.
std::string OpusHeadPacket(int channels, uint16_t preSkip, uint32_t inputSampleRate, int mappingFamily = 0);
// Opus comment header from whole comment strings, followed by `tail` (binary data or padding).
std::string OpusTagsPacket(std::string_view vendor, const std::vector<std::string>& comments,
                           std::string_view tail = {});

struct OpusFileOptions {
    std::string Vendor = "Parvex test encoder";
    int Channels = 2;
    int MappingFamily = 0;
    uint16_t PreSkip = 312;
    uint32_t InputSampleRate = 44100;
    uint32_t Serial = 0x0975C0DE;
    std::size_t HeaderSegmentsPerPage = 255;  // fewer spreads the comment header over more pages
    std::string Tail;                         // after the last comment of the comment header
    int AudioPages = 3;
    int PacketsPerAudioPage = 5;
    std::size_t AudioPacketSize = 160;
    int64_t SamplesPerPacket = 960;  // 20 ms at 48 kHz
};

// The pages of one complete Opus stream around the given comment header packet: the comment
// header ends its page, as Opus requires.
std::vector<std::string> OpusStreamPages(const std::string& tagsPacket, const OpusFileOptions& options);
std::string MakeOpusFileFromPacket(const std::string& tagsPacket, const OpusFileOptions& options = {});
std::string MakeOpusFile(const CommentList& comments, const OpusFileOptions& options = {});

std::string Concat(const std::vector<std::string>& parts);

}  // namespace parvex::test
