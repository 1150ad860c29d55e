#include "ogg/header_pages.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "fs/fd_io.h"

namespace parvex {

namespace {

struct Segment {
    uint8_t Lacing;
    std::string_view Bytes;
};

// A packet as segments: full 255-byte segments and one shorter final segment (0 bytes when the
// length is a multiple of 255).
void AppendSegments(std::string_view packet, std::vector<Segment>& segments) {
    while (true) {
        const std::size_t lacing = std::min<std::size_t>(255, packet.size());
        segments.push_back({static_cast<uint8_t>(lacing), packet.substr(0, lacing)});
        packet.remove_prefix(lacing);
        if (lacing < 255) return;
    }
}

// Reads whole pages from a file in large blocks.
class TPageReader {
public:
    TPageReader(int fd, int64_t pos, int64_t end) : fd_(fd), pos_(pos), end_(end) {}

    int64_t Pos() const { return pos_; }

    // The whole page at the current position, if one is there; it stays valid until the next call.
    bool NextPage(std::string_view& page, OggPageHeader& header) {
        if (!Have(OggPageHeader::kFixedSize) || !Have(OggPageHeader::kFixedSize + Byte(26))) return false;
        if (!ParsePageHeader(View(OggPageHeader::kMaxSize), header)) return false;
        const std::size_t size = header.HeaderSize() + header.BodySize();
        if (!Have(size)) return false;
        page = View(size);
        pos_ += static_cast<int64_t>(size);
        return true;
    }

private:
    // Makes sure `count` bytes from the current position are in the buffer, if the file has them.
    bool Have(std::size_t count) {
        if (end_ - pos_ < static_cast<int64_t>(count)) return false;
        if (pos_ < bufferPos_ || pos_ + static_cast<int64_t>(count) > bufferPos_ + static_cast<int64_t>(buffer_.size())) {
            const auto size = static_cast<std::size_t>(std::min<int64_t>(std::max(count, kBlock), end_ - pos_));
            buffer_ = ReadExactly(fd_, pos_, size);
            bufferPos_ = pos_;
        }
        return true;
    }
    uint8_t Byte(std::size_t at) const { return static_cast<uint8_t>(buffer_[Offset() + at]); }
    std::string_view View(std::size_t count) const {
        return std::string_view(buffer_).substr(Offset(), count);
    }
    std::size_t Offset() const { return static_cast<std::size_t>(pos_ - bufferPos_); }

