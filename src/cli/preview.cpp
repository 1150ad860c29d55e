#include "cli/preview.h"

#include <map>

#include "batch/log_sink.h"
#include "batch/tag_fields.h"
#include "cli/field_names.h"
#include "cli/json.h"
#include "ogg/open_error.h"

namespace parvex::cli {

namespace {

constexpr char kIndent[] = "     ";

std::string Shown(const std::string& value) { return value.empty() ? "(none)" : JsonString(value); }

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
        const std::string& to = FieldOf(after, field);
        if (from != to) lines.push_back(kIndent + std::string(CommentNameOf(field)) + ": " + Shown(from) + " -> " + Shown(to));
    }
    for (const std::string& line : Missing(before.OtherTags, after.OtherTags))
        lines.push_back(kIndent + std::string("other tag removed: ") + JsonString(line));
    for (const std::string& line : Missing(after.OtherTags, before.OtherTags))
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
