#include "batch/file_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <map>
#include <mutex>
#include <unordered_map>

#include "batch/log_sink.h"
#include "batch/tag_fields.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "fs/folder_replace.h"
#include "fs/open_error.h"
#include "ogg/picture.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// A field as the writer stores it (see WrittenField).
void AddField(std::vector<TWrittenComment>& comments, std::string name, std::string_view value) {
    if (std::optional<TWrittenComment> comment = WrittenField(std::move(name), value))
        comments.push_back(std::move(*comment));
}

// How many bytes of a large value its shortened form shows.
constexpr std::size_t kShownStartBytes = 60;

// A comment's value as the log shows it; a picture by its description, never by its base64 value.
std::string Shown(const std::string& name, const std::string_view* value) {
    if (!value) return "(none)";
    if (name == kPictureCommentName) return "[" + DescribePictureComment(*value) + "]";
    return ShownValue(*value);
}

// The values of each name, in order, and the names in the order they first appear. Names are
// upper-cased, as they match: "title" in the file and the Title field are one comment, which keeps
// the file's spelling, and the log names it in capitals whatever the file's spelling. The values are
// those of the comments added, not copies: a huge one is not held again.
struct TNamedValues {
    using TValues = std::vector<std::string_view>;
    std::vector<std::string> Names;
    std::map<std::string, TValues> Values;

    void Add(const std::vector<TWrittenComment>& comments) {
        for (const TWrittenComment& comment : comments) {
            auto [entry, isNew] = Values.try_emplace(UpperCase(comment.Name));
            if (isNew) Names.push_back(entry->first);
            entry->second.push_back(comment.Value);
        }
    }
    const TValues& Of(const std::string& name) const {
        static const TValues none;
        const auto found = Values.find(name);
        return found == Values.end() ? none : found->second;
    }
};

// The changes of one name's values. A value the name keeps is not shown wherever it stands (the
// second of two artists is still there when the first is removed); the values that went are paired
// in turn with those that came. The same values in another order are compared place by place.
void AddChangesOf(const std::string& name, const TNamedValues::TValues& old, const TNamedValues::TValues& now,
                  std::vector<TCommentChange>& changes) {
    if (old == now) return;
    std::map<std::string_view, std::size_t> unmatched;  // old values not yet found among the new
    for (std::string_view value : old) ++unmatched[value];
    std::vector<const std::string_view*> gone, came;
    for (const std::string_view& value : now) {
        const auto found = unmatched.find(value);
        if (found != unmatched.end() && found->second > 0)
            --found->second;
        else
            came.push_back(&value);
    }
    for (const std::string_view& value : old)
        if (std::size_t& left = unmatched[value]; left > 0) --left, gone.push_back(&value);
    if (gone.empty() && came.empty()) {
        for (const std::string_view& value : old) gone.push_back(&value);
        for (const std::string_view& value : now) came.push_back(&value);
    }
    for (std::size_t k = 0; k < std::max(gone.size(), came.size()); ++k) {
        const std::string_view* from = k < gone.size() ? gone[k] : nullptr;
        const std::string_view* to = k < came.size() ? came[k] : nullptr;
        if (from && to && *from == *to) continue;
        changes.push_back({name, Shown(name, from), Shown(name, to)});
    }
}

