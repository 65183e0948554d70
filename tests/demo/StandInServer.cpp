#include "demo/StandInServer.h"

#include <fstream>
#include <sstream>

namespace velk::test {

namespace {

std::string Environment(const char* name) {
    char value[MAX_PATH * 2] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

std::string Text(const CLSID& clsid) {
    wchar_t wide[64];
    StringFromGUID2(clsid, wide, 64);
    char text[64];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

bool SetKey(const std::string& key, const char* name, const std::string& value) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result =
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD(value.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

class TFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* standIn = CreateStandIn();
        const HRESULT hr = standIn->QueryInterface(iid, object);
        standIn->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TFactory factory;

std::string ModulePath() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&factory), &module);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

} // namespace

void LogCall(const std::string& line) {
    std::ofstream(Environment("KORVX_STANDIN_LOG"), std::ios::binary | std::ios::app)
        << line << "\n";
}

std::vector<std::vector<std::string>> ScriptLines() {
    std::vector<std::vector<std::string>> lines;
    std::ifstream script(Environment("KORVX_STANDIN_SCRIPT"), std::ios::binary);
    std::string line;
    while (std::getline(script, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (!fields.empty())
            lines.push_back(fields);
    }
    return lines;
}

std::string Narrow(const VARIANT& text) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&text), 0, VT_BSTR)))
        return "?";
    char narrow[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, copy.bstrVal, -1, narrow, sizeof narrow, nullptr, nullptr);
    VariantClear(&copy);
    return narrow;
}

BSTR WideCopy(const std::string& text) {
    wchar_t wide[4096] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 4096);
    return SysAllocString(wide);
}

HRESULT RaiseError(EXCEPINFO* info, const std::string& description) {
    if (info) {
        *info = {};
        info->bstrSource = WideCopy(StandInProgId);
        info->bstrDescription = WideCopy(description);
        info->scode = E_FAIL;
    }
    return DISP_E_EXCEPTION;
}

} // namespace velk::test

using velk::test::StandInClsid;
using velk::test::StandInProgId;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!IsEqualCLSID(clsid, StandInClsid)) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return velk::test::factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    using namespace velk::test;
    const std::string clsid = Text(StandInClsid);
    const std::string key = "CLSID\\" + clsid;
    const bool ok = SetKey(StandInProgId + std::string("\\CLSID"), nullptr, clsid) &&
                    SetKey(key + "\\ProgID", nullptr, StandInProgId) &&
                    SetKey(key + "\\InprocServer32", nullptr, ModulePath()) &&
                    SetKey(key + "\\InprocServer32", "ThreadingModel", "Apartment");
    return ok ? S_OK : E_FAIL;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    using namespace velk::test;
    const std::string key = "CLSID\\" + Text(StandInClsid);
    for (const std::string& sub :
         {key + "\\InprocServer32", key + "\\ProgID", key, StandInProgId + std::string("\\CLSID"),
          std::string(StandInProgId)})
        RegDeleteKeyA(HKEY_CLASSES_ROOT, sub.c_str());
    return S_OK;
}
