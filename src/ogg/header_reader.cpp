#include "ogg/header_reader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>

#include "fs/file_handle.h"
#include "ogg/utf8.h"
#include "text/large_text.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// The memory the comment table may take, counted as it is taken: a packet of millions of tiny
// comments costs far more in the table than on disk, and beyond this it is refused rather than held.
constexpr std::size_t kMaxTableBytes = std::size_t{256} << 20;

// What holding a string of `size` bytes costs: the string itself, and its bytes where they do not
// fit inside it. Counted from the size, so that a read that does not keep the values counts alike.
std::size_t HeldBytes(std::size_t size) {
    static const std::size_t inside = std::string().capacity();
    return sizeof(std::string) + (size > inside ? size + 1 : 0);
}

// What tells the codecs apart: the leading bytes of the identification and comment headers, the
// smallest identification header, and how many header packets come before the audio.
struct CodecHeaders {
    OggCodec Codec;
    std::string_view IdentId;
    std::string_view CommentId;
    std::size_t MinIdentSize;
    std::size_t PacketCount;
};

constexpr CodecHeaders kCodecs[] = {
    {OggCodec::Vorbis, {"\x01vorbis", 7}, {"\x03vorbis", 7}, 30, 3},
    {OggCodec::Opus, "OpusHead", "OpusTags", 19, 2},
};

// The codec whose identification header starts `bytes`, or none.
const CodecHeaders* CodecOf(std::string_view bytes) {
    for (const CodecHeaders& codec : kCodecs)
        if (bytes.substr(0, codec.IdentId.size()) == codec.IdentId) return &codec;
    return nullptr;
}

// How much of other streams' pages the reader steps over while looking for the Vorbis headers.
constexpr int64_t kMaxForeignBytes = int64_t{16} << 20;

// Where a stretch of a packet lies in the file.
struct Fragment {
    int64_t Pos = 0;
    std::size_t Size = 0;
};

// One packet joined from the pages of the stream.
struct JoinedPacket {
    std::string Bytes;
    std::vector<Fragment> Fragments;
    std::size_t FirstPage = 0;  // indices into the stream's page list
    std::size_t LastPage = 0;
    bool Complete = false;
    bool EndsPage = false;      // its last lacing value is the last one of its page
};

// Walks the pages of stream `serial` from the first page on and joins its header packets
// (identification, comment and, for Vorbis, setup), as far as the file holds them whole.
class THeaderCollector {
public:
    THeaderCollector(const TFileHandle& file, FileInfo& info, std::size_t packetCount)
        : file_(file), info_(info), wanted_(packetCount) {}

    void Collect(int64_t firstPos, const OggPageHeader& firstPage) {
        int64_t pos = firstPos;
        OggPageHeader header = firstPage;
        int64_t foreign = 0;
        while (Wanting()) {
            const int64_t bodyPos = pos + static_cast<int64_t>(header.HeaderSize());
            const std::size_t bodySize = header.BodySize();
            if (header.Serial != firstPage.Serial) {
                info_.Interleaved = true;
                foreign += static_cast<int64_t>(header.HeaderSize() + bodySize);
                if (foreign > kMaxForeignBytes) return;
            } else if (!TakePage(pos, header, bodyPos, bodySize)) {
                return;
            }
            pos = bodyPos + static_cast<int64_t>(bodySize);
            if (!ReadHeaderAt(pos, header)) return;
        }
    }

    const std::vector<HeaderPage>& Pages() const { return pages_; }
    const std::vector<JoinedPacket>& Packets() const { return packets_; }
    // Hands the joined bytes of packet `index` over, sparing a copy of a setup header of kilobytes.
    std::string TakePacketBytes(std::size_t index) { return std::move(packets_[index].Bytes); }

private:
    bool Wanting() const { return packets_.size() < wanted_ || !packets_.back().Complete; }

    bool ReadHeaderAt(int64_t pos, OggPageHeader& header) const {
        return ParsePageHeader(file_.ReadAt(pos, OggPageHeader::kMaxSize), header);
    }

