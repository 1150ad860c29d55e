#include "ogg/comment_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <system_error>

#include "fs/block_sharing.h"
#include "fs/fd_io.h"
#include "fs/file_handle.h"
#include "fs/file_metadata.h"
#include "fs/folder_replace.h"
#include "ogg/header_pages.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "ogg/utf8.h"
#include "text/large_text.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

[[noreturn]] void Fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void PutLe32(std::string& out, uint32_t value) {
    char bytes[4];
    WriteLe32(value, bytes);
    out.append(bytes, 4);
}

// Where the old comment packet ends: after its last comment and the bytes that followed it.
int64_t OldPacketEnd(const FileInfo& info) {
    return info.CommentsEnd + static_cast<int64_t>(info.CommentTail.size());
}

// Copies the old file from `offset` to its end after what `to` holds. What lands within the first
// TFileHandle::kReadAhead bytes of the new file is copied through memory, never shared: shared blocks
// are not in memory for the new file, and the checksum and the read back, which read those bytes
// next, would each wait for the disk.
void CopyRest(int from, int64_t offset, const FileInfo& info, int to, std::size_t shareBlock) {
    const int64_t at = ::lseek(to, 0, SEEK_CUR);
    if (at < 0) Fail("seek");
    const int64_t count = info.FileSize - offset;
    const int64_t inMemory = std::clamp(static_cast<int64_t>(TFileHandle::kReadAhead) - at, int64_t{0}, count);
    WriteAll(to, ReadExactly(from, offset, static_cast<std::size_t>(inMemory)));
    CopyRange(from, offset + inMemory, count - inMemory, to, shareBlock);
}

// The checksum of the second page of the file open as `fd`, from the header in info.SecondPage (its
// checksum field zero) and the body read back from the file, stored at SecondPagePos + 22.
void StoreSecondPageCrc(int fd, const FileInfo& info) {
    const std::string body =
        ReadExactly(fd, info.SecondPagePos + static_cast<int64_t>(info.SecondPage.HeaderSize()),
                    info.SecondPage.BodySize());
    char stored[4];
    WriteLe32(PageCrc(info.SecondPage, body), stored);
    if (::pwrite(fd, stored, 4, info.SecondPagePos + static_cast<int64_t>(OggPageHeader::kCrcOffset)) != 4)
        Fail("write checksum");
}

// Only the second page changes: the bytes before it and after the old comment packet are copied.
void WriteInPlaceOfSecondPage(int from, int to, const std::string& commentData, const std::string& tail,
                              const FileInfo& info, std::size_t shareBlock) {
    CopyRange(from, 0, info.SecondPagePos, to, shareBlock);
    WriteAll(to, info.SecondPage.Serialize() + commentData + tail);  // one call for the three pieces
    CopyRest(from, OldPacketEnd(info), info, to, shareBlock);
    StoreSecondPageCrc(to, info);
}

// The header packets after the identification header: the comment packet, then Vorbis's setup packet.
std::vector<std::string_view> HeaderPackets(std::string_view comment, const FileInfo& info) {
    std::vector<std::string_view> packets = {comment};
    if (info.Codec == OggCodec::Vorbis) packets.emplace_back(info.SetupPacket);
    return packets;
}

// The header pages are laid out anew; the pages after them follow, renumbered when the count of
// header pages changed.
// Each page is written as it is laid, so that the header is never held twice.
void WriteRepaged(int from, int to, std::string_view comment, const FileInfo& info, std::size_t shareBlock) {
    const HeaderPage& last = info.HeaderPages.back();
    CopyRange(from, 0, info.SecondPagePos, to, shareBlock);
    const std::size_t pages = LayHeaderPages(HeaderPackets(comment, info), info.SecondPage,
                                             (last.Header.Flags & kPageLast) != 0,
                                             [to](std::string&& page) { WriteAll(to, page); });
    const int64_t shift = static_cast<int64_t>(pages) - static_cast<int64_t>(info.HeaderPages.size());
    if (shift == 0)
        CopyRest(from, last.End(), info, to, shareBlock);
    else
        CopyShiftingSequence(from, last.End(), info.FileSize, info.FirstPage.Serial, shift, to);
}

