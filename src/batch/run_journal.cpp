#include "batch/run_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <sstream>
#include <system_error>
#include <unordered_map>

#include "ogg/header_reader.h"
#include "text/fnv_hash.h"
#include "text/large_text.h"
#include "fs/open_error.h"

namespace parvex {

namespace {

constexpr std::string_view kMagic1 = "parvex-journal 1\n";
constexpr std::string_view kMagic2 = "parvex-journal 2\n";
constexpr const char* kPrefix = "run-";
constexpr const char* kSuffix = ".journal";
constexpr int kMaxRunNumber = 999999999;  // nine digits at most: names stay apart from foreign ones
// The head of a journal that a list of runs reads: the state line and the run's record.
constexpr std::size_t kHeadBytes = std::size_t{64} << 10;
constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;

// The characters a field may not hold as they are, and the letter that stands for each after a "\\".
constexpr std::pair<char, char> kEscapes[] = {{'\\', '\\'}, {'\t', 't'}, {'\n', 'n'}, {'\r', 'r'}};

// Per byte, the letter of its escape, or 0 for a byte written as it is.
constexpr std::array<char, 256> EscapeLetters() {
    std::array<char, 256> letters{};
    for (const auto& [c, letter] : kEscapes) letters[static_cast<unsigned char>(c)] = letter;
    return letters;
}
constexpr std::array<char, 256> kEscapeLetter = EscapeLetters();

// Appends `text` escaped to `out`. A comment of a hundred megabytes is appended in runs of the bytes
// between escapes, with no copy of its own.
void AppendEscaped(std::string& out, std::string_view text) {
    std::size_t plain = 0;  // where the bytes not yet appended begin
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char letter = kEscapeLetter[static_cast<unsigned char>(text[i])];
        if (letter == 0) continue;
        out.append(text, plain, i - plain).append({'\\', letter});
        plain = i + 1;
    }
    out.append(text, plain);
}

std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t plain = 0;
    for (std::size_t i; (i = text.find('\\', plain)) != std::string_view::npos && i + 1 < text.size(); plain = i + 2) {
        const char code = text[i + 1];
        const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [code](auto e) { return e.second == code; });
        out.append(text, plain, i - plain) += escape == std::end(kEscapes) ? code : escape->first;
    }
    return out.append(text, plain);
}

// Appends the line of `fields`: escaped, tab-separated, ended by a line feed.
void AppendLine(std::string& out, std::span<const std::string_view> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += '\t';
        AppendEscaped(out, fields[i]);
    }
    out += '\n';
}

void AppendLine(std::string& out, std::initializer_list<std::string_view> fields) {
    AppendLine(out, std::span(fields.begin(), fields.size()));
}

