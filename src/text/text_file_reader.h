#pragma once
// Reads a plain 8-bit text file line by line, with the line rules of the program's own list files
// (genre.txt, the CSV tag list):
//   - a line ends at a carriage return (byte 13); one line feed (byte 10) right after it is skipped;
//   - a line feed without a carriage return before it does not end a line and stays in its text;
//   - byte 26 ends the file; nothing after it is read;
//   - lines are taken exactly as read: no trimming, an empty line is a line of its own, and a line
//     break after the last line adds no empty line.

#include <cstdio>
#include <memory>
#include <string>

namespace parvex {

class TTextFileReader {
public:
    // Opens `path` for reading; raises EFOpenError when it cannot be opened. A FIFO is opened without
    // waiting for a writer, so a list that happens to be one cannot hang the program.
    explicit TTextFileReader(const std::string& path);

    // True when no further line can be read.
    bool AtEnd();
    // Reads the next line into `line`. Returns false, leaving `line` empty, at the end of the file.
    // Raises std::system_error when reading fails.
    bool ReadLine(std::string& line);

private:
    // The next byte, or -1 at the end of the file (byte 26 included).
    int Next();
    // The next byte without taking it, or -1 at the end of the file.
    int Peek();

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    bool ended_ = false;
};

}  // namespace parvex
