#include "batch/tag_record.h"

#include <sys/stat.h>

#include <cerrno>

#include "ogg/comment_writer.h"
#include "ogg/ogg_vorbis.h"

namespace parvex {

namespace {

// Only a name that is not there counts as missing: a path that cannot be looked up for another
// reason (too long, no access to its folder) is left to the open, which names that reason.
bool Missing(const std::string& fileName) {
    struct stat info {};
    return ::stat(fileName.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

void CopyFromFileObject(const TOggVorbis& file, tagrecord& record) {
    record.Artist = file.Artist;
    record.Title = file.Title;
    record.Album = file.Album;
    record.Track = file.Track;
    record.Date = file.Date;
    record.Genre = file.Genre;
    record.Comment = file.Comment;
    record.CommentName = file.CommentName;
    record.OtherTags = file.OtherTags;
    record.Codec = file.Codec;
    record.Channels = file.Channels;
    record.SampleRate = file.SampleRate;
    record.NominalBitRate = file.NominalBitRate;
    record.BitRate = static_cast<uint16_t>(file.BitRate());
    record.Vendor = file.Vendor;
    record.FileSize = file.FileSize;
    record.Version = file.Version;
    record.Performer = file.Performer;
    record.Copyright = file.Copyright;
    record.License = file.License;
    record.Organization = file.Organization;
    record.Location = file.Location;
    record.Contact = file.Contact;
    record.ISRC = file.ISRC;
    // The vendor string is the header's first entry but no tag.
    record.HasTags = file.EntryCount > 1;
}

void CopyIntoFileObject(const tagrecord& record, TOggVorbis& file) {
    file.Title = record.Title;
    file.Album = record.Album;
    file.Artist = record.Artist;
    file.Performer = record.Performer;
    file.SetTrack(record.Track);
    file.Date = record.Date;
    file.Genre = record.Genre;
    file.Comment = record.Comment;
    file.CommentName = record.CommentName;
    file.Version = record.Version;
    file.Copyright = record.Copyright;
    file.License = record.License;
    file.Organization = record.Organization;
    file.Location = record.Location;
    file.Contact = record.Contact;
    file.ISRC = record.ISRC;
    file.OtherTags.clear();
    // The writer takes the object's list from its last line to its first; handing it the lines
    // in reverse keeps them in the record's order in the file.
    for (auto line = record.OtherTags.rbegin(); line != record.OtherTags.rend(); ++line) {
        const auto eq = line->find('=');
        if (eq == std::string::npos)
            file.AddOtherTag("", *line);
        else
            file.AddOtherTag(line->substr(0, eq), line->substr(eq + 1));
    }
}

}  // namespace

TLoadOutcome LoadWorkingRecord(TOggVorbis& file, tagrecord& record, const std::string& fileName) {
    if (Missing(fileName)) return TLoadOutcome::Missing;
    record = tagrecord{};
    const bool isVorbis = file.LoadFromFile(fileName);
    CopyFromFileObject(file, record);
    return isVorbis ? TLoadOutcome::Loaded : TLoadOutcome::NotVorbis;
}

bool StoreWorkingRecord(TOggVorbis& file, const tagrecord& record, const std::string& fileName,
                        std::string* reason, std::vector<std::string>* notes) {
    CopyIntoFileObject(record, file);
    return file.SaveToFile(fileName, reason, notes);
}

bool PrepareWorkingRecord(TOggVorbis& file, const tagrecord& record, std::unique_ptr<TFolderReplace> replace,
                          FileInfo& info, TPreparedSave& save, std::string* reason) {
    CopyIntoFileObject(record, file);
    return PrepareSaveTags(file, std::move(replace), info, save, reason);
}

}  // namespace parvex