    // Adds the lacing values of one page of the stream to the packets; false when the page body is
    // cut off by the end of the file or the headers grow past what is reasonable.
    bool TakePage(int64_t pos, const OggPageHeader& header, int64_t bodyPos, std::size_t bodySize) {
        total_ += bodySize;
        if (total_ > kMaxHeaderBytes) return false;
        const std::string_view body = file_.ReadAt(bodyPos, bodySize);
        if (body.size() < bodySize) return false;
        const std::size_t pageIndex = pages_.size();
        pages_.push_back({pos, header});
        const bool continued = !packets_.empty() && !packets_.back().Complete;
        std::size_t offset = 0;
        std::size_t s = 0;
        while (s < header.SegmentCount && Wanting()) {
            if (packets_.empty() || packets_.back().Complete) {
                packets_.emplace_back();
                packets_.back().FirstPage = pageIndex;
            }
            // The packet's lacing values on this page run up to the first one below 255; its bytes
            // on the page lie together, so they are joined in one step.
            const std::size_t runStart = offset;
            std::size_t lacing = 255;
            for (; s < header.SegmentCount && lacing == 255; ++s) {
                lacing = header.SegmentTable[s];
                offset += lacing;
            }
            JoinedPacket& packet = packets_.back();
            if (lacing == 255) ReserveRestOf(packet, bodyPos + static_cast<int64_t>(runStart));
            packet.Bytes.append(body, runStart, offset - runStart);
            AddFragment(packet, bodyPos + static_cast<int64_t>(runStart), offset - runStart);
            packet.LastPage = pageIndex;
            if (lacing < 255) {
                packet.Complete = true;
                packet.EndsPage = s == header.SegmentCount;
            }
        }
        const bool headersOnly = s == header.SegmentCount;
        if (info_.PageFault.empty())
            info_.PageFault = HeaderPageFault(header, body, pageIndex, continued, headersOnly);
        return true;
    }

    // What is impossible about header page `index` of the stream (0 for the first), in words; empty
    // when nothing is. `continued`: a packet goes on from the page before. `headersOnly`: no audio
    // packet begins on the page, so its granule position must be 0 or -1 (no packet ends on it).
    std::string HeaderPageFault(const OggPageHeader& header, std::string_view body, std::size_t index,
                                bool continued, bool headersOnly) const {
        const auto which = [index] { return "header page " + std::to_string(index + 1); };
        if (PageCrc(header, body) != header.Crc) return "the checksum of " + which() + " is wrong";
        const bool first = index == 0;
        const bool last = !Wanting();  // the last header packet ended on this page
        if ((header.Flags & ~(kPageContinued | kPageFirst | kPageLast)) != 0 ||
            ((header.Flags & kPageFirst) != 0) != first ||
            ((header.Flags & kPageContinued) != 0) != continued || ((header.Flags & kPageLast) != 0 && !last))
            return which() + " has impossible flags";
        if (headersOnly && header.GranulePos != 0 && header.GranulePos != -1)
            return which() + " has an impossible granule position";
        return {};
    }

    // A packet that goes on past its page (cover art, lyrics: megabytes) gets room at once for all
    // the file could still hold of it, so that joining it never moves what was joined so far. The
    // room is only address space: memory is taken as the bytes arrive.
    void ReserveRestOf(JoinedPacket& packet, int64_t from) const {
        if (packet.Bytes.capacity() > TFileHandle::kReadAhead) return;
        const auto left = static_cast<std::size_t>(std::max<int64_t>(0, info_.FileSize - from));
        ReserveLarge(packet.Bytes, std::min(left, kMaxHeaderBytes));
    }

    static void AddFragment(JoinedPacket& packet, int64_t pos, std::size_t size) {
        if (!packet.Fragments.empty() &&
            packet.Fragments.back().Pos + static_cast<int64_t>(packet.Fragments.back().Size) == pos)
            packet.Fragments.back().Size += size;
        else
            packet.Fragments.push_back({pos, size});
    }

    const TFileHandle& file_;
    FileInfo& info_;
    std::vector<HeaderPage> pages_;
    std::vector<JoinedPacket> packets_;
    std::size_t wanted_;
    std::size_t total_ = 0;
};

// The file offset of byte `offset` of a joined packet; one past its last byte for its length.
int64_t FileOffsetOf(const JoinedPacket& packet, std::size_t offset) {
    for (const Fragment& f : packet.Fragments) {
        if (offset < f.Size) return f.Pos + static_cast<int64_t>(offset);
        offset -= f.Size;
    }
    const Fragment& last = packet.Fragments.back();
    return last.Pos + static_cast<int64_t>(last.Size);
}

