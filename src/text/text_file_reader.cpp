#include "text/text_file_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "ogg/open_error.h"

namespace parvex {

namespace {

constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;
constexpr int kEndOfFile = 26;

std::FILE* OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw EFOpenError(path);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        throw EFOpenError(path);
    }
    return file;
}

}  // namespace

TTextFileReader::TTextFileReader(const std::string& path) : path_(path), file_(OpenForReading(path)) {}

int TTextFileReader::Next() {
    if (ended_) return -1;
    errno = 0;
    const int c = std::fgetc(file_.get());
    if (c == EOF) {
        if (std::ferror(file_.get()))
            throw std::system_error(errno, std::generic_category(), "Cannot read file " + path_);
        ended_ = true;
        return -1;
    }
    if (c == kEndOfFile) {
        ended_ = true;
        return -1;
    }
    return c;
}

int TTextFileReader::Peek() {
    const int c = Next();
    if (c >= 0) std::ungetc(c, file_.get());
    return c;
}

bool TTextFileReader::AtEnd() { return Peek() < 0; }

bool TTextFileReader::ReadLine(std::string& line) {
    line.clear();
    if (AtEnd()) return false;
    for (int c = Next(); c >= 0 && c != kCarriageReturn; c = Next()) line.push_back(static_cast<char>(c));
    if (Peek() == kLineFeed) Next();
    return true;
}

}  // namespace parvex
