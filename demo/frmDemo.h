#pragma once

#include "demo/Automation.h"
#include "demo/CallError.h"
#include "demo/DemoEvent.h"
#include "demo/EventSink.h"
#include "demo/StatusPanels.h"
#include "platform/win/WindowsSupport.h"

#include <string>

namespace velk::demo {

inline constexpr char FormCaption[] = "Korvel ActiveX Demo Application ";
inline constexpr char FormClass[] = "KorvelDemoForm";
inline constexpr char MapperClass[] = "KorvelDemoMapper";

// The demo's one window: toolbar, the picture box MapInfo's map window lives in, the message
// list and the status bar, with MapInfo and the KorvelX control behind them.
class TfrmDemo {
public:
    TfrmDemo();
    ~TfrmDemo();
    TfrmDemo(const TfrmDemo&) = delete;
    TfrmDemo& operator=(const TfrmDemo&) = delete;

    static bool Register(HINSTANCE instance);
    // Creates the window and its controls, hidden.
    bool Create(HINSTANCE instance);
    // Form load: false when MapInfo or the control cannot be had at all, which the user is told.
    bool Load();
    void Show(int showCommand);
    void Trace(const std::string& message);

private:
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MapperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // frmDemo.cpp: the window side.
    void LayOut();
    void MoveMapWindow();
    void ShowStatusPanels();
    void ShowError(const ECallFailed& error);
    bool Fatal(const ECallFailed& error, const char* what);

    // frmDemoActions.cpp: what the form does with MapInfo.
    void SendLoadStatements();
    void OnCommand(int command);
    void OpenTable();
    void OnEvent(const TDemoEvent& event);
    void Unload();

    HWND form_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND mapper_ = nullptr;
    HWND messages_ = nullptr;
    HWND status_ = nullptr;

    TMapInfoApp mapInfo_;
    TAutoObject control_;
    TEventSink sink_;
    TStatusPanels panels_;
    std::string mapWindowId_ = "-1"; // as MapInfo gave it; -1 while there is no map window
    uint32_t mapWindow_ = 0;
};

} // namespace velk::demo
