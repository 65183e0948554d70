// The predefined and run-time variables over a real system under Wine.
#include "database/VKPredefined.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/VKVariables.h"
#include "platform/win/WindowsSupport.h"

#include <shlobj.h>

namespace velk {
namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string WithoutBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    return ::SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? WithoutBackslash(path) : "";
}

void SetMachineText(const std::string& key, const char* name, const std::string& text) {
    HKEY handle;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &handle, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     DWORD(text.size() + 1));
    ::RegCloseKey(handle);
}

std::string MachineText(const std::string& key, const char* name) {
    HKEY handle;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return {};
    char buffer[MAX_PATH] = "";
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG result =
        ::RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : std::string();
}

class PredefinedWinTest : public ::testing::Test {
protected:
    std::string Get(const char* name) { return GetVariable(&db, name, "<none>"); }

    TvkMainDatabase db{nullptr};
};

TEST_F(PredefinedWinTest, FoldersOfTheSystem) {
    TvkRunInfo run;
    run.SourceFolder = "C:\\Setup\\";
    InitRuntimeVariables(db, run);
    char folder[MAX_PATH];
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    EXPECT_EQ(Get("Windows"), WithoutBackslash(folder));
    ::GetSystemDirectoryA(folder, MAX_PATH);
    EXPECT_EQ(Get("System"), WithoutBackslash(folder));
    const struct {
        const char* Name;
        int Csidl;
        int Fallback;
    } shell[] = {
        {"Desktop", CSIDL_DESKTOPDIRECTORY, 0},
        {"Fonts", CSIDL_FONTS, 0},
        {"NetHood", CSIDL_NETHOOD, 0},
        {"Personal", CSIDL_PERSONAL, 0},
        {"ProgramsMenu", CSIDL_PROGRAMS, 0},
        {"Recent", CSIDL_RECENT, 0},
        {"SendTo", CSIDL_SENDTO, 0},
        {"StartMenu", CSIDL_STARTMENU, 0},
        {"StartupMenu", CSIDL_STARTUP, 0},
        {"Templates", CSIDL_TEMPLATES, 0},
        {"CommonStartMenu", CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU},
        {"CommonProgramsMenu", CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS},
        {"CommonStartupMenu", CSIDL_COMMON_STARTUP, CSIDL_STARTUP},
        {"CommonDesktop", CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
    };
    for (const auto& s : shell) {
        std::string expected = ShellFolder(s.Csidl);
        if (expected.empty() && s.Fallback)
            expected = ShellFolder(s.Fallback);
        EXPECT_EQ(Get(s.Name), expected) << s.Name;
    }
    EXPECT_FALSE(Get("Desktop").empty());
    EXPECT_FALSE(Get("Fonts").empty());
    EXPECT_FALSE(Get("CommonProgramsMenu").empty());
    std::string programFiles = MachineText(kCurrentVersion, "ProgramFilesDir");
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(Get("ProgramFiles"), programFiles);
    EXPECT_EQ(Get("SourcePath"), "C:\\Setup");
    EXPECT_EQ(Get("OSPlatform"), "NT");
    EXPECT_EQ(Get("OSVersion"), "XP");
    EXPECT_EQ(Get("LangID"), "ENU");
    EXPECT_EQ(Get("QuickLaunch"),
              Get("ApplicationData") + "\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_EQ(Get("Office2000"), programFiles + "\\Microsoft Office\\Office");
}

TEST_F(PredefinedWinTest, ApplicationFoldersFromTheRegistry) {
    SetMachineText(std::string(kCurrentVersion) + "\\Setup", "BootDir", "D:\\");
    SetMachineText("SOFTWARE\\Borland\\Database Engine", "DLLPATH", "C:\\BDE;C:\\Other");
    for (const char* version : {"5.0", "7.0", "10.0"})
        SetMachineText(std::string("SOFTWARE\\Borland\\Delphi\\") + version, "RootDir",
                       std::string("C:\\Delphi ") + version + "\\");
    const std::string roots =
        "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
    SetMachineText(roots, "/", "C:\\Inetpub\\wwwroot,,201");
    InitPredefinedVariables(db);
    EXPECT_EQ(Get("BootDrive"), "D:");
    EXPECT_EQ(Get("BDE"), "C:\\BDE");
    // Versions sort as text ignoring case: "10.0", "5.0", "7.0".
    EXPECT_EQ(Get("Delphi"), "C:\\Delphi 7.0");
    EXPECT_EQ(Get("IIS-WWWRoot"), "C:\\Inetpub\\wwwroot");
    EXPECT_EQ(Get("IIS-Scripts"), "C:\\Inetpub\\wwwroot\\scripts");

    SetMachineText(roots, "/Scripts", "E:\\scripts\\,,205");
    // Wine keeps settings of its own below the engine's key: only the value goes.
    HKEY engine;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland\\Database Engine", 0,
                              KEY_WRITE, &engine),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegDeleteValueA(engine, "DLLPATH"), ERROR_SUCCESS);
    ::RegCloseKey(engine);
    for (const char* key : {"SOFTWARE\\Borland\\Delphi\\5.0", "SOFTWARE\\Borland\\Delphi\\7.0",
                            "SOFTWARE\\Borland\\Delphi\\10.0"})
        EXPECT_EQ(::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS) << key;
    db.Variables->Clear();
    InitPredefinedVariables(db);
    EXPECT_EQ(Get("IIS-Scripts"), "E:\\scripts");
    EXPECT_EQ(Get("BDE"), Get("CommonFiles") + "\\Borland Shared\\BDE");
    EXPECT_EQ(Get("Delphi"), "C:");
}

