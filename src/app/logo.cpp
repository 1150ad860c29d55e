#include "app/logo.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

namespace parvex {

// The bytes of logo/logo.jpg, written into a source file by the build.
extern const unsigned char kLogoJpeg[];
extern const std::size_t kLogoJpegSize;

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the
// decoder, which then gives up on the picture.
struct TJpegError {
    jpeg_error_mgr manager;  // first, so the pointer libjpeg passes around is also ours
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

// Warnings (such as a truncated file, whose missing rows come out gray) are not printed.
void KeepQuiet(j_common_ptr) {}

// The eighths of its size a picture of `width` x `height` is decoded at: the fewest that still
// cover `atLeast` both ways, all eight when no size is asked for.
unsigned ScaleInEighths(JDIMENSION width, JDIMENSION height, QSize atLeast) {
    if (atLeast.isEmpty()) return 8;
    for (unsigned eighths = 1; eighths < 8; ++eighths)
        if ((width * eighths + 7) / 8 >= static_cast<unsigned>(atLeast.width()) &&
            (height * eighths + 7) / 8 >= static_cast<unsigned>(atLeast.height()))
            return eighths;
    return 8;
}

// Decodes into `image`. Between setjmp and the last libjpeg call this frame holds only C objects and
// every C++ call has returned before libjpeg is entered again, so the jump skips no destructor.
bool DecodeInto(std::span<const unsigned char> data, QSize atLeast, QImage& image) {
    jpeg_decompress_struct info{};
    TJpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpBack;
    error.manager.output_message = KeepQuiet;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = ScaleInEighths(info.image_width, info.image_height, atLeast);
    info.scale_denom = 8;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    const bool allocated = !image.isNull();
    while (allocated && info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (allocated) jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return allocated;
}

}  // namespace

QImage DecodeJpeg(std::span<const unsigned char> data, QSize atLeast) {
    QImage image;
    if (!DecodeInto(data, atLeast, image)) return QImage();
    return image;
}

QImage LogoPicture() { return DecodeJpeg({kLogoJpeg, kLogoJpegSize}); }

}  // namespace parvex
