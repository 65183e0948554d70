#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system calls of the version functions; tests replace entries to make them fail.
struct TVersionApi {
    decltype(&::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA = ::GetFileVersionInfoSizeA;
    decltype(&::GetFileVersionInfoA) GetFileVersionInfoA = ::GetFileVersionInfoA;
    decltype(&::VerQueryValueA) VerQueryValueA = ::VerQueryValueA;
};
extern TVersionApi VersionApi;

} // namespace velk
