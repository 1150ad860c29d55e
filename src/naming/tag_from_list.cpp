#include "naming/tag_from_list.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "naming/name_format.h"
#include "text/string_hash.h"
#include "text/text_file_reader.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Stores the whole line under the text of its target column (under each of them, should the format
// name "<Target file>" more than once), and notes each key with its line number.
void StoreLine(const std::string& line, int number, const TTagFromListOptions& options, TStringHash& table,
               std::map<std::string, int>& keys) {
    static const std::string kTarget = Placeholder(kTargetFileEntry);
    const int count = CountFields(options.Format, options.Separator);
    for (int i = 1; i <= count; ++i) {
        if (NthField(options.Format, options.Separator, i) != kTarget) continue;
        std::string key = NthField(line, options.Separator, i);
        table.PutString(key, line);
        keys[std::move(key)] = number;
    }
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

std::vector<TListedKey> LoadTagList(const std::string& listPath, const TTagFromListOptions& options,
                                    TStringHash& table, const std::function<void()>& beforeEachLine) {
    table.Clear();
    TTextFileReader reader(listPath);
    std::map<std::string, int> keys;
    std::string line;
    for (int number = 1; !reader.AtEnd(); ++number) {
        if (beforeEachLine) beforeEachLine();
        reader.ReadLine(line);
        if (!line.empty()) StoreLine(line, number, options, table, keys);
    }
    std::vector<TListedKey> listed;
    for (const auto& [key, number] : keys) listed.push_back({number, key});
    std::sort(listed.begin(), listed.end(),
              [](const TListedKey& a, const TListedKey& b) { return a.Line < b.Line; });
    return listed;
}

TFilePlan PlanTagFromList(const TTagFromListOptions& options, const TStringHash& table, TOggVorbis& file,
                          tagrecord& record, const std::string& dir, const std::string& name) {
    std::string line = table.GetString(name);
    const auto skip = [&](const tagrecord& loaded) {
        return line.empty() ? "the list has no line for it" : IgnoredByChoice(options.Overwrite, loaded);
    };
    return PlanTagChange(file, record, "Tag from filename: ", dir, name, skip, [&](tagrecord& r) {
        if (options.CaseFixChecked) line = LowerCaseListedWords(line, options.CaseFixWords);
        SetFieldsFromText(options.Format, options.Separator, line,
                          options.Overwrite == TOverwriteChoice::KeepExisting, r);
    });
}

TFileOutcome TagFromList(const TTagFromListOptions& options, const TStringHash& table, TOggVorbis& file,
                         tagrecord& record, TLogSink& log, const std::string& dir, const std::string& name) {
    return CarryOutPlan(PlanTagFromList(options, table, file, record, dir, name), file, log);
}

std::vector<std::string> UnmatchedListLines(const std::vector<TListedKey>& keys,
                                            const std::vector<std::string>& foundNames) {
    const std::set<std::string_view> found(foundNames.begin(), foundNames.end());
    std::vector<std::string> lines;
    for (const TListedKey& listed : keys)
        if (!found.contains(listed.Key))
            lines.push_back("List line " + std::to_string(listed.Line) +
                            " matched no file: " + QuotedText(listed.Key));
    return lines;
}

}  // namespace parvex
