#pragma once
// The tool stopped by the user or the system in the middle of a save leaves no temporary file.

namespace parvex::cli {

// From now on SIGINT, SIGTERM and SIGHUP first remove the temporary file of the save in progress,
// if it has a name yet, then take their normal course.
void RemoveTempFileOnSignals();

}  // namespace parvex::cli
