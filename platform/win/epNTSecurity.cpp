#include "platform/epNTSecurity.h"

#include <vector>

#include "platform/WellKnownSids.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

namespace velk {

namespace {

// The functions the engine calls; the module binds them at start, on the NT family only.
struct {
    HMODULE Library = nullptr;
    decltype(&::AllocateAndInitializeSid) AllocateAndInitializeSid = nullptr;
    decltype(&::FreeSid) FreeSid = nullptr;
    decltype(&::EqualSid) EqualSid = nullptr;
    decltype(&::OpenProcessToken) OpenProcessToken = nullptr;
    decltype(&::GetTokenInformation) GetTokenInformation = nullptr;
} Advapi;

template <typename TFunction> void Bind(TFunction& function, const char* name) {
    function =
        reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(Advapi.Library, name)));
}

class TTokenHandle {
public:
    TTokenHandle() {
        if (!Advapi.OpenProcessToken ||
            !Advapi.OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &handle_))
            handle_ = nullptr;
    }
    ~TTokenHandle() {
        if (handle_)
            CloseHandle(handle_);
    }
    TTokenHandle(const TTokenHandle&) = delete;
    TTokenHandle& operator=(const TTokenHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace

void InitNTSecurity() {
    if (IsWin9xFamily(OSVersion()) || Advapi.Library)
        return;
    Advapi.Library = LoadLibraryA("advapi32.dll");
    if (!Advapi.Library)
        return;
    Bind(Advapi.AllocateAndInitializeSid, "AllocateAndInitializeSid");
    Bind(Advapi.FreeSid, "FreeSid");
    Bind(Advapi.EqualSid, "EqualSid");
    Bind(Advapi.OpenProcessToken, "OpenProcessToken");
    Bind(Advapi.GetTokenInformation, "GetTokenInformation");
}

void DoneNTSecurity() {
    if (Advapi.Library)
        FreeLibrary(Advapi.Library);
    Advapi = {};
}

void* CreateWellKnownSid(uint32_t code) {
    if (!Advapi.Library)
        throw ESecurityError("AdvApi32.dll not loaded");
    const TSidParts parts = DecodeSidCode(code);
    SID_IDENTIFIER_AUTHORITY authority = {{0, 0, 0, 0, 0, parts.Authority}};
    PSID sid = nullptr;
    if (!Advapi.AllocateAndInitializeSid ||
        !Advapi.AllocateAndInitializeSid(&authority, BYTE(parts.SubAuthorityCount),
                                         parts.SubAuthorities[0], parts.SubAuthorities[1], 0, 0, 0,
                                         0, 0, 0, &sid))
        throw ESecurityError("Can't initialize a SID");
    return sid;
}

void FreeWellKnownSid(void* sid) {
    if (sid && Advapi.FreeSid)
        Advapi.FreeSid(sid);
}

bool IsAdmin() {
    if (IsWin9xFamily(OSVersion()))
        return true;
    if (!Advapi.Library || !Advapi.GetTokenInformation || !Advapi.EqualSid)
        return false;
    TTokenHandle token;
    if (!token.Get())
        return false;
    DWORD size = 0;
    Advapi.GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size < sizeof(TOKEN_GROUPS))
        return false;
    std::vector<unsigned char> buffer(size);
    void* admins = CreateWellKnownSid(SidAdmins);
    bool member = false;
    if (Advapi.GetTokenInformation(token.Get(), TokenGroups, buffer.data(), size, &size)) {
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        // A group held only for deny checks counts too.
        for (DWORD i = 0; i < groups->GroupCount && !member; ++i)
            member = Advapi.EqualSid(groups->Groups[i].Sid, admins) != FALSE;
    }
    FreeWellKnownSid(admins);
    return member;
}

} // namespace velk
