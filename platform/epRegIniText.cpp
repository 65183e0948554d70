#include "platform/epRegIni.h"

#include "platform/StrUtils.h"

namespace velk {

TRegPath ParseRegPath(std::string_view Path) {
    if (!Path.empty() && Path.back() == '\\')
        Path.remove_suffix(1);
    size_t slash = Path.find('\\');
    std::string root = UpperCase(Path.substr(0, slash));
    TRegPath result;
    if (root == "HKCR")
        result.Root = TRegRoot::ClassesRoot;
    else if (root == "HKCU")
        result.Root = TRegRoot::CurrentUser;
    else if (root == "HKLM")
        result.Root = TRegRoot::LocalMachine;
    else if (root == "HKU")
        result.Root = TRegRoot::Users;
    else {
        result.SubKey = std::string(Path);
        return result;
    }
    if (slash != std::string_view::npos)
        result.SubKey = std::string(Path.substr(slash + 1));
    return result;
}

int32_t StrToDWordDef(std::string_view Text, int32_t Default) {
    int32_t value;
    if (TryStrToInt(Text, value))
        return value;
    int32_t head, last;
    if (!Text.empty() && TryStrToInt(Text.substr(0, Text.size() - 1), head) &&
        TryStrToInt(Text.substr(Text.size() - 1), last))
        return static_cast<int32_t>(static_cast<uint32_t>(head) * 10u +
                                    static_cast<uint32_t>(last));
    return Default;
}

std::string BinaryToHex(const uint8_t* Data, size_t Size) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string text(Size * 2, '0');
    for (size_t i = 0; i < Size; ++i) {
        text[2 * i] = Digits[Data[i] >> 4];
        text[2 * i + 1] = Digits[Data[i] & 15];
    }
    return text;
}

std::vector<uint8_t> HexToBinary(std::string_view Hex) {
    std::string digits;
    for (char c : Hex)
        if (c != ' ')
            digits += c;
    std::vector<uint8_t> data(digits.size() / 2);
    for (size_t i = 0; i < data.size(); ++i) {
        std::string pair = digits.substr(2 * i, 2);
        if (pair.find('$') == std::string::npos)
            pair.insert(0, 1, '$');
        data[i] = static_cast<uint8_t>(StrToIntDef(pair, 0));
    }
    return data;
}

} // namespace velk
