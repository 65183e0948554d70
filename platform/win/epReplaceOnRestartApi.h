#pragma once

#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

#include <string>

namespace velk {

// The system calls of replacement at restart; tests replace entries to make them fail.
struct TReplaceOnRestartApi {
    decltype(&::MoveFileExA) MoveFileExA = ::MoveFileExA;
    decltype(&::MoveFileA) MoveFileA = ::MoveFileA;
};
extern TReplaceOnRestartApi ReplaceOnRestartApi;

// ReplaceFileOnRestart as it behaves on the given system.
bool ReplaceFileOnRestartOn(const std::string& Source, const std::string& Dest,
                            const TOSVersion& os);

} // namespace velk
