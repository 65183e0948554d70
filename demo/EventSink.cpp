#include "demo/EventSink.h"

#include "demo/Automation.h"
#include "demo/CallError.h"
#include "demo/KorvelXEvents.h"

#include <oleauto.h>

namespace velk::demo {

void TEventSink::Connect(IDispatch* control) {
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container));
    if (SUCCEEDED(hr)) {
        hr = container->FindConnectionPoint(DIID_DKorvelXEvents, &point_);
        container->Release();
    }
    if (SUCCEEDED(hr))
        hr = point_->Advise(this, &cookie_);
    if (FAILED(hr)) {
        Disconnect();
        throw ECallFailed("Advise(KorvelX events)", ErrorText(hr));
    }
}

void TEventSink::Disconnect() {
    if (point_ && cookie_)
        point_->Unadvise(cookie_);
    if (point_)
        point_->Release();
    point_ = nullptr;
    cookie_ = 0;
}

HRESULT TEventSink::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID_DKorvelXEvents)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT TEventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT TEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT TEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

namespace {

// Reads the argument into the type; arguments arrive last first.
bool Read(const DISPPARAMS& params, unsigned index, VARTYPE type, VARIANT& value) {
    VariantInit(&value);
    const VARIANT& source = params.rgvarg[params.cArgs - 1 - index];
    return SUCCEEDED(VariantChangeType(&value, const_cast<VARIANT*>(&source), 0, type));
}

bool ReadEvent(const TKorvelXEventInfo& info, const DISPPARAMS& params, TDemoEvent& event,
               UINT& bad) {
    event.Kind = info.Kind;
    float* points[] = {&event.X1, &event.Y1, &event.X2, &event.Y2};
    const unsigned pointCount = info.ArgCount == 7 ? 4 : info.ArgCount == 5 ? 2 : 0;
    const bool withText =
        info.Kind == TEventKind::StatusPanelText || info.Kind == TEventKind::TextNotification;
    for (unsigned i = 0; i < info.ArgCount; ++i) {
        const bool extra = pointCount && i >= pointCount && i + 1 < info.ArgCount;
        if (extra)
            continue;
        const bool text = withText && i + 1 == info.ArgCount;
        VARIANT value;
        if (!Read(params, i, i < pointCount ? VT_R4 : text ? VT_BSTR : VT_I4, value)) {
            bad = params.cArgs - 1 - i;
            return false;
        }
        if (i < pointCount)
            *points[i] = value.fltVal;
        else if (text)
            event.Text = Narrow(value.bstrVal, SysStringLen(value.bstrVal));
        else
            event.Id = value.lVal;
        VariantClear(&value);
    }
    return true;
}

} // namespace

HRESULT TEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                           UINT* argError) {
    for (const TKorvelXEventInfo& info : KorvelXEvents) {
        if (info.Id != id)
            continue;
        if (!params || params->cArgs != info.ArgCount || params->cNamedArgs)
            return DISP_E_BADPARAMCOUNT;
        TDemoEvent event;
        UINT bad = 0;
        if (!ReadEvent(info, *params, event, bad)) {
            if (argError)
                *argError = bad;
            return DISP_E_TYPEMISMATCH;
        }
        try {
            handler_(event);
        } catch (...) {
            return E_UNEXPECTED;
        }
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace velk::demo
