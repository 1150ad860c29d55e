#pragma once
// What Parvex is started with: "parvex [FOLDER|FILE]", "--help", "--version". The toolkit's own
// options (-platform, -style, ...) are taken out by it before these are read.

#include <optional>
#include <string>
#include <vector>

namespace parvex {

struct TStartOptions {
    bool Help = false;
    bool Version = false;
    std::optional<std::string> Path;  // the folder to open, or a file to select in its folder
    std::string Error;                // a usage error; empty when the arguments are good
};

// Reads the arguments after the program name. --help (-h) and --version win over everything else,
// errors included, so that they work before the toolkit has seen its options. At most one path;
// an argument starting with "-" is an unknown option, unless it comes after "--".
TStartOptions ParseStartArguments(const std::vector<std::string>& args);

// The folder to list and the file to select in it (empty: none) for a path given at start:
// a folder is listed, a file is selected in its folder. The folder is absolute and ends in "/".
// Nothing, with `problem` saying why, when there is no such folder or file.
struct TStartPlace {
    std::string Folder;
    std::string FileName;
};
std::optional<TStartPlace> ResolveStartPath(const std::string& path, std::string& problem);

extern const char kStartHelp[];

}  // namespace parvex
