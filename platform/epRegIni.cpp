#include "platform/epRegIni.h"

#include "platform/StrUtils.h"
#include "platform/epRegIniKey.h"

namespace velk {

static TRegKey OpenKey(const std::string& Path, TRegAccess Access) {
    return TRegKey::Open(ParseRegPath(Path), Access);
}

uint32_t GetRegValueType(const std::string& Path, const std::string& Name) {
    TRegKey key = OpenKey(Path, TRegAccess::Read);
    uint32_t type = RegTypeNone;
    if (!key.IsOpen() || !key.QueryValue(Name, &type, nullptr, nullptr))
        return RegTypeNone;
    return type;
}

bool QueryRegValue(const std::string& Path, const std::string& Name, void* Buffer, uint32_t& Size) {
    TRegKey key = OpenKey(Path, TRegAccess::Read);
    return key.IsOpen() && key.QueryValue(Name, nullptr, Buffer, &Size);
}

std::string ReadRegString(const std::string& Path, const std::string& Name,
                          const std::string& Default) {
    switch (GetRegValueType(Path, Name)) {
    case RegTypeSz:
    case RegTypeExpandSz: {
        char buffer[4096];
        uint32_t size = sizeof buffer;
        if (!QueryRegValue(Path, Name, buffer, size))
            return Default;
        // Data stored without its terminating zero keeps its last character.
        if (size > 0 && buffer[size - 1] == '\0')
            --size;
        return std::string(buffer, size);
    }
    case RegTypeBinary:
        return ReadRegBinaryHex(Path, Name, Default);
    case RegTypeDWord:
        return IntToStr(ReadRegInteger(Path, Name, StrToDWordDef(Default, 0)));
    default:
        return Default;
    }
}

int32_t ReadRegInteger(const std::string& Path, const std::string& Name, int32_t Default) {
    uint8_t data[4] = {0, 0, 0, 0};
    uint32_t size = sizeof data;
    if (!QueryRegValue(Path, Name, data, size))
        return Default;
    return static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 |
                                uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
}

bool ReadRegBinary(const std::string& Path, const std::string& Name, std::vector<uint8_t>& Data) {
    uint32_t size = 0;
    if (!QueryRegValue(Path, Name, nullptr, size))
        return false;
    std::vector<uint8_t> buffer(size);
    if (!QueryRegValue(Path, Name, buffer.data(), size))
        return false;
    buffer.resize(size);
    Data = std::move(buffer);
    return true;
}

std::string ReadRegBinaryHex(const std::string& Path, const std::string& Name,
                             const std::string& Default) {
    std::vector<uint8_t> data;
    return ReadRegBinary(Path, Name, data) ? BinaryToHex(data.data(), data.size()) : Default;
}

void EnumRegKeys(const std::string& Path, std::vector<std::string>& Strings) {
    Strings.clear();
    TRegKey key = OpenKey(Path, TRegAccess::Read);
    if (!key.IsOpen())
        return;
    std::string name;
    for (uint32_t i = 0; key.EnumSubKey(i, name); ++i)
        Strings.push_back(name);
}

bool WriteRegValue(const std::string& Path, const std::string& Name, uint32_t Type, uint32_t Size,
                   const void* Data) {
    TRegKey key = TRegKey::Create(ParseRegPath(Path));
    return key.IsOpen() && key.SetValue(Name, Type, Data, Size);
}

bool WriteRegString(const std::string& Path, const std::string& Name, std::string_view Text) {
    std::string data(Text);
    return WriteRegValue(Path, Name, RegTypeSz, static_cast<uint32_t>(data.size() + 1),
                         data.c_str());
}

bool WriteRegInteger(const std::string& Path, const std::string& Name, int32_t Value) {
    uint32_t bits = static_cast<uint32_t>(Value);
    uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    return WriteRegValue(Path, Name, RegTypeDWord, sizeof data, data);
}

bool WriteRegBinary(const std::string& Path, const std::string& Name, const void* Data,
                    uint32_t Size) {
    return WriteRegValue(Path, Name, RegTypeBinary, Size, Data);
}

bool WriteRegBinaryHex(const std::string& Path, const std::string& Name, std::string_view Hex) {
    std::vector<uint8_t> data = HexToBinary(Hex);
    return WriteRegBinary(Path, Name, data.data(), static_cast<uint32_t>(data.size()));
}

bool RegKeyExists(const std::string& Path) {
    return OpenKey(Path, TRegAccess::Read).IsOpen();
}

bool RegValueExists(const std::string& Path, const std::string& Name) {
    TRegKey key = OpenKey(Path, TRegAccess::Read);
    return key.IsOpen() && key.QueryValue(Name, nullptr, nullptr, nullptr);
}

bool DeleteRegValue(const std::string& Path, const std::string& Name) {
    TRegKey key = OpenKey(Path, TRegAccess::Write);
    return key.IsOpen() && key.DeleteValue(Name);
}

} // namespace velk
