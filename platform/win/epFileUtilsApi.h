#pragma once

#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

#include <cstdint>
#include <string>

namespace velk {

// The system calls of the file utilities; tests replace entries to make them fail.
struct TFileUtilsApi {
    decltype(&::GetFileAttributesA) GetFileAttributesA = ::GetFileAttributesA;
    decltype(&::SetFileAttributesA) SetFileAttributesA = ::SetFileAttributesA;
    decltype(&::CreateDirectoryA) CreateDirectoryA = ::CreateDirectoryA;
    decltype(&::RemoveDirectoryA) RemoveDirectoryA = ::RemoveDirectoryA;
    decltype(&::DeleteFileA) DeleteFileA = ::DeleteFileA;
    decltype(&::GetShortPathNameA) GetShortPathNameA = ::GetShortPathNameA;
    decltype(&::GetFullPathNameA) GetFullPathNameA = ::GetFullPathNameA;
    decltype(&::GetFileTime) GetFileTime = ::GetFileTime;
    decltype(&::SetFileTime) SetFileTime = ::SetFileTime;
    decltype(&::GetLocalTime) GetLocalTime = ::GetLocalTime;
    decltype(&::LoadLibraryA) LoadLibraryA = ::LoadLibraryA;
    decltype(&::GetProcAddress) GetProcAddress = ::GetProcAddress;
    decltype(&::FreeLibrary) FreeLibrary = ::FreeLibrary;
    decltype(&::GetDiskFreeSpaceA) GetDiskFreeSpaceA = ::GetDiskFreeSpaceA;
};
extern TFileUtilsApi FileUtilsApi;

// GetDiskFreeKB as it behaves on the given system.
int64_t GetDiskFreeKBOn(const std::string& path, const TOSVersion& os);

} // namespace velk
