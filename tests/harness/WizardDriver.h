// Drives the standard wizard of a running setup.exe from another thread or process with window
// messages, as a user would press its buttons.
#pragma once

#include "platform/win/WindowsSupport.h"
#include "wizard/WizardIds.h"

#include <functional>
#include <string>

namespace velk::test {

// WM_GETTEXT itself: GetWindowText does not ask the controls of another process.
inline std::string WindowTextOf(HWND window) {
    char text[1024] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Polls until done, at most timeoutMs.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (done())
            return true;
        Sleep(20);
    }
    return false;
}

// Waits for a message box that the window owns (the wizard's own boxes bear its caption), presses
// the button and waits for the box to go; the box's text, "" when none came.
inline std::string AnswerBox(HWND owner, int button, DWORD timeoutMs = 30000) {
    HWND box = nullptr;
    const bool shown = WaitUntil(
        [&] {
            for (box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box;
                 box = FindWindowExA(nullptr, box, "#32770", nullptr))
                if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box))
                    return true;
            return false;
        },
        timeoutMs);
    if (!shown)
        return "";
    const std::string text = WindowTextOf(GetDlgItem(box, 0xFFFF));
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

// The wizard window with the caption, one page at a time.
class TWizardDriver {
public:
    explicit TWizardDriver(std::string caption) : caption_(std::move(caption)) {}

    // Waits for the page with the heading to be shown.
    bool Page(const std::string& heading, DWORD timeoutMs = 30000) {
        return WaitUntil(
            [&] {
                frame_ = FindWindowA("#32770", caption_.c_str());
                return frame_ && IsWindowVisible(frame_) &&
                       WindowTextOf(GetDlgItem(frame_, IDC_HEADING)) == heading;
            },
            timeoutMs);
    }
    // A control of the frame or of the page shown.
    HWND Control(int id) const {
        if (HWND own = GetDlgItem(frame_, id))
            return own;
        for (HWND page = GetWindow(frame_, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
            if (IsWindowVisible(page) && GetDlgItem(page, id))
                return GetDlgItem(page, id);
        return nullptr;
    }
    HWND Frame() const { return frame_; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)); }
    // Waits for the button to be enabled, then presses it.
    bool Press(int id) const {
        if (!WaitUntil([&] { return Enabled(id); }, 5000))
            return false;
        PostMessageA(Control(id), BM_CLICK, 0, 0);
        return true;
    }
    std::string Text(int id) const { return WindowTextOf(Control(id)); }
    void Type(int id, const std::string& text) const {
        SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Choose(int comboId, int index) const {
        HWND combo = Control(comboId);
        SendMessageA(combo, CB_SETCURSEL, index, 0);
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }

private:
    std::string caption_;
    HWND frame_ = nullptr;
};

} // namespace velk::test
