#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system calls of the file search; tests replace entries to make them fail.
struct TFileFindApi {
    decltype(&::FindFirstFileA) FindFirstFileA = ::FindFirstFileA;
    decltype(&::FindNextFileA) FindNextFileA = ::FindNextFileA;
    decltype(&::FindClose) FindClose = ::FindClose;
    decltype(&::FileTimeToLocalFileTime) FileTimeToLocalFileTime = ::FileTimeToLocalFileTime;
    decltype(&::FileTimeToDosDateTime) FileTimeToDosDateTime = ::FileTimeToDosDateTime;
};
extern TFileFindApi FileFindApi;

} // namespace velk
