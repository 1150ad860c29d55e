#include "support/ogg_builder.h"

#include <fstream>
#include <stdexcept>

namespace parvex::test {

namespace {

void PutLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i, v >>= 8) out += static_cast<char>(v & 0xFF);
}

void PutLe64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i, v >>= 8) out += static_cast<char>(v & 0xFF);
}

// Computed here independently of the program's own table, so a wrong table cannot hide itself.
uint32_t OggCrc(std::string_view bytes) {
    uint32_t crc = 0;
    for (unsigned char b : bytes) {
        crc ^= static_cast<uint32_t>(b) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

}  // namespace

std::string IdentPacket(int channels, uint32_t sampleRate, int32_t nominalBitRate) {
    std::string p("\x01vorbis", 7);
    PutLe32(p, 0);  // vorbis_version
    p += static_cast<char>(channels);
    PutLe32(p, sampleRate);
    PutLe32(p, 0);  // bitrate_maximum
    PutLe32(p, static_cast<uint32_t>(nominalBitRate));
    PutLe32(p, 0);  // bitrate_minimum
    p += static_cast<char>(0xB8);  // blocksizes 256 and 2048
    p += static_cast<char>(1);     // framing
    return p;
}

std::string CommentPacket(std::string_view vendor, const std::vector<std::string>& comments, bool framing) {
    std::string p("\x03vorbis", 7);
    PutLe32(p, static_cast<uint32_t>(vendor.size()));
    p += vendor;
    PutLe32(p, static_cast<uint32_t>(comments.size()));
    for (const std::string& c : comments) {
        PutLe32(p, static_cast<uint32_t>(c.size()));
        p += c;
    }
    if (framing) p += static_cast<char>(1);
    return p;
}

std::vector<std::string> CommentStrings(const CommentList& comments) {
    std::vector<std::string> out;
    for (const auto& [name, value] : comments) out.push_back(name + "=" + value);
    return out;
}

std::string SetupPacket(std::size_t size) {
    std::string p("\x05vorbis", 7);
    p += FillerBytes(size > 7 ? size - 7 : 0, 0x5E7);
    return p;
}

std::string FillerBytes(std::size_t size, uint32_t seed) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : out) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return out;
}

namespace {

void PutBe32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

}  // namespace

// Picture block: type, MIME type, description, width, height, depth, colours, data length, data;
// all numbers 32-bit big-endian.
std::string CoverArtValue(std::size_t imageBytes) {
    std::string block;
    PutBe32(block, 3);  // front cover
    const std::string mime = "image/jpeg";
    PutBe32(block, static_cast<uint32_t>(mime.size()));
    block += mime;
    PutBe32(block, 0);  // no description
    for (uint32_t v : {300u, 300u, 24u, 0u}) PutBe32(block, v);
    PutBe32(block, static_cast<uint32_t>(imageBytes));
    block += FillerBytes(imageBytes, 0xA27);
    return Base64(block);
}

