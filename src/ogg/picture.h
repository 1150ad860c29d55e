#pragma once
// Pictures in Vorbis comments: cover art and the like, each held by one comment named
// METADATA_BLOCK_PICTURE whose value is a FLAC picture block in base64, as the taggers of Ogg files
// write and read it. Also the kind and pixel size of JPEG and PNG images, read from their headers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

inline constexpr std::string_view kPictureCommentName = "METADATA_BLOCK_PICTURE";
inline constexpr uint32_t kFrontCover = 3;

struct TPicture {
    uint32_t Type = kFrontCover;  // 0 other, 3 front cover, 4 back cover, ... (PictureTypeName)
    std::string MimeType;         // "image/jpeg", "image/png"; "-->" when Data is a link to the picture
    std::string Description;      // UTF-8
    uint32_t Width = 0;           // pixels; 0 when not known
    uint32_t Height = 0;
    uint32_t ColorDepth = 0;     // bits per pixel
    uint32_t IndexedColors = 0;  // colours of an indexed picture; 0 for others
    std::string Data;            // the image file's bytes

    bool operator==(const TPicture&) const = default;
};

// The picture block: every number a 32-bit big-endian integer.
std::string BuildPictureBlock(const TPicture& picture);
// Parses a picture block. Nothing when it is malformed (a length running past its end, bytes left
// after the picture data, a MIME type that is not printable ASCII); `problem` then says what is wrong.
std::optional<TPicture> ParsePictureBlock(std::string_view block, std::string* problem = nullptr);

// The value of a picture comment: the block in base64.
std::string PictureCommentValue(const TPicture& picture);
// Parses a picture comment's value; nothing, with `problem` saying why, when it is not base64 or not a
// well-formed block.
std::optional<TPicture> ParsePictureComment(std::string_view value, std::string* problem = nullptr);

// "Front cover", "Back cover", ...; "Picture type N" for a number the format does not name.
std::string PictureTypeName(uint32_t type);
// Width and height in pixels: the block's, or, where it leaves them out, the image header's; 0 x 0
// when neither says.
std::pair<uint32_t, uint32_t> PixelSize(const TPicture& picture);
// One line for people, never the data: "Front cover, image/jpeg, 34567 bytes, 300 x 300".
std::string DescribePicture(const TPicture& picture);
// The same for a picture comment's value; for a malformed one, "malformed picture block (WHY)".
std::string DescribePictureComment(std::string_view value);

// What an image file's header says about it.
struct TImageInfo {
    std::string MimeType;  // "image/jpeg" or "image/png"
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t ColorDepth = 0;
    uint32_t IndexedColors = 0;
};
// Reads a JPEG's or PNG's header from its bytes; nothing for any other data or a header cut short.
std::optional<TImageInfo> ReadImageInfo(std::string_view data);
// A front-cover picture of a JPEG or PNG file's bytes, with its MIME type and pixel size; nothing
// when the bytes are neither.
std::optional<TPicture> FrontCoverFromImage(std::string data);
// The largest picture file taken: its block, in base64, makes a comment header of about 22 MB.
inline constexpr std::size_t kLargestPictureFile = 16 << 20;
// Reads a JPEG or PNG file into a front-cover picture. Nothing when it cannot be read, is not a JPEG
// or PNG, or is larger than kLargestPictureFile; `problem` then says so ("cannot read PATH: no such
// file or directory").
std::optional<TPicture> LoadFrontCover(const std::string& path, std::string* problem = nullptr);

// Picture comments among NAME=value lines (the other tags of a file).
// Whether `line` is a picture comment.
bool IsPictureLine(std::string_view line);
// A NAME=value line as people read it: a picture comment as its name, ": " and its description
// (DescribePictureComment), any other line as it is.
std::string OtherTagDisplayLine(const std::string& line);
// The picture a window shows for the lines: the first front cover, else the first well-formed
// picture; with the index of its line. Nothing when no line holds a well-formed picture.
std::optional<std::pair<std::size_t, TPicture>> ShownPicture(const std::vector<std::string>& lines);
// Puts `picture` (a front cover) in the place of the first front-cover line and removes the other
// front covers; without one, appends it. Other pictures and malformed picture lines stay.
void SetFrontCover(std::vector<std::string>& lines, const TPicture& picture);
// Removes every well-formed picture line. Malformed picture lines are kept as they are.
void RemovePictures(std::vector<std::string>& lines);
// The number of picture lines that are malformed, which the caller names when it changes pictures.
std::size_t MalformedPictures(const std::vector<std::string>& lines);
// How the caller names them: "kept 1 malformed picture comment as it is".
std::string KeptMalformedPicturesNote(std::size_t count);

}  // namespace parvex
