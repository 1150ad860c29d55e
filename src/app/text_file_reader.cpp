#include "app/text_file_reader.h"

#include <stdexcept>

#include "ogg/open_error.h"

namespace parvex {

namespace {

constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;
constexpr int kEndOfFile = 26;

}  // namespace

TTextFileReader::TTextFileReader(const std::string& path)
    : path_(path), file_(std::fopen(path.c_str(), "rb")) {
    if (!file_) throw EFOpenError(path);
}

int TTextFileReader::Next() {
    if (ended_) return -1;
    const int c = std::fgetc(file_.get());
    if (c == EOF) {
        if (std::ferror(file_.get())) throw std::runtime_error("Cannot read file " + path_);
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

bool TTextFileReader::ReadLine(std::string& line) {
    line.clear();
    if (Peek() < 0) return false;
    for (int c = Next(); c >= 0 && c != kCarriageReturn; c = Next()) line.push_back(static_cast<char>(c));
    if (Peek() == kLineFeed) Next();
    return true;
}

}  // namespace parvex
