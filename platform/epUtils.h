#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The system's window and module handle types, declared without the system headers.
struct HWND__;
struct HINSTANCE__;

namespace velk {

using TWindowHandle = ::HWND__*;
using TModuleHandle = ::HINSTANCE__*;

enum TOSKind : uint8_t { osWin32s, osWin95, osWin98, osWinNT, osWin2000, osWinMe, osWinXP };

struct TOSVersion {
    TOSKind Kind = osWin32s;
    int32_t Major = 0;
    int32_t Minor = 0;
    std::string Version; // "5.01", "4.10", but "5.0"
    int32_t Build = 0;   // low 16 bits only on the 9x family
    std::string ServicePack;
    std::string Description; // "Windows XP 5.01.2600 Service Pack 3"
};

// The running system, described once at the first call.
const TOSVersion& OSVersion();

bool IsWin9xFamily(const TOSVersion& os);

// Settings the setup driver and the language store fill in.
extern std::string MessageTitle; // caption of error and warning boxes; empty: "Error"/"Warning"
extern uint32_t MessageBoxFlags; // combined into every message box
extern TWindowHandle MainWindowHandle; // its last active pop-up owns error and warning boxes

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

std::string GetWindowsFolder();
std::string GetSystemFolder();
// The system's temporary folder with a trailing backslash; the Windows folder's "Temp\" on the
// 9x family, "C:\Temp\" elsewhere, when none is configured. Not created here.
std::string GetTempFolder();
// Every NAME=value entry of the process environment, in order.
void GetEnvironmentList(std::vector<std::string>& strings);

// A task-modal message box centred on the work area; the button chosen, 0 on failure.
int MessageBoxCentered(TWindowHandle owner, const std::string& caption, const std::string& text,
                       uint32_t type);
void ShowError(const std::string& text);
void ShowWarning(const std::string& text);

// Centres the window on the work area, kept on the screen; size, z-order and activation stay.
void CenterWindow(TWindowHandle handle);
void GetScreenSize(int32_t& width, int32_t& height);
TRect GetWorkArea();
void RedrawNow(TWindowHandle handle);
// Dispatches every pending message of the thread, then yields 1 ms; a quit message is taken
// from the queue and ends the drain without the pause.
void ProcessMessages();
// Loads a library without the system's critical-error boxes; null on failure.
TModuleHandle LoadLibraryQuiet(const std::string& fileName);

// Portable pieces of the above.

TOSVersion DescribeOSVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                             std::string_view servicePack);
// Where CenterWindow puts a window: left and top of the moved rectangle.
TRect CenteredWindowRect(const TRect& workArea, const TRect& window, int32_t screenWidth,
                         int32_t screenHeight);
// GetTempFolder's choice from what the system reported (tempPath empty when it failed).
std::string ChooseTempFolder(std::string_view tempPath, std::string_view currentFolder,
                             bool win9xFamily, std::string_view windowsFolder);
// The entries of an environment block: zero-terminated texts closed by an empty one.
std::vector<std::string> SplitEnvironmentBlock(const char* block);

} // namespace velk
