// Runs korvx_demo.exe against the stand-ins and watches it from outside its process: the
// stand-ins' log, and its windows through their messages (texts of another process are read
// through a buffer placed in that process).
#pragma once

#include "platform/win/WindowsSupport.h"

#include <string>
#include <vector>

namespace velk::test {

// Registers (or unregisters) one stand-in DLL in this prefix; true on success.
bool RegisterStandIn(const char* dll, bool on = true);

class TDemoRun {
public:
    TDemoRun() = default;
    TDemoRun(const TDemoRun&) = delete;
    TDemoRun& operator=(const TDemoRun&) = delete;
    ~TDemoRun();

    // Starts the demo with the stand-ins' script and waits until its window shows; false when
    // the window did not come.
    bool Start(const std::string& script);
    // Waits for the program to end; its exit code, or -1 when it did not end in time.
    long WaitExit(DWORD milliseconds);

    // The stand-ins' log since the last call.
    std::vector<std::string> NewLog();
    // The message list, read through the list box's messages.
    std::vector<std::string> Messages() const;
    int SelectedMessage() const;
    // Sends WM_COMMAND as a toolbar click does.
    void Command(int command) const;
    // Clicks the toolbar button at the index with the mouse messages.
    void Click(int index) const;
    // The text the toolbar's tooltip gets for the command's button.
    std::string Tooltip(int command) const;
    // The status bar's parts and texts; empty in simple mode.
    std::vector<std::string> StatusTexts() const;

    HWND Form = nullptr, Toolbar = nullptr, Mapper = nullptr, List = nullptr, Status = nullptr;
    PROCESS_INFORMATION Process = {};

private:
    // Sends the message with a buffer in the demo's process as lParam and reads it back.
    std::string Remote(HWND window, UINT message, WPARAM wParam, size_t size) const;

    std::string log_;
    size_t logRead_ = 0;
};

} // namespace velk::test