std::string Line(std::initializer_list<std::string_view> fields) {
    std::string line;
    AppendLine(line, fields);
    return line;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

uint64_t HashOf(std::string_view bytes) {
    TFnvHash hash;
    hash.Add(bytes);
    return hash.Value();
}

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

std::optional<uint64_t> ParseHex(const std::string& text) {
    if (text.size() != 16 || text.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
    return std::strtoull(text.c_str(), nullptr, 16);
}

// Room for the "end" line after a record's lines.
constexpr std::size_t kEndLineBytes = 64;

// A record as written: its lines, then "end", its length and its checksum, appended in place.
std::string Record(std::string lines) {
    const std::string length = std::to_string(lines.size());
    AppendLine(lines, {"end", length, Hex(HashOf(lines))});
    return lines;
}

// "state\t0000000012\t0\t<sum>\n": always kStateBytes long, so it is rewritten in place.
constexpr std::size_t kStateBytes = 36;
std::string StateLine(std::size_t changed, bool undone) {
    char text[32];
    std::snprintf(text, sizeof text, "state\t%010zu\t%d", changed, undone ? 1 : 0);
    return std::string(text) + "\t" + Hex(HashOf(text)) + "\n";
}

std::string StampText(const FileIdentity& id) {
    std::ostringstream out;
    out << id.Device << ' ' << id.Inode << ' ' << id.Size << ' ' << id.ModifiedSec << ' ' << id.ModifiedNsec;
    return out.str();
}

std::optional<FileIdentity> ParseStamp(const std::string& text) {
    std::istringstream in(text);
    FileIdentity id;
    if (!(in >> id.Device >> id.Inode >> id.Size >> id.ModifiedSec >> id.ModifiedNsec)) return std::nullopt;
    return id;
}

// Appends a line per comment. Room is made first for the comments as they are, with their record's
// "end" line: a record of a hundred megabytes is built in one piece, without moving it as it grows.
void AppendCommentLines(std::string& lines, std::string_view word, const std::vector<TWrittenComment>& comments) {
    std::size_t size = lines.size() + kEndLineBytes;
    for (const TWrittenComment& c : comments) size += word.size() + c.Name.size() + c.Value.size() + 3;
    ReserveLarge(lines, size);
    for (const TWrittenComment& c : comments) AppendLine(lines, {word, c.Name, c.Value});
}

// The comments of the file as they stand.
std::vector<TWrittenComment> CommentsInFile(const std::string& path) {
    FileInfo info;
    if (!ReadFileInfo(path, info, TReadExtent::HeadersOnly)) throw std::runtime_error(kNotOggVorbisOrOpus);
    return CommentsOf(info);
}

std::string FolderText(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(folder, error);
    return error ? folder : full.lexically_normal().string();
}

// ---- The folder and the files in it ----

[[noreturn]] void Fail(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// Makes the missing folders of `folder`, each readable and writable by the user only.
void MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) == 0)
            ::chmod(part.c_str(), 0700);  // whatever the umask took away
        else if (errno != EEXIST)
            throw std::runtime_error("cannot make the folder " + part + ": " + ErrorText(errno));
    }
}

// The journal folder's descriptor, once it is known to be the user's own and writable by nobody
// else. Raises std::runtime_error with the reason in plain words; ENOENT as std::system_error when
// it is missing and not to be made.
int OpenJournalFolder(const std::string& folder, bool make) {
    if (make) MakeFolders(folder);
    TUniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid()) {
        if (errno == ENOENT) Fail(ENOENT, folder);
        throw std::runtime_error("cannot open the folder " + folder + ": " + ErrorText(errno));
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) throw std::runtime_error("cannot look at " + folder + ": " + ErrorText(errno));
    if (st.st_uid != ::geteuid()) throw std::runtime_error("the folder " + folder + " belongs to another user");
    if (st.st_mode & kOthersWrite)
        throw std::runtime_error("other users may write in the folder " + folder + " (make it yours alone: chmod go-w " +
                                 folder + ")");
    return fd.Release();
}

// Why a file named like a journal is not read, or an empty text.
std::string Untrusted(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (st.st_uid != ::geteuid()) return "it belongs to another user";
    if (st.st_mode & kOthersWrite) return "other users may write it";
    if (st.st_size > kMaxJournalBytes) return "larger than a journal may be";
    return {};
}

// Opens the file `name` of the folder `dir` (or a path, with AT_FDCWD), without following a link
// and without waiting on a FIFO, if it may be trusted; else -1 and the reason.
int OpenTrusted(int dir, const std::string& name, int flags, struct stat& st, std::string& reason) {
    TUniqueFd fd(::openat(dir, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) {
        reason = errno == ELOOP ? "a symbolic link" : ErrorText(errno);
        return -1;
    }
    if (::fstat(fd.Get(), &st) != 0) {
        reason = ErrorText(errno);
        return -1;
    }
    if (reason = Untrusted(st); !reason.empty()) return -1;
    return fd.Release();
}

std::string ReadHead(int fd, const struct stat& st, std::size_t bytes) {
    return ReadExactly(fd, 0, std::min(static_cast<std::size_t>(st.st_size), bytes));
}

// Which version of the journal format the text begins with: 1, 2, or 0 when it is no journal.
int VersionOf(std::string_view text) {
    if (text.starts_with(kMagic2)) return 2;
    if (text.starts_with(kMagic1)) return 1;
    return 0;
}

// The number of a journal file's name ("run-000042.journal" gives 42), or 0.
int RunNumber(const std::string& name) {
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() < 6 || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(digits);
}

std::string JournalName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06d%s", kPrefix, number, kSuffix);
    return name;
}

