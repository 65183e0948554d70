#include "tools/fileinfo/FontName.h"

#include "tools/fileinfo/ByteReader.h"

#include <cstdint>

namespace velk {

namespace {

constexpr uint16_t kFullNameId = 4;
constexpr uint16_t kPlatformMac = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kLanguageUsEnglish = 0x409;

// Windows-1252 for a UTF-16 code unit; "?" where the code page has no such character.
char ToWindows1252(uint16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return char(unit);
    static const uint16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == unit && unit != 0)
            return char(0x80 + i);
    }
    return '?';
}

// Offset of the first font's table directory: a collection names its fonts first.
bool FontOffset(TByteReader& in, size_t& offset) {
    uint32_t tag = in.BE32(0);
    offset = 0;
    if (tag == 0x74746366) // "ttcf"
        offset = in.BE32(12);
    uint32_t version = in.BE32(offset);
    bool known = version == 0x00010000 || version == 0x4F54544F /* OTTO */ ||
                 version == 0x74727565 /* true */;
    return !in.Failed() && known;
}

bool FindNameTable(TByteReader& in, size_t font, size_t& table) {
    uint16_t tables = in.BE16(font + 4);
    for (uint16_t i = 0; i < tables && !in.Failed(); ++i) {
        size_t record = font + 12 + 16 * size_t(i);
        if (in.BE32(record) == 0x6E616D65) { // "name"
            table = in.BE32(record + 8);
            return !in.Failed();
        }
    }
    return false;
}

} // namespace

std::string ReadFontFullName(std::string_view font) {
    TByteReader in(font);
    size_t start = 0, table = 0;
    if (!FontOffset(in, start) || !FindNameTable(in, start, table))
        return "";
    uint16_t count = in.BE16(table + 2);
    size_t strings = table + in.BE16(table + 4);

    // Best match: Windows + US English, then any Windows language, then Macintosh.
    int bestRank = 0;
    std::string best;
    for (uint16_t i = 0; i < count && !in.Failed(); ++i) {
        size_t record = table + 6 + 12 * size_t(i);
        uint16_t platform = in.BE16(record);
        uint16_t language = in.BE16(record + 4);
        uint16_t nameId = in.BE16(record + 6);
        std::string_view bytes = in.Bytes(strings + in.BE16(record + 10), in.BE16(record + 8));
        if (in.Failed() || nameId != kFullNameId || bytes.empty())
            continue;
        int rank = 0;
        std::string text;
        if (platform == kPlatformWindows) {
            rank = language == kLanguageUsEnglish ? 3 : 2;
            for (size_t j = 0; j + 1 < bytes.size(); j += 2)
                text += ToWindows1252(uint16_t(uint8_t(bytes[j]) << 8 | uint8_t(bytes[j + 1])));
        } else if (platform == kPlatformMac) {
            rank = 1;
            for (char c : bytes)
                text += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
        }
        if (rank > bestRank) {
            bestRank = rank;
            best = text;
        }
    }
    return best;
}

} // namespace velk
