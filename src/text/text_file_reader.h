#pragma once
// Reads a plain 8-bit text file line by line, with the line rules of the program's own list files
// (genre.txt, the CSV tag list), so that lists written on Linux, Windows or old Macs read alike:
//   - a line ends at a carriage return and line feed (bytes 13, 10), a carriage return alone or a
//     line feed alone;
//   - a UTF-8 byte-order mark (bytes EF BB BF) at the very start is skipped;
//   - byte 26 ends the file; nothing after it is read;
//   - lines are taken exactly as read: no trimming, an empty line is a line of its own, and a line
//     break after the last line adds no empty line.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace parvex {

class TTextFileReader {
public:
    // Opens `path` for reading; raises EFOpenError when it cannot be opened. A FIFO or pipe is opened
    // without waiting for a writer, so one without a writer reads as empty instead of hanging the
    // program; once open, reads wait for the data, so a pipe ("-l <(command)", standard input) is
    // read whole.
    explicit TTextFileReader(const std::string& path);

    // True when no further line can be read.
    bool AtEnd();
    // Reads the next line into `line`. Returns false, leaving `line` empty, at the end of the file.
    // Raises std::system_error when reading fails.
    bool ReadLine(std::string& line);
    // The line end that closed the line ReadLine read last: "\r\n", "\r" or "\n"; empty for a last
    // line that ran to the end of the file.
    std::string_view LineEnd() const { return lineEnd_; }

private:
    // Makes at least one unread byte available unless the file has ended; false at the end (byte
    // 26 included). Raises std::system_error when reading fails.
    bool Fill();
    // Skips a byte-order mark at the start of the file.
    void SkipByteOrderMark();

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string buffer_;    // bytes read from the file, the unread ones from `next_` on
    std::size_t next_ = 0;
    bool ended_ = false;    // the file ended, or byte 26 was met: nothing after it is read
    std::string_view lineEnd_;
};

}  // namespace parvex
