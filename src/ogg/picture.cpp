#include "ogg/picture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "text/base64.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

constexpr const char* kTypeNames[] = {
    "Other",
    "File icon",
    "Other file icon",
    "Front cover",
    "Back cover",
    "Leaflet page",
    "Media",
    "Lead artist",
    "Artist",
    "Conductor",
    "Band",
    "Composer",
    "Lyricist",
    "Recording location",
    "During recording",
    "During performance",
    "Screen capture",
    "Bright coloured fish",
    "Illustration",
    "Band logo",
    "Publisher logo",
};

// The MIME type of a picture given as a link (a URL in place of the image data).
constexpr std::string_view kLinkMimeType = "-->";

void PutBe32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t Be32(std::string_view bytes, std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

uint32_t Be16(std::string_view bytes, std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 8 | static_cast<uint8_t>(bytes[at + 1]);
}

// Reads a picture block front to back; every read checks the bytes that remain first.
class TBlockReader {
public:
    explicit TBlockReader(std::string_view block) : block_(block) {}

    bool Number(uint32_t& value) {
        if (block_.size() - at_ < 4) return false;
        value = Be32(block_, at_);
        at_ += 4;
        return true;
    }
    // A length, then that many bytes.
    bool Counted(std::string& text) {
        uint32_t length = 0;
        if (!Number(length) || length > block_.size() - at_) return false;
        text.assign(block_.substr(at_, length));
        at_ += length;
        return true;
    }
    std::size_t Left() const { return block_.size() - at_; }

private:
    std::string_view block_;
    std::size_t at_ = 0;
};

// A malformed block: `problem` (when asked for) receives what is wrong with it.
std::optional<TPicture> Malformed(std::string* problem, const char* text) {
    if (problem) *problem = text;
    return std::nullopt;
}

bool IsPrintableAscii(std::string_view text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// PNG: the 8-byte signature, then the IHDR chunk (length, "IHDR", width, height, bit depth, colour
// type); an indexed picture's palette chunk (PLTE) holds 3 bytes per colour.
std::optional<TImageInfo> ReadPngInfo(std::string_view data) {
    constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    if (data.size() < 8 + 8 + 13 || data.substr(0, 8) != kSignature || data.substr(12, 4) != "IHDR")
        return std::nullopt;
    TImageInfo info{"image/png", Be32(data, 16), Be32(data, 20)};
    const uint32_t bitDepth = static_cast<uint8_t>(data[24]);
    const uint8_t colourType = static_cast<uint8_t>(data[25]);
    constexpr std::array<uint32_t, 7> kChannels = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    info.ColorDepth = bitDepth * (colourType < kChannels.size() ? kChannels[colourType] : 0);
    if (colourType != 3) return info;
    for (std::size_t at = 8; at + 8 <= data.size();) {
        const uint32_t length = Be32(data, at);
        const std::string_view type = data.substr(at + 4, 4);
        if (type == "PLTE") {
            info.IndexedColors = length / 3;
            break;
        }
        if (type == "IDAT") break;
        at += 8 + std::size_t{length} + 4;  // length, type, data, checksum
    }
    return info;
}

// JPEG: markers (0xFF, code) each followed by a 2-byte length that counts itself, until a start of
// frame (SOF0 to SOF15 but DHT 0xC4, JPG 0xC8 and DAC 0xCC): precision, height, width, components.
std::optional<TImageInfo> ReadJpegInfo(std::string_view data) {
    if (data.size() < 4 || static_cast<uint8_t>(data[0]) != 0xFF || static_cast<uint8_t>(data[1]) != 0xD8)
        return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= data.size()) {
        if (static_cast<uint8_t>(data[at]) != 0xFF) return std::nullopt;
        const uint8_t code = static_cast<uint8_t>(data[at + 1]);
        if (code == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD8)) {  // markers without a length
            at += 2;
            continue;
        }
        if (code == 0xDA || code == 0xD9) return std::nullopt;  // image data or its end, and no frame
        const uint32_t length = Be16(data, at + 2);
        const bool isFrame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (isFrame) {
            if (length < 8 || at + 10 > data.size()) return std::nullopt;
            const uint32_t precision = static_cast<uint8_t>(data[at + 4]);
            const uint32_t components = static_cast<uint8_t>(data[at + 9]);
            return TImageInfo{"image/jpeg", Be16(data, at + 7), Be16(data, at + 5), precision * components};
        }
        if (length < 2) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

std::string_view ValueOfLine(std::string_view line) { return line.substr(line.find('=') + 1); }

}  // namespace

// Layout: type, MIME type (length, ASCII), description (length, UTF-8), width, height, colour depth,
// number of indexed colours, picture data (length, bytes).
std::string BuildPictureBlock(const TPicture& picture) {
    std::string block;
    block.reserve(32 + picture.MimeType.size() + picture.Description.size() + picture.Data.size());
    PutBe32(block, picture.Type);
    PutBe32(block, static_cast<uint32_t>(picture.MimeType.size()));
    block += picture.MimeType;
    PutBe32(block, static_cast<uint32_t>(picture.Description.size()));
    block += picture.Description;
    for (const uint32_t value : {picture.Width, picture.Height, picture.ColorDepth, picture.IndexedColors})
        PutBe32(block, value);
    PutBe32(block, static_cast<uint32_t>(picture.Data.size()));
    block += picture.Data;
    return block;
}

std::optional<TPicture> ParsePictureBlock(std::string_view block, std::string* problem) {
    TPicture picture;
    TBlockReader reader(block);
    if (!reader.Number(picture.Type)) return Malformed(problem, "cut off before its MIME type");
    if (!reader.Counted(picture.MimeType)) return Malformed(problem, "its MIME type runs past its end");
    if (!IsPrintableAscii(picture.MimeType))
        return Malformed(problem, "its MIME type is not printable ASCII");
    if (!reader.Counted(picture.Description)) return Malformed(problem, "its description runs past its end");
    for (uint32_t* value : {&picture.Width, &picture.Height, &picture.ColorDepth, &picture.IndexedColors})
        if (!reader.Number(*value)) return Malformed(problem, "cut off before its picture data");
    if (!reader.Counted(picture.Data)) return Malformed(problem, "its picture data runs past its end");
    if (reader.Left() != 0) return Malformed(problem, "bytes follow its picture data");
    return picture;
}

std::string PictureCommentValue(const TPicture& picture) { return EncodeBase64(BuildPictureBlock(picture)); }

std::optional<TPicture> ParsePictureComment(std::string_view value, std::string* problem) {
    const std::optional<std::string> block = DecodeBase64(value);
    if (!block) return Malformed(problem, "not base64");
    return ParsePictureBlock(*block, problem);
}

std::string PictureTypeName(uint32_t type) {
    if (type < std::size(kTypeNames)) return kTypeNames[type];
    return "Picture type " + std::to_string(type);
}

std::pair<uint32_t, uint32_t> PixelSize(const TPicture& picture) {
    if (picture.Width > 0 && picture.Height > 0) return {picture.Width, picture.Height};
    if (picture.MimeType != kLinkMimeType)
        if (const auto image = ReadImageInfo(picture.Data)) return {image->Width, image->Height};
    return {0, 0};
}

std::string DescribePicture(const TPicture& picture) {
    std::string text = PictureTypeName(picture.Type);
    if (picture.MimeType == kLinkMimeType) return text + ", link to " + picture.Data;
    text += ", " + (picture.MimeType.empty() ? std::string("no MIME type") : picture.MimeType);
    text += ", " + std::to_string(picture.Data.size()) + " bytes";
    const auto [width, height] = PixelSize(picture);
    if (width > 0 && height > 0) text += ", " + std::to_string(width) + " x " + std::to_string(height);
    return text;
}

std::string DescribePictureComment(std::string_view value) {
    std::string problem;
    if (const auto picture = ParsePictureComment(value, &problem)) return DescribePicture(*picture);
    return "malformed picture block (" + problem + ")";
}

std::optional<TImageInfo> ReadImageInfo(std::string_view data) {
    if (auto png = ReadPngInfo(data)) return png;
    return ReadJpegInfo(data);
}

std::optional<TPicture> FrontCoverFromImage(std::string data) {
    const std::optional<TImageInfo> info = ReadImageInfo(data);
    if (!info) return std::nullopt;
    TPicture picture;
    picture.MimeType = info->MimeType;
    picture.Width = info->Width;
    picture.Height = info->Height;
    picture.ColorDepth = info->ColorDepth;
    picture.IndexedColors = info->IndexedColors;
    picture.Data = std::move(data);
    return picture;
}

std::optional<TPicture> LoadFrontCover(const std::string& path, std::string* problem) {
    const auto refuse = [problem](std::string text) -> std::optional<TPicture> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!file || error) {
        std::string reason = error ? error.message() : std::string("cannot be opened");
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
        return refuse("cannot read " + path + ": " + reason);
    }
    if (size > kLargestPictureFile) return refuse(path + " is too large for a picture comment (over 16 MB)");
    std::string data(static_cast<std::size_t>(size), '\0');
    if (!file.read(data.data(), static_cast<std::streamsize>(size))) return refuse("cannot read " + path);
    std::optional<TPicture> picture = FrontCoverFromImage(std::move(data));
    if (!picture) return refuse(path + " is not a JPEG or PNG picture");
    return picture;
}

