#pragma once
// The paths a command is given: a folder stands for the files its search finds, any other path for
// the file it names.

#include <string>
#include <vector>

#include "scan/find_file.h"
#include "scan/found_files.h"

namespace parvex {

// Whether `path` names a folder (links followed).
bool IsFolder(const std::string& path);

// Searches each folder of `paths` with `finder`, whose OnFound lists what it finds, and adds each
// other path to `found` itself, under its folder made absolute as the search gives folders: a file
// named on its own is worked on, journaled and undone like one found in a folder.
void FindGivenFiles(TFindFile& finder, const std::vector<std::string>& paths, TFoundFileList& found);

// The folders a run over `paths` works in, each once: each folder given, and the folder of each file
// given.
std::vector<std::string> FoldersOfGivenPaths(const std::vector<std::string>& paths);

}  // namespace parvex
