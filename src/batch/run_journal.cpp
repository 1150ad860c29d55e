#include "batch/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "ogg/header_reader.h"

namespace parvex {

namespace {

constexpr const char* kMagic = "parvex-journal 1";
constexpr const char* kPrefix = "run-";
constexpr const char* kSuffix = ".journal";

// The characters a field may not hold as they are, and the letter that stands for each after a "\".
constexpr std::pair<char, char> kEscapes[] = {{'\\', '\\'}, {'\t', 't'}, {'\n', 'n'}, {'\r', 'r'}};

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto* escape =
            std::find_if(std::begin(kEscapes), std::end(kEscapes), [c](auto e) { return e.first == c; });
        if (escape == std::end(kEscapes)) {
            out += c;
        } else {
            out += '\\';
            out += escape->second;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [code](auto e) { return e.second == code; });
        out += escape == std::end(kEscapes) ? code : escape->first;
    }
    return out;
}

std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + Escaped(field);
    return line + "\n";
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string StampText(const TFileStamp& id) {
    std::ostringstream out;
    out << id.Device << ' ' << id.Inode << ' ' << id.Size << ' ' << id.ModifiedSec << ' ' << id.ModifiedNsec;
    return out.str();
}

std::optional<TFileStamp> ParseStamp(const std::string& text) {
    std::istringstream in(text);
    TFileStamp id;
    if (!(in >> id.Device >> id.Inode >> id.Size >> id.ModifiedSec >> id.ModifiedNsec)) return std::nullopt;
    return id;
}

std::string CommentLines(const char* word, const std::vector<TWrittenComment>& comments) {
    std::string lines;
    for (const TWrittenComment& c : comments) lines += Line({word, c.Name, c.Value});
    return lines;
}

// The comments of the file as they stand.
std::vector<TWrittenComment> CommentsInFile(const std::string& path) {
    FileInfo info;
    if (!ReadFileInfo(path, info, TReadExtent::HeadersOnly)) throw std::runtime_error(kNotOggVorbisOrOpus);
    return CommentsOf(info);
}

// The number of a journal file's name ("run-000042.journal" gives 42), or 0.
int RunNumber(const std::string& name) {
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return 0;
    return std::stoi(digits);
}

