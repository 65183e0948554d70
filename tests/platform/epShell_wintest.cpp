#include "platform/epShell.h"

#include "WinScratch.h"
#include "harness/DialogWatcher.h"
#include "harness/FaultInjection.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/win/epShellApi.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

namespace velk {
namespace {

using test::BesideTest;
using test::TScratchFolder;

std::string Probe() {
    return BesideTest("velk_probe_1_2_3_4.exe");
}

TEST(RunAndWaitTest, ProgramsRunDirectlyWithTheirExitCode) {
    TScratchFolder scratch;
    EXPECT_EQ(RunAndWait(nullptr, Probe(), "exit 7", SW_SHOWNORMAL, ""), 7);
    std::string out = scratch / "report.txt";
    EXPECT_EQ(RunAndWait(nullptr, Probe(), "report \"" + out + "\" extra ", SW_SHOWMINNOACTIVE,
                         " \"" + scratch.Path() + "\" "),
              0);
    auto report = test::ReadKeyValues(out);
    EXPECT_EQ(report["cmdline"], "\"" + Probe() + "\" report \"" + out + "\" extra");
    EXPECT_TRUE(SameText(report["folder"], scratch.Path()));
    EXPECT_EQ(report["flags"], "1");
    EXPECT_EQ(report["show"], std::to_string(SW_SHOWMINNOACTIVE));
    // Batch files are started directly too.
    std::string batch = scratch / "three.bat";
    test::WriteBytes(batch, "@exit /b 3\r\n");
    EXPECT_EQ(RunAndWait(nullptr, batch, "", SW_HIDE, ""), 3);
}

// Documents of a type whose open command is the probe (in this test's own registry).
void RegisterDocumentType(const std::string& extension, const std::string& command) {
    std::string type = "Velk" + extension.substr(1);
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, extension.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type.c_str()),
                     DWORD(type.size() + 1));
    ::RegCloseKey(key);
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, (type + "\\shell\\open\\command").c_str(), 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     DWORD(command.size() + 1));
    ::RegCloseKey(key);
}

TEST(RunAndWaitTest, DocumentsGoThroughTheShell) {
    TScratchFolder scratch;
    std::string out = scratch / "opened.txt";
    RegisterDocumentType(".txt", "\"" + Probe() + "\" report \"" + out + "\" \"%1\"");
    RegisterDocumentType(".velkexit", "\"" + Probe() + "\" exit 9");
    std::string document = scratch / "readme.txt";
    test::WriteBytes(document, "text");
    EXPECT_EQ(RunAndWait(nullptr, document, "", SW_SHOWNORMAL, ""), 0);
    EXPECT_NE(test::ReadKeyValues(out)["cmdline"].find(document), std::string::npos);
    test::WriteBytes(scratch / "x.velkexit", "");
    EXPECT_EQ(RunAndWait(nullptr, scratch / "x.velkexit", "", SW_SHOWNORMAL, ""), 9);
    // A quoted program name is no existing file: the shell starts it.
    EXPECT_EQ(RunAndWait(nullptr, "\"" + Probe() + "\"", "exit 6", SW_SHOWNORMAL, ""), 6);
}

TEST(RunAndWaitTest, ShortcutsAreResolvedByTheShell) {
    TScratchFolder scratch;
    std::string link = scratch / "probe.lnk", out = scratch / "linked.txt";
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    IShellLinkA* shellLink = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&shellLink))));
    shellLink->SetPath(Probe().c_str());
    shellLink->SetArguments(("report \"" + out + "\"").c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    wchar_t wide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
    file->Release();
    shellLink->Release();
    ::CoUninitialize();
    // The shell starts the target; whether it hands the process back is its own affair (Wine
    // does not, and then there is nothing to wait for).
    int32_t code = RunAndWait(nullptr, link, "", SW_SHOWNORMAL, "");
    for (int i = 0; i < 100 && !test::Exists(out); ++i)
        ::Sleep(50);
    EXPECT_TRUE(test::Exists(out));
    EXPECT_TRUE(code == 0 || code == -1) << code;
}

TEST(RunAndWaitTest, NothingStartedIsMinusOne) {
    TScratchFolder scratch;
    // The shell tells the user itself.
    test::TDialogWatcher watcher("Error", IDOK, 10000);
    EXPECT_EQ(RunAndWait(nullptr, scratch / "missing.exe", "", SW_SHOWNORMAL, ""), -1);
    EXPECT_TRUE(watcher.Result().Found);
}

// A window that records the messages it is sent.
std::vector<UINT> received;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER)
        received.push_back(message);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

