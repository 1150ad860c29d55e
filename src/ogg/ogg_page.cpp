#include "ogg/ogg_page.h"

#include <algorithm>
#include <cstring>
#include <optional>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "fs/file_handle.h"

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
// The last page nearly always starts within the final 8 KB (a Vorbis page rarely holds more than
// about 4 KB), which costs the copy of fewer memory pages than the 12,060 bytes the search reaches.
constexpr int64_t kLastPageFirstReach = 8192;
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

namespace {

// Byte layout: 0 "OggS", 4 version, 5 flags, 6 granule (8), 14 serial (4), 18 sequence (4),
// 22 checksum (4), 26 segment count, 27 segment table. Writes header.HeaderSize() bytes.
void WriteHeaderBytes(const OggPageHeader& header, char* out) {
    auto* p = reinterpret_cast<uint8_t*>(out);
    std::memcpy(p, kCapture, 4);
    p[4] = header.Version;
    p[5] = header.Flags;
    WriteLe64(header.GranulePos, p + 6);
    WriteLe32(header.Serial, p + 14);
    WriteLe32(header.Sequence, p + OggPageHeader::kSequenceOffset);
    WriteLe32(header.Crc, p + OggPageHeader::kCrcOffset);
    p[26] = header.SegmentCount;
    std::copy_n(header.SegmentTable.begin(), header.SegmentCount, p + OggPageHeader::kFixedSize);
}

}  // namespace

std::string OggPageHeader::Serialize() const {
    std::string out(HeaderSize(), '\0');
    WriteHeaderBytes(*this, out.data());
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

namespace {

// Eight bytes at a time: the first four enter the register, the next four are stepped on their own,
// and the tables give what each byte contributes after the bytes that follow it.
void UpdateCrcByTables(uint32_t& crc, const uint8_t* p, std::size_t count) {
    const auto& t = kCrcTables;
    for (; count >= 8; p += 8, count -= 8) {
        const uint32_t a = crc ^ ReadBe32(p);
        crc = t[7][a >> 24] ^ t[6][(a >> 16) & 0xFF] ^ t[5][(a >> 8) & 0xFF] ^ t[4][a & 0xFF] ^ t[3][p[4]] ^
              t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; count > 0; ++p, --count) crc = kCrcTable[(crc >> 24) ^ *p] ^ (crc << 8);
}

#if defined(__x86_64__)

// x^n modulo the polynomial: what a bit n places before the end of a message contributes.
constexpr uint64_t PowerOfXModPolynomial(unsigned n) {
    uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    return r;
}

// Carry-less multiplication folds the message 16 bytes at a time. Block A (128 bits, first byte
// most significant) followed by n more bytes counts as A * x^(8n); moving it 16 bytes on multiplies
// it by x^128, and A * x^128 = A_high * x^192 + A_low * x^128, whose two products with the constant
// remainders fit in 95 bits and are added to the next block. The last folded block and the bytes
// left over then go through the tables, so the result is bit for bit the tables' own.
struct TFoldConstants {
    uint64_t High;  // x^(128 * blocks + 64) mod P
    uint64_t Low;   // x^(128 * blocks) mod P
};
constexpr TFoldConstants kFoldBy1{PowerOfXModPolynomial(192), PowerOfXModPolynomial(128)};
constexpr TFoldConstants kFoldBy4{PowerOfXModPolynomial(576), PowerOfXModPolynomial(512)};

__attribute__((target("pclmul,ssse3"))) __m128i LoadBigEndian(const uint8_t* p) {
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// `block` moved on by the distance the constants stand for, added to `next`.
__attribute__((target("pclmul,ssse3"))) __m128i Fold(__m128i block, TFoldConstants k, __m128i next) {
    const __m128i constants = _mm_set_epi64x(static_cast<int64_t>(k.High), static_cast<int64_t>(k.Low));
    const __m128i high = _mm_clmulepi64_si128(block, constants, 0x11);
    const __m128i low = _mm_clmulepi64_si128(block, constants, 0x00);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// For 64 bytes or more. The register enters as the message's first four bytes XORed with it.
__attribute__((target("pclmul,ssse3"))) void UpdateCrcByFolding(uint32_t& crc, const uint8_t* p,
                                                                std::size_t count) {
    __m128i lanes[4];
    for (int i = 0; i < 4; ++i) lanes[i] = LoadBigEndian(p + 16 * i);
    lanes[0] = _mm_xor_si128(lanes[0], _mm_set_epi32(static_cast<int>(crc), 0, 0, 0));
    p += 64;
    count -= 64;
    // Four independent lanes keep the multiplier busy; each moves 64 bytes on per step.
    for (; count >= 64; p += 64, count -= 64)
        for (int i = 0; i < 4; ++i) lanes[i] = Fold(lanes[i], kFoldBy4, LoadBigEndian(p + 16 * i));
    __m128i block = lanes[0];
    for (int i = 1; i < 4; ++i) block = Fold(block, kFoldBy1, lanes[i]);
    for (; count >= 16; p += 16, count -= 16) block = Fold(block, kFoldBy1, LoadBigEndian(p));
    alignas(16) uint8_t folded[16];
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), _mm_shuffle_epi8(block, reverse));
    crc = 0;
    UpdateCrcByTables(crc, folded, sizeof folded);
    UpdateCrcByTables(crc, p, count);
}

// Asked once at start-up; the processor model is read first, since the order of start-up code
// does not promise that the run-time library has read it before this.
bool ProcessorCanFold() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
}

const bool kCanFold = ProcessorCanFold();

#endif

}  // namespace

