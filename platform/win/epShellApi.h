#pragma once

#include "platform/win/WindowsSupport.h"

#include <shellapi.h>
#include <shlobj.h>

namespace velk {

// The system calls of program starts and shell folders; tests replace entries to make them fail.
struct TShellApi {
    decltype(&::CreateProcessA) CreateProcessA = ::CreateProcessA;
    decltype(&::ShellExecuteExA) ShellExecuteExA = ::ShellExecuteExA;
    decltype(&::WaitForSingleObject) WaitForSingleObject = ::WaitForSingleObject;
    decltype(&::GetExitCodeProcess) GetExitCodeProcess = ::GetExitCodeProcess;
    decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
    decltype(&::SHGetSpecialFolderLocation) SHGetSpecialFolderLocation =
        ::SHGetSpecialFolderLocation;
    decltype(&::SHGetPathFromIDListA) SHGetPathFromIDListA = ::SHGetPathFromIDListA;
    decltype(&::CoTaskMemFree) CoTaskMemFree = ::CoTaskMemFree;
};
extern TShellApi ShellApi;

} // namespace velk
