#pragma once
// Template bodies of StoreChangedRecord and ChangeFileTags; included by tag_record.h only.

#include "batch/log_sink.h"
#include "ogg/open_error.h"

namespace parvex {

template <typename Change>
TFileOutcome StoreChangedRecord(TLoadOutcome loaded, TOggVorbis& file, tagrecord& record,
                                TLogSink& log, const std::string& path, Change&& change) {
    // A file that vanished since the scan cannot be opened, like a locked one: the run stops
    // there with the open error, for the window's error handler or the caller to report.
    if (loaded == TLoadOutcome::Missing) throw EFOpenError(path);
    if (loaded == TLoadOutcome::NotVorbis) {
        LogOutcome(log, TFileOutcome::NotVorbis);
        return TFileOutcome::NotVorbis;
    }
    change(record);
    const TFileOutcome outcome =
        StoreWorkingRecord(file, record, path) ? TFileOutcome::Written : TFileOutcome::WriteFailed;
    LogOutcome(log, outcome);
    return outcome;
}

template <typename Change>
TFileOutcome ChangeFileTags(TOggVorbis& file, tagrecord& record, TLogSink& log,
                            const std::string& heading, const std::string& dir,
                            const std::string& name, Change&& change) {
    const std::string path = dir + name;
    const TLoadOutcome loaded = LoadWorkingRecord(file, record, path);
    log.AddLine(heading + path);
    return StoreChangedRecord(loaded, file, record, log, path, std::forward<Change>(change));
}

}  // namespace parvex
