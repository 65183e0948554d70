#pragma once

#include "demo/ObjectWalk.h"
#include "platform/win/WindowsSupport.h"

#include <oaidl.h>

#include <string>
#include <vector>

namespace velk::demo {

// Text between the system code page and automation strings.
std::wstring Wide(const std::string& text);
std::string Narrow(const wchar_t* text, size_t length);

// The system's text for an HRESULT, or its number when the system has none.
std::string ErrorText(HRESULT hr);

// One automation object reached by late binding. Every failure throws ECallFailed naming the
// call as "Name(argument)".
class TAutoObject {
public:
    TAutoObject() = default;
    TAutoObject(const TAutoObject&) = delete;
    TAutoObject& operator=(const TAutoObject&) = delete;
    ~TAutoObject() { Release(); }

    static IDispatch* Create(const wchar_t* progId);

    IDispatch* Get() const { return object_; }
    // Takes over one reference of the object.
    void Reset(IDispatch* object) {
        Release();
        object_ = object;
    }
    void Release();

    // Invokes the member with the arguments (first first); the result, when one is asked for,
    // is the caller's to clear.
    void Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                const std::string& call);

private:
    IDispatch* object_ = nullptr;
};

// MapInfo's application object: the four members the demo uses.
class TMapInfoApp : public TMapBasic {
public:
    void Start(); // creates "MapInfo.Application"
    void Do(const std::string& statement) override;
    std::string Eval(const std::string& expression) override;
    void RunMenuCommand(int command);
    void SetVisible(bool visible);
    IDispatch* Object() const { return app_.Get(); }
    void Release() { app_.Release(); }

private:
    TAutoObject app_;
};

} // namespace velk::demo
