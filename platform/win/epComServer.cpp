#include "platform/epComServer.h"

#include "platform/epUtils.h"
#include "platform/win/ScopedHandle.h"
#include "platform/win/WindowsSupport.h"
#include "platform/win/epComServerApi.h"

namespace velk {

TComServerApi ComServerApi;

namespace {

struct TLibraryTraits {
    using Type = HMODULE;
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { ComServerApi.FreeLibrary(module); }
};

using TRegisterServerProc = HRESULT(STDAPICALLTYPE*)();

} // namespace

bool RegisterDllServer(const std::string& FileName) {
    TScoped<TLibraryTraits> library(LoadLibraryQuiet(FileName));
    if (!library.Valid())
        return false;
    auto registerServer = reinterpret_cast<TRegisterServerProc>(
        reinterpret_cast<void*>(ComServerApi.GetProcAddress(library.Get(), "DllRegisterServer")));
    return registerServer != nullptr && SUCCEEDED(registerServer());
}

} // namespace velk