std::string Id3v2Tag(std::size_t size) {
    if (size < 10) throw std::invalid_argument("an ID3v2 tag has at least 10 bytes");
    const std::size_t body = size - 10;
    std::string tag("ID3\x04\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((body >> shift) & 0x7F);
    tag.append(body, '\0');
    return tag;
}

OggStreamBuilder::OggStreamBuilder(uint32_t serial, std::size_t maxSegmentsPerPage)
    : serial_(serial), maxSegments_(maxSegmentsPerPage) {}

void OggStreamBuilder::AddPacket(std::string_view packet, int64_t granule) {
    std::size_t offset = 0;
    while (true) {
        const std::size_t lacing = std::min<std::size_t>(255, packet.size() - offset);
        pending_.push_back({std::string(packet.substr(offset, lacing)), lacing < 255, granule});
        offset += lacing;
        if (lacing < 255) break;
    }
}

// Page layout: "OggS", version 0, flags, granule, serial, sequence, checksum, segment count, table.
void OggStreamBuilder::Flush(bool last) {
    std::size_t start = 0;
    while (start < pending_.size()) {
        const std::size_t count = std::min(maxSegments_, pending_.size() - start);
        std::string table;
        std::string body;
        int64_t granule = -1;
        for (std::size_t i = start; i < start + count; ++i) {
            table += static_cast<char>(pending_[i].Bytes.size());
            body += pending_[i].Bytes;
            if (pending_[i].EndsPacket) granule = pending_[i].Granule;
        }
        const bool finalPage = last && start + count == pending_.size();
        uint8_t flags = (continued_ ? 0x01 : 0) | (sequence_ == 0 ? 0x02 : 0) | (finalPage ? 0x04 : 0);
        std::string page("OggS", 4);
        page += '\0';
        page += static_cast<char>(flags);
        PutLe64(page, static_cast<uint64_t>(granule));
        PutLe32(page, serial_);
        PutLe32(page, sequence_++);
        PutLe32(page, 0);
        page += static_cast<char>(count);
        page += table + body;
        const uint32_t crc = OggCrc(page);
        for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
        pages_.push_back(std::move(page));
        continued_ = !pending_[start + count - 1].EndsPacket;
        start += count;
    }
    pending_.clear();
}

std::vector<std::string> OggStreamBuilder::TakePages() { return std::exchange(pages_, {}); }

namespace {

// The audio pages of a stream after its headers: stand-in packets of pseudo-random bytes derived
// from `seed`, the last page ending the stream.
template <typename Options>
void AddAudioPages(OggStreamBuilder& stream, const Options& o, uint32_t seed) {
    stream.SetMaxSegmentsPerPage(255);
    int64_t granule = 0;
    for (int page = 0; page < o.AudioPages; ++page) {
        for (int k = 0; k < o.PacketsPerAudioPage; ++k) {
            granule += o.SamplesPerPacket;
            stream.AddPacket(FillerBytes(o.AudioPacketSize, seed++), granule);
        }
        stream.Flush(page + 1 == o.AudioPages);
    }
}

}  // namespace

std::vector<std::string> VorbisStreamPages(const std::string& commentPacket, const VorbisFileOptions& o) {
    OggStreamBuilder stream(o.Serial, o.HeaderSegmentsPerPage);
    stream.AddPacket(IdentPacket(o.Channels, o.SampleRate, o.NominalBitRate), 0);
    stream.Flush();
    stream.AddPacket(commentPacket, 0);
    if (o.SetupOnOwnPage) stream.Flush();
    stream.AddPacket(SetupPacket(o.SetupSize), 0);
    stream.Flush(o.AudioPages == 0);
    AddAudioPages(stream, o, 1);
    return stream.TakePages();
}

std::string MakeVorbisFileFromPacket(const std::string& commentPacket, const VorbisFileOptions& options) {
    std::string file = options.Id3TagSize ? Id3v2Tag(options.Id3TagSize) : std::string();
    file += Concat(VorbisStreamPages(commentPacket, options));
    return file + options.TrailingBytes;
}

std::string MakeVorbisFile(const CommentList& comments, const VorbisFileOptions& options) {
    return MakeVorbisFileFromPacket(CommentPacket(options.Vendor, CommentStrings(comments)), options);
}

std::filesystem::path WriteVorbisFile(const std::filesystem::path& path, const CommentList& comments,
                                      const VorbisFileOptions& options) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    const std::string bytes = MakeVorbisFile(comments, options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path;
}

std::string OpusHeadPacket(int channels, uint16_t preSkip, uint32_t inputSampleRate, int mappingFamily) {
    std::string p = "OpusHead";
    p += static_cast<char>(1);
    p += static_cast<char>(channels);
    p += static_cast<char>(preSkip & 0xFF);
    p += static_cast<char>(preSkip >> 8);
    PutLe32(p, inputSampleRate);
    p.append(2, '\0');  // output gain
    p += static_cast<char>(mappingFamily);
    if (mappingFamily != 0) {
        const int coupled = channels >= 2 ? 1 : 0;
        p += static_cast<char>(channels - coupled);
        p += static_cast<char>(coupled);
        for (int c = 0; c < channels; ++c) p += static_cast<char>(c);
    }
    return p;
}

std::string OpusTagsPacket(std::string_view vendor, const std::vector<std::string>& comments,
                           std::string_view tail) {
    std::string p = CommentPacket(vendor, comments, false).replace(0, 7, "OpusTags");
    return p += tail;
}

std::vector<std::string> OpusStreamPages(const std::string& tagsPacket, const OpusFileOptions& o) {
    OggStreamBuilder stream(o.Serial, o.HeaderSegmentsPerPage);
    stream.AddPacket(OpusHeadPacket(o.Channels, o.PreSkip, o.InputSampleRate, o.MappingFamily), 0);
    stream.Flush();
    stream.AddPacket(tagsPacket, 0);
    stream.Flush(o.AudioPages == 0);
    AddAudioPages(stream, o, 0x0905);
    return stream.TakePages();
}

std::string MakeOpusFileFromPacket(const std::string& tagsPacket, const OpusFileOptions& options) {
    return Concat(OpusStreamPages(tagsPacket, options));
}

std::string MakeOpusFile(const CommentList& comments, const OpusFileOptions& options) {
    return MakeOpusFileFromPacket(OpusTagsPacket(options.Vendor, CommentStrings(comments), options.Tail),
                                  options);
}

std::string Concat(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) out += p;
    return out;
}

}  // namespace parvex::test
