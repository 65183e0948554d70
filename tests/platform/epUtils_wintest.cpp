#include "platform/epUtils.h"

#include "WinScratch.h"
#include "harness/DialogWatcher.h"
#include "harness/FaultInjection.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/win/epUtilsApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace velk {
namespace {

using test::TDialogSeen;
using test::TDialogWatcher;
using test::TScratchFolder;

// What the probe reports of OSVersion while Wine pretends to be the given Windows version.
std::map<std::string, std::string> ProbeOSVersion(const char* wineVersion) {
    HKEY key;
    EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER,
                                "Software\\Wine\\AppDefaults\\velk_probe_plain.exe", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(wineVersion),
                     DWORD(strlen(wineVersion) + 1));
    ::RegCloseKey(key);
    TScratchFolder scratch;
    std::string out = scratch / "os.txt";
    EXPECT_EQ(test::RunProgram("\"" + test::BesideTest("velk_probe_plain.exe") + "\" osversion \"" +
                               out + "\""),
              0);
    return test::ReadKeyValues(out);
}

TEST(OSVersionTest, EmulatedWindowsVersions) {
    struct {
        const char* wine;
        const char *kind, *version, *build, *sp, *description;
    } cases[] = {
        {"winxp", "6", "5.01", "2600", "Service Pack 3", "Windows XP 5.01.2600 Service Pack 3"},
        {"win2k", "4", "5.0", "2195", "Service Pack 4", "Windows 2000 5.0.2195 Service Pack 4"},
        {"nt40", "3", "4.0", "1381", "Service Pack 6a", "Windows NT 4.0.1381 Service Pack 6a"},
        // The 9x build number keeps its low word only; the blanks around " A " are trimmed
        // from the description but kept in the service-pack text.
        {"win98", "2", "4.10", "2222", " A ", "Windows 98 4.10.2222  A"},
        {"win95", "1", "4.0", "950", "", "Windows 95 4.0.0950"},
    };
    for (const auto& c : cases) {
        auto os = ProbeOSVersion(c.wine);
        EXPECT_EQ(os["kind"], c.kind) << c.wine;
        EXPECT_EQ(os["version"], c.version) << c.wine;
        EXPECT_EQ(os["build"], c.build) << c.wine;
        EXPECT_EQ(os["sp"], c.sp) << c.wine;
        EXPECT_EQ(os["desc"], c.description) << c.wine;
    }
}

TEST(OSVersionTest, DescribedOnceFromTheSystem) {
    const TOSVersion& os = OSVersion();
    EXPECT_EQ(&os, &OSVersion());
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(::GetVersionExA(&info));
    EXPECT_EQ(os.Major, int32_t(info.dwMajorVersion));
    EXPECT_EQ(os.Build, int32_t(info.dwBuildNumber));
    EXPECT_EQ(os.ServicePack, info.szCSDVersion);
    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    VELK_FAULT_SLOT(UtilsApi, GetVersionExA)::Install(FALSE);
    test::FaultPlan.FailAt = 1;
    TOSVersion unknown = QueryOSVersion();
    EXPECT_EQ(unknown.Kind, osWin32s);
    EXPECT_EQ(unknown.Description, "");
}

TEST(SystemFolderTest, WindowsSystemAndTemp) {
    EXPECT_TRUE(SameText(GetWindowsFolder(), "C:\\windows"));
    EXPECT_TRUE(SameText(GetSystemFolder(), "C:\\windows\\system32"));
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(GetTempFolder(), IncludeTrailingBackslash(temp));

    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    VELK_FAULT_SLOT(UtilsApi, GetWindowsDirectoryA)::Install(0);
    VELK_FAULT_SLOT(UtilsApi, GetSystemDirectoryA)::Install(0);
    VELK_FAULT_SLOT(UtilsApi, GetTempPathA)::Install(0);
    test::FaultPlan.FailAt = 1;
    EXPECT_EQ(GetWindowsFolder(), "");
    test::FaultPlan = {0, 1};
    EXPECT_EQ(GetSystemFolder(), "");
    // Without a temporary folder of its own the system is given the fixed one.
    test::FaultPlan = {0, 1};
    EXPECT_EQ(GetTempFolder(), "C:\\Temp\\");
}

DWORD WINAPI TempIsCurrentFolder(DWORD size, LPSTR buffer) {
    return ::GetCurrentDirectoryA(size, buffer);
}

