#include "naming/tag_from_name.h"

#include "ogg/ogg_codec.h"
#include "text/text_utils.h"

namespace parvex {

std::string NameToCut(const TTagFromFileNameOptions& options, const std::string& name) {
    std::string cleaned = name;
    if (options.ReplaceChecked) cleaned = ReplaceAll(cleaned, options.ReplaceText, " ");
    if (options.CaseFixChecked) cleaned = LowerCaseListedWords(cleaned, options.CaseFixWords);
    // The extension is measured on the name as found, so that it is cut off even when the
    // replacement above has changed it.
    const auto extension = static_cast<int>(FileExtension(name).size());
    return CopyRange(cleaned, 1, static_cast<int>(cleaned.size()) - extension);
}

std::string TooFewPieces(const TTagFromFileNameOptions& options, const std::string& name) {
    const int pieces = CountFields(NameToCut(options, name), options.Separator);
    const int fields = CountFields(options.Format, options.Separator);
    if (pieces >= fields) return {};
    return "the name has " + std::to_string(pieces) + (pieces == 1 ? " piece" : " pieces") +
           " where the format has " + std::to_string(fields);
}

TFilePlan PlanTagFromFileName(const TTagFromFileNameOptions& options, TOggVorbis& file, tagrecord& record,
                              const std::string& dir, const std::string& name) {
    const auto skip = [&](const tagrecord& loaded) {
        const std::string ignored = IgnoredByChoice(options.Overwrite, loaded);
        return ignored.empty() ? TooFewPieces(options, name) : ignored;
    };
    return PlanTagChange(file, record, "Tag from filename: ", dir, name, skip, [&](tagrecord& r) {
        SetFieldsFromText(options.Format, options.Separator, NameToCut(options, name),
                          options.Overwrite == TOverwriteChoice::KeepExisting, r);
    });
}

}  // namespace parvex
