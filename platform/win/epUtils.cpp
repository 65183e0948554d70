#include "platform/epUtils.h"

#include "platform/win/ScopedHandle.h"
#include "platform/win/WindowsSupport.h"
#include "platform/win/epUtilsApi.h"

#include <type_traits>

namespace velk {

static_assert(std::is_same_v<TWindowHandle, HWND> && std::is_same_v<TModuleHandle, HMODULE>);

TUtilsApi UtilsApi;

TOSVersion QueryOSVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!UtilsApi.GetVersionExA(&info))
        return TOSVersion{};
    return DescribeOSVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                             info.dwBuildNumber, info.szCSDVersion);
}

const TOSVersion& OSVersion() {
    static const TOSVersion os = QueryOSVersion();
    return os;
}

namespace {

// A system folder query that fills a buffer of MAX_PATH; empty on failure.
template <typename Query> std::string FolderFrom(Query query) {
    char buffer[MAX_PATH];
    UINT n = query(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(buffer, n);
}

} // namespace

std::string GetWindowsFolder() {
    return FolderFrom([](char* b, UINT n) { return UtilsApi.GetWindowsDirectoryA(b, n); });
}

std::string GetSystemFolder() {
    return FolderFrom([](char* b, UINT n) { return UtilsApi.GetSystemDirectoryA(b, n); });
}

std::string GetTempFolder() {
    std::string temp = FolderFrom([](char* b, UINT n) { return UtilsApi.GetTempPathA(n, b); });
    std::string current =
        FolderFrom([](char* b, UINT n) { return UtilsApi.GetCurrentDirectoryA(n, b); });
    bool win9x = IsWin9xFamily(OSVersion());
    return ChooseTempFolder(temp, current, win9x, win9x ? GetWindowsFolder() : std::string());
}

void GetEnvironmentList(std::vector<std::string>& strings) {
    strings.clear();
    struct TBlock {
        using Type = char*;
        static char* Invalid() { return nullptr; }
        static void Close(char* block) { UtilsApi.FreeEnvironmentStringsA(block); }
    };
    TScoped<TBlock> block(UtilsApi.GetEnvironmentStrings());
    strings = SplitEnvironmentBlock(block.Get());
}

namespace {

// The hook of the box being shown; it removes itself once it has centred the box.
HHOOK centeringHook = nullptr;

// Some systems activate a box without owner before it has laid itself out; such a box is
// centred once more when it is about to show, through its window procedure.
HWND subclassedBox = nullptr;
WNDPROC boxProcedure = nullptr;
bool centredWhenShown = false;

void RestoreBoxProcedure() {
    if (subclassedBox != nullptr &&
        UtilsApi.SetWindowLongA(subclassedBox, GWL_WNDPROC, reinterpret_cast<LONG>(boxProcedure)) !=
            0)
        subclassedBox = nullptr;
}

LRESULT CALLBACK CenterWhenShown(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = boxProcedure;
    if (message == WM_SHOWWINDOW && wParam && !centredWhenShown) {
        centredWhenShown = true;
        CenterWindow(box);
        RestoreBoxProcedure();
    } else if (message == WM_NCDESTROY) {
        RestoreBoxProcedure();
    }
    return ::CallWindowProcA(procedure, box, message, wParam, lParam);
}

LRESULT CALLBACK CenterOnActivate(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = centeringHook;
    if (code != HCBT_ACTIVATE)
        return ::CallNextHookEx(hook, code, wParam, lParam);
    HWND box = reinterpret_cast<HWND>(wParam);
    CenterWindow(box);
    if (!::IsWindowVisible(box) && subclassedBox == nullptr) {
        centredWhenShown = false;
        boxProcedure = reinterpret_cast<WNDPROC>(
            UtilsApi.SetWindowLongA(box, GWL_WNDPROC, reinterpret_cast<LONG>(CenterWhenShown)));
        if (boxProcedure != nullptr)
            subclassedBox = box;
    }
    LRESULT result = ::CallNextHookEx(hook, code, wParam, lParam);
    centeringHook = nullptr;
    UtilsApi.UnhookWindowsHookEx(hook);
    return result;
}

// Takes back what is left of the centring once the box has gone: the hook when the box was
// never activated, the window procedure when it was never shown.
struct TCenteringHookOwner {
    TCenteringHookOwner(const TCenteringHookOwner&) = delete;
    TCenteringHookOwner& operator=(const TCenteringHookOwner&) = delete;
    explicit TCenteringHookOwner(HHOOK hook) { centeringHook = hook; }
    ~TCenteringHookOwner() {
        if (centeringHook != nullptr)
            UtilsApi.UnhookWindowsHookEx(centeringHook);
        centeringHook = nullptr;
        if (subclassedBox != nullptr && ::IsWindow(subclassedBox))
            RestoreBoxProcedure();
        subclassedBox = nullptr;
    }
};

} // namespace

int MessageBoxCentered(TWindowHandle owner, const std::string& caption, const std::string& text,
                       uint32_t type) {
    TCenteringHookOwner hook(
        UtilsApi.SetWindowsHookExA(WH_CBT, CenterOnActivate, nullptr, ::GetCurrentThreadId()));
    return UtilsApi.MessageBoxA(owner, text.c_str(), caption.c_str(),
                                type | MB_TASKMODAL | MessageBoxFlags);
}

static void ShowBox(const std::string& text, const char* defaultCaption, uint32_t icon) {
    HWND owner =
        MainWindowHandle != nullptr ? UtilsApi.GetLastActivePopup(MainWindowHandle) : nullptr;
    MessageBoxCentered(owner, MessageTitle.empty() ? defaultCaption : MessageTitle, text, icon);
}

void ShowError(const std::string& text) {
    ShowBox(text, "Error", MB_ICONSTOP);
}

void ShowWarning(const std::string& text) {
    ShowBox(text, "Warning", MB_ICONEXCLAMATION);
}

void GetScreenSize(int32_t& width, int32_t& height) {
    width = UtilsApi.GetSystemMetrics(SM_CXSCREEN);
    height = UtilsApi.GetSystemMetrics(SM_CYSCREEN);
}

TRect GetWorkArea() {
    RECT area;
    if (UtilsApi.SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        return TRect{area.left, area.top, area.right, area.bottom};
    // Without an answer the whole screen is the work area.
    TRect screen;
    GetScreenSize(screen.Right, screen.Bottom);
    return screen;
}

void CenterWindow(TWindowHandle handle) {
    RECT window;
    if (!UtilsApi.GetWindowRect(handle, &window))
        return;
    int32_t screenWidth, screenHeight;
    GetScreenSize(screenWidth, screenHeight);
    TRect placed = CenteredWindowRect(GetWorkArea(),
                                      TRect{window.left, window.top, window.right, window.bottom},
                                      screenWidth, screenHeight);
    UtilsApi.SetWindowPos(handle, nullptr, placed.Left, placed.Top, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawNow(TWindowHandle handle) {
    UtilsApi.RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void ProcessMessages() {
    MSG message;
    while (UtilsApi.PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::Sleep(1);
}

TModuleHandle LoadLibraryQuiet(const std::string& fileName) {
    UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    HMODULE module = UtilsApi.LoadLibraryA(fileName.c_str());
    ::SetErrorMode(previous);
    return module;
}

} // namespace velk