// A little-endian length or count read from `body` at `pos`; false when fewer than 4 bytes remain.
bool ReadLength(std::string_view body, std::size_t& pos, uint32_t& value) {
    if (body.size() - pos < 4) return false;
    value = ReadLe32(body.data() + pos);
    pos += 4;
    return true;
}

void ReadCommentHeader(const JoinedPacket& packet, const CodecHeaders& codec, FileInfo& info, TReadExtent extent) {
    const std::string_view bytes(packet.Bytes);
    const std::size_t idSize = codec.CommentId.size();
    info.Tag.PacketID = bytes.substr(0, idSize);
    if (info.Tag.PacketID != codec.CommentId) return;
    const std::size_t end = idSize + ReadComments(bytes.substr(idSize), info, extent != TReadExtent::Layout);
    info.CommentsEnd = FileOffsetOf(packet, end);
}

// Fills the layout fields that tell the writer how the headers lie on the pages.
void RecordLayout(THeaderCollector& collector, const CodecHeaders& codec, FileInfo& info, TReadExtent extent) {
    const auto& pages = collector.Pages();
    const auto& packets = collector.Packets();
    info.IdentEndsPage = packets[0].EndsPage;
    if (pages.size() < 2) return;
    info.SecondPage = pages[1].Header;
    info.SecondPagePos = pages[1].Pos;
    const bool allFound = packets.size() == codec.PacketCount && packets.back().Complete;
    const std::size_t lastHeaderPage = allFound ? packets.back().LastPage : pages.size() - 1;
    info.HeaderPages.assign(pages.begin() + 1, pages.begin() + static_cast<std::ptrdiff_t>(lastHeaderPage) + 1);
    if (packets.size() < 2) return;
    const JoinedPacket& comment = packets[1];
    info.CommentOnSecondPage = info.IdentEndsPage && comment.Complete && comment.FirstPage == 1 &&
                               comment.LastPage == 1;
    ReadCommentHeader(comment, codec, info, extent);
    if (!allFound || !comment.Complete) return;
    info.HeadersComplete = true;
    info.LastHeaderEndsPage = packets.back().EndsPage;
    if (codec.Codec == OggCodec::Vorbis) info.SetupPacket = collector.TakePacketBytes(2);
}

// Keeps the identification header's facts; false when they make no stream of the codec.
bool TakeIdentHeader(const std::string& packet, FileInfo& info) {
    if (info.Codec == OggCodec::Opus) return ParseOpusHead(packet, info.Opus);
    std::memcpy(info.IdentHeader.data(), packet.data(), info.IdentHeader.size());
    return true;
}

}  // namespace

namespace {

// The name of one comment string: the part before its first "=", empty without one.
std::string_view CommentName(std::string_view text) {
    const std::size_t eq = text.find('=');
    return eq == std::string_view::npos ? std::string_view() : text.substr(0, eq);
}

// The value of one comment string, before its UTF-8 repair: the part after its first "=" (all of it
// without one), trimmed.
std::string_view CommentValue(std::string_view text) {
    const std::size_t eq = text.find('=');
    return TrimControls(eq == std::string_view::npos ? text : text.substr(eq + 1));
}

}  // namespace

// The name keeps every byte, its letter case and blanks included: a save writes it back exactly as
// it was read (other taggers write "title=" as readily as "TITLE=").
std::size_t ParseComment(std::string_view text, FileInfo& info, bool keepValue) {
    const std::string_view value = CommentValue(text);
    info.Tag.Names.emplace_back(CommentName(text));
    info.Tag.Values.push_back(keepValue ? ToValidUtf8(value) : std::string());
    return keepValue ? info.Tag.Values.back().size() : value.size();
}