TEST_F(PredefinedWinTest, EnvironmentInNameOrderIgnoringCase) {
    ::SetEnvironmentVariableA("velk_env_b", "second");
    ::SetEnvironmentVariableA("VELK_ENV_A", "first");
    ::SetEnvironmentVariableA("Velk_Env_C", "%Windows%\\third");
    std::vector<std::string> expected;
    char* block = ::GetEnvironmentStrings();
    for (const char* p = block; *p; p += std::strlen(p) + 1) {
        std::string entry = p;
        size_t eq = entry.find('=');
        if (eq != 0)
            expected.push_back(entry.substr(0, eq));
    }
    ::FreeEnvironmentStringsA(block);
    std::stable_sort(
        expected.begin(), expected.end(),
        [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });

    InitPredefinedVariables(db);
    std::vector<std::string> names;
    for (TvkVariable* v : *db.Variables) {
        if (v->Name == "BootDrive")
            break;
        EXPECT_TRUE(v->Predefined);
        names.push_back(v->Name);
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Get("velk_env_a"), "first");
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(Get("VELK_ENV_C"), WithoutBackslash(windows) + "\\third");
}

TEST_F(PredefinedWinTest, DateInTheUsersShortFormat) {
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    char text[80];
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &today, nullptr, text, sizeof text);
    InitPredefinedVariables(db);
    EXPECT_EQ(Get("Date"), text);

    char saved[80];
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved, sizeof saved);
    ASSERT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "yyyy.MM.dd"));
    InitPredefinedVariables(db);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%04d.%02d.%02d", today.wYear, today.wMonth,
                  today.wDay);
    EXPECT_EQ(Get("Date"), expected);
    ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved);
}

TEST_F(PredefinedWinTest, RegistryVariablesReadTheRegistryEachTime) {
    SetMachineText("SOFTWARE\\VelkVarTest", "Path", "%Base%\\bin");
    SetVariable(&db, "Base", "C:\\App");
    TvkVariable* v = db.Variables->AddNew();
    v->Name = "AppBin";
    v->VarType = TvkVarType::vtReg;
    v->RegKey = "HKLM\\SOFTWARE\\VelkVarTest";
    v->RegParam = "Path";
    v->DefValue = "%Base%\\default";
    EXPECT_EQ(Get("AppBin"), "C:\\App\\bin");
    SetMachineText("SOFTWARE\\VelkVarTest", "Path", "D:\\moved");
    EXPECT_EQ(Get("AppBin"), "D:\\moved");
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelkVarTest");
    EXPECT_EQ(Get("AppBin"), "C:\\App\\default");
}

} // namespace
} // namespace velk