TEST(SystemFolderTest, TempThatIsTheCurrentFolderIsNoTempFolder) {
    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    UtilsApi.GetTempPathA = TempIsCurrentFolder;
    EXPECT_EQ(GetTempFolder(), "C:\\Temp\\");
}

TEST(EnvironmentTest, EveryEntryInOrder) {
    ::SetEnvironmentVariableA("VELK_TEST_ENTRY", "a=b c");
    std::vector<std::string> entries = {"stale"};
    GetEnvironmentList(entries);
    EXPECT_NE(std::find(entries.begin(), entries.end(), "VELK_TEST_ENTRY=a=b c"), entries.end());
    EXPECT_EQ(std::find(entries.begin(), entries.end(), "stale"), entries.end());
    char* block = ::GetEnvironmentStrings();
    EXPECT_EQ(entries, SplitEnvironmentBlock(block));
    ::FreeEnvironmentStringsA(block);

    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    VELK_FAULT_SLOT(UtilsApi, GetEnvironmentStrings)::Install(nullptr);
    VELK_FAULT_SLOT(UtilsApi, FreeEnvironmentStringsA)::Install(FALSE, false);
    test::FaultPlan.FailAt = 1;
    GetEnvironmentList(entries);
    EXPECT_TRUE(entries.empty());
    GetEnvironmentList(entries);
    EXPECT_FALSE(entries.empty());
    EXPECT_EQ(VELK_FAULT_SUCCESSES(UtilsApi, GetEnvironmentStrings),
              VELK_FAULT_SUCCESSES(UtilsApi, FreeEnvironmentStringsA));
}

// Windows on the test's desktop, with a work area that is not the whole screen, so that a box
// centred on it is told apart from one centred on the screen.
class DesktopTest : public testing::Test {
protected:
    static constexpr RECT Area = {100, 50, 700, 550};
    void SetUp() override {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &savedArea_, 0);
        RECT area = Area;
        ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0));
        MessageTitle.clear();
        MessageBoxFlags = 0;
        MainWindowHandle = nullptr;
    }
    void TearDown() override {
        ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &savedArea_, 0);
        for (HWND window : windows_)
            ::DestroyWindow(window);
        MessageTitle.clear();
        MessageBoxFlags = 0;
        MainWindowHandle = nullptr;
    }
    HWND Window(const char* caption, int x, int y, int width, int height, HWND owner = nullptr,
                DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        HWND window = ::CreateWindowExA(0, "STATIC", caption, style, x, y, width, height, owner,
                                        nullptr, nullptr, nullptr);
        windows_.push_back(window);
        return window;
    }
    static void ExpectCentredOnArea(const RECT& r) {
        int width = r.right - r.left, height = r.bottom - r.top;
        EXPECT_EQ(r.left, Area.left + (Area.right - Area.left - width) / 2);
        EXPECT_EQ(r.top, Area.top + (Area.bottom - Area.top - height) / 2);
    }

    RECT savedArea_ = {};
    std::vector<HWND> windows_;
};

TEST_F(DesktopTest, MessageBoxCenteredShowsAndAnswers) {
    HWND owner = Window("Velk owner", 10, 10, 200, 150);
    TDialogWatcher watcher("Velk question", IDNO, 5000);
    int answer = MessageBoxCentered(owner, "Velk question", "First line\nSecond line",
                                    MB_YESNOCANCEL | MB_ICONQUESTION);
    const TDialogSeen& seen = watcher.Result();
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.Text, "First line\nSecond line");
    EXPECT_EQ(seen.Buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(seen.Icon, "question");
    EXPECT_EQ(seen.Owner, owner);
    EXPECT_EQ(seen.ExStyle & WS_EX_TOPMOST, 0u);
    ExpectCentredOnArea(seen.Rect);
}

UINT shownType = 0;
int WINAPI RecordMessageBox(HWND, LPCSTR, LPCSTR, UINT type) {
    shownType = type;
    return IDRETRY;
}