// Layout after the packet's leading bytes: vendor length (4) and vendor bytes, comment count (4), and
// for each comment its length (4) and its bytes; then Vorbis's framing byte, or Opus's optional
// binary data or padding. A length that runs past the
// end of the packet marks it damaged: what came before is kept.
std::size_t ReadComments(std::string_view body, FileInfo& info, bool keepValues) {
    VorbisTag& tag = info.Tag;
    tag.Names.clear();
    tag.Values.clear();
    tag.Offsets.clear();
    std::size_t pos = 0;
    std::size_t commentsEnd = 0;
    uint32_t length = 0;
    bool intact = ReadLength(body, pos, length) && body.size() - pos >= length;
    if (intact) {
        tag.Names.emplace_back();
        tag.Values.emplace_back(body.substr(pos, length));
        tag.Offsets.push_back(static_cast<uint32_t>(pos));
        pos += length;
        intact = ReadLength(body, pos, tag.CommentCount);
        commentsEnd = pos;
    }
    // The stored count is reserved only as far as the bytes left and the memory allowed bear it.
    const std::size_t room =
        std::min({std::size_t{tag.CommentCount}, (body.size() - pos) / 4, kMaxTableBytes / (4 * sizeof(std::string))});
    tag.Names.reserve(room + 1);
    tag.Values.reserve(room + 1);
    tag.Offsets.reserve(room + 1);
    std::size_t held = tag.Values.empty() ? 0 : HeldBytes(tag.Values[0].size());
    for (uint32_t i = 0; intact && i < tag.CommentCount; ++i) {
        intact = ReadLength(body, pos, length) && body.size() - pos >= length;
        if (!intact) break;
        const std::size_t valueSize = ParseComment(body.substr(pos, length), info, keepValues);
        tag.Offsets.push_back(static_cast<uint32_t>(pos));
        held += HeldBytes(tag.Names.back().size()) + HeldBytes(valueSize) + sizeof(uint32_t);
        if (held > kMaxTableBytes) {
            info.TooLarge = true;
            tag.Names.resize(1);
            tag.Values.resize(1);
            tag.Offsets.resize(1);
            return commentsEnd;
        }
        pos += length;
        commentsEnd = pos;
    }
    info.CommentDamaged = !intact;
    info.CommentTail = intact ? std::string(body.substr(commentsEnd)) : std::string();
    return commentsEnd;
}

// The layout ReadComments reads, walked without keeping anything.
void ForEachComment(std::string_view body,
                    const std::function<void(std::string_view name, std::string_view value)>& take) {
    std::size_t pos = 0;
    uint32_t length = 0;
    uint32_t count = 0;
    if (!ReadLength(body, pos, length) || body.size() - pos < length) return;
    pos += length;
    if (!ReadLength(body, pos, count)) return;
    std::string repaired;
    for (uint32_t i = 0; i < count && ReadLength(body, pos, length) && body.size() - pos >= length; ++i) {
        const std::string_view text = body.substr(pos, length);
        std::string_view value = CommentValue(text);
        if (FirstInvalidUtf8(value) != std::string_view::npos) value = repaired = ToValidUtf8(value);
        take(CommentName(text), value);
        pos += length;
    }
}

namespace {

// `size` bytes from `offset` on of the header packets after the identification header, as they lie
// one after the other in the bodies of the header pages.
std::string HeaderStreamBytes(const TFileHandle& file, const FileInfo& info, std::size_t offset, std::size_t size) {
    std::string bytes;
    ReserveLarge(bytes, size);
    for (const HeaderPage& page : info.HeaderPages) {
        const std::size_t body = page.Header.BodySize();
        if (offset >= body) {
            offset -= body;
            continue;
        }
        const std::size_t count = std::min(body - offset, size - bytes.size());
        const std::string_view read =
            file.ReadAt(page.Pos + static_cast<int64_t>(page.Header.HeaderSize() + offset), count);
        if (read.size() < count) break;
        bytes.append(read);
        offset = 0;
        if (bytes.size() == size) return bytes;
    }
    throw std::runtime_error("the file no longer holds its comments where they were read");
}

}  // namespace

