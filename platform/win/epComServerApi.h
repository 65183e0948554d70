#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system calls of COM server registration; tests replace entries to make them fail.
struct TComServerApi {
    decltype(&::GetProcAddress) GetProcAddress = ::GetProcAddress;
    decltype(&::FreeLibrary) FreeLibrary = ::FreeLibrary;
};
extern TComServerApi ComServerApi;

} // namespace velk
