#pragma once

#include "demo/DemoEvent.h"
#include "platform/win/WindowsSupport.h"

#include <ocidl.h>

#include <functional>

namespace velk::demo {

using TEventHandler = std::function<void(const TDemoEvent&)>;

// Receives the KorvelX control's events through its connection point and hands them, with their
// arguments read, to the handler. No exception of the handler crosses back into the control.
class TEventSink : public IDispatch {
public:
    explicit TEventSink(TEventHandler handler) : handler_(std::move(handler)) {}
    TEventSink(const TEventSink&) = delete;
    TEventSink& operator=(const TEventSink&) = delete;

    // Connects to the control's event source; throws ECallFailed.
    void Connect(IDispatch* control);
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    // The form owns the sink; the count only keeps COM's rules.
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT* argError) override;

private:
    TEventHandler handler_;
    ULONG references_ = 1;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

} // namespace velk::demo
