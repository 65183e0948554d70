#include "plugins/LanguageList.h"

#include "platform/StrUtils.h"

namespace velk {

std::vector<std::string> ParseLanguageCodes(std::string_view languages) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        const size_t comma = languages.find(',', from);
        const std::string code = UpperCase(Trim(languages.substr(from, comma - from)));
        if (!code.empty())
            lines.push_back(code + "=");
        if (comma == std::string_view::npos)
            break;
        from = comma + 1;
    }
    return lines;
}

std::string LanguageCode(const std::string& line) {
    return line.substr(0, line.find('='));
}

std::string LanguageDisplayName(const std::string& line) {
    const size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

int FindLanguage(const std::vector<std::string>& lines, std::string_view code) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (SameText(LanguageCode(lines[i]), code))
            return int(i);
    return -1;
}

int ChooseLanguageIndex(const std::vector<std::string>& lines, bool autoSelect,
                        std::string_view userCode) {
    if (!autoSelect || userCode.empty())
        return 0;
    int index = FindLanguage(lines, userCode);
    if (index < 0)
        index = FindLanguage(lines, "ENU");
    return index < 0 ? 0 : index;
}

std::string FormatMessageText(std::string_view raw, const std::vector<std::string>& args,
                              TExpandText expand) {
    std::string result;
    std::string piece;
    size_t next = 0;
    size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '%') {
            piece += raw[i++];
            continue;
        }
        if (i + 1 < raw.size() && raw[i + 1] == 's') {
            if (next < args.size()) {
                result += expand(piece);
                piece.clear();
                result += args[next++];
            } else {
                piece += "%%s";
            }
            i += 2;
            continue;
        }
        // "%%" or a reference up to its closing "%" is the expansion's business.
        const size_t close = raw.find('%', i + 1);
        const size_t end = close == std::string_view::npos ? raw.size() : close + 1;
        piece.append(raw.substr(i, end - i));
        i = end;
    }
    return result + expand(piece);
}

} // namespace velk
