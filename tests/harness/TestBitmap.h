// Windows bitmap files for tests, made byte by byte.
#pragma once

#include <cstdint>
#include <string>

namespace velk::test {

inline std::string LittleEndianBytes(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i) & 0xFF);
    return out;
}

// A bitmap file with a header of `headerSize` bytes and, unless `pixelBytes` says otherwise,
// exactly the pixels its dimensions need, each byte `fill`.
inline std::string BitmapFile(int32_t width, int32_t height, uint16_t bits,
                              uint32_t compression = 0, int64_t pixelBytes = -1,
                              uint32_t headerSize = 40, uint32_t colours = 0, char fill = '\x7f') {
    auto le = LittleEndianBytes;
    const uint32_t palette = bits <= 8 ? (colours ? colours : 1u << bits) * 4 : 0;
    const uint32_t offset = 14 + headerSize + palette;
    const uint64_t row = (uint64_t(width < 0 ? -width : width) * bits + 31) / 32 * 4;
    if (pixelBytes < 0)
        pixelBytes = int64_t(row * uint64_t(height < 0 ? -height : height));
    std::string header = le(headerSize, 4) + le(uint32_t(width), 4) + le(uint32_t(height), 4) +
                         le(1, 2) + le(bits, 2) + le(compression, 4) + le(0, 4) + le(0, 4) +
                         le(0, 4) + le(colours, 4) + le(0, 4);
    header.resize(headerSize, '\0');
    const std::string pixels(size_t(pixelBytes), fill);
    return "BM" + le(uint32_t(offset + pixels.size()), 4) + le(0, 4) + le(offset, 4) + header +
           std::string(palette, '\0') + pixels;
}

// A 24-bit picture whose pixels are given as 0x00RRGGBB, stored bottom row first.
template <typename TColourAt>
std::string PictureFile(int32_t width, int32_t height, TColourAt colourAt) {
    std::string file = BitmapFile(width, height, 24);
    const size_t row = (size_t(width) * 3 + 3) / 4 * 4;
    const size_t start = file.size() - row * size_t(height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t rgb = colourAt(x, y);
            const size_t stored = size_t(height - 1 - y);
            char* pixel = &file[start + stored * row + size_t(x) * 3];
            pixel[0] = char(rgb & 0xFF);
            pixel[1] = char(rgb >> 8 & 0xFF);
            pixel[2] = char(rgb >> 16 & 0xFF);
        }
    return file;
}

// The 12 bytes a splash picture ends in.
inline std::string SplashSettings(int32_t seconds, int32_t keyColour, int32_t opacity) {
    return LittleEndianBytes(uint32_t(seconds), 4) + LittleEndianBytes(uint32_t(keyColour), 4) +
           LittleEndianBytes(uint32_t(opacity), 4);
}

} // namespace velk::test