std::vector<std::pair<int, std::string>> JournalFiles(const std::string& folder) {
    std::vector<std::pair<int, std::string>> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (const int number = RunNumber(entry.path().filename().string()); number > 0)
            files.emplace_back(number, entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string JournalName(const std::string& folder, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06d%s", kPrefix, number, kSuffix);
    return folder + name;
}

void WriteAndSync(int fd, const std::string& text) {
    WriteAll(fd, text);
    if (::fdatasync(fd) != 0) throw std::system_error(errno, std::generic_category(), "fdatasync");
}

void SyncFolder(const std::string& folder) {
    const TUniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

void ReadLine(const std::vector<std::string>& f, TJournalRun& run) {
    const std::string& word = f[0];
    if (word == "run" && f.size() >= 4) {
        run.Operation = f[1];
        run.Started = std::atoll(f[2].c_str());
        run.Where = f[3];
    } else if (word == "file" && f.size() >= 4) {
        if (const auto before = ParseStamp(f[3])) run.Files.push_back({f[1], f[2], *before, {}, {}, {}});
    } else if (word == "undone") {
        run.Undone = true;
    } else if (run.Files.empty()) {
        return;
    } else if (word == "old" && f.size() >= 3) {
        run.Files.back().OldComments.push_back({f[1], f[2]});
    } else if (word == "new" && f.size() >= 3) {
        run.Files.back().NewComments.push_back({f[1], f[2]});
    } else if (word == "done" && f.size() >= 2) {
        const auto entry = f.size() < 3 ? run.Files.rbegin()
                                        : std::find_if(run.Files.rbegin(), run.Files.rend(),
                                                       [&f](const TJournalEntry& e) { return e.Path == f[2]; });
        if (entry != run.Files.rend()) entry->After = ParseStamp(f[1]);
    }
}

}  // namespace

std::string JournalFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/parvex/";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/parvex/";
}

TRunJournal::TRunJournal(std::string folder, std::string operation, std::string where)
    : folder_(std::move(folder)), operation_(std::move(operation)), where_(std::move(where)) {
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

void TRunJournal::Open() {
    std::filesystem::create_directories(folder_);
    const auto existing = JournalFiles(folder_);
    int number = existing.empty() ? 1 : existing.back().first + 1;
    // Another run may take the same number at the same moment: the exclusive create settles it.
    for (;; ++number) {
        const std::string path = JournalName(folder_, number);
        if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
            fd >= 0) {
            fd_.emplace(fd);
            break;
        }
        if (errno != EEXIST) throw std::system_error(errno, std::generic_category(), "cannot create " + path);
    }
    number_ = number;
    struct stat st {};
    if (::fstat(fd_->Get(), &st) != 0) throw std::system_error(errno, std::generic_category(), "stat journal");
    device_ = st.st_dev;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    // On disk with the first change's lines, before any file changes (Flush or FileSystemFlushed).
    Append(std::string(kMagic) + "\n" + Line({"run", operation_, std::to_string(seconds.count()), where_}));
    nameUnflushed_ = true;
    for (const auto& [old, path] : existing)
        if (old <= number_ - kKeptRuns) std::filesystem::remove(path);
}

void TRunJournal::Append(const std::string& lines) {
    WriteAll(fd_->Get(), lines);
    unflushed_ = true;
}

void TRunJournal::Flush() {
    if (!unflushed_) return;
    if (::fdatasync(fd_->Get()) != 0) throw std::system_error(errno, std::generic_category(), "fdatasync");
    if (nameUnflushed_) SyncFolder(folder_);
    unflushed_ = nameUnflushed_ = false;
}

bool TRunJournal::UnflushedOn(dev_t device) const { return unflushed_ && device_ == device; }

void TRunJournal::FileSystemFlushed(dev_t device) {
    if (fd_ && device_ == device) unflushed_ = nameUnflushed_ = false;
}

void TRunJournal::BeforeChange(const TFilePlan& plan) {
    BeforeChange(plan, plan.Action == TPlanAction::Store ? CommentsInFile(plan.Path)
                                                         : std::vector<TWrittenComment>{});
}

void TRunJournal::BeforeChange(const TFilePlan& plan, const std::vector<TWrittenComment>& oldComments) {
    std::string lines = Line(
        {"file", plan.Path, plan.Action == TPlanAction::Rename ? plan.NewPath : "", StampText(plan.Planned)});
    if (plan.Action == TPlanAction::Store)
        lines += CommentLines("old", oldComments) + CommentLines("new", WrittenComments(plan.Record));
    if (!fd_) Open();
    Append(lines);
}

void TRunJournal::AfterChange(const TFilePlan& plan) {
    AfterChange(plan, CurrentStamp(plan.Action == TPlanAction::Rename ? plan.NewPath : plan.Path));
}

void TRunJournal::AfterChange(const TFilePlan& plan, const TFileStamp& now) {
    try {
        Append(Line({"done", StampText(now), plan.Path}));
    } catch (const std::exception&) {
        // The entry stays without its "done" line; undo then goes by the file's comments.
    }
}

std::vector<TWrittenComment> CommentsOf(const FileInfo& info) {
    std::vector<TWrittenComment> comments;
    for (std::size_t i = 1; i < info.Tag.Count(); ++i)
        comments.push_back({info.Tag.Names[i], info.Tag.Values[i]});
    return comments;
}

std::optional<TJournalRun> ReadJournal(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind(std::string(kMagic) + "\n", 0) != 0) return std::nullopt;
    TJournalRun run;
    run.File = path;
    run.Number = RunNumber(std::filesystem::path(path).filename().string());
    std::size_t start = text.find('\n') + 1;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        ReadLine(Fields(text.substr(start, end - start)), run);
    return run;
}

std::vector<TJournalRun> ListRuns(const std::string& folder) {
    std::vector<TJournalRun> runs;
    for (const auto& [number, path] : JournalFiles(folder))
        if (auto run = ReadJournal(path)) runs.push_back(std::move(*run));
    return runs;
}

void MarkUndone(const TJournalRun& run) {
    const TUniqueFd fd(::open(run.File.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!fd.Valid()) throw std::system_error(errno, std::generic_category(), "cannot open " + run.File);
    WriteAndSync(fd.Get(), Line({"undone"}));
}

}  // namespace parvex
