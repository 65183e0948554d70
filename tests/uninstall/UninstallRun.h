#pragma once

// The uninstall run test: UninstallRun_windows (a Windows program, run under Wine) lays out an
// installation by hand as the installer leaves it - files, folders, registry values, shared-DLL
// counts and the install log - runs Uninstall.exe "<log>" /S on it and checks what it sees at
// once; UninstallRun_hostcheck (a Linux program, run once Wine has ended, which is after the
// uninstaller's clean-up run) checks the prefix's drive and registry files.

#include <string_view>

namespace velk::test {

// Below HKEY_LOCAL_MACHINE, which system.reg holds, and HKEY_CURRENT_USER (user.reg).
constexpr std::string_view UninstallTestKey = "Software\\VelkUninstallTest";
constexpr std::string_view UninstallTestUserKey = "Software\\VelkUninstallUser";
constexpr std::string_view UninstallEntryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelkTestApp";
constexpr std::string_view SharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr std::string_view FontsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Paths below drive C: (the prefix's "drive_c").
constexpr std::string_view InstallFolder = "Firm\\App";
constexpr std::string_view KeptFolder = "Firm\\Other"; // created, but holds a user's file
constexpr std::string_view UserFile = "Firm\\Other\\user.txt";
constexpr std::string_view IniFile = "Firm\\Other\\settings.ini";
constexpr std::string_view Victim = "victim.txt";           // named through ".." by a damaged entry
constexpr std::string_view SharedKept = "Common\\kept.dll"; // counted twice before
constexpr std::string_view SharedGone = "Common\\gone.dll"; // counted once, installed here
constexpr std::string_view SharedForeign = "Common\\other.dll"; // counted once, not logged

} // namespace velk::test