// The names in the folder that look like journals, by number.
std::vector<std::pair<int, std::string>> NamedLikeJournals(int dir) {
    std::vector<std::pair<int, std::string>> names;
    const int listing = ::dup(dir);
    DIR* stream = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!stream) {
        if (listing >= 0) ::close(listing);
        return names;
    }
    ::rewinddir(stream);
    while (const dirent* entry = ::readdir(stream))
        if (const int number = RunNumber(entry->d_name); number > 0) names.emplace_back(number, entry->d_name);
    ::closedir(stream);
    std::sort(names.begin(), names.end());
    return names;
}

// The journals of the folder that are the user's own, by number: a file of another user, a link,
// a FIFO or anything else named like one counts neither for the next number nor for pruning.
std::vector<std::pair<int, std::string>> OwnJournals(int dir) {
    std::vector<std::pair<int, std::string>> own;
    for (auto& [number, name] : NamedLikeJournals(dir)) {
        struct stat st {};
        std::string reason;
        const TUniqueFd fd(OpenTrusted(dir, name, O_RDONLY, st, reason));
        try {
            if (fd.Valid() && VersionOf(ReadHead(fd.Get(), st, kMagic2.size())) != 0)
                own.emplace_back(number, std::move(name));
        } catch (const std::exception&) {
        }
    }
    return own;
}

// ---- Reading ----