// The lacing values the second page needs with a comment packet of `packetSize` bytes: the packet's,
// then the page's values after the old packet's (k, its first value below 255). Nothing when the old
// packet does not end on the page or the count passes 255.
std::optional<std::size_t> SecondPageSegments(const FileInfo& info, std::size_t packetSize) {
    const OggPageHeader& page = info.SecondPage;
    std::size_t k = 0;
    while (k < page.SegmentCount && page.SegmentTable[k] == 255) ++k;
    if (k == page.SegmentCount) return std::nullopt;
    const std::size_t count = packetSize / 255 + 1 + page.SegmentCount - (k + 1);
    if (count > 255) return std::nullopt;
    return count;
}

// How many bytes at the start of the comment tail are kept when the save pads: Vorbis's framing byte
// (or nothing for Opus) when zero bytes alone follow it. Those zero bytes are padding, left by an
// earlier save or another tagger, and may grow or shrink; any other bytes there are data kept as
// they are (nothing returned).
std::optional<std::size_t> KeptTailSize(const FileInfo& info) {
    const std::string& tail = info.CommentTail;
    const std::size_t kept = info.Codec == OggCodec::Vorbis ? 1 : 0;
    if (tail.size() < kept || (kept == 1 && tail[0] != '\x01')) return std::nullopt;
    if (tail.find_first_not_of('\0', kept) != std::string::npos) return std::nullopt;
    return kept;
}

// Where the copied rest of the file begins in the new file for a comment packet of a given size;
// nothing when the packet cannot be laid out that way.
using HeadersEnd = std::function<std::optional<int64_t>(std::size_t packetSize)>;

// The bytes the new comment packet ends in after `dataSize` bytes of comment data. Where the file
// system shares blocks (`shareBlock` non-zero) and the old tail is padding: its kept bytes and the
// fewest zero bytes that put the rest of the file at the offset it had (`oldRestPos`) modulo the
// block size, so that its blocks are shared. Otherwise, or when no padding of up to a block (and the
// lacing values it brings) does it, the old tail as read, so that a file never grows save after save.
std::string NewCommentTail(const FileInfo& info, std::size_t dataSize, std::size_t shareBlock,
                           int64_t oldRestPos, const HeadersEnd& restPos) {
    const auto kept = KeptTailSize(info);
    if (shareBlock == 0 || !kept) return info.CommentTail;
    const auto block = static_cast<int64_t>(shareBlock);
    for (std::size_t pad = 0; pad <= shareBlock + shareBlock / 255 + 2; ++pad) {
        const auto pos = restPos(dataSize + *kept + pad);
        if (pos && (*pos - oldRestPos) % block == 0) return info.CommentTail.substr(0, *kept) + std::string(pad, '\0');
    }
    return info.CommentTail;
}

// The comment packet stays on the second page where it fits there; else the header pages are laid
// out anew, the tail appended to `commentData` in place (BuildCommentData leaves room for it).
// Where the file system shares blocks, the packet is padded so that the rest of the file keeps its
// offset modulo the block size, with the same count of header pages.
void WriteNewFile(int from, int to, std::string& commentData, FileInfo& info) {
    const std::size_t block = SharedBlockSize(from, to);
    if (info.CommentOnSecondPage) {
        const HeadersEnd inPlace = [&info](std::size_t packet) -> std::optional<int64_t> {
            const auto segments = SecondPageSegments(info, packet);
            if (!segments) return std::nullopt;
            return info.SecondPagePos + static_cast<int64_t>(OggPageHeader::kFixedSize + *segments + packet);
        };
        const std::string tail = NewCommentTail(info, commentData.size(), block, OldPacketEnd(info), inPlace);
        if (RebuildSegmentTable(info, commentData.size() + tail.size()))
            return WriteInPlaceOfSecondPage(from, to, commentData, tail, info, block);
    }
    if (!info.LastHeaderEndsPage) throw std::runtime_error("the headers cannot be laid out anew");
    const HeadersEnd repaged = [&info](std::size_t packet) -> std::optional<int64_t> {
        const std::size_t sizes[] = {packet, info.SetupPacket.size()};
        const HeaderLayout layout =
            HeaderLayoutOf(std::span(sizes, info.Codec == OggCodec::Vorbis ? 2 : 1));
        if (layout.Pages != info.HeaderPages.size()) return std::nullopt;
        return info.SecondPagePos + static_cast<int64_t>(layout.Bytes);
    };
    const std::string tail =
        NewCommentTail(info, commentData.size(), block, info.HeaderPages.back().End(), repaged);
    WriteRepaged(from, to, commentData.append(tail), info, block);
}

