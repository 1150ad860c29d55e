#include "naming/rename_from_tag.h"

#include <sys/stat.h>

#include <cerrno>

#include "batch/run_journal.h"
#include "naming/name_format.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_codec.h"
#include "fs/open_error.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// Characters a file name cannot hold on the systems the names may travel to.
constexpr std::string_view kRemovedCharacters = "\\/:*?\"<>|";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A value as it may stand in a file name: a line break (or any run of control characters) becomes
// one blank, so a multi-line comment never breaks the name into lines.
std::string NameValue(std::string_view value) {
    std::string kept;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!IsControl(value[i])) {
            kept += value[i];
            continue;
        }
        kept += ' ';
        while (i + 1 < value.size() && IsControl(value[i + 1])) ++i;
    }
    return kept;
}

// "3/12" (track 3 of 12) is numbered 3 in a name.
std::string TrackNumber(const std::string& track) {
    const std::size_t slash = track.find('/');
    if (slash == std::string::npos) return track;
    std::string_view number = std::string_view(track).substr(0, slash);
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    return std::string(number);
}

std::string PutValuesIn(std::string format, const tagrecord& record) {
    const std::pair<const char*, std::string> values[] = {
        {"Title", record.Title},     {"Artist", record.Artist},
        {"Album", record.Album},     {"Track", TrackNumber(record.Track)},
        {"Date", record.Date},       {"Genre", record.Genre},
        {"Comment", record.Comment},
    };
    for (const auto& [entry, value] : values)
        format = ReplaceAll(format, Placeholder(entry), NameValue(value));
    return format;
}

void PlanLoadedFile(const TRenameFromTagOptions& options, TPlannedNames& planned, const tagrecord& record,
                    const std::string& dir, const std::string& name, TFilePlan& plan) {
    const TNewPath target = NewPathFromTags(options, record, dir, name);
    plan.Lines.push_back(kLogIndent + std::string("to: ") + EscapedName(target.Path));
    if (!target.Refusal.empty()) return plan.Fail("not renamed: " + target.Refusal);
    if (target.Path == plan.Path) return plan.Skip("the name is already right");
    if (const std::string refusal = planned.Refusal(target.Path); !refusal.empty())
        return plan.Fail("not renamed: " + refusal);
    plan.Action = TPlanAction::Rename;
    plan.NewPath = target.Path;
    planned.Move(plan.Path, target.Path);
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

TNewPath NewPathFromTags(const TRenameFromTagOptions& options, const tagrecord& record,
                         const std::string& dir, const std::string& name) {
    const std::string newName = NewNameFromTags(options, record);
    // Only the extension would be left: a hidden file the next run would collide with.
    return {dir + newName + std::string(FileExtension(name)), newName.empty() ? "the tags give no name" : ""};
}

std::string TPlannedNames::Refusal(const std::string& path) const {
    static const std::string kTaken = "a file of that name already exists";
    if (taken_.contains(path)) return kTaken;
    if (freed_.contains(path)) return {};
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return kTaken;
    return errno == ENOENT ? std::string() : ErrorText(errno);
}

void TPlannedNames::Move(const std::string& from, const std::string& to) {
    taken_.erase(from);
    freed_.insert(from);
    freed_.erase(to);
    taken_.insert(to);
}

TFilePlan PlanRenameFromTag(const TRenameFromTagOptions& options, TPlannedNames& planned, TOggVorbis& file,
                            tagrecord& record, const std::string& dir, const std::string& name) {
    // The scan may hand over a directory written with a doubled separator.
    const std::string cleanDir = ReplaceAll(dir, "//", "/");
    return PlanFile("Renaming: ", cleanDir + name, [&](TFilePlan& plan) {
        FileInfo read;
        if (LoadWorkingRecord(file, record, plan.Path, &plan.Planned, &read) == TLoadOutcome::Missing)
            return plan.Fail(EFOpenError(plan.Path, ENOENT).Reason());
        plan.CommentsPlanned = CommentsDigest(CommentsOf(read));
        if (options.DontRenameUntagged && !record.HasTags) return plan.Skip("the file has no tags");
        PlanLoadedFile(options, planned, record, cleanDir, name, plan);
    });
}

}  // namespace parvex