std::string ChangeLine(const TCommentChange& change) {
    return kLogIndent + change.Name + ": " + change.Old + " -> " + change.New;
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The value of an other-tag line "NAME=value".
std::string_view LineValue(std::string_view line) {
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? line : line.substr(eq + 1);
}

// Whether comment `k` of the table, as a line "NAME=value", is `line`.
bool IsLineOf(const VorbisTag& tag, std::size_t k, std::string_view line) {
    const std::string& name = tag.Names[k];
    return line.size() == name.size() + 1 + tag.Values[k].size() && line.starts_with(name) &&
           line[name.size()] == '=' && line.substr(name.size() + 1) == tag.Values[k];
}

// Every value of a record, each with the place it takes there: the fields, then the other-tag lines.
template <typename Visit>
void ForEachValue(tagrecord& record, const Visit& visit) {
    static constexpr std::string tagrecord::*kFields[] = {
        &tagrecord::Title,     &tagrecord::Artist,  &tagrecord::Album,        &tagrecord::Track,
        &tagrecord::Date,      &tagrecord::Genre,   &tagrecord::Comment,      &tagrecord::Performer,
        &tagrecord::Copyright, &tagrecord::License, &tagrecord::Organization, &tagrecord::Location,
        &tagrecord::Contact,   &tagrecord::ISRC,    &tagrecord::Version,
    };
    for (std::string tagrecord::*field : kFields) visit(TFilePlan::TLargeValue{field, 0, 0, nullptr}, record.*field);
    for (std::size_t i = 0; i < record.OtherTags.size(); ++i)
        visit(TFilePlan::TLargeValue{nullptr, i, 0, nullptr}, record.OtherTags[i]);
}

// The large values plans give, by their hash, each held by the plans that give it: a value goes with
// the last of them. Plans are made on several threads at once.
class TLargeValuePool {
public:
    std::shared_ptr<const std::string> Share(std::string_view value) {
        const std::size_t hash = std::hash<std::string_view>{}(value);
        const std::lock_guard lock(mutex_);
        const auto [first, last] = values_.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (std::shared_ptr<const std::string> held = it->second.lock(); held && *held == value) return held;
        if (values_.size() >= sweepAt_) Sweep();
        auto shared = std::make_shared<const std::string>(value);
        values_.emplace(hash, shared);
        return shared;
    }

private:
    // Forgets the values no plan holds any longer, seldom enough that a run giving each file a value
    // of its own does not sweep at every file.
    void Sweep() {
        std::erase_if(values_, [](const auto& entry) { return entry.second.expired(); });
        sweepAt_ = 2 * values_.size() + 64;
    }

    std::mutex mutex_;
    std::unordered_multimap<std::size_t, std::weak_ptr<const std::string>> values_;
    std::size_t sweepAt_ = 64;
};

// Where `large` stands in `record`: a field, or an other-tag line.
std::string& PlaceOf(tagrecord& record, const TFilePlan::TLargeValue& large) {
    return large.Field ? record.*large.Field : record.OtherTags.at(large.Line);
}

// Makes the plan's Record `record` with its large values set apart (LargeValues): those that are the
// file's own comments (read into `info`) are left in the file, each comment taken by one value only;
// the others, which the run brings in, are shared with the plans that give the same. A field holds a
// comment's value; a line its name and value. `record` keeps every value: the large ones are moved
// out of it while it is copied, not copied.
void SetRecordToStore(TFilePlan& plan, tagrecord& record, const FileInfo& info) {
    const VorbisTag& tag = info.Tag;
    std::vector<std::size_t> large;
    for (std::size_t k = 1; k < tag.Count(); ++k)
        if (tag.Values[k].size() >= kLargeValueBytes) large.push_back(k);
    std::vector<std::string> aside;
    ForEachValue(record, [&](TFilePlan::TLargeValue place, std::string& value) {
        const bool line = place.Field == nullptr;
        if ((line ? LineValue(value) : std::string_view(value)).size() < kLargeValueBytes) return;
        const auto found = std::find_if(large.begin(), large.end(), [&](std::size_t k) {
            return line ? IsLineOf(tag, k, value) : tag.Values[k] == value;
        });
        if (found == large.end()) {
            place.Given = SharedLargeValue(value);
        } else {
            place.Entry = *found;
            large.erase(found);
        }
        plan.LargeValues.push_back(std::move(place));
        aside.emplace_back().swap(value);
    });
    plan.Record = record;
    for (std::size_t k = 0; k < aside.size(); ++k) PlaceOf(record, plan.LargeValues[k]).swap(aside[k]);
}

}  // namespace

std::string Unindented(const std::string& line) { return line.substr(std::min(line.find_first_not_of(' '), line.size())); }

std::string WriteFailureText(const std::string& reason) {
    return "could not be written: " + reason + "; the file is unchanged";
}

