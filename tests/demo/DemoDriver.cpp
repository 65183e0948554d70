#include "demo/DemoDriver.h"

#include "harness/WinPackageTest.h"

#include <commctrl.h>

namespace velk::test {

namespace {

constexpr DWORD SendTimeout = 30000;

std::string TempFile(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

struct TFind {
    DWORD Process;
    HWND Form;
};

BOOL CALLBACK FindForm(HWND window, LPARAM lParam) {
    auto* find = reinterpret_cast<TFind*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (process == find->Process && std::string(name) == "KorvelDemoForm" &&
        IsWindowVisible(window)) {
        find->Form = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool RegisterStandIn(const char* dll, bool on) {
    const HMODULE module = LoadLibraryA(dll);
    if (!module)
        return false;
    using TEntry = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<TEntry>(
        GetProcAddress(module, on ? "DllRegisterServer" : "DllUnregisterServer"));
    const bool done = entry && SUCCEEDED(entry());
    FreeLibrary(module);
    return done;
}

TDemoRun::~TDemoRun() {
    if (Process.hProcess) {
        if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(Process.hProcess, 99);
        CloseHandle(Process.hProcess);
        CloseHandle(Process.hThread);
    }
}

bool TDemoRun::Start(const std::string& script) {
    const std::string scriptPath = TempFile("korvx-script.txt");
    const std::string logPath = TempFile("korvx-log.txt");
    WriteBytes(scriptPath, script);
    DeleteFileA(logPath.c_str());
    SetEnvironmentVariableA("KORVX_STANDIN_SCRIPT", scriptPath.c_str());
    SetEnvironmentVariableA("KORVX_STANDIN_LOG", logPath.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = "\"" KORVX_DEMO_EXE "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &Process))
        return false;
    TFind find = {Process.dwProcessId, nullptr};
    for (int i = 0; i < 400 && !find.Form; ++i) {
        if (WaitForSingleObject(Process.hProcess, 50) != WAIT_TIMEOUT)
            return false;
        EnumWindows(FindForm, reinterpret_cast<LPARAM>(&find));
    }
    Form = find.Form;
    if (!Form)
        return false;
    Toolbar = FindWindowExA(Form, nullptr, TOOLBARCLASSNAMEA, nullptr);
    Mapper = FindWindowExA(Form, nullptr, "KorvelDemoMapper", nullptr);
    List = FindWindowExA(Form, nullptr, "ListBox", nullptr);
    Status = FindWindowExA(Form, nullptr, STATUSCLASSNAMEA, nullptr);
    return Toolbar && Mapper && List && Status;
}

long TDemoRun::WaitExit(DWORD milliseconds) {
    DWORD code = 0;
    if (WaitForSingleObject(Process.hProcess, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(Process.hProcess, &code))
        return -1;
    return long(code);
}

std::vector<std::string> TDemoRun::NewLog() {
    const std::string all = ReadBytes(TempFile("korvx-log.txt"));
    std::vector<std::string> lines;
    for (size_t at = logRead_, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(all.substr(at, end - at));
        logRead_ = end + 1;
    }
    return lines;
}

std::vector<std::string> TDemoRun::Messages() const {
    // Wine hands the text of another process's list box back as UTF-16 whatever was asked.
    std::vector<std::string> lines;
    const LRESULT count = SendMessageW(List, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring wide(size_t(SendMessageW(List, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        wide.resize(size_t(SendMessageW(List, LB_GETTEXT, i, LPARAM(wide.data()))));
        std::string line(wide.size() * 2, '\0');
        line.resize(size_t(WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()),
                                               line.data(), int(line.size()), nullptr, nullptr)));
        lines.push_back(line);
    }
    return lines;
}

int TDemoRun::SelectedMessage() const {
    return int(SendMessageA(List, LB_GETCURSEL, 0, 0));
}

void TDemoRun::Command(int command) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Form, WM_COMMAND, WPARAM(command), 0, SMTO_NORMAL, SendTimeout, &result);
}

void TDemoRun::Click(int index) const {
    const std::string bytes = Remote(Toolbar, TB_GETITEMRECT, WPARAM(index), sizeof(RECT));
    RECT rect;
    memcpy(&rect, bytes.data(), sizeof rect);
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, SendTimeout, &result);
    SendMessageTimeoutA(Toolbar, WM_LBUTTONUP, 0, at, SMTO_NORMAL, SendTimeout, &result);
}

std::string TDemoRun::Tooltip(int command) const {
    // The tool's record and the room for its text, both in the demo's process; the tooltip
    // asks the toolbar, which asks the form.
    struct TBlock {
        TTTOOLINFOA Info;
        char Text[256];
    } block = {};
    auto* remote = static_cast<TBlock*>(
        VirtualAllocEx(Process.hProcess, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE));
    if (!remote)
        return "";
    block.Info.cbSize = sizeof block.Info;
    block.Info.hwnd = Toolbar;
    block.Info.uId = UINT_PTR(command);
    block.Info.lpszText = remote->Text;
    WriteProcessMemory(Process.hProcess, remote, &block, sizeof block, nullptr);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND(SendMessageA(Toolbar, TB_GETTOOLTIPS, 0, 0)), TTM_GETTEXTA,
                        sizeof block.Text, LPARAM(remote), SMTO_NORMAL, SendTimeout, &result);
    ReadProcessMemory(Process.hProcess, remote, &block, sizeof block, nullptr);
    VirtualFreeEx(Process.hProcess, remote, 0, MEM_RELEASE);
    block.Text[sizeof block.Text - 1] = '\0';
    return block.Text;
}

std::vector<std::string> TDemoRun::StatusTexts() const {
    std::vector<std::string> texts;
    if (SendMessageA(Status, SB_ISSIMPLE, 0, 0))
        return texts;
    const LRESULT parts = SendMessageA(Status, SB_GETPARTS, 0, 0);
    for (LRESULT i = 0; i < parts; ++i) {
        const size_t length = LOWORD(SendMessageA(Status, SB_GETTEXTLENGTHA, i, 0));
        texts.push_back(Remote(Status, SB_GETTEXTA, WPARAM(i), length + 1).c_str());
    }
    return texts;
}

std::string TDemoRun::Remote(HWND window, UINT message, WPARAM wParam, size_t size) const {
    void* buffer = VirtualAllocEx(Process.hProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    std::string bytes(size, '\0');
    if (!buffer)
        return bytes;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, LPARAM(buffer), SMTO_NORMAL, SendTimeout, &result);
    ReadProcessMemory(Process.hProcess, buffer, bytes.data(), size, nullptr);
    VirtualFreeEx(Process.hProcess, buffer, 0, MEM_RELEASE);
    return bytes;
}

} // namespace velk::test
