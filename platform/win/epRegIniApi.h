#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The registry calls behind key paths; tests replace entries to make them fail.
struct TRegistryApi {
    decltype(&::RegOpenKeyExA) RegOpenKeyExA = ::RegOpenKeyExA;
    decltype(&::RegCreateKeyExA) RegCreateKeyExA = ::RegCreateKeyExA;
    decltype(&::RegQueryValueExA) RegQueryValueExA = ::RegQueryValueExA;
    decltype(&::RegSetValueExA) RegSetValueExA = ::RegSetValueExA;
    decltype(&::RegDeleteValueA) RegDeleteValueA = ::RegDeleteValueA;
    decltype(&::RegDeleteKeyA) RegDeleteKeyA = ::RegDeleteKeyA;
    decltype(&::RegEnumKeyExA) RegEnumKeyExA = ::RegEnumKeyExA;
    decltype(&::RegEnumValueA) RegEnumValueA = ::RegEnumValueA;
    decltype(&::RegCloseKey) RegCloseKey = ::RegCloseKey;
};
extern TRegistryApi RegistryApi;

} // namespace velk
