#include "naming/tag_from_name.h"

#include "batch/log_sink.h"
#include "batch/tag_record.h"
#include "text/text_utils.h"

namespace parvex {

std::string NameToCut(const TTagFromFileNameOptions& options, const std::string& name) {
    std::string cleaned = name;
    if (options.ReplaceChecked) cleaned = ReplaceAll(cleaned, options.ReplaceText, " ");
    if (options.CaseFixChecked) cleaned = LowerCaseListedWords(cleaned, options.CaseFixWords);
    // The scan only finds "*.ogg" names, so the last four characters are the extension even when
    // the replacement above has changed them.
    return CopyRange(cleaned, 1, static_cast<int>(cleaned.size()) - 4);
}

TFileOutcome TagFromFileName(const TTagFromFileNameOptions& options, TOggVorbis& file,
                             tagrecord& record, TLogSink& log, const std::string& dir,
                             const std::string& name) {
    const std::string path = dir + name;
    const TLoadOutcome loaded = LoadWorkingRecord(file, record, path);
    log.AddLine("Tag from filename: " + path);
    if (loaded != TLoadOutcome::Missing && options.Overwrite == TOverwriteChoice::IgnoreTagged &&
        record.HasTags)
        return TFileOutcome::Skipped;
    return StoreChangedRecord(loaded, file, record, log, path, [&](tagrecord& r) {
        SetFieldsFromText(options.Format, options.Separator, NameToCut(options, name),
                          options.Overwrite == TOverwriteChoice::KeepExisting, r);
    });
}

}  // namespace parvex
