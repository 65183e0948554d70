#pragma once

#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

namespace velk {

static_assert(sizeof(TWindowHandle) == sizeof(HWND));

// The system calls of the OS, window and message-box helpers; tests replace entries to make
// them fail.
struct TUtilsApi {
    decltype(&::GetVersionExA) GetVersionExA = ::GetVersionExA;
    decltype(&::GetWindowsDirectoryA) GetWindowsDirectoryA = ::GetWindowsDirectoryA;
    decltype(&::GetSystemDirectoryA) GetSystemDirectoryA = ::GetSystemDirectoryA;
    decltype(&::GetTempPathA) GetTempPathA = ::GetTempPathA;
    decltype(&::GetCurrentDirectoryA) GetCurrentDirectoryA = ::GetCurrentDirectoryA;
    decltype(&::GetEnvironmentStrings) GetEnvironmentStrings = ::GetEnvironmentStrings;
    decltype(&::FreeEnvironmentStringsA) FreeEnvironmentStringsA = ::FreeEnvironmentStringsA;
    decltype(&::SetWindowsHookExA) SetWindowsHookExA = ::SetWindowsHookExA;
    decltype(&::UnhookWindowsHookEx) UnhookWindowsHookEx = ::UnhookWindowsHookEx;
    decltype(&::MessageBoxA) MessageBoxA = ::MessageBoxA;
    decltype(&::GetLastActivePopup) GetLastActivePopup = ::GetLastActivePopup;
    decltype(&::SystemParametersInfoA) SystemParametersInfoA = ::SystemParametersInfoA;
    decltype(&::GetSystemMetrics) GetSystemMetrics = ::GetSystemMetrics;
    decltype(&::GetWindowRect) GetWindowRect = ::GetWindowRect;
    decltype(&::SetWindowPos) SetWindowPos = ::SetWindowPos;
    decltype(&::SetWindowLongA) SetWindowLongA = ::SetWindowLongA;
    decltype(&::RedrawWindow) RedrawWindow = ::RedrawWindow;
    decltype(&::PeekMessageA) PeekMessageA = ::PeekMessageA;
    decltype(&::LoadLibraryA) LoadLibraryA = ::LoadLibraryA;
};
extern TUtilsApi UtilsApi;

// What the system reports about itself now; OSVersion keeps the first answer.
TOSVersion QueryOSVersion();

} // namespace velk
