#include "naming/tag_from_list.h"

#include <filesystem>

#include "batch/log_sink.h"
#include "batch/tag_record.h"
#include "naming/name_format.h"
#include "text/string_hash.h"
#include "text/text_file_reader.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

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

void LoadTagList(const std::string& listPath, const TTagFromListOptions& options, TStringHash& table,
                 const std::function<void()>& beforeEachLine) {
    table.Clear();
    TTextFileReader reader(listPath);
    std::string line;
    while (!reader.AtEnd()) {
        if (beforeEachLine) beforeEachLine();
        reader.ReadLine(line);
        if (!line.empty()) StoreLine(line, options, table);
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
