// Stand-in for MapInfo's automation object ("MapInfo.Application"): logs every call and answers
// from the script.
//   log lines      Do<TAB>statement, Eval<TAB>expression, RunMenuCommand<TAB>n, Visible<TAB>0|-1
//   script lines   eval<TAB>expression<TAB>value       ("{map}" in value: the map window handle;
//                                                        several for one expression answer in
//                                                        turn, the last one from then on)
//                  fail<TAB>Do|Eval<TAB>text<TAB>message
//                  fire<TAB>id<TAB>callback<TAB>arg...  (r:1.5 single, i:7 long, s:text string)
// "Create ButtonPad"/"Create Menu" statements register their ID; "Run Menu Command ID n" fails
// for an ID none registered and otherwise calls the callbacks of the fire lines for n, in
// order, on the object handed to SetCallback. "Set Next Document Parent h..." creates the map
// window, 40 x 30 at (5, 5) inside window h.
#include "demo/StandInServer.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace velk::test {

// {8E4B2D71-3C5A-4F9E-B1D6-7A2C9E0F4B13}
const CLSID StandInClsid = {
    0x8e4b2d71, 0x3c5a, 0x4f9e, {0xb1, 0xd6, 0x7a, 0x2c, 0x9e, 0x0f, 0x4b, 0x13}};
const char StandInProgId[] = "MapInfo.Application";

