#include "platform/epComServer.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epFullPath.h"
#include "platform/epShell.h"
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

struct TTypeLibTraits {
    using Type = ITypeLib*;
    static ITypeLib* Invalid() { return nullptr; }
    static void Close(ITypeLib* library) { library->Release(); }
};

struct TBStrTraits {
    using Type = BSTR;
    static BSTR Invalid() { return nullptr; }
    static void Close(BSTR text) { ::SysFreeString(text); }
};

using TRegisterServerProc = HRESULT(STDAPICALLTYPE*)();

std::wstring ToWide(const std::string& text) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string ToAnsi(const wchar_t* text, int length) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string ansi(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text, length, &ansi[0], n, nullptr, nullptr);
    return ansi;
}

// The folder of the library's help file, empty when it names none; false when the library
// cannot be asked.
bool QueryHelpFolder(ITypeLib* library, std::wstring& folder) {
    BSTR raw = nullptr;
    if (FAILED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &raw)))
        return false;
    TScoped<TBStrTraits> helpFile(raw);
    std::string name =
        helpFile.Valid() ? ToAnsi(helpFile.Get(), int(::SysStringLen(helpFile.Get()))) : "";
    folder = ToWide(ExtractFilePath(name));
    return true;
}

// Calls the library's export "DllRegisterServer" or "DllUnregisterServer".
bool CallServerExport(const std::string& FileName, const char* name) {
    TScoped<TLibraryTraits> library(LoadLibraryQuiet(FileName));
    if (!library.Valid())
        return false;
    auto call = reinterpret_cast<TRegisterServerProc>(
        reinterpret_cast<void*>(ComServerApi.GetProcAddress(library.Get(), name)));
    return call != nullptr && SUCCEEDED(call());
}

bool IsProgram(const std::string& FileName) {
    return SameText(ExtractFileExt(FileName), ".exe");
}

} // namespace

bool RegisterDllServer(const std::string& FileName) {
    return CallServerExport(FileName, "DllRegisterServer");
}

bool RegisterExeServer(const std::string& FileName) {
    // Quoted, so that a folder name with a blank cannot start another program.
    std::string commandLine = "\"" + FileName + "\" /REGSERVER";
    return ComServerApi.WinExec(commandLine.c_str(), SW_HIDE) > 31;
}

bool RegisterServer(const std::string& FileName) {
    return RegisterDllServer(FileName) || (IsProgram(FileName) && RegisterExeServer(FileName));
}

bool RegisterTypeLibrary(const std::string& FileName) {
    std::wstring path = ToWide(ExpandFileName(FileName));
    ITypeLib* raw = nullptr;
    if (FAILED(ComServerApi.LoadTypeLib(path.c_str(), &raw)))
        return false;
    TScoped<TTypeLibTraits> library(raw);
    std::wstring helpFolder;
    return library.Valid() && QueryHelpFolder(library.Get(), helpFolder) &&
           SUCCEEDED(ComServerApi.RegisterTypeLib(library.Get(), &path[0], &helpFolder[0]));
}

bool RegisterComFile(const std::string& FileName) {
    return RegisterServer(FileName) || RegisterTypeLibrary(FileName);
}

bool UnregisterDllServer(const std::string& FileName) {
    return CallServerExport(FileName, "DllUnregisterServer");
}

bool UnregisterExeServer(const std::string& FileName) {
    return RunAndWait(nullptr, FileName, "/UNREGSERVER", SW_HIDE, "") != -1;
}

bool UnregisterServer(const std::string& FileName) {
    return UnregisterDllServer(FileName) || (IsProgram(FileName) && UnregisterExeServer(FileName));
}

bool UnregisterTypeLibrary(const std::string& FileName) {
    std::wstring path = ToWide(ExpandFileName(FileName));
    ITypeLib* raw = nullptr;
    if (FAILED(ComServerApi.LoadTypeLib(path.c_str(), &raw)))
        return false;
    TScoped<TTypeLibTraits> library(raw);
    TLIBATTR* attributes = nullptr;
    if (FAILED(library.Get()->GetLibAttr(&attributes)))
        return false;
    const TLIBATTR identity = *attributes;
    library.Get()->ReleaseTLibAttr(attributes);
    return SUCCEEDED(ComServerApi.UnRegisterTypeLib(identity.guid, identity.wMajorVerNum,
                                                    identity.wMinorVerNum, identity.lcid,
                                                    identity.syskind));
}

bool UnregisterComFile(const std::string& FileName) {
    return UnregisterServer(FileName) || UnregisterTypeLibrary(FileName);
}

} // namespace velk