void UpdatePageCrc(uint32_t& crc, const void* buffer, std::size_t count) {
    const auto* p = static_cast<const uint8_t*>(buffer);
#if defined(__x86_64__)
    if (count >= 64 && kCanFold) return UpdateCrcByFolding(crc, p, count);
#endif
    UpdateCrcByTables(crc, p, count);
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

uint32_t PageCrc(const OggPageHeader& header, std::string_view body) {
    std::array<char, OggPageHeader::kMaxSize> bytes;
    WriteHeaderBytes(header, bytes.data());
    uint32_t crc = PageCrc({bytes.data(), header.HeaderSize()});
    UpdatePageCrc(crc, body.data(), body.size());
    return crc;
}

void SealPage(std::string& page) {
    WriteLe32(PageCrc(page), page.data() + OggPageHeader::kCrcOffset);
}

// An ID3v2 header is "ID3", version (2), flags (1) and four size bytes, most significant first,
// seven bits each; the size counts the bytes after the 10-byte header, plus 10 for a footer.
int64_t LeadingTagSize(const TFileHandle& file) {
    const std::string_view head = file.ReadAt(0, 10);
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0) return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(head.data());
    int64_t size = (int64_t{b[6]} << 21) + (int64_t{b[7]} << 14) + (int64_t{b[8]} << 7) + b[9] + 10;
    if (b[5] & 0x10) size += 10;
    return size > file.Size() ? 0 : size;
}

namespace {

// The granule of the last page of `serial` whose header starts within the final `reach` bytes of
// the file and not before `dataStart` and whose granule is known; nothing when there is none.
// `unknown` is set when a page of the stream was found whose granule is -1 (no packet ends on it).
std::optional<int64_t> LastGranuleWithin(const TFileHandle& file, uint32_t serial, int64_t dataStart,
                                         int64_t reach, bool& unknown) {
    const int64_t size = file.Size();
    const int64_t from = std::max({int64_t{0}, dataStart, size - reach});
    if (size - from < static_cast<int64_t>(OggPageHeader::kFixedSize)) return std::nullopt;
    const std::string_view tail = file.ReadAt(from, static_cast<std::size_t>(size - from));
    // Every start position whose 27 fixed header bytes lie within the file, from the end backwards;
    // memrchr finds each candidate's first letter many bytes at a time.
    std::size_t end = tail.size() - OggPageHeader::kFixedSize + 1;
    while (const void* hit = ::memrchr(tail.data(), kCapture[0], end)) {
        end = static_cast<std::size_t>(static_cast<const char*>(hit) - tail.data());
        if (tail.compare(end, 4, kCapture) != 0) continue;
        const auto* h = reinterpret_cast<const uint8_t*>(tail.data() + end);
        if (ReadLe32(h + 14) != serial) continue;
        const auto granule = static_cast<int64_t>(ReadLe64(h + 6));
        if (granule != -1) return granule;
        unknown = true;
    }
    return std::nullopt;
}

}  // namespace

// The last page nearly always starts within the final 12,060 bytes; a larger one (a second of
// surround Opus makes pages of tens of kilobytes) is looked for as far back as a page can reach.
// Encoders may end a stream with an empty page that has no granule (-1): the page before it still
// tells the length.
int64_t FindLastGranule(const TFileHandle& file, uint32_t serial, int64_t dataStart) {
    bool unknown = false;
    for (const int64_t reach : {kLastPageFirstReach, kLastPageReach, kLargestPage})
        if (const auto granule = LastGranuleWithin(file, serial, dataStart, reach, unknown)) return *granule;
    return unknown ? -1 : 0;
}

}  // namespace parvex