// The comment packet begins the body of the first of HeaderPages: a file whose identification
// packet does not end its page is never saved, so never has a value read again.
std::string ReadTagValue(const TFileHandle& file, const FileInfo& info, std::size_t entry) {
    const VorbisTag& tag = info.Tag;
    if (entry == 0 || entry >= tag.Offsets.size() || !info.IdentEndsPage)
        throw std::runtime_error("the file no longer holds its comments where they were read");
    const std::size_t at = tag.PacketID.size() + tag.Offsets[entry];
    const uint32_t length = ReadLe32(HeaderStreamBytes(file, info, at - 4, 4).data());
    if (length > kMaxHeaderBytes) throw std::runtime_error("the file no longer holds its comments where they were read");
    // A named comment's value is read by itself, after its name and "=" (checked to be the name
    // read); nearly always trimmed and well-formed UTF-8 already, it is then kept as read.
    const std::string& name = tag.Names[entry];
    const std::size_t skip = name.empty() ? 0 : name.size() + 1;
    if (skip > length || (skip > 0 && HeaderStreamBytes(file, info, at, skip) != name + "="))
        throw std::runtime_error("the file no longer holds its comments where they were read");
    std::string read = HeaderStreamBytes(file, info, at + skip, length - skip);
    const std::string_view value = skip > 0 ? TrimControls(read) : CommentValue(read);
    if (FirstInvalidUtf8(value) != std::string_view::npos) return ToValidUtf8(value);
    const auto from = static_cast<std::size_t>(value.data() - read.data());
    return std::move(read.erase(from + value.size()).erase(0, from));
}

std::size_t HeldBytes(const FileInfo& info) {
    std::size_t held = sizeof(FileInfo) + info.HeaderPages.capacity() * sizeof(HeaderPage) +
                       info.Tag.Offsets.capacity() * sizeof(uint32_t) + HeldBytes(info.SetupPacket.capacity()) +
                       HeldBytes(info.CommentTail.capacity()) + HeldBytes(info.PageFault.capacity());
    for (std::size_t k = 0; k < info.Tag.Count(); ++k)
        held += HeldBytes(info.Tag.Names[k].size()) + HeldBytes(info.Tag.Values[k].size());
    return held;
}

namespace {

bool ReadHeaders(const TFileHandle& file, FileInfo& info, TReadExtent extent) {
    if (!file.IsRegular()) return false;
    info.Identity = IdentityOf(file.Stat());
    info.FileSize = file.Size();
    info.OggDataStart = LeadingTagSize(file);
    if (!ParsePageHeader(file.ReadAt(info.OggDataStart, OggPageHeader::kMaxSize), info.FirstPage)) return false;
    // The first packet starts the first page's body and names the codec.
    const CodecHeaders* codec =
        CodecOf(file.ReadAt(info.OggDataStart + static_cast<int64_t>(info.FirstPage.HeaderSize()), 8));
    if (!codec) return false;
    info.Codec = codec->Codec;
    THeaderCollector collector(file, info, codec->PacketCount);
    collector.Collect(info.OggDataStart, info.FirstPage);
    const auto& packets = collector.Packets();
    if (packets.empty() || !packets[0].Complete || packets[0].LastPage != 0 ||
        packets[0].Bytes.size() < codec->MinIdentSize || !TakeIdentHeader(packets[0].Bytes, info))
        return false;
    info.SecondPagePos = info.OggDataStart + static_cast<int64_t>(info.FirstPage.HeaderSize() +
                                                                  info.FirstPage.BodySize());
    RecordLayout(collector, *codec, info, extent);
    if (extent == TReadExtent::WithLength)
        info.Samples = FindLastGranule(file, info.FirstPage.Serial, info.OggDataStart);
    return true;
}

}  // namespace

bool ReadFileInfo(const std::string& fileName, FileInfo& info, TReadExtent extent) {
    const TFileHandle file(fileName);
    return ReadFileInfo(file, info, extent);
}

namespace {
std::atomic<std::size_t> headerReads{0};
}  // namespace

std::size_t HeaderReads() { return headerReads.load(std::memory_order_relaxed); }

// A header too large for the memory left is refused like one too large to hold: what was read of it
// is dropped.
bool ReadFileInfo(const TFileHandle& file, FileInfo& info, TReadExtent extent) {
    headerReads.fetch_add(1, std::memory_order_relaxed);
    try {
        return ReadHeaders(file, info, extent);
    } catch (const std::bad_alloc&) {
        info = FileInfo{};
        info.Identity = IdentityOf(file.Stat());
        info.FileSize = file.Size();
        info.TooLarge = true;
        return true;
    }
}

}  // namespace parvex
