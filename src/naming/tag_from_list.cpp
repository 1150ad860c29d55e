#include "naming/tag_from_list.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "naming/list_fields.h"
#include "naming/name_format.h"
#include "text/string_hash.h"
#include "text/text_file_reader.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Stores the whole record under the text of each target column, and notes each key with the
// number of the line the record starts on.
void StoreRecord(const std::string& record, const std::vector<std::string>& fields, int number,
                 const std::vector<std::size_t>& targets, TStringHash& table, std::map<std::string, int>& keys) {
    for (const std::size_t column : targets) {
        std::string key = column < fields.size() ? fields[column] : std::string();
        table.PutString(key, record);
        keys[std::move(key)] = number;
    }
}

// Reads the lines of a record that a quoted field carries past its first line onto `record`, with
// the line ends between them. Raises std::runtime_error when the list ends before the field closes:
// the rest of the list would otherwise be taken as one value.
void ReadRestOfRecord(TTextFileReader& reader, TListRecord& fields, std::string& record, int first,
                      int& number, const std::function<void()>& beforeEachLine) {
    std::string line;
    for (bool complete = false; !complete;) {
        if (reader.AtEnd())
            throw std::runtime_error("List line " + std::to_string(first) +
                                     ": a field opened by a double quote is not closed before the list ends");
        const std::size_t from = record.size();
        record += reader.LineEnd();
        ++number;
        if (beforeEachLine) beforeEachLine();
        reader.ReadLine(line);
        record += line;
        complete = fields.Add(std::string_view(record).substr(from));
    }
}

}  // namespace

std::vector<std::size_t> TargetColumns(std::string_view format, std::string_view separator) {
    static const std::string kTarget = Placeholder(kTargetFileEntry);
    std::vector<std::size_t> columns;
    const int count = CountFields(format, separator);
    for (int i = 1; i <= count; ++i)
        if (NthField(format, separator, i) == kTarget) columns.push_back(i - 1);
    return columns;
}

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
    const std::vector<std::size_t> targets = TargetColumns(options.Format, options.Separator);
    TTextFileReader reader(listPath);
    TListRecord fields(options.Separator);
    std::map<std::string, int> keys;
    std::string record;
    for (int number = 1; !reader.AtEnd(); ++number) {
        if (beforeEachLine) beforeEachLine();
        reader.ReadLine(record);
        if (record.empty()) continue;
        const int first = number;
        fields.Clear();
        if (!fields.Add(record)) ReadRestOfRecord(reader, fields, record, first, number, beforeEachLine);
        StoreRecord(record, fields.Fields(), first, targets, table, keys);
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
    return PlanTagChange(file, record, "Tag from List: ", dir, name, skip, [&](tagrecord& r) {
        if (options.CaseFixChecked) line = LowerCaseListedWords(line, options.CaseFixWords);
        const std::vector<std::string> fields = SplitListRecord(line, options.Separator);
        SetFieldsFromColumns(
            options.Format, options.Separator,
            [&fields](int i) { return static_cast<std::size_t>(i) <= fields.size() ? fields[i - 1] : std::string(); },
            options.Overwrite == TOverwriteChoice::KeepExisting, r);
    });
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
