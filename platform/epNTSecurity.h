#pragma once

#include <cstdint>

#include "platform/Exception.h"

namespace velk {

class ESecurityError : public Exception {
public:
    using Exception::Exception;
};

// On the NT family, binds the security functions of advapi32.dll by name, so that the program
// still starts where a function (or the whole library, on Windows 9x) is missing.
void InitNTSecurity();
void DoneNTSecurity();

// The SID of a well-known code (platform/WellKnownSids.h), to be released with FreeWellKnownSid.
// Raises ESecurityError "AdvApi32.dll not loaded" or "Can't initialize a SID".
void* CreateWellKnownSid(uint32_t code);
void FreeWellKnownSid(void* sid);

// Whether the process's user belongs to the local Administrators group, whatever the group's
// flags in the token say; always true on Windows 9x, false on the NT family when it cannot tell.
bool IsAdmin();

} // namespace velk
