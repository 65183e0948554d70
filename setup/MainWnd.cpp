#include "setup/MainWnd.h"

#include "platform/win/WindowsSupport.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

constexpr UINT kClassStyle = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
static_assert(kClassStyle == 0x0203 && kWindowStyle == 0x00CD0000);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != PluginEventMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    // The sending thread waits for the answer; nothing may unwind into the system's code.
    try {
        return ServeMarshalledEvent(wParam);
    } catch (...) {
        return 0;
    }
}

bool RegisterMainClass(HINSTANCE instance) {
    WNDCLASSA plain = {};
    plain.style = kClassStyle;
    plain.lpfnWndProc = MainWindowProc;
    plain.hInstance = instance;
    plain.hIcon = LoadIconA(instance, "MAINICON");
    WNDCLASSEXA extended = {};
    extended.cbSize = sizeof extended;
    extended.style = plain.style;
    extended.lpfnWndProc = plain.lpfnWndProc;
    extended.hInstance = plain.hInstance;
    extended.hIcon = plain.hIcon;
    extended.lpszClassName = plain.lpszClassName = MainWindowClass;
    return RegisterClassExA(&extended) != 0 || RegisterClassA(&plain) != 0 ||
           GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

TWindowHandle CreateMainWindow(TModuleHandle instance) {
    if (!RegisterMainClass(instance)) {
        ShowError("Cannot register main window class!");
        return nullptr;
    }
    return CreateWindowExA(0, MainWindowClass, "", kWindowStyle, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

void DestroyMainWindow(TWindowHandle window) {
    if (window != nullptr)
        DestroyWindow(window);
}

} // namespace velk
