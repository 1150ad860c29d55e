#include "ogg/opus_head.h"

namespace parvex {

namespace {

constexpr std::string_view kMagic = "OpusHead";
constexpr std::size_t kFixedSize = 19;

uint16_t Le16(std::string_view bytes, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint32_t Le32(std::string_view bytes, std::size_t at) {
    return Le16(bytes, at) | uint32_t{Le16(bytes, at + 2)} << 16;
}

}  // namespace

// Layout: magic (8), version (1), channels (1), pre-skip (2), input rate (4), output gain (2,
// signed), mapping family (1); all little-endian. Any family but 0 adds stream count (1), coupled
// stream count (1) and one mapping byte per channel.
bool ParseOpusHead(std::string_view packet, OpusHead& head) {
    if (packet.size() < kFixedSize || packet.substr(0, kMagic.size()) != kMagic) return false;
    head.Version = static_cast<uint8_t>(packet[8]);
    head.Channels = static_cast<uint8_t>(packet[9]);
    head.PreSkip = Le16(packet, 10);
    head.InputSampleRate = Le32(packet, 12);
    head.OutputGain = static_cast<int16_t>(Le16(packet, 16));
    head.MappingFamily = static_cast<uint8_t>(packet[18]);
    if (head.Version >> 4 != 0 || head.Channels == 0) return false;
    if (head.MappingFamily == 0) return head.Channels <= 2;
    if (packet.size() < kFixedSize + 2 + static_cast<std::size_t>(head.Channels)) return false;
    const int streams = static_cast<uint8_t>(packet[19]);
    const int coupled = static_cast<uint8_t>(packet[20]);
    return streams > 0 && coupled <= streams;
}

}  // namespace parvex
