#include "platform/epRegIniKey.h"

#include "platform/win/epRegIniApi.h"

namespace velk {

TRegistryApi RegistryApi;

static HKEY RootKey(TRegRoot Root) {
    switch (Root) {
    case TRegRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case TRegRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case TRegRoot::Users:
        return HKEY_USERS;
    case TRegRoot::CurrentUser:
        break;
    }
    return HKEY_CURRENT_USER;
}

TRegKey::~TRegKey() {
    if (handle_)
        RegistryApi.RegCloseKey(handle_);
}

TRegKey TRegKey::Open(const TRegPath& Path, TRegAccess Access) {
    HKEY key = nullptr;
    REGSAM sam = Access == TRegAccess::Read ? KEY_READ : KEY_WRITE;
    if (RegistryApi.RegOpenKeyExA(RootKey(Path.Root), Path.SubKey.c_str(), 0, sam, &key) !=
        ERROR_SUCCESS)
        return TRegKey();
    return TRegKey(key);
}

TRegKey TRegKey::Create(const TRegPath& Path) {
    HKEY key = nullptr;
    if (RegistryApi.RegCreateKeyExA(RootKey(Path.Root), Path.SubKey.c_str(), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                    nullptr) != ERROR_SUCCESS)
        return TRegKey();
    return TRegKey(key);
}

bool TRegKey::QueryValue(const std::string& Name, uint32_t* Type, void* Data,
                         uint32_t* Size) const {
    DWORD type = 0;
    DWORD size = Size ? *Size : 0;
    LONG rc = RegistryApi.RegQueryValueExA(handle_, Name.c_str(), nullptr, &type,
                                           static_cast<BYTE*>(Data), Size ? &size : nullptr);
    if (rc != ERROR_SUCCESS)
        return false;
    if (Type)
        *Type = type;
    if (Size)
        *Size = size;
    return true;
}

bool TRegKey::SetValue(const std::string& Name, uint32_t Type, const void* Data,
                       uint32_t Size) const {
    return RegistryApi.RegSetValueExA(handle_, Name.c_str(), 0, Type,
                                      static_cast<const BYTE*>(Data), Size) == ERROR_SUCCESS;
}

bool TRegKey::DeleteValue(const std::string& Name) const {
    return RegistryApi.RegDeleteValueA(handle_, Name.c_str()) == ERROR_SUCCESS;
}

bool TRegKey::DeleteSubKey(const std::string& Name) const {
    return RegistryApi.RegDeleteKeyA(handle_, Name.c_str()) == ERROR_SUCCESS;
}

bool TRegKey::EnumSubKey(uint32_t Index, std::string& Name) const {
    char name[256];
    DWORD length = sizeof name;
    if (RegistryApi.RegEnumKeyExA(handle_, Index, name, &length, nullptr, nullptr, nullptr,
                                  nullptr) != ERROR_SUCCESS)
        return false;
    Name.assign(name, length);
    return true;
}

bool TRegKey::EnumValue(uint32_t Index, std::string& Name) const {
    char name[16384];
    DWORD length = sizeof name;
    if (RegistryApi.RegEnumValueA(handle_, Index, name, &length, nullptr, nullptr, nullptr,
                                  nullptr) != ERROR_SUCCESS)
        return false;
    Name.assign(name, length);
    return true;
}

} // namespace velk