TEST_F(DesktopTest, MessageBoxIsTaskModalWithTheModuleFlags) {
    HWND other = Window("Velk other", 10, 10, 200, 150);
    bool otherEnabled = true;
    TDialogWatcher watcher("Velk modal", IDOK, 5000,
                           [&](HWND) { otherEnabled = ::IsWindowEnabled(other) != FALSE; });
    EXPECT_EQ(MessageBoxCentered(nullptr, "Velk modal", "text", MB_OK), IDOK);
    const TDialogSeen& seen = watcher.Result();
    ASSERT_TRUE(seen.Found);
    EXPECT_FALSE(otherEnabled);
    EXPECT_EQ(seen.Icon, "none");
    EXPECT_TRUE(::IsWindowEnabled(other));
    ExpectCentredOnArea(seen.Rect);

    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    UtilsApi.MessageBoxA = RecordMessageBox;
    MessageBoxFlags = MB_SETFOREGROUND | MB_TOPMOST;
    EXPECT_EQ(MessageBoxCentered(nullptr, "Velk modal", "text", MB_RETRYCANCEL | MB_ICONHAND),
              IDRETRY);
    EXPECT_EQ(shownType,
              UINT(MB_RETRYCANCEL | MB_ICONHAND | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST));
}

TEST_F(DesktopTest, BoxTallerThanTheScreenStartsAtTheTop) {
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "line\n";
    TDialogWatcher watcher("Velk tall", IDOK, 5000);
    MessageBoxCentered(nullptr, "Velk tall", text, MB_OK);
    const TDialogSeen& seen = watcher.Result();
    ASSERT_TRUE(seen.Found);
    ASSERT_GT(seen.Rect.bottom - seen.Rect.top, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(seen.Rect.top, 0);
}

TEST_F(DesktopTest, ErrorAndWarningBoxes) {
    HWND main = Window("Velk main", 0, 0, 100, 100);
    HWND popup = Window("Velk popup", 20, 20, 100, 100, main, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    ::SetActiveWindow(popup);
    MainWindowHandle = main;
    {
        TDialogWatcher watcher("Error", IDOK, 5000);
        ShowError("Something failed");
        const TDialogSeen& seen = watcher.Result();
        ASSERT_TRUE(seen.Found);
        EXPECT_EQ(seen.Text, "Something failed");
        EXPECT_EQ(seen.Icon, "stop");
        EXPECT_EQ(seen.Buttons, std::vector<int>{IDOK});
        EXPECT_EQ(seen.Owner, popup);
        ExpectCentredOnArea(seen.Rect);
    }
    {
        TDialogWatcher watcher("Warning", IDOK, 5000);
        ShowWarning("Careful");
        const TDialogSeen& seen = watcher.Result();
        ASSERT_TRUE(seen.Found);
        EXPECT_EQ(seen.Icon, "exclamation");
        EXPECT_EQ(seen.Text, "Careful");
    }
    MessageTitle = "Velk Application";
    MainWindowHandle = nullptr;
    for (auto show : {ShowError, ShowWarning}) {
        TDialogWatcher watcher("Velk Application", IDOK, 5000);
        show("titled");
        const TDialogSeen& seen = watcher.Result();
        ASSERT_TRUE(seen.Found);
        EXPECT_EQ(seen.Owner, nullptr);
    }
}

TEST_F(DesktopTest, HookFailuresNeverKeepTheBoxFromTheUser) {
    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    VELK_FAULT_SLOT(UtilsApi, SetWindowsHookExA)::Install(nullptr);
    VELK_FAULT_SLOT(UtilsApi, MessageBoxA)::Install(0);
    VELK_FAULT_SLOT(UtilsApi, UnhookWindowsHookEx)::Install(FALSE, false);
    VELK_FAULT_SLOT(UtilsApi, SetWindowLongA)::Install(0);
    int runs = test::SweepFaults(
        [&] {
            TDialogWatcher watcher("Velk hooked", IDCANCEL, 3000);
            int answer = MessageBoxCentered(nullptr, "Velk hooked", "text", MB_OKCANCEL);
            return std::make_pair(answer, watcher.Result());
        },
        [&](int n, const std::pair<int, TDialogSeen>& result, bool) {
            // Calls: the hook, the box, taking over the box's window procedure (a box without
            // owner is laid out after its activation here) and giving it back. The hook is
            // always removed and the box shown unless it failed itself; it is centred unless
            // the hook or the takeover failed.
            EXPECT_EQ(VELK_FAULT_SUCCESSES(UtilsApi, SetWindowsHookExA),
                      VELK_FAULT_SUCCESSES(UtilsApi, UnhookWindowsHookEx))
                << n;
            EXPECT_EQ(result.first, n == 2 ? 0 : IDCANCEL) << n;
            EXPECT_EQ(result.second.Found, n != 2) << n;
            if (n >= 4)
                ExpectCentredOnArea(result.second.Rect);
        });
    EXPECT_EQ(runs, 5);
}

TEST_F(DesktopTest, CenterWindowKeepsTheWindowOnTheScreen) {
    HWND window = Window("Velk centred", 5, 5, 200, 100);
    CenterWindow(window);
    RECT r;
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 250);
    EXPECT_EQ(r.right - r.left, 200);
    int32_t width, height;
    GetScreenSize(width, height);
    EXPECT_EQ(width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(height, ::GetSystemMetrics(SM_CYSCREEN));
    ::SetWindowPos(window, nullptr, 5, 5, width + 50, 100, SWP_NOZORDER);
    CenterWindow(window);
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 250);
    TRect area = GetWorkArea();
    EXPECT_EQ(area.Left, Area.left);
    EXPECT_EQ(area.Bottom, Area.bottom);

    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    VELK_FAULT_SLOT(UtilsApi, SystemParametersInfoA)::Install(FALSE);
    VELK_FAULT_SLOT(UtilsApi, GetWindowRect)::Install(FALSE);
    test::FaultPlan.FailAt = 1;
    area = GetWorkArea();
    EXPECT_EQ(area.Left, 0);
    EXPECT_EQ(area.Right, width);
    ::SetWindowPos(window, nullptr, 5, 5, 200, 100, SWP_NOZORDER);
    test::FaultPlan = {0, 1};
    CenterWindow(window);
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 5);
}