    static constexpr std::size_t kBlock = 1 << 20;
    int fd_;
    int64_t pos_;
    int64_t end_;
    std::string buffer_;
    int64_t bufferPos_ = 0;
};

// The checksum a page gets when only its sequence number changes from `from` to `to`. The page
// checksum is linear in the page's bits, so the new one is the stored one plus the checksum of the
// difference: the 4 changed bytes at offset 18 followed by zeros to the page's end.
uint32_t CrcAfterRenumbering(uint32_t storedCrc, uint32_t from, uint32_t to, std::size_t pageSize) {
    uint8_t diff[4];
    WriteLe32(from ^ to, diff);
    uint32_t crc = 0;
    UpdatePageCrc(crc, diff, 4);
    UpdatePageCrcWithZeros(crc, pageSize - OggPageHeader::kCrcOffset);
    return storedCrc ^ crc;
}

// Whether a page's capture pattern "OggS" begins in [offset, end) of `fd`. Read a piece at a time,
// so that memory stays small however large the range; holes, which read as zeros, are passed over.
bool HoldsCapture(int fd, int64_t offset, int64_t end) {
    constexpr int64_t kPiece = int64_t{1} << 20;
    constexpr int64_t kOverlap = 3;  // a pattern across two pieces
    for (int64_t pos = offset; pos < end; pos += kPiece) {
        const off_t data = ::lseek(fd, pos, SEEK_DATA);
        if (data < 0 && errno == ENXIO) return false;
        if (data > pos) pos = data;
        if (pos >= end) return false;
        const auto size = static_cast<std::size_t>(std::min(kPiece + kOverlap, end - pos));
        if (ReadExactly(fd, pos, size).find("OggS") != std::string::npos) return true;
    }
    return false;
}

void FlushIfFull(int to, std::string& out, bool force = false) {
    if (out.size() >= (1u << 20) || (force && !out.empty())) {
        WriteAll(to, out);
        out.clear();
    }
}

}  // namespace

std::vector<std::string> LayHeaderPages(const std::vector<std::string_view>& packets,
                                        const OggPageHeader& model, bool endOfStream) {
    std::vector<std::string> pages;
    LayHeaderPages(packets, model, endOfStream, [&pages](std::string&& page) { pages.push_back(std::move(page)); });
    return pages;
}

std::size_t LayHeaderPages(const std::vector<std::string_view>& packets, const OggPageHeader& model,
                           bool endOfStream, const std::function<void(std::string&&)>& put) {
    std::vector<Segment> segments;
    for (std::string_view packet : packets) AppendSegments(packet, segments);
    std::size_t pages = 0;
    bool continued = false;
    for (std::size_t start = 0; start < segments.size(); start += 255) {
        const std::size_t count = std::min<std::size_t>(255, segments.size() - start);
        OggPageHeader header;
        header.Version = model.Version;
        header.Flags = continued ? kPageContinued : 0;
        if (endOfStream && start + count == segments.size()) header.Flags |= kPageLast;
        header.Serial = model.Serial;
        header.Sequence = model.Sequence + static_cast<uint32_t>(pages++);
        header.SegmentCount = static_cast<uint8_t>(count);
        bool packetEnds = false;
        std::size_t bodySize = 0;
        for (std::size_t i = 0; i < count; ++i) {
            header.SegmentTable[i] = segments[start + i].Lacing;
            bodySize += segments[start + i].Bytes.size();
            packetEnds = packetEnds || segments[start + i].Lacing < 255;
        }
        // Header packets have granule position 0; a page on which no packet ends has none (-1).
        header.GranulePos = packetEnds ? 0 : -1;
        std::string page = header.Serialize();
        page.reserve(page.size() + bodySize);
        for (std::size_t i = 0; i < count; ++i) page += segments[start + i].Bytes;
        SealPage(page);
        put(std::move(page));
        continued = segments[start + count - 1].Lacing == 255;
    }
    return pages;
}

// A packet takes one lacing value per whole 255 bytes and one for the rest (0 to 254 bytes).
HeaderLayout HeaderLayoutOf(std::span<const std::size_t> packetSizes) {
    std::size_t segments = 0;
    std::size_t body = 0;
    for (const std::size_t size : packetSizes) {
        segments += size / 255 + 1;
        body += size;
    }
    const std::size_t pages = (segments + 254) / 255;
    return {pages, pages * OggPageHeader::kFixedSize + segments + body};
}

void CopyShiftingSequence(int from, int64_t offset, int64_t fileSize, uint32_t serial, int64_t shift, int to) {
    TPageReader reader(from, offset, fileSize);
    std::string out;
    std::string_view page;
    OggPageHeader header;
    bool ended = false;
    while (reader.NextPage(page, header)) {
        if (header.Serial != serial || ended) {
            out += page;
        } else {
            const auto sequence = static_cast<uint32_t>(header.Sequence + shift);
            std::string renumbered(page);
            WriteLe32(sequence, renumbered.data() + OggPageHeader::kSequenceOffset);
            WriteLe32(CrcAfterRenumbering(header.Crc, header.Sequence, sequence, page.size()),
                      renumbered.data() + OggPageHeader::kCrcOffset);
            out += renumbered;
            ended = (header.Flags & kPageLast) != 0;
        }
        FlushIfFull(to, out);
    }
    FlushIfFull(to, out, true);
    const int64_t rest = fileSize - reader.Pos();
    if (rest <= 0) return;
    // Bytes after the last whole page: an ID3v1 tag, padding, or a last page cut off by the end of
    // the file. A page header further on would mean pages this copy cannot see as pages.
    if (HoldsCapture(from, reader.Pos() + 1, fileSize)) throw std::runtime_error("unreadable data between Ogg pages");
    CopyRange(from, reader.Pos(), rest, to);
}

}  // namespace parvex