void TFilePlan::Skip(const std::string& reason) {
    Action = TPlanAction::Leave;
    Lines.push_back(kLogIndent + std::string("skipped: ") + reason);
}

void TFilePlan::Fail(const std::string& text) {
    Action = TPlanAction::Fail;
    Lines.push_back(kLogIndent + text);
}

TFilePlan PlanFile(const std::string& heading, const std::string& path,
                   const std::function<void(TFilePlan&)>& decide) {
    TFilePlan plan;
    plan.Path = path;
    plan.Lines.push_back(heading + EscapedName(path));
    const std::size_t headingLines = plan.Lines.size();
    try {
        decide(plan);
    } catch (const EFOpenError& error) {
        plan.Lines.resize(headingLines);
        plan.Fail(error.Reason());
    } catch (const std::exception& error) {
        plan.Lines.resize(headingLines);
        plan.Fail(std::string("could not be read: ") + error.what());
    }
    return plan;
}

TFilePlan PlanTagChange(TOggVorbis& file, tagrecord& record, const std::string& heading,
                        const std::string& dir, const std::string& name, const TSkipRule& skip,
                        const std::function<void(tagrecord&)>& change) {
    return PlanFile(heading, dir + name, [&](TFilePlan& plan) {
        FileInfo read;
        const TLoadOutcome outcome = LoadWorkingRecord(file, record, plan.Path, &plan.Planned, &read);
        // A file gone since the scan.
        if (outcome == TLoadOutcome::Missing) return plan.Fail(EFOpenError(plan.Path, ENOENT).Reason());
        if (const std::string reason = skip ? skip(record) : std::string(); !reason.empty())
            return plan.Skip(reason);
        if (outcome == TLoadOutcome::NotVorbis)
            return plan.Fail(std::string(kNotOggVorbisOrOpus) + ": left unchanged");
        // The working record ends up holding the file's new values, as the window's record does after
        // a run.
        const std::vector<TWrittenComment> loaded = WrittenComments(record);
        change(record);
        if (!file.HeaderDamage.empty()) return plan.Fail(WriteFailureText(file.HeaderDamage));
        plan.Changes = CommentChanges(loaded, WrittenComments(record));
        if (plan.Changes.empty()) {
            plan.Lines.push_back(kLogIndent + std::string("no change"));
            return;
        }
        plan.Action = TPlanAction::Store;
        for (const TCommentChange& change : plan.Changes) plan.Lines.push_back(ChangeLine(change));
        // Only a plan that stores holds a record: a run over files that keep their tags holds none.
        SetRecordToStore(plan, record, read);
        plan.Headers = std::make_shared<const TPlannedHeaders>(PlannedHeaders(std::move(read)));
    });
}

std::string TPlannedHeaders::ValueOf(std::size_t entry, const TFileHandle& file) const {
    if (std::binary_search(LeftOut.begin(), LeftOut.end(), entry)) return ReadTagValue(file, Info, entry);
    return Info.Tag.Values.at(entry);
}

void TPlannedHeaders::TakeLeftOut(const TFileHandle& file) {
    for (std::size_t entry : LeftOut) Info.Tag.Values.at(entry) = ReadTagValue(file, Info, entry);
    LeftOut.clear();
}

TPlannedHeaders PlannedHeaders(FileInfo info) {
    TPlannedHeaders headers;
    std::vector<std::string>& values = info.Tag.Values;
    for (std::size_t k = 1; k < values.size(); ++k) {
        if (values[k].size() < kLargeValueBytes) continue;
        headers.LeftOut.push_back(k);
        std::string().swap(values[k]);
    }
    headers.Info = std::move(info);
    return headers;
}

void KeepHeadersWithin(TFilePlan& plan, std::size_t& held) {
    if (!plan.Headers) return;
    const std::size_t bytes = HeldBytes(plan.Headers->Info) + plan.Headers->LeftOut.capacity() * sizeof(std::size_t);
    if (held + bytes > kPlannedHeaderBytes) return plan.Headers.reset();
    held += bytes;
}

std::shared_ptr<const std::string> SharedLargeValue(std::string_view value) {
    static TLargeValuePool pool;
    return pool.Share(value);
}

