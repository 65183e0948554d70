#include "demo/Automation.h"

#include "demo/CallError.h"

#include <oleauto.h>

namespace velk::demo {

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* text, size_t length) {
    if (length == 0)
        return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, int(length), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::string ErrorText(HRESULT hr) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(hr), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    char number[32];
    wsprintfA(number, "error 0x%08lX", static_cast<unsigned long>(hr));
    return text.empty() ? number : text + " (" + number + ")";
}

namespace {

// The reason an Invoke failed: the object's own description when it raised an exception.
std::string InvokeFailure(HRESULT hr, EXCEPINFO& info) {
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    std::string reason;
    if (hr == DISP_E_EXCEPTION && info.bstrDescription)
        reason = Narrow(info.bstrDescription, SysStringLen(info.bstrDescription));
    const HRESULT code = hr == DISP_E_EXCEPTION && info.scode ? info.scode : hr;
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return reason.empty() ? ErrorText(code) : reason;
}

} // namespace

IDispatch* TAutoObject::Create(const wchar_t* progId) {
    const std::string call = "CreateObject(" + Narrow(progId, wcslen(progId)) + ")";
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    IDispatch* object = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object));
    if (FAILED(hr))
        throw ECallFailed(call, ErrorText(hr));
    return object;
}

void TAutoObject::Release() {
    if (object_)
        object_->Release();
    object_ = nullptr;
}

void TAutoObject::Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                         VARIANT* result, const std::string& call) {
    if (!object_)
        throw ECallFailed(call, "the object is not there");
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        throw ECallFailed(call, ErrorText(hr));
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), nullptr, UINT(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info = {};
    UINT argError = 0;
    hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info,
                         &argError);
    if (FAILED(hr))
        throw ECallFailed(call, InvokeFailure(hr, info));
}

void TMapInfoApp::Start() {
    app_.Reset(TAutoObject::Create(L"MapInfo.Application"));
}

namespace {

// A string argument that frees itself.
class TBstrArg {
public:
    explicit TBstrArg(const std::string& text) {
        const std::wstring wide = Wide(text);
        value_.vt = VT_BSTR;
        value_.bstrVal = SysAllocStringLen(wide.data(), UINT(wide.size()));
    }
    ~TBstrArg() { VariantClear(&value_); }
    TBstrArg(const TBstrArg&) = delete;
    TBstrArg& operator=(const TBstrArg&) = delete;
    const VARIANT& Get() const { return value_; }

private:
    VARIANT value_ = {};
};

} // namespace

void TMapInfoApp::Do(const std::string& statement) {
    TBstrArg arg(statement);
    app_.Invoke(L"Do", DISPATCH_METHOD, {arg.Get()}, nullptr, "Do(" + statement + ")");
}

std::string TMapInfoApp::Eval(const std::string& expression) {
    const std::string call = "Eval(" + expression + ")";
    TBstrArg arg(expression);
    VARIANT result;
    VariantInit(&result);
    app_.Invoke(L"Eval", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {arg.Get()}, &result, call);
    const HRESULT hr = VariantChangeType(&result, &result, 0, VT_BSTR);
    if (FAILED(hr)) {
        VariantClear(&result);
        throw ECallFailed(call, ErrorText(hr));
    }
    std::string text = Narrow(result.bstrVal, SysStringLen(result.bstrVal));
    VariantClear(&result);
    return text;
}

void TMapInfoApp::RunMenuCommand(int command) {
    VARIANT arg;
    arg.vt = VT_I4;
    arg.lVal = command;
    app_.Invoke(L"RunMenuCommand", DISPATCH_METHOD, {arg}, nullptr,
                "RunMenuCommand(" + std::to_string(command) + ")");
}

void TMapInfoApp::SetVisible(bool visible) {
    VARIANT arg;
    arg.vt = VT_BOOL;
    arg.boolVal = visible ? VARIANT_TRUE : VARIANT_FALSE;
    app_.Invoke(L"Visible", DISPATCH_PROPERTYPUT, {arg}, nullptr,
                std::string("Visible(") + (visible ? "True" : "False") + ")");
}

} // namespace velk::demo
