#include "app/start_options.h"

#include <filesystem>

namespace parvex {

const char kStartHelp[] =
    "Usage: parvex [FOLDER|FILE]\n"
    "Parvex, a tag editor for Ogg Vorbis files. Opens its window on FOLDER, or on the folder of\n"
    "FILE with FILE selected; without either, on the folder it showed last.\n\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n\n"
    "The command-line tool parvex-cli does the same work without a window.\n";

TStartOptions ParseStartArguments(const std::vector<std::string>& args) {
    TStartOptions options;
    bool optionsEnd = false;
    for (const std::string& arg : args) {
        if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            options.Help = true;
        } else if (!optionsEnd && arg == "--version") {
            options.Version = true;
        } else if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            if (options.Error.empty()) options.Error = "unknown option '" + arg + "'";
        } else if (options.Path) {
            if (options.Error.empty()) options.Error = "one folder or file only, got '" + arg + "' too";
        } else {
            options.Path = arg;
        }
    }
    return options;
}

std::optional<TStartPlace> ResolveStartPath(const std::string& path, std::string& problem) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    const std::filesystem::file_status status = std::filesystem::status(absolute, error);
    if (std::filesystem::is_directory(status)) {
        std::string folder = absolute.string();
        if (folder.back() != '/') folder += '/';
        return TStartPlace{folder, {}};
    }
    if (std::filesystem::exists(status) && absolute.has_filename())
        return TStartPlace{absolute.parent_path().string() + "/", absolute.filename().string()};
    problem = "no such folder or file: " + path;
    return std::nullopt;
}

}  // namespace parvex
