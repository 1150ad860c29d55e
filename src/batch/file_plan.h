#pragma once
// What a batch run does to one file, decided before anything is written: the log lines that say it,
// and the new tags or the new name. Planning only reads. The real run logs the plan's lines and
// carries the plan out; a dry run logs the same lines and stops there, so both say the same thing.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/tag_record.h"
#include "fs/file_identity.h"
#include "ogg/header_reader.h"
#include "ogg/written_comment.h"

namespace parvex {

class TFileHandle;
class TLogSink;
class TOggVorbis;

// The headers of a file as its plan read them, which its save writes the new file after: a file is
// read once in a run. The values of the comment table of kLargeValueBytes or more are left out
// (empty), kept in the file: LeftOut lists their entries, in order (ValueOf reads them again).
struct TPlannedHeaders {
    FileInfo Info;
    std::vector<std::size_t> LeftOut;

    // The value of entry `entry` of the table, from the file `file` (the file as planned) when it
    // was left out.
    std::string ValueOf(std::size_t entry, const TFileHandle& file) const;
    // Puts every value left out back into the table, from `file`.
    void TakeLeftOut(const TFileHandle& file);
};

// Indentation of every line after a file's heading.
inline constexpr const char* kLogIndent = "     ";

enum class TPlanAction {
    Leave,   // nothing to write: left alone on purpose, or no tag would change
    Store,   // write Record into the file
    Rename,  // rename the file to NewPath
    Fail,    // cannot be done (not Ogg Vorbis, cannot be opened, the name is taken, ...)
};

// One comment that a change stores differently, with its values as the log shows them: quoted, a
// picture by its description, "(none)" where there is no such comment.
struct TCommentChange {
    std::string Name;
    std::string Old;
    std::string New;
    bool operator==(const TCommentChange&) const = default;
};

struct TFilePlan {
    std::string Path;  // the file: folder and name
    TPlanAction Action = TPlanAction::Leave;
    std::vector<std::string> Lines;  // the heading and the path first, then what happens or why not
    tagrecord Record;                // Store: the tags the file gets (without its LargeValues)
    std::string NewPath;             // Rename: where the file goes
    // Rename: CommentsDigest of the file's comments as planning read them, which the journal keeps
    // to know the file again under its new name; unset, the journal reads the file for it.
    std::optional<uint64_t> CommentsPlanned;
    std::vector<TCommentChange> Changes;  // Store: the comments that change
    // Store: when set, the comments the file gets in place of all it holds, in this order and as
    // they stand (undo puts a file's old comments back so, from its journal, which outlives the
    // plan: the comments are not held twice); Record is then not used.
    const std::vector<TWrittenComment>* Comments = nullptr;
    // Store: the large values of Record (lyrics, cover art, a long comment: kLargeValueBytes or more),
    // left empty in the plan so that a run holds no file's large comments from its plan to its save
    // and each large value it brings in once: the file's own value is that of comment `Entry` (1 for
    // the first after the vendor string) of the file as planned, which the save takes from there; a
    // value the run brings in (one cover given to every file) is `Given`, shared by every plan that
    // gives it (SharedLargeValue). RecordToStore puts them back.
    struct TLargeValue {
        std::string tagrecord::*Field = nullptr;  // the field it fills; null: other-tag line `Line`
        std::size_t Line = 0;
        std::size_t Entry = 0;
        std::shared_ptr<const std::string> Given;  // the field's value, or the whole line
    };
    std::vector<TLargeValue> LargeValues;
    // The file as it stood when it was planned: it is changed only while it still stands so.
    FileIdentity Planned;
    // Store: the file's headers as planning read them; null where the run holds too many already
    // (KeepHeadersWithin), and the save then reads them again.
    std::shared_ptr<const TPlannedHeaders> Headers;

