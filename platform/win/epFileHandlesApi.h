#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system calls behind the file-handle wrappers; tests replace entries to make them fail.
struct TFileHandleApi {
    decltype(&::CreateFileA) CreateFileA = ::CreateFileA;
    decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
    decltype(&::ReadFile) ReadFile = ::ReadFile;
    decltype(&::WriteFile) WriteFile = ::WriteFile;
    decltype(&::SetFilePointer) SetFilePointer = ::SetFilePointer;
    decltype(&::GetFileSize) GetFileSize = ::GetFileSize;
    decltype(&::SetEndOfFile) SetEndOfFile = ::SetEndOfFile;
};
extern TFileHandleApi FileHandleApi;

} // namespace velk
