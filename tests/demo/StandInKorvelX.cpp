// Stand-in for the KorvelX control ("KorvelXControl.KorvelX"): given the MapInfo object through
// its property, it hands MapInfo itself as the callback object (and lets go of MapInfo, so that
// neither keeps the other alive); every callback MapInfo then makes by an event's name is raised
// with the same arguments as that event to every connected sink.
#include "demo/KorvelXEvents.h"
#include "demo/StandInServer.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace velk::test {

// {3F7A1C94-6B2E-4D08-8C5F-1E9B7A2D6C30}
const CLSID StandInClsid = {
    0x3f7a1c94, 0x6b2e, 0x4d08, {0x8c, 0x5f, 0x1e, 0x9b, 0x7a, 0x2d, 0x6c, 0x30}};
const char StandInProgId[] = "KorvelXControl.KorvelX";

namespace {

using velk::demo::DIID_DKorvelXEvents;
using velk::demo::KorvelXEvents;

constexpr DISPID IdApplication = 100;

class TKorvelX final : public TNoTypeInfo<IDispatch>,
                       public IConnectionPointContainer,
                       public IConnectionPoint {
public:
    ~TKorvelX() {
        for (IDispatch* sink : sinks_)
            if (sink)
                sink->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
            *object = static_cast<IDispatch*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *object = static_cast<IConnectionPointContainer*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (!left)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count == 1 && _wcsicmp(names[0], velk::demo::KorvelXApplicationProperty) == 0) {
            ids[0] = IdApplication;
            return S_OK;
        }
        for (const auto& event : KorvelXEvents)
            if (count == 1 && _wcsicmp(names[0], event.Name) == 0) {
                ids[0] = event.Id;
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO* info, UINT*) override {
        if (id == IdApplication) {
            if (!(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) || !params ||
                params->cArgs != 1 || params->rgvarg[0].vt != VT_DISPATCH)
                return DISP_E_TYPEMISMATCH;
            return Attach(params->rgvarg[0].pdispVal, info);
        }
        HRESULT result = S_OK;
        for (IDispatch* sink : std::vector<IDispatch*>(sinks_))
            if (sink) {
                const HRESULT hr = sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr,
                                                nullptr, nullptr);
                if (FAILED(hr))
                    result = hr;
            }
        return result;
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        *point = nullptr;
        if (!IsEqualIID(iid, DIID_DKorvelXEvents))
            return CONNECT_E_NOCONNECTION;
        *point = this;
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = DIID_DKorvelXEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override {
        *c = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        IDispatch* events = nullptr;
        if (FAILED(sink->QueryInterface(DIID_DKorvelXEvents, reinterpret_cast<void**>(&events))))
            return CONNECT_E_CANNOTCONNECT;
        sinks_.push_back(events);
        *cookie = DWORD(sinks_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1])
            return CONNECT_E_NOCONNECTION;
        sinks_[cookie - 1]->Release();
        sinks_[cookie - 1] = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    HRESULT Attach(IDispatch* mapInfo, EXCEPINFO* info) {
        LPOLESTR name = const_cast<LPOLESTR>(L"SetCallback");
        DISPID id = 0;
        VARIANT self;
        self.vt = VT_DISPATCH;
        self.pdispVal = static_cast<IDispatch*>(this);
        DISPPARAMS params = {&self, nullptr, 1, 0};
        if (FAILED(mapInfo->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) ||
            FAILED(mapInfo->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                   nullptr)))
            return RaiseError(info, "MapInfo took no callback");
        return S_OK;
    }

    ULONG references_ = 1;
    std::vector<IDispatch*> sinks_;
};

} // namespace

IUnknown* CreateStandIn() {
    return static_cast<IDispatch*>(new TKorvelX);
}

} // namespace velk::test
