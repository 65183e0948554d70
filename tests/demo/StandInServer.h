// The in-process COM server skeleton of the two stand-ins the demo tests register in their
// Wine prefix (class factory, registration by ProgID), and what both share: the log of calls and
// the script of answers, named by the environment variables KORVX_STANDIN_LOG and
// KORVX_STANDIN_SCRIPT.
#pragma once

#include "platform/win/WindowsSupport.h"

#include <oaidl.h>

#include <string>
#include <vector>

namespace velk::test {

// Each stand-in DLL defines its class, its ProgID and how to make one object.
extern const CLSID StandInClsid;
extern const char StandInProgId[];
IUnknown* CreateStandIn();

// Appends one line to the log.
void LogCall(const std::string& line);

// The script's lines, split at tabs.
std::vector<std::vector<std::string>> ScriptLines();

std::string Narrow(const VARIANT& text);
BSTR WideCopy(const std::string& text);
// A failure with a description, as automation objects raise them.
HRESULT RaiseError(EXCEPINFO* info, const std::string& description);

// IDispatch's type-information members, which the stand-ins do not offer.
template <typename Base> class TNoTypeInfo : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
};

} // namespace velk::test