// The lines of `text` from `from` to `to`, each without its line end; a last line without one (cut
// short) is passed over.
std::vector<std::string_view> LinesOf(std::string_view text, std::size_t from, std::size_t to) {
    std::vector<std::string_view> lines;
    for (std::size_t end; from < to && (end = text.find('\n', from)) != std::string_view::npos && end < to;
         from = end + 1)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

bool Begins(std::string_view line, std::string_view word) {
    return line.starts_with(word) && (line.size() == word.size() || line[word.size()] == '\t');
}

class TJournalReader {
public:
    explicit TJournalReader(TJournalRun& run) : run_(run) {}

    // False when the text is no journal of either version, or its run's record is damaged.
    bool Read(std::string_view text) {
        const int version = VersionOf(text);
        if (version == 1) ReadVersion1(text);
        if (version == 2) ReadVersion2(text);
        Finish();
        return version != 0 && sawRun_;
    }

private:
    void ReadVersion1(std::string_view text) {
        std::vector<std::vector<TWrittenComment>> newComments;
        for (std::string_view line : LinesOf(text, kMagic1.size(), text.size())) {
            const std::vector<std::string> f = Fields(line);
            // The next record, or a note of a change, shows that a record was written whole (a mark
            // of undo may come after a record cut short).
            if (!run_.Files.empty() && (f[0] == "file" || f[0] == "done"))
                run_.Files.back().Whole = true;
            if (f[0] == "new" && f.size() >= 3 && !newComments.empty()) {
                newComments.back().push_back({f[1], f[2]});
                continue;
            }
            if (f[0] == "done" && f.size() == 2) {  // the oldest journals name no file: the one before
                if (!run_.Files.empty()) run_.Files.back().After = ParseStamp(f[1]);
                continue;
            }
            const std::size_t before = run_.Files.size();
            Apply(f);
            if (run_.Files.size() > before) {
                run_.Files.back().Whole = false;
                newComments.emplace_back();
            }
        }
        for (std::size_t i = 0; i < newComments.size(); ++i)
            if (run_.Files[i].NewPath.empty()) run_.Files[i].CommentsAfter = CommentsDigest(newComments[i]);
    }

    // Each record is taken when its "end" line's length and checksum match the bytes before it;
    // what lies between two whole records (a record cut short, damaged bytes) is Damaged.
    void ReadVersion2(std::string_view text) {
        std::size_t pos = kMagic2.size();
        if (text.size() >= pos + kStateBytes && text.substr(pos, 6) == "state\t") pos += kStateBytes;
        std::size_t start = pos;  // of the bytes not yet taken
        for (std::size_t end; (end = text.find('\n', pos)) != std::string_view::npos; pos = end + 1) {
            const std::string_view line = text.substr(pos, end - pos);
            if (!Begins(line, "end")) continue;
            const std::vector<std::string> f = Fields(line);
            const std::size_t length = f.size() == 3 ? std::strtoull(f[1].c_str(), nullptr, 10) : SIZE_MAX;
            const std::size_t first = length <= pos - start ? pos - length : SIZE_MAX;
            if (first != SIZE_MAX && (first == start || text[first - 1] == '\n') &&
                ParseHex(f[2]) == HashOf(text.substr(first, length))) {
                Damaged(text, start, first);
                for (std::string_view recordLine : LinesOf(text, first, pos)) Apply(Fields(recordLine));
            } else {
                Damaged(text, start, end + 1);
            }
            start = end + 1;
        }
        Damaged(text, start, text.size());
    }

    // Bytes that belong to no whole record. A file's record among them leaves its file named (when
    // its first line is whole) and not to be touched; a lost note ("done", "kept", "undone") only
    // leaves undo to go by the files themselves.
    void Damaged(std::string_view text, std::size_t from, std::size_t to) {
        if (from >= to) return;
        const std::string_view bytes = text.substr(from, to - from);
        const std::string_view word = bytes.substr(0, bytes.find_first_of("\t\n"));
        if (word == "done" || word == "kept" || word == "undone" || word == "end") return;
        bool named = false;
        for (std::string_view line : LinesOf(text, from, to)) {
            const std::vector<std::string> f = Fields(line);
            if (f[0] != "file" || f.size() < 4) continue;
            TJournalEntry entry;
            entry.Path = f[1];
            entry.NewPath = f[2];
            entry.Before = ParseStamp(f[3]).value_or(FileIdentity{});
            entry.Whole = false;
            run_.Files.push_back(std::move(entry));
            named = true;
        }
        // A record cut inside its first line at the end of the journal never reached the disk
        // whole, and the run changes a file only once its record is there.
        if (!named && to < text.size()) run_.Files.push_back({{}, {}, {}, {}, {}, {}, false});
    }

    void Apply(const std::vector<std::string>& f) {
        const std::string& word = f[0];
        if (word == "run" && f.size() >= 4) {
            run_.Operation = f[1];
            run_.Started = std::atoll(f[2].c_str());
            run_.Where = f[3];
            run_.Folders.assign(f.begin() + 4, f.end());
            sawRun_ = true;
        } else if (word == "file" && f.size() >= 4) {
            TJournalEntry entry{f[1], f[2], ParseStamp(f[3]).value_or(FileIdentity{}), {}, {}, {}, true};
            if (f.size() >= 5) entry.CommentsAfter = ParseHex(f[4]);
            byPath_[entry.Path] = run_.Files.size();
            run_.Files.push_back(std::move(entry));
        } else if (word == "undone") {
            run_.Undone = true;
        } else if (word == "old" && f.size() >= 3 && !run_.Files.empty()) {
            run_.Files.back().OldComments.push_back({f[1], f[2]});
        } else if ((word == "done" && f.size() >= 3) || (word == "kept" && f.size() >= 2)) {
            const auto entry = byPath_.find(word == "done" ? f[2] : f[1]);
            if (entry == byPath_.end()) return;
            if (word == "done")
                run_.Files[entry->second].After = ParseStamp(f[1]);
            else
                kept_.push_back(entry->second);
        }
    }

    void Finish() {
        std::sort(kept_.begin(), kept_.end());
        kept_.erase(std::unique(kept_.begin(), kept_.end()), kept_.end());
        for (auto index = kept_.rbegin(); index != kept_.rend(); ++index)
            run_.Files.erase(run_.Files.begin() + static_cast<std::ptrdiff_t>(*index));
        run_.Changed = run_.Files.size();
    }

    TJournalRun& run_;
    std::unordered_map<std::string, std::size_t> byPath_;
    std::vector<std::size_t> kept_;
    bool sawRun_ = false;
};

// The run from the head of a journal of the second version: its state line and the run's record;
// nothing when they are not whole there.
std::optional<TJournalRun> RunFromHead(std::string_view head) {
    if (VersionOf(head) != 2 || head.size() < kMagic2.size() + kStateBytes) return std::nullopt;
    const std::string_view state = head.substr(kMagic2.size(), kStateBytes);
    const std::vector<std::string> f = Fields(state.substr(0, kStateBytes - 1));
    if (f.size() != 4 || f[0] != "state" || state.back() != '\n' ||
        ParseHex(f[3]) != HashOf(state.substr(0, state.rfind('\t'))))
        return std::nullopt;
    const std::size_t recordStart = kMagic2.size() + kStateBytes;
    const std::size_t endLine = head.find("\nend\t", recordStart);
    if (endLine == std::string_view::npos || head.find('\n', endLine + 1) == std::string_view::npos)
        return std::nullopt;
    TJournalRun run;
    // Only the run's record, as a journal of its own.
    const std::string record =
        std::string(kMagic2) + std::string(head.substr(recordStart, head.find('\n', endLine + 1) + 1 - recordStart));
    if (!TJournalReader(run).Read(record)) return std::nullopt;
    run.Changed = std::strtoull(f[1].c_str(), nullptr, 10);
    run.Undone = f[2] == "1";
    return run;
}

std::optional<TJournalRun> ReadOpenJournal(int fd, const struct stat& st, const std::string& path, bool headOnly,
                                           std::string* reason) {
    try {
        std::optional<TJournalRun> run;
        if (headOnly) run = RunFromHead(ReadHead(fd, st, kHeadBytes));
        if (!run) {
            run.emplace();
            if (!TJournalReader(*run).Read(ReadHead(fd, st, static_cast<std::size_t>(st.st_size)))) {
                if (reason) *reason = "not a journal, or its head is damaged";
                return std::nullopt;
            }
            if (headOnly) run->Files.clear();
        }
        run->File = path;
        run->Number = RunNumber(std::filesystem::path(path).filename().string());
        return run;
    } catch (const std::exception& error) {
        if (reason) *reason = error.what();
        return std::nullopt;
    }
}

}  // namespace

