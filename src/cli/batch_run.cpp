#include "cli/batch_run.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <ostream>

#include "batch/log_sink.h"
#include "cli/progress.h"
#include "ogg/open_error.h"
#include "scan/find_file.h"
#include "scan/found_files.h"

namespace parvex::cli {

void AddBatchOptions(TOptionParser& parser, TBatchArgs& args) {
    parser.Flag("recurse", 'r', [&args] { args.Recurse = true; });
    parser.Flag("dry-run", 'n', [&args] { args.DryRun = true; });
}

namespace {

// Prints log lines on standard output, above the progress bar when both share the terminal, and
// keeps the last line of the current file: the reason when the file fails.
class TStreamLog : public TLogSink {
public:
    TStreamLog(TStreams& io, TProgressBar& progress) : io_(io), progress_(progress) {}

    void AddLine(const std::string& line) override {
        if (io_.OutIsTerminal) progress_.Hide();
        io_.Out << line << '\n';
        if (io_.OutIsTerminal) io_.Out.flush();
        lastLine_ = line;
    }
    void StartFile() { lastLine_.clear(); }
    // The last line without its indentation.
    std::string LastLine() const {
        return lastLine_.substr(std::min(lastLine_.find_first_not_of(' '), lastLine_.size()));
    }

private:
    TStreams& io_;
    TProgressBar& progress_;
    std::string lastLine_;
};

struct TFolderProblem {
    std::string Message;       // empty when the folder can be scanned
    bool BadArgument = false;  // the folder given is wrong (bad usage), rather than unreadable
};

TFolderProblem CheckFolder(const std::string& folder) {
    // The scan takes ";" as a list separator and refuses wildcards: such a name would reach other
    // folders than the one given.
    if (folder.find_first_of(";*?") != std::string::npos)
        return {"cannot scan '" + folder + "': folder names holding ';', '*' or '?' are not supported", true};
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        return {"cannot access '" + folder + "': " + std::strerror(errno), true};
    if (!S_ISDIR(info.st_mode)) return {"'" + folder + "' is not a folder", true};
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return {"cannot read folder '" + folder + "': " + std::strerror(errno), false};
    return {};
}

// The files of the scan of every folder, each listed once, in the order found.
void ScanFolders(const std::vector<std::string>& folders, bool recurse, TFoundFileList& found,
                 TProgressBar& progress) {
    TFindFile finder;
    finder.Filename = "*.ogg";
    finder.Subfolders = recurse;
    // No time limits: the whole list is taken before any file is written, and a file dated in the
    // future (a skewed clock, an unpacked archive) is as much the user's as any other.
    finder.OnFound = [&](TFindFile&, const std::string& folder, const DirEntry& entry) {
        found.Add(folder, entry.Name);
        progress.Scanning(found.Count());
    };
    for (const std::string& folder : folders) {
        finder.SetLocation(folder);
        finder.Search();
    }
}

void ReportFailure(TStreams& io, TProgressBar& progress, const std::string& message) {
    progress.Hide();
    io.Out.flush();  // keeps the log and the errors in order where both go to one file
    io.Err << "parvex-cli: " << message << '\n';
}

bool Failed(TFileOutcome outcome) {
    return outcome == TFileOutcome::NotVorbis || outcome == TFileOutcome::WriteFailed;
}

}  // namespace

int RunBatch(const std::string& command, const TBatchArgs& args, const TFileJob& job, TStreams& io) {
    if (args.Folders.empty()) return UsageError(io, command, "no folder given");
    int status = kExitOk;
    std::vector<std::string> readable;
    for (const std::string& folder : args.Folders) {
        const TFolderProblem problem = CheckFolder(folder);
        if (problem.Message.empty()) {
            readable.push_back(folder);
        } else if (problem.BadArgument) {
            return UsageError(io, command, problem.Message);
        } else {
            io.Err << "parvex-cli: " << problem.Message << '\n';
            status = kExitFileFailed;
        }
    }

    TProgressBar progress(io.Err, io.ErrIsTerminal, io.Columns);
    TFoundFileList found;
    ScanFolders(readable, args.Recurse, found, progress);

    TStreamLog log(io, progress);
    std::size_t done = 0;
    for (const std::string& entry : found) {
        progress.Working(done++, found.Count());
        // The name holds no "/", so the last "/" ends the folder, whatever "*" a subfolder's name holds.
        const std::size_t folderEnd = entry.rfind('/') + 1;
        const std::string dir = entry.substr(0, folderEnd);
        const std::string name = entry.substr(folderEnd + 1);
        log.StartFile();
        try {
            if (!Failed(job(dir, name, log))) continue;
            ReportFailure(io, progress, dir + name + ": " + log.LastLine());
        } catch (const EFOpenError& error) {
            ReportFailure(io, progress, error.what());  // names the file itself
        } catch (const std::exception& error) {
            // Any other input/output error ends this file only, like an unreadable one.
            ReportFailure(io, progress, dir + name + ": " + error.what());
        }
        status = kExitFileFailed;
    }
    progress.Hide();
    io.Out.flush();
    return status;
}

}  // namespace parvex::cli
