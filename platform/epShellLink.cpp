#include "platform/epShellLink.h"

namespace velk {

std::string UnquoteLinkText(std::string_view text) {
    if (text.empty() || text[0] != '"')
        return std::string(text);
    std::string result;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            if (i + 1 >= text.size() || text[i + 1] != '"')
                break;
            ++i;
        }
        result += text[i];
    }
    return result;
}

int32_t LinkShowCommand(uint8_t showCmd) {
    switch (showCmd) {
    case 1:
        return 7; // minimised without taking the focus
    case 2:
        return 3;
    default:
        return 1;
    }
}

} // namespace velk