std::string JournalFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/parvex/";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/parvex/";
}

std::string JournalProblem(const std::string& folder) {
    const std::string path = WithSlash(folder);
    try {
        const TUniqueFd dir(OpenJournalFolder(path, true));
        // A file without a name tells whether one may be made there; where the file system cannot
        // make one, the permission says it.
        const TUniqueFd probe(::openat(dir.Get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (probe.Valid()) return {};
        int error = errno;
        if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
            error = ::faccessat(dir.Get(), ".", W_OK, AT_EACCESS) == 0 ? 0 : errno;
        return error == 0 ? std::string() : "the undo journal cannot be written in " + path + ": " + ErrorText(error);
    } catch (const std::exception& error) {
        return std::string("the undo journal cannot be written: ") + error.what();
    }
}

TRunJournal::TRunJournal(std::string folder, std::string operation, std::vector<std::string> folders)
    : folder_(WithSlash(std::move(folder))), operation_(std::move(operation)), folders_(std::move(folders)) {
    for (std::string& where : folders_) where = FolderText(where);
}

void TRunJournal::Open() {
    const TUniqueFd dir(OpenJournalFolder(folder_, true));
    const auto existing = OwnJournals(dir.Get());
    int number = existing.empty() ? 1 : existing.back().first + 1;
    // Another run may take the same number at the same moment: the exclusive create settles it.
    for (;; ++number) {
        if (number > kMaxRunNumber) throw std::runtime_error("the journal folder " + folder_ + " has no run number left");
        const std::string name = JournalName(number);
        if (const int fd =
                ::openat(dir.Get(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            fd >= 0) {
            fd_.emplace(fd);
            break;
        }
        if (errno != EEXIST) Fail(errno, "cannot create " + folder_ + name);
    }
    number_ = number;
    struct stat st {};
    if (::fchmod(fd_->Get(), 0600) != 0 || ::fstat(fd_->Get(), &st) != 0) Fail(errno, "journal");
    device_ = st.st_dev;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    std::string where;
    for (const std::string& folder : folders_) where += (where.empty() ? "" : " ") + folder;
    const std::string started = std::to_string(seconds.count());
    std::vector<std::string_view> run = {"run", operation_, started, where};
    run.insert(run.end(), folders_.begin(), folders_.end());
    std::string runLine;
    AppendLine(runLine, run);
    // On disk with the first change's lines, before any file changes (Flush or FileSystemFlushed).
    Append(std::string(kMagic2) + StateLine(0, false) + Record(std::move(runLine)));
    nameUnflushed_ = true;
    // The newest runs are kept, the new one among them; only the user's own journals are removed.
    const std::size_t keep = kKeptRuns - 1;
    for (std::size_t i = 0; i + keep < existing.size(); ++i) ::unlinkat(dir.Get(), existing[i].second.c_str(), 0);
}

void TRunJournal::Append(const std::string& record) {
    if (size_ + static_cast<int64_t>(record.size()) > kMaxJournalBytes)
        throw std::runtime_error("the journal of the run would grow larger than a journal may be");
    WriteAll(fd_->Get(), record);
    size_ += static_cast<int64_t>(record.size());
    unflushed_ = true;
}

void TRunJournal::WriteState() {
    const std::string state = StateLine(recorded_ - kept_, false);
    if (::pwrite(fd_->Get(), state.data(), state.size(), static_cast<off_t>(kMagic2.size())) !=
        static_cast<ssize_t>(state.size()))
        Fail(errno, "cannot write the journal");
    unflushed_ = true;
}

void TRunJournal::Flush() {
    if (!unflushed_) return;
    if (::fdatasync(fd_->Get()) != 0) Fail(errno, "fdatasync");
    if (nameUnflushed_) {
        const TUniqueFd dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Valid()) ::fsync(dir.Get());
    }
    unflushed_ = nameUnflushed_ = false;
}

bool TRunJournal::UnflushedOn(dev_t device) const { return unflushed_ && device_ == device; }

void TRunJournal::FileSystemFlushed(dev_t device) {
    if (fd_ && device_ == device) unflushed_ = nameUnflushed_ = false;
}

void TRunJournal::BeforeChange(const TFilePlan& plan) {
    if (plan.Action == TPlanAction::Rename && plan.CommentsPlanned)
        return BeforeChange(plan, {}, *plan.CommentsPlanned);
    const std::vector<TWrittenComment> comments = CommentsInFile(plan.Path);
    // A rename leaves the comments as they are.
    BeforeChange(plan, plan.Action == TPlanAction::Store ? comments : std::vector<TWrittenComment>{},
                 CommentsDigest(plan.Action == TPlanAction::Store ? WrittenComments(plan.Record) : comments));
}

void TRunJournal::BeforeChange(const TFilePlan& plan, const std::vector<TWrittenComment>& oldComments,
                               uint64_t commentsAfter) {
    const bool rename = plan.Action == TPlanAction::Rename;
    std::string lines = Line({"file", plan.Path, rename ? plan.NewPath : "", StampText(plan.Planned), Hex(commentsAfter)});
    if (!rename) AppendCommentLines(lines, "old", oldComments);
    if (!fd_) Open();
    Append(Record(std::move(lines)));
    ++recorded_;
    WriteState();
}

void TRunJournal::AfterChange(const TFilePlan& plan) {
    AfterChange(plan, CurrentStamp(plan.Action == TPlanAction::Rename ? plan.NewPath : plan.Path));
}

void TRunJournal::AfterChange(const TFilePlan& plan, const FileIdentity& now) {
    try {
        Append(Record(Line({"done", StampText(now), plan.Path})));
    } catch (const std::exception&) {
        // The entry stays without its "done" line; undo then goes by the file's comments.
    }
}

void TRunJournal::Unchanged(const TFilePlan& plan) {
    if (!fd_) return;
    try {
        Append(Record(Line({"kept", plan.Path})));
        ++kept_;
        WriteState();
    } catch (const std::exception&) {
        // Undo then finds the file as it was before the run and passes over it.
    }
}

std::vector<TWrittenComment> CommentsOf(const FileInfo& info) {
    std::vector<TWrittenComment> comments;
    for (std::size_t i = 1; i < info.Tag.Count(); ++i)
        comments.push_back({info.Tag.Names[i], info.Tag.Values[i]});
    return comments;
}

std::optional<TJournalRun> ReadJournal(const std::string& path, std::string* reason) {
    struct stat st {};
    std::string why;
    const TUniqueFd fd(OpenTrusted(AT_FDCWD, path, O_RDONLY, st, why));
    if (!fd.Valid()) {
        if (reason) *reason = why;
        return std::nullopt;
    }
    return ReadOpenJournal(fd.Get(), st, path, false, reason);
}

TRunList ListRuns(const std::string& folder) {
    TRunList list;
    const std::string path = WithSlash(folder);
    TUniqueFd dir;
    try {
        dir.Reset(OpenJournalFolder(path, false));
    } catch (const std::system_error&) {
        return list;  // no journal folder: no run yet
    } catch (const std::exception& error) {
        list.Problem = error.what();
        return list;
    }
    for (const auto& [number, name] : NamedLikeJournals(dir.Get())) {
        struct stat st {};
        std::string reason;
        const TUniqueFd fd(OpenTrusted(dir.Get(), name, O_RDONLY, st, reason));
        std::optional<TJournalRun> run;
        if (fd.Valid()) run = ReadOpenJournal(fd.Get(), st, path + name, true, &reason);
        if (run)
            list.Runs.push_back(std::move(*run));
        else
            list.PassedOver.push_back(path + name + ": " + reason);
    }
    return list;
}

void MarkUndone(const TJournalRun& run) {
    struct stat st {};
    std::string reason;
    const TUniqueFd fd(OpenTrusted(AT_FDCWD, run.File, O_RDWR, st, reason));
    if (!fd.Valid()) throw std::runtime_error("cannot open " + run.File + ": " + reason);
    const std::string head = ReadHead(fd.Get(), st, kMagic2.size());
    // After a line cut short, the mark starts a line of its own.
    const bool cut = st.st_size > 0 && ReadExactly(fd.Get(), st.st_size - 1, 1) != "\n";
    const bool version2 = VersionOf(head) == 2;
    if (::lseek(fd.Get(), 0, SEEK_END) < 0) Fail(errno, "seek");
    WriteAll(fd.Get(), std::string(cut ? "\n" : "") + (version2 ? Record(Line({"undone"})) : Line({"undone"})));
    if (version2) {
        const std::string state = StateLine(run.Changed, true);
        if (::pwrite(fd.Get(), state.data(), state.size(), static_cast<off_t>(kMagic2.size())) !=
            static_cast<ssize_t>(state.size()))
            Fail(errno, "cannot write " + run.File);
    }
    if (::fdatasync(fd.Get()) != 0) Fail(errno, "fdatasync");
}

}  // namespace parvex