// A window that counts what it is sent.
int paints = 0;
std::vector<UINT> dispatched;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        ++paints;
    if (message >= WM_USER)
        dispatched.push_back(message);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND CountingWindow(DWORD visible) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = "VelkCounting";
    ::RegisterClassA(&wc);
    return ::CreateWindowA("VelkCounting", "Velk counting", WS_OVERLAPPEDWINDOW | visible, 0, 0,
                           100, 100, nullptr, nullptr, nullptr, nullptr);
}

TEST(MessageTest, RedrawNowPaintsAtOnce) {
    HWND window = CountingWindow(WS_VISIBLE);
    ::UpdateWindow(window);
    int before = paints;
    RedrawNow(window);
    EXPECT_EQ(paints, before + 1);
    ::DestroyWindow(window);
}

TEST(MessageTest, ProcessMessagesDrainsAndStopsAtQuit) {
    // Hidden, so that no paint request is pending.
    HWND window = CountingWindow(0);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&m);
    dispatched.clear();
    for (UINT message : {WM_USER + 1, WM_USER + 2})
        ::PostMessageA(window, message, 0, 0);
    ProcessMessages();
    EXPECT_EQ(dispatched, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    dispatched.clear();
    ::PostMessageA(window, WM_USER + 3, 0, 0);
    ::PostMessageA(window, WM_QUIT, 0, 0);
    ::PostMessageA(window, WM_USER + 4, 0, 0);
    ProcessMessages();
    EXPECT_EQ(dispatched, std::vector<UINT>{WM_USER + 3});
    ASSERT_TRUE(::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, UINT(WM_USER + 4));
    ::DestroyWindow(window);
}

UINT modeDuringLoad = 0;
decltype(&::LoadLibraryA) realLoadLibrary;
HMODULE WINAPI LoadNotingErrorMode(LPCSTR name) {
    modeDuringLoad = ::SetErrorMode(0);
    ::SetErrorMode(modeDuringLoad);
    return realLoadLibrary(name);
}

TEST(LoadLibraryQuietTest, NoErrorBoxesWhileLoading) {
    test::TTableRestore<TUtilsApi> restore(UtilsApi);
    realLoadLibrary = UtilsApi.LoadLibraryA;
    UtilsApi.LoadLibraryA = LoadNotingErrorMode;
    ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    TModuleHandle module = LoadLibraryQuiet("version.dll");
    EXPECT_NE(module, nullptr);
    EXPECT_EQ(modeDuringLoad, UINT(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(::SetErrorMode(0), UINT(SEM_NOGPFAULTERRORBOX));
    ::FreeLibrary(module);
    EXPECT_EQ(LoadLibraryQuiet("velk-missing.dll"), nullptr);
}

} // namespace
} // namespace velk