// The count of comments in comment data: after the leading bytes (packet type and "vorbis", or
// "OpusTags"), the vendor length (4) and the vendor.
uint32_t CommentCountOf(const std::string& commentData, std::size_t idSize) {
    const uint32_t vendor = ReadLe32(commentData.data() + idSize);
    return ReadLe32(commentData.data() + idSize + 4 + vendor);
}

// CommentsDigest of the comments in comment data, as the reader takes them: the new file holds
// these bytes (the read back checks its pages and its count of comments), so it need not be read
// again, with its values held, for its digest.
uint64_t DigestOf(std::string_view commentData, std::size_t idSize) {
    TCommentsDigest digest;
    ForEachComment(commentData.substr(idSize), [&digest](std::string_view name, std::string_view value) {
        digest.Add(name, value);
    });
    return digest.Value();
}

// The new file must read back whole and rewritable, with every one of the `count` comments written:
// a file the reader refuses (too large to hold, for one) could never be saved again. The values are
// not kept: the comment data was let go before, so the header is not held twice meanwhile.
void CheckReadsBack(int fd, uint32_t count) {
    FileInfo written;
    if (!ReadFileInfo(TFileHandle(fd), written, TReadExtent::Layout))
        throw std::runtime_error("the new file would not read back");
    if (const std::string refusal = RewriteRefusal(written); !refusal.empty())
        throw std::runtime_error("the new file would not read back: " + refusal);
    if (written.Tag.Count() != std::size_t{count} + 1)
        throw std::runtime_error("the new file would not read back whole");
}

// Gives `reason` (when asked for) the cause of a refused save; always false.
bool Refuse(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
    return false;
}

// Empties the values of entries 1 to Count() - 1 (names stay; the vendor entry keeps its value) and
// marks none of them set.
void ClearTagValues(VorbisTag& tag) {
    tag.Slots.clear();
    for (std::size_t k = 1; k < tag.Count(); ++k) {
        tag.Values[k].clear();
        tag.Slots[UpperCase(tag.Names[k])].Entries.push_back(k);
    }
}

// Gives `value` to the first entry among 1 to Count() - 1 named `name` (ASCII letter case aside) that
// no earlier call since ClearTagValues has set, or else appends a new entry named `name`; either way
// the entry counts as set. The entries of a name are given values in their order, so the next one is
// found at once: a file of many thousand comments is saved in time proportional to their number. An
// entry keeps the name it was read under, so "title=" stays "title=" when the title changes.
void PutTagEntry(const std::string& name, std::string value, VorbisTag& tag) {
    VorbisTag::TNameSlots& slots = tag.Slots[UpperCase(name)];
    if (slots.Taken < slots.Entries.size()) {
        tag.Values[slots.Entries[slots.Taken++]] = std::move(value);
        return;
    }
    tag.Names.push_back(name);
    tag.Values.push_back(std::move(value));
}

