// Any bytes as a file for the header reader and the file object: neither may fault, and whatever
// they read must be consistent.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "ogg/comment_writer.h"
#include "fs/file_handle.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"

namespace {

// The input as a file in memory, reached by a path as the program reaches files.
class TMemoryFile {
public:
    TMemoryFile(const uint8_t* data, std::size_t size) : fd_(memfd_create("fuzz", MFD_CLOEXEC)) {
        if (fd_ < 0 || write(fd_, data, size) != static_cast<ssize_t>(size)) __builtin_trap();
    }
    ~TMemoryFile() { close(fd_); }
    int Fd() const { return fd_; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const TMemoryFile file(data, size);
    parvex::FileInfo info;
    if (parvex::ReadFileInfo(parvex::TFileHandle(file.Fd()), info)) {
        const bool rewritable = parvex::CanRewrite(info);
        // A file fit for a rewrite has its comment header whole on pages that were all found.
        if (rewritable && (info.HeaderPages.empty() || info.CommentsEnd <= info.SecondPagePos))
            __builtin_trap();
    }
    parvex::TOggVorbis object;
    if (object.LoadFromFile(file.Path())) {
        (void)object.Duration();
        (void)object.BitRate();
    }
    return 0;
}
