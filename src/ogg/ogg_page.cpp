#include "ogg/ogg_page.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "ogg/file_handle.h"

namespace parvex {

namespace {

// Table k, entry i: the register after shifting i * 2^24 through the polynomial 0x04C11DB7 for 8 bits
// and then k zero bytes more. Table 0 alone steps the register byte by byte; the eight together
// step it eight bytes at a time. Computed by the compiler, so the tables are constants of the
// program.
using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TCrcTables MakeCrcTables() {
    TCrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        tables[0][i] = r;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (uint32_t i = 0; i < 256; ++i) {
            const uint32_t r = tables[k - 1][i];
            tables[k][i] = (r << 8) ^ tables[0][r >> 24];
        }
    return tables;
}

constexpr TCrcTables kCrcTables = MakeCrcTables();
constexpr const std::array<uint32_t, 256>& kCrcTable = kCrcTables[0];
static_assert(kCrcTable[1] == 0x04C11DB7u);
static_assert(kCrcTable[255] == 0xB1F740B4u);

uint32_t ReadBe32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

constexpr char kCapture[] = "OggS";
constexpr int64_t kLastPageReach = 12060;
// The largest page there can be: header, 255 lacing values and 255 full segments.
constexpr int64_t kLargestPage = OggPageHeader::kMaxSize + 255 * 255;

int64_t ReadLe64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return static_cast<int64_t>(v);
}

void WriteLe64(int64_t value, uint8_t* p) {
    auto v = static_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

}  // namespace

uint32_t ReadLe32(const void* bytes) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLe32(uint32_t value, void* bytes) {
    auto* p = static_cast<uint8_t*>(bytes);
    for (int i = 0; i < 4; ++i, value >>= 8) p[i] = static_cast<uint8_t>(value);
}

std::size_t OggPageHeader::BodySize() const {
    std::size_t size = 0;
    for (std::size_t i = 0; i < SegmentCount; ++i) size += SegmentTable[i];
    return size;
}

// Byte layout: 0 "OggS", 4 version, 5 flags, 6 granule (8), 14 serial (4), 18 sequence (4),
// 22 checksum (4), 26 segment count, 27 segment table.
std::string OggPageHeader::Serialize() const {
    std::string out(HeaderSize(), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    std::memcpy(p, kCapture, 4);
    p[4] = Version;
    p[5] = Flags;
    WriteLe64(GranulePos, p + 6);
    WriteLe32(Serial, p + 14);
    WriteLe32(Sequence, p + kSequenceOffset);
    WriteLe32(Crc, p + kCrcOffset);
    p[26] = SegmentCount;
    std::copy_n(SegmentTable.begin(), SegmentCount, p + kFixedSize);
    return out;
}

bool ParsePageHeader(std::string_view bytes, OggPageHeader& header) {
    if (bytes.size() < OggPageHeader::kFixedSize || bytes.substr(0, 4) != kCapture) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < OggPageHeader::kFixedSize + p[26]) return false;
    header.Version = p[4];
    header.Flags = p[5];
    header.GranulePos = ReadLe64(p + 6);
    header.Serial = ReadLe32(p + 14);
    header.Sequence = ReadLe32(p + OggPageHeader::kSequenceOffset);
    header.Crc = ReadLe32(p + OggPageHeader::kCrcOffset);
    header.SegmentCount = p[26];
    header.SegmentTable.fill(0);
    std::copy_n(p + OggPageHeader::kFixedSize, header.SegmentCount, header.SegmentTable.begin());
    return true;
}

// Eight bytes at a time: the first four enter the register, the next four are stepped on their own,
// and the tables give what each byte contributes after the bytes that follow it.
void UpdatePageCrc(uint32_t& crc, const void* buffer, std::size_t count) {
    const auto* p = static_cast<const uint8_t*>(buffer);
    const auto& t = kCrcTables;
    for (; count >= 8; p += 8, count -= 8) {
        const uint32_t a = crc ^ ReadBe32(p);
        crc = t[7][a >> 24] ^ t[6][(a >> 16) & 0xFF] ^ t[5][(a >> 8) & 0xFF] ^ t[4][a & 0xFF] ^ t[3][p[4]] ^
              t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; count > 0; ++p, --count) crc = kCrcTable[(crc >> 24) ^ *p] ^ (crc << 8);
}

void UpdatePageCrcWithZeros(uint32_t& crc, std::size_t count) {
    for (std::size_t i = 0; i < count && crc != 0; ++i) crc = kCrcTable[crc >> 24] ^ (crc << 8);
}

uint32_t PageCrc(std::string_view page) {
    uint32_t crc = 0;
    const std::size_t head = std::min(page.size(), OggPageHeader::kCrcOffset);
    UpdatePageCrc(crc, page.data(), head);
    if (page.size() <= head) return crc;
    const std::size_t field = std::min<std::size_t>(4, page.size() - head);
    UpdatePageCrcWithZeros(crc, field);
    UpdatePageCrc(crc, page.data() + head + field, page.size() - head - field);
    return crc;
}

void SealPage(std::string& page) {
    WriteLe32(PageCrc(page), page.data() + OggPageHeader::kCrcOffset);
}

// An ID3v2 header is "ID3", version (2), flags (1) and four size bytes, most significant first,
// seven bits each; the size counts the bytes after the 10-byte header, plus 10 for a footer.
int64_t LeadingTagSize(const TFileHandle& file) {
    const std::string head = file.ReadAt(0, 10);
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0) return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(head.data());
    int64_t size = (int64_t{b[6]} << 21) + (int64_t{b[7]} << 14) + (int64_t{b[8]} << 7) + b[9] + 10;
    if (b[5] & 0x10) size += 10;
    return size > file.Size() ? 0 : size;
}

namespace {

// The granule of the last page of `serial` whose header starts within the final `reach` bytes of
// the file and not before `dataStart`; nothing when there is none.
std::optional<int64_t> LastGranuleWithin(const TFileHandle& file, uint32_t serial, int64_t dataStart,
                                         int64_t reach) {
    const int64_t size = file.Size();
    const int64_t from = std::max({int64_t{0}, dataStart, size - reach});
    if (size - from < static_cast<int64_t>(OggPageHeader::kFixedSize)) return std::nullopt;
    const std::string tail = file.ReadAt(from, static_cast<std::size_t>(size - from));
    // Every start position whose 27 fixed header bytes lie within the file, from the end backwards;
    // memrchr finds each candidate's first letter many bytes at a time.
    std::size_t end = tail.size() - OggPageHeader::kFixedSize + 1;
    while (const void* hit = ::memrchr(tail.data(), kCapture[0], end)) {
        end = static_cast<std::size_t>(static_cast<const char*>(hit) - tail.data());
        if (tail.compare(end, 4, kCapture) != 0) continue;
        const auto* h = reinterpret_cast<const uint8_t*>(tail.data() + end);
        if (ReadLe32(h + 14) == serial) return ReadLe64(h + 6);
    }
    return std::nullopt;
}

}  // namespace

// The last page nearly always starts within the final 12,060 bytes; a larger one (a second of
// surround Opus makes pages of tens of kilobytes) is looked for as far back as a page can reach.
int64_t FindLastGranule(const TFileHandle& file, uint32_t serial, int64_t dataStart) {
    for (const int64_t reach : {kLastPageReach, kLargestPage})
        if (const auto granule = LastGranuleWithin(file, serial, dataStart, reach)) return *granule;
    return 0;
}

}  // namespace parvex