TEST(RunAndWaitTest, MessagesFlowWhileWaiting) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "VelkRecording";
    ::RegisterClassA(&wc);
    HWND window =
        ::CreateWindowA("VelkRecording", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    received.clear();
    ::PostMessageA(window, WM_USER + 5, 0, 0);
    EXPECT_EQ(RunAndWait(window, Probe(), "sleep 400 2", SW_HIDE, ""), 2);
    EXPECT_EQ(received, std::vector<UINT>{WM_USER + 5});
    ::DestroyWindow(window);
}

TEST(RunAndWaitTest, FailingCallsAndHandles) {
    test::TTableRestore<TShellApi> restore(ShellApi);
    VELK_FAULT_SLOT(ShellApi, CreateProcessA)::Install(FALSE);
    VELK_FAULT_SLOT(ShellApi, ShellExecuteExA)::Install(FALSE);
    VELK_FAULT_SLOT(ShellApi, WaitForSingleObject)::Install(WAIT_FAILED);
    VELK_FAULT_SLOT(ShellApi, GetExitCodeProcess)::Install(FALSE);
    VELK_FAULT_SLOT(ShellApi, CloseHandle)::Install(FALSE, false);
    int runs = test::SweepFaults([] { return RunAndWait(nullptr, Probe(), "exit 7", SW_HIDE, ""); },
                                 [](int n, int32_t code, bool failed) {
                                     // Nothing started; started but not waited for, or its code
                                     // unknown; or all well.
                                     EXPECT_EQ(code, n == 1 ? -1 : failed ? 0 : 7) << n;
                                     // Thread and process handle, both closed.
                                     EXPECT_EQ(VELK_FAULT_SUCCESSES(ShellApi, CloseHandle),
                                               2 * VELK_FAULT_SUCCESSES(ShellApi, CreateProcessA))
                                         << n;
                                 });
    EXPECT_GE(runs, 4);
    test::TScratchFolder scratch;
    test::WriteBytes(scratch / "x.velkexit", "");
    test::FaultPlan.FailAt = test::FaultPlan.Calls + 1;
    EXPECT_EQ(RunAndWait(nullptr, scratch / "x.velkexit", "", SW_HIDE, ""), -1);
}

TEST(SpecialFolderTest, PathsOfTheShell) {
    for (int i = 0; i < PredefinedFolderCount; ++i) {
        char expected[MAX_PATH] = "";
        ::SHGetFolderPathA(nullptr, PredefinedFolders[i].Primary, nullptr, 0, expected);
        EXPECT_EQ(GetPredefinedFolder(i), expected) << PredefinedFolders[i].Name;
        EXPECT_EQ(GetSpecialFolder(PredefinedFolders[i].Primary), expected);
    }
    EXPECT_NE(GetSpecialFolder(CSIDL_PERSONAL), "");
    EXPECT_EQ(GetSpecialFolder(0x7E), "");
    EXPECT_EQ(GetPredefinedFolder(-1), "");
    EXPECT_EQ(GetPredefinedFolder(PredefinedFolderCount), "");
}

// A shell without all-users folders.
HRESULT WINAPI NoCommonFolders(HWND owner, int id, LPITEMIDLIST* list) {
    if (id >= CSIDL_COMMON_STARTMENU && id <= CSIDL_COMMON_DESKTOPDIRECTORY)
        return E_FAIL;
    return ::SHGetSpecialFolderLocation(owner, id, list);
}

int freedLists = 0;
void WINAPI CountFree(LPVOID memory) {
    ++freedLists;
    ::CoTaskMemFree(memory);
}

TEST(SpecialFolderTest, CommonFoldersFallBackToTheUsersOwn) {
    test::TTableRestore<TShellApi> restore(ShellApi);
    ShellApi.SHGetSpecialFolderLocation = NoCommonFolders;
    ShellApi.CoTaskMemFree = CountFree;
    EXPECT_EQ(GetSpecialFolder(CSIDL_COMMON_STARTMENU), "");
    EXPECT_EQ(GetPredefinedFolder(10), GetSpecialFolder(CSIDL_STARTMENU));
    EXPECT_EQ(GetPredefinedFolder(11), GetSpecialFolder(CSIDL_PROGRAMS));
    EXPECT_EQ(GetPredefinedFolder(12), GetSpecialFolder(CSIDL_STARTUP));
    EXPECT_EQ(GetPredefinedFolder(13), GetSpecialFolder(CSIDL_DESKTOPDIRECTORY));
    EXPECT_NE(GetPredefinedFolder(10), "");
    // Every item list the shell handed out was freed, also when its path was not given.
    freedLists = 0;
    VELK_FAULT_SLOT(ShellApi, SHGetPathFromIDListA)::Install(FALSE);
    test::FaultPlan.FailAt = 1;
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), "");
    EXPECT_EQ(freedLists, 1);
}

} // namespace
} // namespace velk