bool IsPictureLine(std::string_view line) {
    return line.size() > kPictureCommentName.size() &&
           SameIgnoringCase(line.substr(0, kPictureCommentName.size()), kPictureCommentName) &&
           line[kPictureCommentName.size()] == '=';
}

std::string OtherTagDisplayLine(const std::string& line) {
    if (!IsPictureLine(line)) return line;
    return std::string(kPictureCommentName) + ": " + DescribePictureComment(ValueOfLine(line));
}

std::optional<std::pair<std::size_t, TPicture>> ShownPicture(const std::vector<std::string>& lines) {
    std::optional<std::pair<std::size_t, TPicture>> first;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsPictureLine(lines[i])) continue;
        std::optional<TPicture> picture = ParsePictureComment(ValueOfLine(lines[i]));
        if (!picture) continue;
        if (picture->Type == kFrontCover) return std::pair{i, std::move(*picture)};
        if (!first) first.emplace(i, std::move(*picture));
    }
    return first;
}

void SetFrontCover(std::vector<std::string>& lines, const TPicture& picture) {
    const std::string line = std::string(kPictureCommentName) + "=" + PictureCommentValue(picture);
    bool placed = false;
    for (auto it = lines.begin(); it != lines.end();) {
        const std::optional<TPicture> old =
            IsPictureLine(*it) ? ParsePictureComment(ValueOfLine(*it)) : std::nullopt;
        if (!old || old->Type != kFrontCover) {
            ++it;
        } else if (!placed) {
            *it++ = line;
            placed = true;
        } else {
            it = lines.erase(it);
        }
    }
    if (!placed) lines.push_back(line);
}

void RemovePictures(std::vector<std::string>& lines) {
    std::erase_if(lines, [](const std::string& line) {
        return IsPictureLine(line) && ParsePictureComment(ValueOfLine(line)).has_value();
    });
}

std::string KeptMalformedPicturesNote(std::size_t count) {
    if (count == 1) return "kept 1 malformed picture comment as it is";
    return "kept " + std::to_string(count) + " malformed picture comments as they are";
}

std::size_t MalformedPictures(const std::vector<std::string>& lines) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return IsPictureLine(line) && !ParsePictureComment(ValueOfLine(line));
    }));
}

}  // namespace parvex
