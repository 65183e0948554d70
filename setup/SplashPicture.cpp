#include "setup/SplashPicture.h"

#include <cstring>

namespace velk {

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr int32_t MaxDimension = 8192;

uint32_t U32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

uint16_t U16(std::string_view bytes, size_t at) {
    return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i) & 0xFF);
}

} // namespace

uint32_t TSplashTrailer::MinimumMilliseconds() const {
    if (DisplaySeconds <= 0)
        return 0;
    return uint32_t(DisplaySeconds < MaxSplashSeconds ? DisplaySeconds : MaxSplashSeconds) * 1000;
}

uint8_t TSplashTrailer::Alpha() const {
    if (Opacity <= 0)
        return 0;
    return Opacity >= 100 ? 255 : uint8_t((Opacity * 255 + 50) / 100);
}

bool ReadSplashTrailer(std::string_view file, TSplashTrailer& trailer) {
    if (file.size() < SplashTrailerSize)
        return false;
    const size_t at = file.size() - SplashTrailerSize;
    trailer.DisplaySeconds = int32_t(U32(file, at));
    trailer.KeyColour = int32_t(U32(file, at + 4));
    trailer.Opacity = int32_t(U32(file, at + 8));
    return true;
}

std::string SplashTrailerBytes(const TSplashTrailer& trailer) {
    std::string bytes;
    PutU32(bytes, uint32_t(trailer.DisplaySeconds));
    PutU32(bytes, uint32_t(trailer.KeyColour));
    PutU32(bytes, uint32_t(trailer.Opacity));
    return bytes;
}

uint32_t BitmapFileSize(std::string_view bytes) {
    return bytes.size() >= FileHeaderSize && bytes.substr(0, 2) == "BM" ? U32(bytes, 2) : 0;
}

std::string BitmapProblem(std::string_view bytes, uint64_t fileSize) {
    if (bytes.size() < FileHeaderSize + 12 || bytes.substr(0, 2) != "BM")
        return "not a Windows bitmap";
    const uint32_t pixelsAt = U32(bytes, 10);
    const uint32_t headerSize = U32(bytes, FileHeaderSize);
    int64_t width, height;
    uint32_t bitCount, compression = 0, colours = 0;
    if (headerSize == 12) { // the OS/2 core header
        width = U16(bytes, 18);
        height = U16(bytes, 20);
        bitCount = U16(bytes, 24);
    } else if (headerSize >= 40 && headerSize <= 124 && bytes.size() >= FileHeaderSize + 40) {
        width = int32_t(U32(bytes, 18));
        height = int32_t(U32(bytes, 22));
        bitCount = U16(bytes, 28);
        compression = U32(bytes, 30);
        colours = U32(bytes, 46);
    } else {
        return "an unknown bitmap header";
    }
    // The systems' file loaders do not all read a bitmap stored top row first.
    if (height < 0)
        return "rows stored top first (only bottom-up bitmaps are shown)";
    if (width <= 0 || height <= 0 || width > MaxDimension || height > MaxDimension)
        return "dimensions outside 1 to 8192 pixels";
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return "an unknown number of bits per pixel";
    if (compression != 0 && compression != 3)
        return "compressed pixels (only uncompressed bitmaps are shown)";
    const uint64_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const uint64_t paletteBytes =
        uint64_t(bitCount <= 8 ? (colours ? colours : 1u << bitCount) : 0) *
            (headerSize == 12 ? 3 : 4) +
        masks;
    if (colours > 256 || FileHeaderSize + uint64_t(headerSize) + paletteBytes > pixelsAt)
        return "a colour table that overlaps its pixels";
    const uint64_t rowBytes = (uint64_t(width) * bitCount + 31) / 32 * 4;
    if (uint64_t(pixelsAt) + rowBytes * uint64_t(height) > fileSize)
        return "pixels beyond the end of the file";
    return {};
}

} // namespace velk
