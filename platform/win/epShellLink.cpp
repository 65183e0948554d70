#include "platform/epShellLink.h"

#include "platform/Exception.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/win/WindowsSupport.h"

#include <shlobj.h>

namespace velk {

namespace {

// COM for the calling thread while a shortcut is written. A thread that already runs COM in
// another model keeps it: the shell-link object works in either.
class TComScope {
public:
    TComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    ~TComScope() {
        if (initialised_)
            CoUninitialize();
    }

private:
    bool initialised_;
};

template <class T> class TComPtr {
public:
    TComPtr() = default;
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    ~TComPtr() {
        if (p_ != nullptr)
            p_->Release();
    }
    T* operator->() const { return p_; }
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

std::wstring Widened(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 1), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    return wide;
}

void NotifyChanged(const std::string& path) {
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
}

} // namespace

bool TepShellLink::Save(const std::string& linkFile) {
    LinkFile = linkFile;
    return Write();
}

bool TepShellLink::Write() {
    for (std::string* field : {&LinkFile, &Target, &WorkingDir, &Description, &IconFile})
        *field = UnquoteLinkText(*field);
    TComScope com;
    TComPtr<IShellLinkA> link;
    const HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, link.Out());
    if (FAILED(created))
        throw Exception(Format("COM error 0x%08lX: the shell link object cannot be created",
                               static_cast<unsigned long>(created)));
    if (link->SetPath(Target.c_str()) != S_OK || link->SetArguments(Arguments.c_str()) != S_OK ||
        link->SetWorkingDirectory(WorkingDir.c_str()) != S_OK ||
        link->SetShowCmd(LinkShowCommand(ShowCmd)) != S_OK || link->SetHotkey(HotKey) != S_OK ||
        link->SetDescription(Description.c_str()) != S_OK ||
        link->SetIconLocation(IconFile.c_str(), IconIndex) != S_OK)
        return false;
    TComPtr<IPersistFile> file;
    if (link->QueryInterface(IID_IPersistFile, file.Out()) != S_OK ||
        file->Save(Widened(LinkFile).c_str(), FALSE) != S_OK)
        return false;
    NotifyChanged(LinkFile);
    if (FileExists(IconFile))
        NotifyChanged(IconFile);
    return true;
}

} // namespace velk
