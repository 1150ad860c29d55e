#include "naming/tag_from_list.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "batch/log_sink.h"
#include "batch/tag_record.h"
#include "naming/name_format.h"
#include "ogg/file_handle.h"
#include "text/string_hash.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

constexpr char kEndOfLine = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = 26;

std::string ReadWholeFile(const std::string& path) {
    const TFileHandle file(path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.Fd(), buffer, sizeof buffer);
        if (got == 0) return bytes;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "Cannot read file " + path);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// Stores the whole line under the text of its target column (under each of them, should the format
// name "<Target file>" more than once).
void StoreLine(const std::string& line, const TTagFromListOptions& options, TStringHash& table) {
    static const std::string kTarget = Placeholder(kTargetFileEntry);
    const int count = CountFields(options.Format, options.Separator);
    for (int i = 1; i <= count; ++i)
        if (NthField(options.Format, options.Separator, i) == kTarget)
            table.PutString(NthField(line, options.Separator, i), line);
}

}  // namespace

std::string CheckInputList(const std::string& listPath) {
    if (listPath.empty()) return "You need to select an input list csv file.";
    std::error_code ec;
    const auto status = std::filesystem::status(listPath, ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return "I can't find the input list csv file.";
    return {};
}

std::vector<std::string> SplitListLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find(kEndOfFile));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find(kEndOfLine, start), bytes.size());
        if (end > start) lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == kLineFeed) ++start;
    }
    return lines;
}

void LoadTagList(const std::string& listPath, const TTagFromListOptions& options, TStringHash& table,
                 const std::function<void()>& beforeEachLine) {
    table.Clear();
    for (const std::string& line : SplitListLines(ReadWholeFile(listPath))) {
        if (beforeEachLine) beforeEachLine();
        StoreLine(line, options, table);
    }
}

TFileOutcome TagFromList(const TTagFromListOptions& options, const TStringHash& table,
                         TOggVorbis& file, tagrecord& record, TLogSink& log, const std::string& dir,
                         const std::string& name) {
    const std::string path = dir + name;
    const TLoadOutcome loaded = LoadWorkingRecord(file, record, path);
    if (loaded != TLoadOutcome::Missing && options.Overwrite == TOverwriteChoice::IgnoreTagged &&
        record.HasTags)
        return TFileOutcome::Skipped;
    std::string line = table.GetString(name);
    if (line.empty()) return TFileOutcome::Skipped;
    log.AddLine("Tag from filename: " + path);
    return StoreChangedRecord(loaded, file, record, log, path, [&](tagrecord& r) {
        if (options.CaseFixChecked) line = LowerCaseListedWords(line, options.CaseFixWords);
        SetFieldsFromText(options.Format, options.Separator, line,
                          options.Overwrite == TOverwriteChoice::KeepExisting, r);
    });
}

}  // namespace parvex