// The entries that ClearTagValues emptied and no PutTagEntry has set since: comments the save removes.
std::vector<bool> UnsetEntries(const VorbisTag& tag) {
    std::vector<bool> unset(tag.Count(), false);
    for (const auto& [name, slots] : tag.Slots)
        for (std::size_t k = slots.Taken; k < slots.Entries.size(); ++k) unset[slots.Entries[k]] = true;
    return unset;
}

// Room left after the comment data for the bytes that end the packet (see NewCommentTail): the old
// tail, or padding of up to a shared block with its lacing values. Appending them then moves nothing.
constexpr std::size_t kTailRoom = std::size_t{256} << 10;

// A value as written, well-formed UTF-8: nearly every value is already, and is then not copied.
std::string_view WrittenUtf8(const std::string& value, std::string& repaired) {
    if (FirstInvalidUtf8(value) == std::string_view::npos) return value;
    repaired = ToValidUtf8(value);
    return repaired;
}

// The comment packet without what followed its last comment: every entry 1 to Count() - 1, empty
// values included, but those ClearTagValues emptied that PutTagEntry has not set since, each value
// as well-formed UTF-8.
// Layout: the leading bytes as read (packet type 3 and "vorbis", or "OpusTags"), vendor length and vendor
// bytes, comment count, then each comment's length and bytes; all numbers 32-bit little-endian. The framing
// byte is not included. The size is counted first, so that the data is built in place, in one piece.
std::string BuildCommentData(const FileInfo& info) {
    const VorbisTag& tag = info.Tag;
    const std::string& vendor = tag.Values[0];
    const std::vector<bool> unset = UnsetEntries(tag);
    std::size_t size = tag.PacketID.size() + 4 + vendor.size() + 4;
    for (std::size_t k = 1; k < tag.Count(); ++k)
        if (!unset[k]) size += 4 + tag.Names[k].size() + 1 + tag.Values[k].size();
    std::string data;
    ReserveLarge(data, size + std::max(info.CommentTail.size(), kTailRoom));
    data.append(tag.PacketID);
    PutLe32(data, static_cast<uint32_t>(vendor.size()));
    data += vendor;
    PutLe32(data, static_cast<uint32_t>(std::count(unset.begin() + 1, unset.end(), false)));
    std::string repaired;
    for (std::size_t k = 1; k < tag.Count(); ++k) {
        if (unset[k]) continue;
        const std::string_view value = WrittenUtf8(tag.Values[k], repaired);
        PutLe32(data, static_cast<uint32_t>(tag.Names[k].size() + 1 + value.size()));
        data.append(tag.Names[k]).append("=").append(value);
    }
    return data;
}

// The name is taken exactly as it stands: it was read so from the file (blanks included), and a
// name changed on the way back would leave the old comment and add a second one.
void PutOtherTagLine(const std::string& line, VorbisTag& tag) {
    if (std::optional<TWrittenComment> comment = WrittenOtherTag(line))
        PutTagEntry(comment->Name, std::move(comment->Value), tag);
}

// Comment goes back under the name it was read from, DESCRIPTION or COMMENT, so that other programs
// still find it where they looked before.
std::string SavedName(const TOggVorbis::FieldName& field, const TOggVorbis& tags) {
    if (field.Field == &TOggVorbis::Comment && !tags.CommentName.empty()) return tags.CommentName;
    return field.Name;
}

// Gives the entries of a table read from a file the values of `tags`: the fields, then the other
// tags.
void PutTags(const TOggVorbis& tags, VorbisTag& tag) {
    ClearTagValues(tag);
    // An empty field sets no entry, so the one it came from goes.
    for (const TOggVorbis::FieldName& field : TOggVorbis::SavedFields())
        if (std::optional<TWrittenComment> comment = WrittenField(SavedName(field, tags), tags.*field.Field))
            PutTagEntry(comment->Name, std::move(comment->Value), tag);
    for (auto line = tags.OtherTags.rbegin(); line != tags.OtherTags.rend(); ++line) PutOtherTagLine(*line, tag);
}

