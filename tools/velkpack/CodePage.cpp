#include "tools/velkpack/CodePage.h"

#include <cstdint>

#include "platform/StrUtils.h"

namespace velk {
namespace {

// Windows-1252 characters 0x80-0x9F; 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned there.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

bool TryParseCodePage(std::string_view text, TCodePage& codePage) {
    int32_t number;
    if (!TryStrToInt(text, number))
        return false;
    switch (number) {
    case int32_t(TCodePage::Windows1252):
    case int32_t(TCodePage::Latin1):
        codePage = static_cast<TCodePage>(number);
        return true;
    default:
        return false;
    }
}

std::string ToUtf8(std::string_view text, TCodePage codePage) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        uint32_t code = static_cast<unsigned char>(c);
        if (codePage == TCodePage::Windows1252 && code >= 0x80 && code < 0xA0)
            code = kWindows1252High[code - 0x80];
        AppendUtf8(out, code);
    }
    return out;
}

} // namespace velk
