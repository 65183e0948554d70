#pragma once

#include "platform/win/WindowsSupport.h"

#include <oleauto.h>

namespace velk {

// The system calls of COM server registration; tests replace entries to make them fail.
struct TComServerApi {
    decltype(&::GetProcAddress) GetProcAddress = ::GetProcAddress;
    decltype(&::FreeLibrary) FreeLibrary = ::FreeLibrary;
    decltype(&::WinExec) WinExec = ::WinExec;
    decltype(&::LoadTypeLib) LoadTypeLib = ::LoadTypeLib;
    decltype(&::RegisterTypeLib) RegisterTypeLib = ::RegisterTypeLib;
    decltype(&::UnRegisterTypeLib) UnRegisterTypeLib = ::UnRegisterTypeLib;
};
extern TComServerApi ComServerApi;

} // namespace velk
