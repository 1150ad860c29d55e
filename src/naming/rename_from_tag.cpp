#include "naming/rename_from_tag.h"

#include <cerrno>
#include <exception>
#include <system_error>

#include "batch/log_sink.h"
#include "naming/name_format.h"
#include "naming/no_replace_rename.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Characters a file name cannot hold on the systems the names may travel to.
constexpr std::string_view kRemovedCharacters = "\\/:*?\"<>|";

std::string PutValuesIn(std::string format, const tagrecord& record) {
    const std::pair<const char*, const std::string*> values[] = {
        {"Title", &record.Title}, {"Artist", &record.Artist}, {"Album", &record.Album},
        {"Track", &record.Track}, {"Date", &record.Date},     {"Genre", &record.Genre},
        {"Comment", &record.Comment},
    };
    for (const auto& [entry, value] : values) format = ReplaceAll(format, Placeholder(entry), *value);
    return format;
}

void LogNotRenamed(TLogSink& log, const std::string& reason) { log.AddLine("     not renamed: " + reason); }

std::string RenameFailureReason(int error) {
    if (error == EEXIST) return "a file of that name already exists";
    return std::generic_category().message(error);
}

TFileOutcome RenameLoadedFile(const TRenameFromTagOptions& options, const tagrecord& record,
                              TLogSink& log, const std::string& dir, const std::string& name) {
    const TRenamePlan plan = PlanRename(options, record, dir);
    const std::string oldPath = dir + name;
    log.AddLine("     to: " + plan.NewPath);
    if (!plan.Refusal.empty()) {
        LogNotRenamed(log, plan.Refusal);
        return TFileOutcome::WriteFailed;
    }
    if (plan.NewPath == oldPath) return TFileOutcome::Skipped;
    const int error = RenameNoReplace(oldPath, plan.NewPath);
    if (error == 0) return TFileOutcome::Written;
    LogNotRenamed(log, RenameFailureReason(error));
    return TFileOutcome::WriteFailed;
}

}  // namespace

std::string NewNameFromTags(const TRenameFromTagOptions& options, const tagrecord& record) {
    std::string name = PutValuesIn(options.Format, record);
    // The case fix looks for words between spaces, so it runs before spaces are replaced.
    if (options.CaseFixChecked) name = LowerCaseListedWords(name, options.CaseFixWords);
    if (options.ReplaceSpacesChecked) name = ReplaceAll(name, " ", options.SpaceReplacement);
    for (char removed : kRemovedCharacters) name = ReplaceAll(name, std::string(1, removed), "");
    return name;
}

TRenamePlan PlanRename(const TRenameFromTagOptions& options, const tagrecord& record, const std::string& dir) {
    const std::string newName = NewNameFromTags(options, record);
    // Only ".ogg" would be left: a hidden file the next run would collide with.
    return {dir + newName + ".ogg", newName.empty() ? "the tags give no name" : ""};
}

TFileOutcome RenameFromTag(const TRenameFromTagOptions& options, TOggVorbis& file, tagrecord& record,
                           TLogSink& log, const std::string& dir, const std::string& name) {
    // The scan may hand over a directory written with a doubled separator.
    const std::string cleanDir = ReplaceAll(dir, "//", "/");
    log.AddLine("Renaming: " + cleanDir + name);
    try {
        if (LoadWorkingRecord(file, record, cleanDir + name) == TLoadOutcome::Missing)
            return TFileOutcome::Skipped;
        if (options.DontRenameUntagged && !record.HasTags) return TFileOutcome::Skipped;
        return RenameLoadedFile(options, record, log, cleanDir, name);
    } catch (const std::exception& error) {
        // One unreadable file must not end a rename run: say why and go on with the next.
        LogNotRenamed(log, error.what());
        return TFileOutcome::WriteFailed;
    }
}

}  // namespace parvex
