#include "naming/tag_list_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <set>
#include <unordered_set>
#include <utility>

#include "naming/format_fields.h"
#include "naming/list_fields.h"
#include "naming/name_format.h"
#include "ogg/ogg_codec.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "scan/find_file.h"
#include "scan/given_paths.h"
#include "scan/found_files.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Keeps each file once however many paths (a link, a second name) lead to it, as the file itself
// tells: a folder listing's inode numbers prove nothing on FUSE and network file systems.
void DropSecondPaths(std::vector<std::string>& files) {
    std::set<std::pair<dev_t, ino_t>> seen;
    std::erase_if(files, [&seen](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && !seen.insert({info.st_dev, info.st_ino}).second;
    });
}

std::string ColumnValue(const std::string& placeholder, const tagrecord& record, std::string_view name) {
    static const std::string kTarget = Placeholder(kTargetFileEntry);
    if (placeholder == kTarget) return std::string(name);
    if (const std::optional<TTagField> field = PlaceholderField(placeholder))
        return FieldOf(record, *field);
    return {};
}

// Why the record of `path` cannot be listed; empty when it was loaded.
std::string LoadForExport(const std::string& path, TOggVorbis& file, tagrecord& record) {
    try {
        switch (LoadWorkingRecord(file, record, path)) {
            case TLoadOutcome::Missing:
                return EFOpenError(path, ENOENT).Reason();
            case TLoadOutcome::NotVorbis:
                return kNotOggVorbisOrOpus;
            case TLoadOutcome::Loaded:
                return {};
        }
    } catch (const EFOpenError& error) {
        return error.Reason();
    }
    return {};
}

}  // namespace

std::string TagListLine(std::string_view format, std::string_view separator, const tagrecord& record,
                        std::string_view name) {
    std::string line;
    const int count = CountFields(format, separator);
    for (int i = 1; i <= count; ++i) {
        if (i > 1) line += separator;
        line += ListField(ColumnValue(NthField(format, separator, i), record, name), separator);
    }
    return line;
}

std::vector<std::string> ExportedFiles(const std::vector<std::string>& paths, bool recurse,
                                       const TExportProblem& problem) {
    TFoundFileList found;
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = recurse;
    finder.Details = false;
    finder.OnFound = [&found](TFindFile&, const std::string& folder, const DirEntry& entry) {
        found.Add(folder, entry.Name);
    };
    finder.OnFolderError = [&problem](TFindFile&, const std::string& folder, const std::string& reason) {
        problem(folder, reason);
    };
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (!IsFolder(path)) {
            files.push_back(path);
            continue;
        }
        finder.SetLocation(path);
        finder.Search();
    }
    for (const std::string& entry : found) {
        auto [folder, name] = TFoundFileList::Split(entry);
        files.push_back(folder + name);
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    DropSecondPaths(files);
    return files;
}

std::size_t ExportTagList(const std::vector<std::string>& files, std::string_view format,
                          std::string_view separator, std::ostream& out, const TExportProblem& problem) {
    std::unordered_set<std::string> names;
    std::size_t written = 0;
    TOggVorbis file;
    for (const std::string& path : files) {
        tagrecord record;
        if (const std::string reason = LoadForExport(path, file, record); !reason.empty()) {
            problem(path, reason);
            continue;
        }
        const std::string name = path.substr(path.rfind('/') + 1);
        out << TagListLine(format, separator, record, name) << '\n';
        ++written;
        if (!names.insert(name).second)
            problem(path, "an earlier file of the list has the same name: reading the list back would give "
                          "both the tags of the later line");
    }
    return written;
}

}  // namespace parvex
