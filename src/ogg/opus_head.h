#pragma once
// The Opus identification header ("OpusHead"): what a reader needs to know of the stream.

#include <cstdint>
#include <string_view>

namespace parvex {

struct OpusHead {
    uint8_t Version = 0;
    int Channels = 0;
    uint16_t PreSkip = 0;          // samples at 48 kHz to drop at the start of the decoded stream
    uint32_t InputSampleRate = 0;  // the rate of the encoder's input, for display; 0 when not given
    int16_t OutputGain = 0;        // Q7.8 dB
    uint8_t MappingFamily = 0;
};

// Parses an identification packet: "OpusHead", version, channel count, pre-skip, input sample
// rate, output gain, mapping family and, for a family other than 0, the channel mapping table.
// False when the packet is cut short, its major version is not 0 (a later, incompatible layout),
// it names no channel, or the family 0 stream (mono or stereo) has more than two channels.
bool ParseOpusHead(std::string_view packet, OpusHead& head);

}  // namespace parvex
