#pragma once
// Export: the tags of a folder's files as a tag list in the format Tag from List reads, to edit in
// a spreadsheet and read back. Reading the exported list back with the same format and separator
// changes nothing.

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "batch/tag_record.h"

namespace parvex {

// Receives a path that an export leaves out or warns about, with the reason in words.
using TExportProblem = std::function<void(const std::string& path, const std::string& reason)>;

// The list line of the file `name` with the tags of `record`, without a line end: column I holds
// what placeholder I of `format` cut at `separator` names ("<Target file>" the name, a field's
// placeholder the field's value, anything else nothing), each quoted only where it must be.
std::string TagListLine(std::string_view format, std::string_view separator, const tagrecord& record,
                        std::string_view name);

// The files an export of `paths` lists, sorted by path: each file given, and the .ogg, .oga and
// .opus files of each folder given (with `recurse`, of its subfolders too), each once. A folder
// that cannot be read goes to `problem`.
std::vector<std::string> ExportedFiles(const std::vector<std::string>& paths, bool recurse,
                                       const TExportProblem& problem);

// Writes the list line of each of `files` to `out`, in order, each ended by a line feed, and
// returns how many were written. A file that cannot be read, or is neither Ogg Vorbis nor Opus, is
// left out and goes to `problem`. A file whose name an earlier one already has is written and goes
// to `problem` too: the list names files without their folder, so reading it back would give both
// files the later line's tags.
std::size_t ExportTagList(const std::vector<std::string>& files, std::string_view format,
                          std::string_view separator, std::ostream& out, const TExportProblem& problem);

}  // namespace parvex
