#include "text/text_file_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>

#include "ogg/open_error.h"

namespace parvex {

namespace {

constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;
constexpr int kEndOfFile = 26;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Opening does not wait for a FIFO's writer; reading then waits for the data, so a pipe is read to
// its end rather than cut at the first moment it is empty.
std::FILE* OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw EFOpenError(path, errno);
    const int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file =
        flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!file) {
        const int error = errno;
        ::close(fd);
        throw EFOpenError(path, error);
    }
    return file;
}

}  // namespace

TTextFileReader::TTextFileReader(const std::string& path) : path_(path), file_(OpenForReading(path)) {
    SkipByteOrderMark();
}

int TTextFileReader::ReadByte() {
    if (!pending_.empty()) {
        const int c = static_cast<unsigned char>(pending_.front());
        pending_.erase(0, 1);
        return c;
    }
    errno = 0;
    const int c = std::fgetc(file_.get());
    if (c == EOF && std::ferror(file_.get()))
        throw std::system_error(errno, std::generic_category(), "Cannot read file " + path_);
    return c;
}

void TTextFileReader::SkipByteOrderMark() {
    std::string start;
    for (const char expected : kByteOrderMark) {
        const int c = ReadByte();
        if (c == EOF) break;
        start.push_back(static_cast<char>(c));
        if (static_cast<char>(c) != expected) break;
    }
    // Anything but the whole mark is the start of the text.
    if (start != kByteOrderMark) pending_ = start;
}

int TTextFileReader::Next() {
    if (ended_) return -1;
    const int c = ReadByte();
    if (c == EOF || c == kEndOfFile) {
        ended_ = true;
        return -1;
    }
    return c;
}

int TTextFileReader::Peek() {
    const int c = Next();
    if (c >= 0) pending_.insert(pending_.begin(), static_cast<char>(c));
    return c;
}

bool TTextFileReader::AtEnd() { return Peek() < 0; }

bool TTextFileReader::ReadLine(std::string& line) {
    line.clear();
    if (AtEnd()) return false;
    int c = Next();
    for (; c >= 0 && c != kCarriageReturn && c != kLineFeed; c = Next()) line.push_back(static_cast<char>(c));
    if (c == kCarriageReturn && Peek() == kLineFeed) Next();
    return true;
}

}  // namespace parvex