namespace {

enum : DISPID { IdDo = 1, IdEval, IdRunMenuCommand, IdVisible, IdSetCallback };

const struct {
    const wchar_t* Name;
    DISPID Id;
} Members[] = {{L"Do", IdDo},
               {L"Eval", IdEval},
               {L"RunMenuCommand", IdRunMenuCommand},
               {L"Visible", IdVisible},
               {L"SetCallback", IdSetCallback}};

bool StartsWith(const std::string& text, const char* head) {
    return text.rfind(head, 0) == 0;
}

// The number after the marker in the statement, or -1.
long NumberAfter(const std::string& text, const char* marker) {
    const size_t at = text.find(marker);
    return at == std::string::npos ? -1
                                   : std::strtol(text.c_str() + at + strlen(marker), nullptr, 10);
}

VARIANT Argument(const std::string& field) {
    VARIANT value;
    VariantInit(&value);
    const std::string text = field.size() > 2 ? field.substr(2) : "";
    if (StartsWith(field, "r:")) {
        value.vt = VT_R4;
        value.fltVal = std::strtof(text.c_str(), nullptr);
    } else if (StartsWith(field, "i:")) {
        value.vt = VT_I4;
        value.lVal = std::strtol(text.c_str(), nullptr, 10);
    } else {
        value.vt = VT_BSTR;
        value.bstrVal = WideCopy(text);
    }
    return value;
}

class TMapInfo final : public TNoTypeInfo<IDispatch> {
public:
    ~TMapInfo() {
        if (callback_)
            callback_->Release();
        if (map_)
            DestroyWindow(map_);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
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
        for (const auto& member : Members)
            if (count == 1 && _wcsicmp(names[0], member.Name) == 0) {
                ids[0] = member.Id;
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (id == IdVisible && (flags & DISPATCH_PROPERTYGET)) {
            result->vt = VT_BOOL;
            result->boolVal = visible_;
            return S_OK;
        }
        if (!params || params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT& arg = params->rgvarg[0];
        switch (id) {
        case IdDo:
            return Do(Narrow(arg), info);
        case IdEval:
            return Eval(Narrow(arg), result, info);
        case IdRunMenuCommand:
            LogCall("RunMenuCommand\t" + Narrow(arg));
            return S_OK;
        case IdVisible:
            visible_ = arg.vt == VT_BOOL && arg.boolVal ? VARIANT_TRUE : VARIANT_FALSE;
            LogCall(std::string("Visible\t") + (visible_ ? "-1" : "0"));
            return S_OK;
        case IdSetCallback:
            if (arg.vt != VT_DISPATCH || !arg.pdispVal)
                return DISP_E_TYPEMISMATCH;
            if (callback_)
                callback_->Release();
            callback_ = arg.pdispVal;
            callback_->AddRef();
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    const std::vector<std::string>* Scripted(const char* kind, const char* call,
                                             const std::string& text) const {
        for (const auto& line : script_)
            if (line.size() >= 3 && line[0] == kind && (!call || line[1] == call) &&
                line[call ? 2 : 1] == text)
                return &line;
        return nullptr;
    }

    HRESULT Do(const std::string& statement, EXCEPINFO* info) {
        LogCall("Do\t" + statement);
        if (const auto* fail = Scripted("fail", "Do", statement))
            return RaiseError(info, fail->size() > 3 ? (*fail)[3] : "failed");
        if (StartsWith(statement, "Create ButtonPad ") || StartsWith(statement, "Create Menu "))
            registered_.insert(NumberAfter(statement, " ID "));
        if (StartsWith(statement, "Set Next Document Parent "))
            CreateMapWindow(NumberAfter(statement, "Parent "));
        if (StartsWith(statement, "Run Menu Command ID "))
            return RunMenuItem(NumberAfter(statement, " ID "), info);
        return S_OK;
    }

    HRESULT Eval(const std::string& expression, VARIANT* result, EXCEPINFO* info) {
        LogCall("Eval\t" + expression);
        if (const auto* fail = Scripted("fail", "Eval", expression))
            return RaiseError(info, fail->size() > 3 ? (*fail)[3] : "failed");
        std::vector<const std::string*> answers;
        for (const auto& line : script_)
            if (line.size() >= 3 && line[0] == "eval" && line[1] == expression)
                answers.push_back(&line[2]);
        if (answers.empty())
            return RaiseError(info, "no answer for " + expression);
        size_t& turn = turns_[expression];
        std::string value = *answers[std::min(turn++, answers.size() - 1)];
        const size_t map = value.find("{map}");
        if (map != std::string::npos)
            value.replace(map, 5, std::to_string(reinterpret_cast<UINT_PTR>(map_)));
        if (result) {
            result->vt = VT_BSTR;
            result->bstrVal = WideCopy(value);
        }
        return S_OK;
    }

    HRESULT RunMenuItem(long id, EXCEPINFO* info) {
        if (!registered_.count(id))
            return RaiseError(info, "no custom item has ID " + std::to_string(id));
        for (const auto& line : script_) {
            if (line.size() < 3 || line[0] != "fire" || std::atol(line[1].c_str()) != id)
                continue;
            std::vector<VARIANT> args;
            for (size_t i = line.size(); i-- > 3;)
                args.push_back(Argument(line[i]));
            const HRESULT hr = Call(line[2], args);
            for (VARIANT& arg : args)
                VariantClear(&arg);
            if (FAILED(hr))
                return RaiseError(info, line[2] + " callback failed");
        }
        return S_OK;
    }

    HRESULT Call(const std::string& name, std::vector<VARIANT>& args) {
        if (!callback_)
            return E_POINTER;
        BSTR wide = WideCopy(name);
        DISPID id = 0;
        HRESULT hr = callback_->GetIDsOfNames(IID_NULL, &wide, 1, 0, &id);
        SysFreeString(wide);
        if (FAILED(hr))
            return hr;
        DISPPARAMS params = {args.data(), nullptr, UINT(args.size()), 0};
        return callback_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr);
    }

    void CreateMapWindow(long parent) {
        if (map_)
            DestroyWindow(map_);
        map_ = CreateWindowExA(0, "STATIC", "map", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 40, 30,
                               reinterpret_cast<HWND>(static_cast<UINT_PTR>(parent)), nullptr,
                               nullptr, nullptr);
    }

    ULONG references_ = 1;
    VARIANT_BOOL visible_ = VARIANT_FALSE;
    IDispatch* callback_ = nullptr;
    HWND map_ = nullptr;
    std::set<long> registered_;
    std::map<std::string, size_t> turns_;
    const std::vector<std::vector<std::string>> script_ = ScriptLines();
};

} // namespace

IUnknown* CreateStandIn() {
    return new TMapInfo;
}

} // namespace velk::test