// Makes the table hold exactly `comments`, in their order, after the vendor string.
void PutComments(const std::vector<TWrittenComment>& comments, VorbisTag& tag) {
    tag.Names.resize(1);
    tag.Values.resize(1);
    tag.Slots.clear();
    tag.Names.reserve(comments.size() + 1);
    tag.Values.reserve(comments.size() + 1);
    for (const TWrittenComment& comment : comments) {
        tag.Names.push_back(comment.Name);
        tag.Values.push_back(comment.Value);
    }
}

using TPutEntries = std::function<void(VorbisTag&)>;

// The comment data of the headers read into `info` once `put` has given its table (which it takes
// up) the entries to write. The table's names and values go once the data is built: nothing later
// reads them, and a huge header is then held once. Raises std::runtime_error when the file may not
// be rewritten.
std::string NewCommentData(FileInfo& info, const TPutEntries& put) {
    if (const std::string refusal = RewriteRefusal(info); !refusal.empty()) throw std::runtime_error(refusal);
    put(info.Tag);
    std::string data = BuildCommentData(info);
    info.Tag.Names = std::vector<std::string>();
    info.Tag.Values = std::vector<std::string>();
    info.Tag.Slots.clear();
    return data;
}

// The new file for `commentData` written beside the old one that `replacing` has open, read back,
// given the old file's metadata and on its way to disk (StartFlush). Raises std::exception on
// failure, with no new file left. The comment data is let go once written, before the read back.
TPreparedSave PrepareReplacement(std::unique_ptr<TFolderReplace> replacing, std::string commentData,
                                 FileInfo& info) {
    TPreparedSave save;
    save.Replace = std::move(replacing);
    TFolderReplace& replace = *save.Replace;
    // A packet the reader would refuse could never be read, let alone saved, again.
    if (commentData.size() > kMaxHeaderBytes) throw std::runtime_error("the comments are too large to be read back");
    // The checksum is computed over the page with its field zero, once the page is written.
    info.SecondPage.Crc = 0;
    CheckMayRewrite(replace.Folder(), replace.Name(), replace.OldStat());
    const int temp = replace.CreateTemp();
    WriteNewFile(replace.Old(), temp, commentData, info);
    const uint32_t count = CommentCountOf(commentData, info.Tag.PacketID.size());
    save.WrittenDigest = DigestOf(commentData, info.Tag.PacketID.size());
    std::string().swap(commentData);  // its memory goes (assigning an empty string would keep it)
    CheckReadsBack(temp, count);
    CopyMetadata(replace.Old(), replace.OldStat(), temp, save.Notes);
    replace.StartFlush();
    if (const std::string note = HardLinkNote(replace.OldStat()); !note.empty()) save.Notes.push_back(note);
    save.Size = ::lseek(temp, 0, SEEK_END);
    return save;
}

// The one way a save's new file is prepared: PrepareSaveTags and PrepareSaveComments differ only in
// the entries they put.
bool PrepareSave(const TPutEntries& put, std::unique_ptr<TFolderReplace> replace, FileInfo& info,
                 TPreparedSave& save, std::string* reason) {
    try {
        save = PrepareReplacement(std::move(replace), NewCommentData(info, put), info);
        return true;
    } catch (const std::exception& error) {
        const auto* system = dynamic_cast<const std::system_error*>(&error);
        save.NoSpace = system && (system->code().value() == ENOSPC || system->code().value() == EDQUOT);
        return Refuse(reason, ReasonOf(error));
    }
}

}  // namespace

