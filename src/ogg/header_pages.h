#pragma once
// Re-paging of the header packets after the identification header, and the renumbering of the pages after
// them, for a rewrite that changes how many pages the headers take.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ogg/ogg_page.h"

namespace parvex {

// Lays the header packets (the comment packet, then Vorbis's setup packet) on as many pages as they
// need, at most 255 lacing values to a page, sealed with their checksums. The pages take version
// and serial from `model` and are numbered from its sequence number on; each has granule position 0
// where a packet ends on it and -1 where none does, the continued flag where a packet goes on from
// the page before, and the last packet ends the last page, which carries the end-of-stream flag when
// `endOfStream`.
std::vector<std::string> LayHeaderPages(const std::vector<std::string_view>& packets,
                                        const OggPageHeader& model, bool endOfStream);
// The same, handing each page to `put` as soon as it is laid, so that a header of megabytes is never
// held twice; returns the count of pages.
std::size_t LayHeaderPages(const std::vector<std::string_view>& packets, const OggPageHeader& model,
                           bool endOfStream, const std::function<void(std::string&&)>& put);

// How many pages and bytes LayHeaderPages lays packets of these sizes on.
struct HeaderLayout {
    std::size_t Pages = 0;
    std::size_t Bytes = 0;
};
HeaderLayout HeaderLayoutOf(std::span<const std::size_t> packetSizes);

// Copies bytes [offset, fileSize) of `from` onto the current position of `to`, adding `shift` to
// the sequence number of every page of stream `serial` up to and including its end-of-stream page.
// Such a page keeps the relation of its checksum to its bytes: a page that was intact stays intact,
// a damaged one stays as damaged. Pages of other streams and bytes after the last whole page are
// copied unchanged. Raises std::system_error on an I/O error, and std::runtime_error when the bytes
// after the last whole page hold a further page header, which could not be renumbered.
void CopyShiftingSequence(int from, int64_t offset, int64_t fileSize, uint32_t serial, int64_t shift, int to);

}  // namespace parvex
