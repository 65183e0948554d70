#include "setup/MainWnd.h"

#include "platform/epUtils.h"

namespace velk {

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance, HICON icon) {
    const UINT styles = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;
    WNDCLASSEXA extended = {sizeof extended, styles, MainWindowProc, 0,       0,
                            instance,        icon,   nullptr,        nullptr, nullptr,
                            MainWindowClass, nullptr};
    if (!RegisterClassExA(&extended)) {
        WNDCLASSA plain = {styles, MainWindowProc, 0,       0,       instance,
                           icon,   nullptr,        nullptr, nullptr, MainWindowClass};
        if (!RegisterClassA(&plain)) {
            ShowError("Cannot register main window class!");
            return nullptr;
        }
    }
    return CreateWindowExA(0, MainWindowClass, "",
                           WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 0, 0, 0,
                           nullptr, nullptr, instance, nullptr);
}

} // namespace velk
