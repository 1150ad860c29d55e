#include "ogg/ogg_vorbis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <string_view>

#include "ogg/comment_writer.h"
#include "fs/file_handle.h"
#include "ogg/header_reader.h"
#include "ogg/utf8.h"
#include "text/large_text.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Names that fill a field when read, in the order they are tried.
const std::vector<TOggVorbis::FieldName>& ReadFields() {
    static const std::vector<TOggVorbis::FieldName> fields = {
        {"TITLE", &TOggVorbis::Title},
        {"ARTIST", &TOggVorbis::Artist},
        {"ALBUM", &TOggVorbis::Album},
        {"PERFORMER", &TOggVorbis::Performer},
        {"TRACKNUMBER", &TOggVorbis::Track},
        {"DATE", &TOggVorbis::Date},
        {"GENRE", &TOggVorbis::Genre},
        {"COMMENT", &TOggVorbis::Comment},
        {"DESCRIPTION", &TOggVorbis::Comment},
        {"VERSION", &TOggVorbis::Version},
        {"COPYRIGHT", &TOggVorbis::Copyright},
        {"LICENSE", &TOggVorbis::License},
        {"ORGANIZATION", &TOggVorbis::Organization},
        {"LOCATION", &TOggVorbis::Location},
        {"CONTACT", &TOggVorbis::Contact},
        {"ISRC", &TOggVorbis::ISRC},
    };
    return fields;
}

constexpr uint32_t kOpusRate = 48000;

// Identification header bytes 12..15: sample rate; 20..23: nominal bit rate (signed), both
// little-endian. A nominal rate of 0 or below means the encoder left it unset.
void CopyVorbisInfo(const FileInfo& info, TOggVorbis& file) {
    file.Channels = info.IdentHeader[11];
    file.SampleRate = ReadLe32(&info.IdentHeader[12]);
    const auto nominal = static_cast<int32_t>(ReadLe32(&info.IdentHeader[20]));
    file.NominalBitRate = nominal > 0 ? static_cast<int>(std::nearbyint(nominal / 1000.0)) : 0;
    file.Samples = info.Samples;
}

// The granule position counts 48 kHz samples from the start of the decoded stream, the pre-skip
// (encoder delay, not played) included.
void CopyOpusInfo(const FileInfo& info, TOggVorbis& file) {
    file.Channels = info.Opus.Channels;
    file.SampleRate = info.Opus.InputSampleRate != 0 ? info.Opus.InputSampleRate : kOpusRate;
    file.Samples = info.Samples > 0 ? std::max<int64_t>(0, info.Samples - info.Opus.PreSkip) : info.Samples;
}

void CopyStreamInfo(const FileInfo& info, TOggVorbis& file) {
    file.Codec = info.Codec;
    file.FileSize = info.FileSize;
    file.OggDataStart = info.OggDataStart;
    if (info.Codec == OggCodec::Opus)
        CopyOpusInfo(info, file);
    else
        CopyVorbisInfo(info, file);
}

// Names match a field whatever their letter case; the file keeps its own spelling, since a save
// puts a field's value back into the comment it came from. A comment with an empty value fills no
// field (an empty field means "no such comment"): it stays as a line of its own, so that a save keeps it.
void SortComment(const std::string& name, const std::string& value, TOggVorbis& file) {
    if (!value.empty()) {
        const std::string canonical = UpperCase(name);
        for (const auto& [fieldName, field] : ReadFields()) {
            if (canonical == fieldName && (file.*field).empty()) {
                file.*field = CopyLarge(value);
                if (field == &TOggVorbis::Comment) file.CommentName = fieldName;
                return;
            }
        }
    }
    file.AddOtherTag(name, value);
}

}  // namespace

// The writer sets the same names but DESCRIPTION: Comment is written back under CommentName.
const std::vector<TOggVorbis::FieldName>& TOggVorbis::SavedFields() {
    static const std::vector<FieldName> fields = [] {
        std::vector<FieldName> saved;
        for (const FieldName& f : ReadFields())
            if (std::string_view(f.Name) != "DESCRIPTION") saved.push_back(f);
        return saved;
    }();
    return fields;
}

void TOggVorbis::Clear() { *this = TOggVorbis(); }

// Memory that runs out while the comments are sorted is reported like a header too large to hold.
bool TOggVorbis::LoadFromFile(const std::string& fileName) {
    FileInfo info;
    return LoadFromFile(fileName, info);
}

// Cleared before the open too, so that a file that cannot be opened leaves the object cleared.
bool TOggVorbis::LoadFromFile(const std::string& fileName, FileInfo& info) {
    Clear();
    return Load(TFileHandle(fileName), info);
}

bool TOggVorbis::Load(const TFileHandle& file, FileInfo& info) {
    Clear();
    if (!ReadFileInfo(file, info)) return false;
    try {
        Fill(info);
    } catch (const std::bad_alloc&) {
        Clear();
        FileInfo tooLarge;
        tooLarge.TooLarge = true;
        HeaderDamage = RewriteRefusal(tooLarge);
    }
    return true;
}

void TOggVorbis::Fill(const FileInfo& info) {
    CopyStreamInfo(info, *this);
    HeaderDamage = RewriteRefusal(info);
    const VorbisTag& tag = info.Tag;
    if (tag.Count() > 0) Vendor = ToValidUtf8(TrimControls(tag.Values[0]));
    EntryCount = static_cast<int>(tag.Count());
    for (std::size_t k = 1; k < tag.Count(); ++k) SortComment(tag.Names[k], tag.Values[k], *this);
}

bool TOggVorbis::SaveToFile(const std::string& fileName, std::string* reason,
                            std::vector<std::string>* notes) const {
    const auto these = [this](FileInfo&) -> const TOggVorbis& { return *this; };
    return SaveFileTags(fileName, these, reason, notes) == TSaveOutcome::Saved;
}

void TOggVorbis::SetTrack(const std::string& track) { Track = track; }

void TOggVorbis::AddOtherTag(const std::string& name, const std::string& value) {
    std::string line;
    ReserveLarge(line, name.size() + 1 + value.size());
    OtherTags.push_back(std::move(line.append(name).append("=").append(value)));
}

uint32_t TOggVorbis::SampleCountRate() const { return Codec == OggCodec::Opus ? kOpusRate : SampleRate; }

double TOggVorbis::Duration() const {
    const uint32_t rate = SampleCountRate();
    if (Samples > 0) return rate > 0 ? static_cast<double>(Samples) / rate : 0.0;
    if (NominalBitRate > 0 && Channels > 0)
        return static_cast<double>(FileSize - OggDataStart) / NominalBitRate / Channels / 125 * 2;
    return 0.0;
}

// A duration of a few samples over a large file gives a rate beyond any int: it is capped.
int TOggVorbis::BitRate() const {
    const double duration = Duration();
    if (!(duration > 0)) return 0;
    const double rate = std::nearbyint(static_cast<double>(FileSize - OggDataStart) / duration / 125);
    if (!(rate > 0)) return 0;
    return rate >= static_cast<double>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                        : static_cast<int>(rate);
}

}  // namespace parvex
