#include <exception>
#include <filesystem>
#include <set>

#include "batch/log_sink.h"
#include "cli/batch_run.h"
#include "cli/format_args.h"
#include "cli/tagging_args.h"
#include "naming/name_format.h"
#include "naming/rename_from_tag.h"
#include "ogg/ogg_vorbis.h"
#include "text/text_utils.h"

namespace parvex::cli {

const char kRenameHelp[] =
    "Usage: parvex-cli rename [OPTION]... FOLDER...\n"
    "Renames every .ogg file of the folders after its own tags: the format with each placeholder\n"
    "replaced by the file's value, then \".ogg\". The file stays in its folder and never replaces\n"
    "another file.\n\n" PARVEX_CLI_FORMAT_OPTIONS_HELP
    "                        (the separator only joins the --fields entries; trash is not "
    "one)\n" PARVEX_CLI_LOWER_OPTION_HELP
    "  --replace-spaces TEXT replace every space of the new name by TEXT (may be empty)\n"
    "  --rename-untagged     also rename files that have no comment header\n" PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "The characters \\ / : * ? \" < > | are removed from the new name. Each file gets the log line\n"
    "\"Renaming: PATH\" on standard output and, when it has tags, \"     to: NEW PATH\". Each file\n"
    "that cannot be read or renamed (the new name is taken, the tags give no name) is named on\n"
    "standard error and the others are still done.\n"
    "Exit status: 0 when every file was done, 1 when some file could not be read or renamed,\n"
    "2 for bad usage.\n\n"
    "Example: parvex-cli rename ~/Music/Album --format '<Track> - <Title>' --dry-run\n";

namespace {

constexpr char kNotRenamed[] = "     not renamed: ";

struct TRenameArgs {
    TBatchArgs Batch;
    TFormatArgs Format;
    TRenameFromTagOptions Options;
};

bool HoldsPlaceholder(const std::string& format) {
    for (std::string_view caption : kFieldCaptions)
        if (format.find(Placeholder(caption)) != std::string::npos) return true;
    return false;
}

std::string Parse(const std::vector<std::string>& argv, TRenameArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    AddFormatOptions(parser, args.Format, TFormatKind::Rename);
    AddLowerWordsOption(parser, args.Options.CaseFixWords);
    parser.Value("replace-spaces", 0, [&args](const std::string& value) -> std::string {
        args.Options.ReplaceSpacesChecked = true;
        args.Options.SpaceReplacement = value;
        return {};
    });
    parser.Flag("rename-untagged", 0, [&args] { args.Options.DontRenameUntagged = false; });
    std::string error = parser.Parse(argv, args.Batch.Folders);
    if (!error.empty()) return error;
    args.Options.CaseFixChecked = !args.Options.CaseFixWords.empty();
    args.Options.Format = ResolveFormat(args.Format, error);
    if (!error.empty()) return error;
    // A format without placeholders would give every file the same name.
    if (!HoldsPlaceholder(args.Options.Format))
        return "the format '" + args.Options.Format + "' holds no placeholder such as <Title>";
    return {};
}

// The names a dry run has already handed out or freed, on top of what the folder holds.
class TPlannedNames {
public:
    bool Taken(const std::string& path) const {
        if (taken_.contains(path)) return true;
        if (freed_.contains(path)) return false;
        std::error_code error;
        return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
    }
    void Move(const std::string& from, const std::string& to) {
        taken_.erase(from);
        freed_.insert(from);
        freed_.erase(to);
        taken_.insert(to);
    }

private:
    std::set<std::string> taken_, freed_;
};

// What RenameFromTag would log and do, with the renames of the files before it planned in `planned`.
TFileOutcome PreviewRename(const TRenameFromTagOptions& options, TPlannedNames& planned, TOggVorbis& file,
                           tagrecord& record, TLogSink& log, const std::string& dir,
                           const std::string& name) {
    const std::string cleanDir = ReplaceAll(dir, "//", "/");
    const std::string oldPath = cleanDir + name;
    log.AddLine("Renaming: " + oldPath);
    TLoadOutcome loaded;
    try {
        loaded = LoadWorkingRecord(file, record, oldPath);
    } catch (const std::exception& error) {
        log.AddLine(kNotRenamed + std::string(error.what()));
        return TFileOutcome::WriteFailed;
    }
    if (loaded == TLoadOutcome::Missing) return TFileOutcome::Skipped;
    if (options.DontRenameUntagged && !record.HasTags) {
        log.AddLine("     skipped: the file has no tags");
        return TFileOutcome::Skipped;
    }
    const TRenamePlan plan = PlanRename(options, record, cleanDir);
    const std::string& newPath = plan.NewPath;
    log.AddLine("     to: " + newPath);
    if (!plan.Refusal.empty()) {
        log.AddLine(kNotRenamed + plan.Refusal);
        return TFileOutcome::WriteFailed;
    }
    if (newPath == oldPath) return TFileOutcome::Skipped;
    if (planned.Taken(newPath)) {
        log.AddLine(kNotRenamed + std::string("a file of that name already exists"));
        return TFileOutcome::WriteFailed;
    }
    planned.Move(oldPath, newPath);
    return TFileOutcome::Written;
}

}  // namespace

int RunRename(const std::vector<std::string>& argv, TStreams& io) {
    TRenameArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "rename", error);
    TOggVorbis file;
    tagrecord record;
    TPlannedNames planned;
    const TRenameFromTagOptions& options = args.Options;
    return RunBatch(
        "rename", args.Batch,
        [&](const std::string& dir, const std::string& name, TLogSink& log) {
            if (args.Batch.DryRun) return PreviewRename(options, planned, file, record, log, dir, name);
            return RenameFromTag(options, file, record, log, dir, name);
        },
        io);
}

}  // namespace parvex::cli