tagrecord RecordToStore(const TFilePlan& plan, const TPlannedHeaders& headers, const TFileHandle& file) {
    tagrecord record = plan.Record;
    const VorbisTag& tag = headers.Info.Tag;
    for (const TFilePlan::TLargeValue& large : plan.LargeValues) {
        std::string& place = PlaceOf(record, large);
        if (large.Given) {
            place = *large.Given;
            continue;
        }
        if (large.Entry >= tag.Count()) throw EFileChanged();
        std::string value = headers.ValueOf(large.Entry, file);
        place = large.Field ? std::move(value) : tag.Names[large.Entry] + "=" + value;
    }
    return record;
}

// The start is cut at the beginning of a character, so that the line stays well-formed text.
std::string ShownValue(std::string_view value) {
    if (value.size() < kLargeValueBytes) return QuotedText(value);
    std::size_t start = kShownStartBytes;
    while (start > 0 && (static_cast<unsigned char>(value[start]) & 0xC0) == 0x80) --start;
    return QuotedText(value.substr(0, start)) + "... (" + std::to_string(value.size()) +
           " bytes)";
}

TFileOutcome ShowPlan(const TFilePlan& plan, TLogSink& log) {
    for (const std::string& line : plan.Lines) log.AddLine(line);
    switch (plan.Action) {
        case TPlanAction::Leave:
            return TFileOutcome::Skipped;
        case TPlanAction::Fail:
            return TFileOutcome::Failed;
        case TPlanAction::Store:
        case TPlanAction::Rename:
            break;
    }
    return TFileOutcome::Written;
}

std::string PlanFailure(const TFilePlan& plan) {
    return plan.Action == TPlanAction::Fail ? Unindented(plan.Lines.back()) : std::string();
}

std::vector<TWrittenComment> WrittenComments(const tagrecord& record) {
    std::vector<TWrittenComment> comments;
    for (TTagField field : kAllTagFields) {
        const std::string name =
            field == TTagField::Comment ? record.CommentName : std::string(CommentNameOf(field));
        AddField(comments, name, FieldOf(record, field));
    }
    AddField(comments, "PERFORMER", record.Performer);
    for (const std::string& line : record.OtherTags)
        if (std::optional<TWrittenComment> comment = WrittenOtherTag(line)) comments.push_back(std::move(*comment));
    return comments;
}

std::vector<std::string> ChangeLines(const tagrecord& before, const tagrecord& after) {
    return ChangeLines(WrittenComments(before), WrittenComments(after));
}

std::vector<TCommentChange> CommentChanges(const std::vector<TWrittenComment>& before,
                                           const std::vector<TWrittenComment>& after) {
    TNamedValues old, now;
    old.Add(before);
    now.Add(after);
    std::vector<std::string> names = old.Names;
    for (const std::string& name : now.Names)
        if (old.Of(name).empty()) names.push_back(name);
    std::vector<TCommentChange> changes;
    for (const std::string& name : names) AddChangesOf(name, old.Of(name), now.Of(name), changes);
    return changes;
}

std::vector<std::string> ChangeLines(const std::vector<TWrittenComment>& before,
                                     const std::vector<TWrittenComment>& after) {
    std::vector<std::string> lines;
    for (const TCommentChange& change : CommentChanges(before, after)) lines.push_back(ChangeLine(change));
    return lines;
}

std::vector<TPreviewRow> PreviewRows(const TFilePlan& plan) {
    std::vector<TPreviewRow> rows;
    switch (plan.Action) {
        case TPlanAction::Store:
            for (const TCommentChange& change : plan.Changes)
                rows.push_back({plan.Path, change.Name, change.Old, change.New});
            break;
        case TPlanAction::Rename:
            rows.push_back({plan.Path, "(name)", NameOf(plan.Path), NameOf(plan.NewPath)});
            break;
        case TPlanAction::Leave:
        case TPlanAction::Fail:
            rows.push_back({plan.Path, "", "", Unindented(plan.Lines.back())});
            break;
    }
    return rows;
}

}  // namespace parvex
