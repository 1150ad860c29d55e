#include "cli/preview.h"

#include <map>
#include <string_view>

#include "batch/log_sink.h"
#include "batch/tag_fields.h"
#include "cli/field_names.h"
#include "cli/json.h"
#include "ogg/open_error.h"

namespace parvex::cli {

namespace {

constexpr char kIndent[] = "     ";

std::string Shown(const std::string& value) { return value.empty() ? "(none)" : JsonString(value); }

// A value as the file will hold it: the writer drops blanks and control characters at both ends.
std::string AsWritten(std::string_view value) {
    const auto kept = [](char c) { return static_cast<unsigned char>(c) > ' '; };
    while (!value.empty() && !kept(value.front())) value.remove_prefix(1);
    while (!value.empty() && !kept(value.back())) value.remove_suffix(1);
    return std::string(value);
}

// An other-tag line as the file will hold it: name and value each trimmed.
std::string LineAsWritten(const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return "=" + AsWritten(line);
    return AsWritten(std::string_view(line).substr(0, eq)) + "=" +
           AsWritten(std::string_view(line).substr(eq + 1));
}

std::vector<std::string> LinesAsWritten(const std::vector<std::string>& lines) {
    std::vector<std::string> written;
    for (const std::string& line : lines) written.push_back(LineAsWritten(line));
    return written;
}

// Other-tag lines in `from` that `to` holds fewer times, once per missing copy.
std::vector<std::string> Missing(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    std::map<std::string, int> left;
    for (const std::string& line : to) ++left[line];
    std::vector<std::string> missing;
    for (const std::string& line : from)
        if (left[line]-- <= 0) missing.push_back(line);
    return missing;
}

}  // namespace

std::vector<std::string> RecordChanges(tagrecord before, tagrecord after) {
    std::vector<std::string> lines;
    for (TTagField field : kAllTagFields) {
        const std::string& from = FieldOf(before, field);
        const std::string to = AsWritten(FieldOf(after, field));
        if (from != to)
            lines.push_back(kIndent + std::string(CommentNameOf(field)) + ": " + Shown(from) + " -> " +
                            Shown(to));
    }
    const std::vector<std::string> written = LinesAsWritten(after.OtherTags);
    for (const std::string& line : Missing(before.OtherTags, written))
        lines.push_back(kIndent + std::string("other tag removed: ") + JsonString(line));
    for (const std::string& line : Missing(written, before.OtherTags))
        lines.push_back(kIndent + std::string("other tag added: ") + JsonString(line));
    return lines;
}

TFileOutcome PreviewTagChange(TOggVorbis& file, tagrecord& record, TLogSink& log, const std::string& heading,
                              const std::string& dir, const std::string& name, const TSkipRule& skip,
                              const std::function<void(tagrecord&)>& change) {
    const std::string path = dir + name;
    const TLoadOutcome loaded = LoadWorkingRecord(file, record, path);
    const std::string skipped = skip ? skip(loaded, record) : std::string();
    log.AddLine(heading + path);
    if (!skipped.empty()) {
        log.AddLine(kIndent + std::string("skipped: ") + skipped);
        return TFileOutcome::Skipped;
    }
    if (loaded == TLoadOutcome::Missing) throw EFOpenError(path);
    if (loaded == TLoadOutcome::NotVorbis) {
        LogOutcome(log, TFileOutcome::NotVorbis);
        return TFileOutcome::NotVorbis;
    }
    tagrecord changed = record;
    change(changed);
    const std::vector<std::string> lines = RecordChanges(record, changed);
    if (lines.empty()) log.AddLine(kIndent + std::string("no change"));
    for (const std::string& line : lines) log.AddLine(line);
    return TFileOutcome::Written;
}

}  // namespace parvex::cli