    // Leaves the file with the line "     skipped: " + reason.
    void Skip(const std::string& reason);
    // Marks the plan failed with the line kLogIndent + text.
    void Fail(const std::string& text);
};

// A plan whose first line is `heading` + `path` (escaped: EscapedName), completed by `decide`, which
// sets the plan's Planned identity from the file it reads (left unset, no file would pass as
// unchanged, so the plan could not be carried out). An error `decide` raises (a file that cannot be
// opened, a read error) fails the plan with a line giving its reason; nothing is raised.
TFilePlan PlanFile(const std::string& heading, const std::string& path,
                   const std::function<void(TFilePlan&)>& decide);

// A log line without its indentation: what a preview or an error message shows of it.
std::string Unindented(const std::string& line);

// "could not be written: REASON; the file is unchanged": a file's log line, unindented, when its
// new version was not written.
std::string WriteFailureText(const std::string& reason);

// Why an operation passes over a loaded file (an empty text: it does not).
using TSkipRule = std::function<std::string(const tagrecord& loaded)>;

// The plan of an operation that changes tags. Loads the file into `record`. A file gone since the
// scan fails ("cannot be opened: no such file or directory"); one `skip` passes over is skipped with
// its reason; a file that is neither Ogg Vorbis nor Opus fails ("not an Ogg Vorbis or Opus file: left
// unchanged"), and so does one whose headers a save would refuse (damaged, cut off: WriteFailureText
// with the reason), whatever the operation would change, so that a dry run shows what the run does.
// Otherwise `change` turns the loaded record into the new one (left in `record`): the plan stores it
// with one line per comment that changes (ChangeLines), or, when none would, leaves the file with
// the line "     no change".
TFilePlan PlanTagChange(TOggVorbis& file, tagrecord& record, const std::string& heading,
                        const std::string& dir, const std::string& name, const TSkipRule& skip,
                        const std::function<void(tagrecord&)>& change);

// Values of at least this many bytes are large: a plan leaves those the file holds in the file and
// shares those the run brings in (LargeValues), and its lines and preview rows show them shortened
// (ShownValue).
inline constexpr std::size_t kLargeValueBytes = 4096;

// The record a Store plan writes into the file whose headers are `headers` (which must be the file as
// planned, open as `file`): Record with its LargeValues put back, those of the file taken from it.
// Raises EFileChanged when the file lacks one.
tagrecord RecordToStore(const TFilePlan& plan, const TPlannedHeaders& headers, const TFileHandle& file);

// One copy of `value` for every plan of the process that gives the same large value: the copy an
// earlier plan holds, while one does, else a new one.
std::shared_ptr<const std::string> SharedLargeValue(std::string_view value);

// The headers of `info` as a plan keeps them: the large values left out.
TPlannedHeaders PlannedHeaders(FileInfo info);

// How many bytes of headers the plans of one run hold at most; the plans after are made without.
inline constexpr std::size_t kPlannedHeaderBytes = std::size_t{64} << 20;
// Drops the headers of `plan` once the plans before it hold `held` bytes (counted on) of kPlannedHeaderBytes.
void KeepHeadersWithin(TFilePlan& plan, std::size_t& held);

// A comment's value as a plan's lines and preview rows show it: quoted (QuotedText); a large one by
// its first characters and its size in bytes: "Lorem ipsum dolor"... (104857600 bytes).
std::string ShownValue(std::string_view value);

// Logs the plan's lines only, as a dry run shows them, and gives the outcome the plan promises.
TFileOutcome ShowPlan(const TFilePlan& plan, TLogSink& log);
// The line that says why a plan that fails fails, unindented; empty for any other plan.
std::string PlanFailure(const TFilePlan& plan);

// The comments a file holds once `record` is stored: the fields under their comment names, then
// the other tags in order; an empty field is not written, an other tag with a name and an empty
// value is. Names as the record has them (a stored comment keeps the letter case the file gave it).
std::vector<TWrittenComment> WrittenComments(const tagrecord& record);

// One line per comment that differs between the two records as written: "     ARTIST: "Old" ->
// "New"", "     MOOD: (none) -> "calm"", "     TITLE: "Song" -> (none)"; a value shows as ShownValue
// gives it, a picture as its description in brackets. Names match, and are shown, with their ASCII
// letters in capitals. Of a name with several values, those it keeps are not named, and those that
// go are paired in turn with those that come; the same values in another order are compared place
// by place. None when storing `after` would change no comment.
std::vector<std::string> ChangeLines(const tagrecord& before, const tagrecord& after);
// The changes ChangeLines names, one by one.
std::vector<TCommentChange> CommentChanges(const std::vector<TWrittenComment>& before,
                                           const std::vector<TWrittenComment>& after);

// The same for two lists of comments as written.
std::vector<std::string> ChangeLines(const std::vector<TWrittenComment>& before,
                                     const std::vector<TWrittenComment>& after);

// One row of a plan's preview: the file, then what changes in it (a comment's name with its old and
// new value; "(name)" with the old and the new file name) or, with Tag and Old empty, why it is
// left alone.
struct TPreviewRow {
    std::string File;
    std::string Tag;
    std::string Old;
    std::string New;
    bool operator==(const TPreviewRow&) const = default;
};

// The rows of one file's plan: one per changing comment, one for a rename, one for a file left
// alone or failing (its last log line, without the indentation).
std::vector<TPreviewRow> PreviewRows(const TFilePlan& plan);

}  // namespace parvex