std::string ReasonOf(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "not enough memory";
    const auto* system = dynamic_cast<const std::system_error*>(&error);
    std::string text = system ? system->code().message() : error.what();
    if (system && !text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::string RewriteRefusal(const FileInfo& info) {
    if (info.TooLarge) return "the headers are too large to hold in memory";
    if (!info.PageFault.empty()) return info.PageFault;
    if (info.Interleaved) return "the headers are interleaved with another stream";
    if (info.CommentDamaged) return "the comment header is damaged";
    if (!info.HeadersComplete || info.Tag.Count() == 0 || info.CommentsEnd == 0)
        return "the headers are incomplete or damaged";
    // A Vorbis comment header ends in a framing bit that must be set; players refuse a stream
    // without it, and a save would carry the fault on.
    if (info.Codec == OggCodec::Vorbis && (info.CommentTail.empty() || (info.CommentTail[0] & 1) == 0))
        return "the comment header has no framing bit";
    if (!info.IdentEndsPage) return "the identification header does not end its page";
    // Opus audio must begin on a fresh page; a comment header sharing its last page with audio
    // could only be rewritten by re-paging audio packets, which would change their granules.
    if (info.Codec == OggCodec::Opus && !info.LastHeaderEndsPage)
        return "the comment header does not end its page";
    return {};
}

bool CanRewrite(const FileInfo& info) { return RewriteRefusal(info).empty(); }

// The comment packet opens the page and ends at its first lacing value below 255 (k); the page's
// later values (the setup header's) stay as they are after the new packet's values.
bool RebuildSegmentTable(FileInfo& info, std::size_t packetSize) {
    const auto count = SecondPageSegments(info, packetSize);
    if (!count) return false;
    OggPageHeader& page = info.SecondPage;
    const std::size_t own = packetSize / 255 + 1;
    const std::size_t later = *count - own;
    std::array<uint8_t, 255> table{};
    std::fill_n(table.begin(), own - 1, 255);
    table[own - 1] = static_cast<uint8_t>(packetSize % 255);
    std::copy_n(page.SegmentTable.begin() + static_cast<std::ptrdiff_t>(page.SegmentCount - later), later,
                table.begin() + static_cast<std::ptrdiff_t>(own));
    page.SegmentTable = table;
    page.SegmentCount = static_cast<uint8_t>(*count);
    return true;
}

bool CompleteSave(TPreparedSave& save, std::string* reason, std::vector<std::string>* notes) {
    try {
        save.Replace->Commit(save.Notes);
    } catch (const std::exception& error) {
        return Refuse(reason, ReasonOf(error));
    }
    if (notes) notes->insert(notes->end(), save.Notes.begin(), save.Notes.end());
    return true;
}

bool PrepareSaveTags(const TOggVorbis& tags, std::unique_ptr<TFolderReplace> replace, FileInfo& info,
                     TPreparedSave& save, std::string* reason) {
    return PrepareSave([&tags](VorbisTag& tag) { PutTags(tags, tag); }, std::move(replace), info, save, reason);
}

bool PrepareSaveComments(const std::vector<TWrittenComment>& comments, std::unique_ptr<TFolderReplace> replace,
                         FileInfo& info, TPreparedSave& save, std::string* reason) {
    return PrepareSave([&comments](VorbisTag& tag) { PutComments(comments, tag); }, std::move(replace), info, save,
                       reason);
}

TSaveOutcome SaveFileTags(const std::string& fileName, const TTagsToSave& tagsFor, std::string* reason,
                          std::vector<std::string>* notes) {
    FileInfo info;
    if (!ReadFileInfo(fileName, info, TReadExtent::HeadersOnly)) {
        Refuse(reason, kNotOggVorbisOrOpus);
        return TSaveOutcome::NotOgg;
    }
    const TOggVorbis& tags = tagsFor(info);
    // The file is expected as it was read: one changed since is refused when the replacement opens
    // it and, failing that, before the rename.
    std::unique_ptr<TFolderReplace> replace;
    try {
        replace = std::make_unique<TFolderReplace>(fileName, info.Identity);
    } catch (const std::exception& error) {
        Refuse(reason, ReasonOf(error));
        return TSaveOutcome::Refused;
    }
    TPreparedSave save;
    const bool saved = PrepareSaveTags(tags, std::move(replace), info, save, reason) && CompleteSave(save, reason, notes);
    return saved ? TSaveOutcome::Saved : TSaveOutcome::Refused;
}

}  // namespace parvex