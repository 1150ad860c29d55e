#include "batch/tag_record.h"

#include <cerrno>

#include "ogg/comment_writer.h"
#include "fs/file_handle.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"

namespace parvex {

namespace {

// The file opened for reading; null when no file has the name. Only a name that is not there
// counts as missing: a path that cannot be opened for another reason (too long, no access to its
// folder) raises the open's error, which names that reason.
std::unique_ptr<TFileHandle> OpenUnlessMissing(const std::string& fileName) {
    try {
        return std::make_unique<TFileHandle>(fileName);
    } catch (const EFOpenError& error) {
        if (error.Error() == ENOENT || error.Error() == ENOTDIR) return nullptr;
        throw;
    }
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

// The file is opened once: the identity given is that of the file read.
TLoadOutcome LoadWorkingRecord(TOggVorbis& file, tagrecord& record, const std::string& fileName,
                               FileIdentity* identity, FileInfo* read) {
    std::unique_ptr<TFileHandle> handle;
    try {
        handle = OpenUnlessMissing(fileName);
    } catch (const EFOpenError&) {
        record = tagrecord{};
        file.Clear();
        throw;
    }
    if (!handle) return TLoadOutcome::Missing;
    if (identity) *identity = IdentityOf(handle->Stat());
    record = tagrecord{};
    FileInfo info;
    const bool isVorbis = file.Load(*handle, read ? *read : info);
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
