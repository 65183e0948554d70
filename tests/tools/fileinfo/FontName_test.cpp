#include "tools/fileinfo/FontName.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>

using namespace velk;

namespace {

std::string ReadFont() {
    std::ifstream in(DEJAVU_SANS, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t BE32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}

void PutBE32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = char(v >> (24 - 8 * i));
}

} // namespace

TEST(FontName, FullNameOfARealFont) {
    std::string font = ReadFont();
    ASSERT_FALSE(font.empty());
    EXPECT_EQ(ReadFontFullName(font), "DejaVu Sans");
}

// A collection holding the same font: table offsets count from the start of the collection.
TEST(FontName, FirstFontOfACollection) {
    std::string font = ReadFont();
    const uint32_t header = 16;
    std::string ttc("ttcf\x00\x01\x00\x00\x00\x00\x00\x01\x00\x00\x00\x10", header);
    uint16_t tables = uint16_t(uint8_t(font[4]) << 8 | uint8_t(font[5]));
    for (uint16_t i = 0; i < tables; ++i)
        PutBE32(font, 12 + 16 * size_t(i) + 8, BE32(font, 12 + 16 * size_t(i) + 8) + header);
    EXPECT_EQ(ReadFontFullName(ttc + font), "DejaVu Sans");
}

TEST(FontName, NonFontsHaveNoName) {
    EXPECT_EQ(ReadFontFullName(""), "");
    EXPECT_EQ(ReadFontFullName("MZ\x90\x00 not a font"), "");
    EXPECT_EQ(ReadFontFullName(std::string("\x00\x01\x00\x00\x00\x00", 6)), "");
}

// Corruption aimed at the table directory and the name table, where the reader follows offsets
// and lengths taken from the file.
TEST(FontName, TruncatedOrCorruptedFontsAreReadSafely) {
    std::string font = ReadFont();
    for (size_t n = 0; n < 4096 && n < font.size(); n += 3)
        EXPECT_EQ(ReadFontFullName(font.substr(0, n)), "");
    uint16_t tables = uint16_t(uint8_t(font[4]) << 8 | uint8_t(font[5]));
    size_t nameTable = 0, nameLength = 0;
    for (uint16_t i = 0; i < tables; ++i) {
        size_t record = 12 + 16 * size_t(i);
        if (font.compare(record, 4, "name") == 0) {
            nameTable = BE32(font, record + 8);
            nameLength = BE32(font, record + 12);
        }
    }
    ASSERT_GT(nameLength, 0u);
    uint32_t state = 7;
    int named = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string copy = font;
        for (int k = 0; k < 6; ++k) {
            state = state * 1103515245u + 12345u;
            size_t at = (state >> 4) % 2 ? nameTable + (state >> 8) % nameLength
                                         : (state >> 8) % (12 + 16 * size_t(tables));
            copy[at] = char(state >> 24);
        }
        named += !ReadFontFullName(copy).empty();
    }
    // Most corruptions still leave some full name readable; none may crash.
    EXPECT_GT(named, 0);
}
