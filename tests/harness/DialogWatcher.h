#pragma once

#include "platform/win/WindowsSupport.h"

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velk::test {

// What a watcher saw of one dialog box (message boxes in particular).
struct TDialogSeen {
    bool Found = false;
    std::string Caption;
    std::string Text;         // the text control, id 0xFFFF
    std::vector<int> Buttons; // ids of the standard buttons present, IDOK to IDCONTINUE
    std::string Icon;         // "stop", "exclamation", "question", "information", "none", "unknown"
    HWND Owner = nullptr;
    std::string OwnerCaption;
    DWORD ExStyle = 0;   // extended window style (topmost, ...)
    RECT Rect = {};      // the box on the screen
    RECT WorkArea = {};  // the desktop work area as the watcher saw it
    int Pressed = 0;     // the button pressed (the first one when the box lacks the one asked)
    bool Closed = false; // the box went away after the press
};

// Waits for a top-level dialog (class "#32770") with the caption, records it and presses the
// button (0: none). Works on boxes of this process or any other one in the same session.
// inspect, when given, runs while the box is up, before the press.
using TInspect = std::function<void(HWND box)>;
TDialogSeen WatchDialog(const std::string& caption, int button, DWORD timeoutMs,
                        const TInspect& inspect = {});

// WatchDialog on a background thread, so the calling thread can show the box.
class TDialogWatcher {
public:
    TDialogWatcher(std::string caption, int button, DWORD timeoutMs, TInspect inspect = {});
    TDialogWatcher(const TDialogWatcher&) = delete;
    TDialogWatcher& operator=(const TDialogWatcher&) = delete;
    ~TDialogWatcher();
    // Waits for the watch to end.
    const TDialogSeen& Result();

private:
    TDialogSeen seen_;
    std::thread thread_;
};

// "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO", "CLOSE", "HELP", "TRYAGAIN",
// "CONTINUE" (any case) and their ids; 0 / "" for anything else.
int ButtonId(std::string_view name);
std::string ButtonName(int id);

} // namespace velk::test
