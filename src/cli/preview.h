#pragma once
// Dry runs: what a tag-writing command would do to one file, computed on a copy of its record and
// written as log lines; the file is only read.

#include <functional>
#include <string>
#include <vector>

#include "batch/tag_record.h"

namespace parvex::cli {

// Decides, once the file is loaded, whether the command passes it over: the reason, or an empty
// text to go on.
using TSkipRule = std::function<std::string(TLoadOutcome loaded, const tagrecord& record)>;

// Loads the file, logs `heading` + path and then either "     skipped: " + the reason, or each
// field and other tag the change would set ("     ARTIST: "Band" -> "The Band"", "     other tag
// added: "MOOD=calm"", "     no change"). A file that is not Ogg Vorbis gets the run's log line
// and NotVorbis; a file that is gone raises EFOpenError, as in the real run.
TFileOutcome PreviewTagChange(TOggVorbis& file, tagrecord& record, TLogSink& log, const std::string& heading,
                              const std::string& dir, const std::string& name, const TSkipRule& skip,
                              const std::function<void(tagrecord&)>& change);

// The log lines that tell how the file loaded as `before` will differ once `after` is stored;
// none when they are alike. New values are shown as the file will hold them.
std::vector<std::string> RecordChanges(tagrecord before, tagrecord after);

}  // namespace parvex::cli
