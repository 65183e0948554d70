#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system call of the full-path function; tests replace it to make it fail.
struct TFullPathApi {
    decltype(&::GetFullPathNameA) GetFullPathNameA = ::GetFullPathNameA;
};
extern TFullPathApi FullPathApi;

} // namespace velk
