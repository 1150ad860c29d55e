#pragma once
// The common end of the tag-writing routines of this folder, once the file is loaded and its log
// line written. Internal to naming/.

#include <string>

#include "batch/log_sink.h"
#include "batch/tag_record.h"
#include "ogg/open_error.h"

namespace parvex {

// A file gone since the scan raises the open error, as saving it would; a file that is not Ogg
// Vorbis is logged and left alone; any other file is changed by `change` and stored, and a failed
// save is logged.
template <typename Change>
TFileOutcome StoreChangedRecord(TLoadOutcome loaded, TOggVorbis& file, tagrecord& record,
                                TLogSink& log, const std::string& path, Change&& change) {
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

}  // namespace parvex
