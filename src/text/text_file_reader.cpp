#include "text/text_file_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>

#include "fs/open_error.h"

namespace parvex {

namespace {

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kEndOfFile = 26;
constexpr std::size_t kBlockSize = 64 * 1024;
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

bool TTextFileReader::Fill() {
    if (next_ < buffer_.size()) return true;
    if (ended_) return false;
    buffer_.resize(kBlockSize);
    next_ = 0;
    errno = 0;
    buffer_.resize(std::fread(buffer_.data(), 1, kBlockSize, file_.get()));
    if (std::ferror(file_.get()))
        throw std::system_error(errno, std::generic_category(), "Cannot read file " + path_);
    if (const std::size_t end = buffer_.find(kEndOfFile); end != std::string::npos) {
        buffer_.resize(end);
        ended_ = true;
    }
    if (buffer_.empty()) ended_ = true;
    return !buffer_.empty();
}

void TTextFileReader::SkipByteOrderMark() {
    // fread waits for a whole block or the end, so the mark is never split between two reads.
    if (Fill() && std::string_view(buffer_).starts_with(kByteOrderMark)) next_ = kByteOrderMark.size();
}

bool TTextFileReader::AtEnd() { return !Fill(); }

bool TTextFileReader::ReadLine(std::string& line) {
    line.clear();
    lineEnd_ = {};
    while (Fill()) {
        const std::size_t stop = buffer_.find_first_of("\r\n", next_);
        line.append(buffer_, next_, stop == std::string::npos ? std::string::npos : stop - next_);
        if (stop == std::string::npos) {
            next_ = buffer_.size();
            continue;
        }
        next_ = stop + 1;
        lineEnd_ = buffer_[stop] == kLineFeed ? "\n" : "\r";
        if (lineEnd_ == "\r" && Fill() && buffer_[next_] == kLineFeed) {
            ++next_;
            lineEnd_ = "\r\n";
        }
        return true;
    }
    return !line.empty();
}

}  // namespace parvex
