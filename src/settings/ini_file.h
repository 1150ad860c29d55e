#pragma once
// The settings file on disk: where it lives, reading it, and replacing it in one step.

#include <filesystem>
#include <stdexcept>
#include <string>

#include "settings/ini_document.h"

namespace parvex {

// Raised when the settings file cannot be written; the message is "Unable to write to <path>".
class TIniWriteError : public std::runtime_error {
public:
    explicit TIniWriteError(const std::filesystem::path& file);
};

// The folder of the settings: "$XDG_CONFIG_HOME/parvex", or "~/.config/parvex" when that variable is
// unset, empty or not an absolute path.
std::filesystem::path SettingsFolder();

// The settings file for a configured name: an empty name means "parvex.INI"; a name without a folder
// lives in SettingsFolder(); any other name is used as it stands.
std::filesystem::path SettingsFilePath(const std::string& name = {});

// The document in `file`. A missing, unreadable or malformed file never fails: whatever can be read
// is returned, and a file that cannot be read at all gives an empty document.
TIniDocument LoadIniFile(const std::filesystem::path& file);

// Replaces `file` with `doc`, creating its folder when missing. The text goes to a temporary file in
// the same folder, is flushed to disk and renamed over `file`, so the old file stays whole until the
// new one is complete. A symbolic link is followed: its target is replaced and the link kept. An
// existing file keeps its permission bits. Throws TIniWriteError on any failure, leaving `file` as it
// was and no temporary file behind.
void SaveIniFile(const std::filesystem::path& file, const TIniDocument& doc);

}  // namespace parvex
