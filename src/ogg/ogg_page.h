#pragma once
// The Ogg page layer: the page header record, the page checksum, where the Ogg data of a file
// begins, and the granule position of the last page of a stream.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

class TFileHandle;

// Header type flags of an Ogg page.
constexpr uint8_t kPageContinued = 0x01;  // the page begins with the rest of a packet
constexpr uint8_t kPageFirst = 0x02;      // first page of a logical stream
constexpr uint8_t kPageLast = 0x04;       // last page of a logical stream

// One page header as stored in the file: 27 fixed bytes and a segment table of up to 255 lacing
// values. All multi-byte fields are little-endian in the file.
struct OggPageHeader {
    static constexpr std::size_t kFixedSize = 27;
    static constexpr std::size_t kMaxSize = kFixedSize + 255;
    static constexpr std::size_t kCrcOffset = 22;
    static constexpr std::size_t kSequenceOffset = 18;

    uint8_t Version = 0;
    uint8_t Flags = 0;
    int64_t GranulePos = 0;
    uint32_t Serial = 0;
    uint32_t Sequence = 0;
    uint32_t Crc = 0;
    uint8_t SegmentCount = 0;
    std::array<uint8_t, 255> SegmentTable{};

    std::size_t HeaderSize() const { return kFixedSize + SegmentCount; }
    // The sum of the lacing values: the length of the page body.
    std::size_t BodySize() const;
    // The 27 + SegmentCount bytes of the header, the stored Crc included.
    std::string Serialize() const;
};

// Parses a page header from the start of `bytes`. False when the capture pattern "OggS" is missing
// or `bytes` ends before the segment table does.
bool ParsePageHeader(std::string_view bytes, OggPageHeader& header);

// Runs `count` bytes through the Ogg CRC-32 register `crc` (polynomial 0x04C11DB7, most significant
// bit first, no reflection, no final XOR; a page's register starts at 0).
void UpdatePageCrc(uint32_t& crc, const void* buffer, std::size_t count);

// Runs `count` zero bytes through the register: what a stretch of the page left as it was
// contributes to the difference between two checksums.
void UpdatePageCrcWithZeros(uint32_t& crc, std::size_t count);

// The checksum of a whole page (header and body) with its checksum field taken as zero.
uint32_t PageCrc(std::string_view page);
// The same for a page given as its parsed header and its body.
uint32_t PageCrc(const OggPageHeader& header, std::string_view body);

// Stores PageCrc of `page` into its checksum field (bytes 22 to 25, little-endian).
void SealPage(std::string& page);

// The offset of the first Ogg page: the size of an ID3v2 tag at the start of the file (its footer
// included), or 0 when there is none or its size runs past the end of the file.
int64_t LeadingTagSize(const TFileHandle& file);

// The granule position of the last page of stream `serial` with a known granule (not -1: a page on
// which no packet ends, such as an empty last page, tells nothing) whose header starts within the
// final 12,060 bytes of the file and not before `dataStart`, or when none does, within the final
// bytes a page of the largest size can span (65,307). -1 when only pages without a granule were
// found there, 0 when no page of the stream was.
int64_t FindLastGranule(const TFileHandle& file, uint32_t serial, int64_t dataStart);

uint32_t ReadLe32(const void* bytes);
void WriteLe32(uint32_t value, void* bytes);

}  // namespace parvex
