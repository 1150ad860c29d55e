#include "support/page_walker.h"

#include <cstdio>
#include <map>

#include "support/shell.h"
#include "support/temp_dir.h"

namespace parvex::test {

namespace {

uint32_t Le32(std::string_view b, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

int64_t Le64(std::string_view b, std::size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return static_cast<int64_t>(v);
}

uint32_t CrcWithZeroField(std::string page) {
    for (int i = 22; i < 26; ++i) page[i] = 0;
    uint32_t crc = 0;
    for (unsigned char b : page) {
        crc ^= static_cast<uint32_t>(b) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::size_t Id3Size(std::string_view bytes) {
    if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3") return 0;
    std::size_t size = 10;
    for (int i = 6; i < 10; ++i)
        size += static_cast<std::size_t>(static_cast<uint8_t>(bytes[i])) << (7 * (9 - i));
    if (static_cast<uint8_t>(bytes[5]) & 0x10) size += 10;
    return size;
}

bool ParsePage(std::string_view bytes, std::size_t at, WalkedPage& page) {
    if (bytes.size() < at + 27 || bytes.substr(at, 4) != "OggS") return false;
    const std::size_t segments = static_cast<uint8_t>(bytes[at + 26]);
    if (bytes.size() < at + 27 + segments) return false;
    std::size_t body = 0;
    page.Lacing.clear();
    for (std::size_t i = 0; i < segments; ++i) {
        page.Lacing.push_back(static_cast<uint8_t>(bytes[at + 27 + i]));
        body += page.Lacing.back();
    }
    if (bytes.size() < at + 27 + segments + body) return false;
    page.Offset = at;
    page.Flags = static_cast<uint8_t>(bytes[at + 5]);
    page.Granule = Le64(bytes, at + 6);
    page.Serial = Le32(bytes, at + 14);
    page.Sequence = Le32(bytes, at + 18);
    page.StoredCrc = Le32(bytes, at + 22);
    page.Bytes = std::string(bytes.substr(at, 27 + segments + body));
    return true;
}

struct StreamState {
    uint32_t NextSequence = 0;
    bool Open = false;   // a packet is in progress
    bool Ended = false;  // the end-of-stream page was seen
    int Packets = 0;
    std::string Partial;
};

bool IsOpusHead(std::string_view packet) { return packet.substr(0, 8) == "OpusHead"; }
int HeaderPacketCount(std::string_view firstPacket) { return IsOpusHead(firstPacket) ? 2 : 3; }

std::string Where(const WalkedPage& page) {
    return "page at " + std::to_string(page.Offset) + " (serial " + std::to_string(page.Serial) + ", seq " +
           std::to_string(page.Sequence) + "): ";
}

void TakePage(const WalkedPage& page, std::map<uint32_t, StreamState>& streams, OggWalk& walk) {
    auto [it, isNew] = streams.try_emplace(page.Serial);
    StreamState& s = it->second;
    auto problem = [&](const std::string& what) { walk.Problems.push_back(Where(page) + what); };
    if (CrcWithZeroField(page.Bytes) != page.StoredCrc) problem("checksum mismatch");
    if (s.Ended) problem("page after the end of its stream");
    if (isNew != ((page.Flags & 0x02) != 0)) problem("first-page flag wrong");
    if (!isNew && page.Sequence != s.NextSequence) problem("sequence number not consecutive");
    if (((page.Flags & 0x01) != 0) != s.Open) problem("continued-packet flag wrong");
    s.NextSequence = page.Sequence + 1;
    bool packetEnded = false;
    std::size_t offset = 27 + page.Lacing.size();
    for (uint8_t lacing : page.Lacing) {
        s.Partial.append(page.Bytes, offset, lacing);
        offset += lacing;
        s.Open = lacing == 255;
        if (lacing < 255) {
            walk.Packets.push_back({page.Serial, s.Packets++, std::exchange(s.Partial, {}), page.Granule});
            packetEnded = true;
        }
    }
    if (!packetEnded && page.Granule != -1) problem("granule set on a page where no packet ends");
    if (page.Flags & 0x04) {
        s.Ended = true;
        if (s.Open) problem("stream ends inside a packet");
    }
}

const WalkedPacket* FindPacket(const OggWalk& walk, uint32_t serial, int index) {
    for (const WalkedPacket& p : walk.Packets)
        if (p.Serial == serial && p.Index == index) return &p;
    return nullptr;
}

}  // namespace

OggWalk WalkOgg(std::string_view bytes) {
    OggWalk walk;
    walk.Start = Id3Size(bytes);
    std::map<uint32_t, StreamState> streams;
    std::size_t at = walk.Start;
    WalkedPage page;
    while (ParsePage(bytes, at, page)) {
        TakePage(page, streams, walk);
        at += page.Bytes.size();
        walk.Pages.push_back(std::move(page));
    }
    walk.Trailing = std::string(bytes.substr(std::min(at, bytes.size())));
    if (walk.Pages.empty()) walk.Problems.push_back("no Ogg page found");
    for (const auto& [serial, s] : streams)
        if (s.Open) walk.Problems.push_back("stream " + std::to_string(serial) + " ends inside a packet");
    return walk;
}

::testing::AssertionResult IsValidOgg(std::string_view bytes) {
    OggWalk walk = WalkOgg(bytes);
    // The header pages: every page up to the one where the last header packet (Vorbis's setup
    // header, Opus's comment header) ends has granule 0, and that packet is the last one on its page.
    const int headers = walk.Packets.empty() ? 3 : HeaderPacketCount(walk.Packets.front().Bytes);
    int ended = 0;
    for (const WalkedPage& page : walk.Pages) {
        if (page.Serial != walk.Pages.front().Serial) continue;
        const int before = ended;
        for (uint8_t lacing : page.Lacing) ended += lacing < 255;
        if (ended > before && page.Granule != 0)
            walk.Problems.push_back(Where(page) + "header page with granule not 0");
        if (ended >= headers) {
            if (ended > headers || page.Lacing.back() == 255)
                walk.Problems.push_back(Where(page) + "last header packet does not end its page");
            break;
        }
    }
    if (walk.Problems.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (const std::string& p : walk.Problems) failure << p << "\n";
    return failure;
}

::testing::AssertionResult SameAudio(std::string_view original, std::string_view rewritten) {
    const OggWalk a = WalkOgg(original);
    const OggWalk b = WalkOgg(rewritten);
    if (original.substr(0, a.Start) != rewritten.substr(0, b.Start))
        return ::testing::AssertionFailure() << "bytes in front of the first page differ";
    if (a.Trailing != b.Trailing) return ::testing::AssertionFailure() << "trailing bytes differ";
    if (a.Pages.empty() || b.Pages.empty()) return ::testing::AssertionFailure() << "no pages";
    const uint32_t tagged = a.Pages.front().Serial;
    if (a.Packets.size() != b.Packets.size())
        return ::testing::AssertionFailure()
               << "packet count " << a.Packets.size() << " became " << b.Packets.size();
    for (std::size_t i = 0; i < a.Packets.size(); ++i) {
        const WalkedPacket& p = a.Packets[i];
        const WalkedPacket& q = b.Packets[i];
        if (p.Serial != q.Serial || p.Index != q.Index)
            return ::testing::AssertionFailure() << "packet " << i << " moved to another stream or place";
        const bool commentHeader = p.Serial == tagged && p.Index == 1;
        if (!commentHeader && p.Bytes != q.Bytes)
            return ::testing::AssertionFailure()
                   << "packet " << p.Index << " of stream " << p.Serial << " differs";
        if (p.Granule != q.Granule && p.Index >= 3)
            return ::testing::AssertionFailure() << "granule of packet " << p.Index << " differs";
    }
    return ::testing::AssertionSuccess();
}

CommentHeader ReadCommentHeader(std::string_view bytes) {
    CommentHeader header;
    const OggWalk walk = WalkOgg(bytes);
    if (walk.Pages.empty()) return header;
    const WalkedPacket* first = FindPacket(walk, walk.Pages.front().Serial, 0);
    const WalkedPacket* packet = FindPacket(walk, walk.Pages.front().Serial, 1);
    if (!first || !packet) return header;
    const bool opus = IsOpusHead(first->Bytes);
    const std::string& p = packet->Bytes;
    std::size_t at = opus ? 8 : 7;
    if (p.size() < at + 4) return header;
    auto take = [&](std::string& out) {
        if (p.size() < at + 4) return false;
        const uint32_t length = Le32(p, at);
        at += 4;
        if (p.size() - at < length) return false;
        out = p.substr(at, length);
        at += length;
        return true;
    };
    if (!take(header.Vendor) || p.size() < at + 4) return header;
    const uint32_t count = Le32(p, at);
    at += 4;
    for (uint32_t i = 0; i < count; ++i) {
        std::string comment;
        if (!take(comment)) return header;
        header.Comments.push_back(std::move(comment));
    }
    header.Framed = !opus && p.size() == at + 1 && (p[at] & 1);
    header.Tail = p.substr(at);
    return header;
}

::testing::AssertionResult OpusinfoAccepts(const std::string& path) {
    if (!ToolInstalled("opusinfo")) return ::testing::AssertionSuccess() << "opusinfo not installed";
    int status = 0;
    const std::string out = RunCommand("opusinfo " + ShellQuote(path) + " 2>&1", status);
    if (status == 0 && out.find("WARNING") == std::string::npos && out.find("ERROR") == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "opusinfo reports:\n" << out;
}

std::string OpusdecSamples(const std::string& path, bool& available) {
    available = ToolInstalled("opusdec");
    if (!available) return {};
    int status = 0;
    std::string pcm =
        RunCommand("opusdec --quiet --no-dither " + ShellQuote(path) + " - 2>/dev/null", status);
    if (status != 0) pcm = "opusdec failed with status " + std::to_string(status);
    return pcm;
}

::testing::AssertionResult OgginfoAccepts(const std::string& path) {
    if (!ToolInstalled("ogginfo")) return ::testing::AssertionSuccess() << "ogginfo not installed";
    int status = 0;
    const std::string out = RunCommand("ogginfo " + ShellQuote(path) + " 2>&1", status);
    // ogginfo does not know ID3v2 tags and reports the bytes of one as a hole in front of the data.
    std::string head(10, '\0');
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        head.resize(std::fread(head.data(), 1, head.size(), f));
        std::fclose(f);
    }
    const std::size_t id3 = Id3Size(head);
    const std::string id3Hole = "Hole in data (" + std::to_string(id3) + " bytes)";
    // ogginfo exits with 1 for that hole too; the lines decide then.
    bool clean = status == 0 || (id3 > 0 && out.find(id3Hole) != std::string::npos);
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = std::min(out.find('\n', start), out.size());
        const std::string line = out.substr(start, end - start);
        if ((line.find("WARNING") != std::string::npos && line.find(id3Hole) == std::string::npos) ||
            line.find("ERROR") != std::string::npos)
            clean = false;
        start = end + 1;
    }
    if (clean) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "ogginfo reports:\n" << out;
}

std::vector<std::string> VorbiscommentList(const std::string& path, bool& available) {
    available = ToolInstalled("vorbiscomment");
    std::vector<std::string> lines;
    if (!available) return lines;
    int status = 0;
    const std::string out = RunCommand("vorbiscomment -l -R -e " + ShellQuote(path) + " 2>/dev/null", status);
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        lines.push_back(out.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> CommentsOnDisk(const std::filesystem::path& path) {
    return ReadCommentHeader(ReadAll(path)).Comments;
}

}  // namespace parvex::test
