#include "uninstall/LogPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace velk {
namespace {

TEST(LogPaths, OnlyFullPathsWithPlainLevelsAreSafe) {
    for (const char* path :
         {"C:\\App\\a.dll", "c:\\Program Files\\Firm App\\x", "\\\\server\\share\\App\\a.dll",
          "C:\\App\\COM10", "C:\\App\\CONSOLE.txt"})
        EXPECT_TRUE(IsSafeLogPath(path)) << path;
    EXPECT_TRUE(IsSafeLogPath("C:\\" + std::string(256, 'a')));
    const char* const unsafe[] = {"\\\\server\\share",
                                  "C:\\",
                                  "C:",
                                  "C:App\\a.dll",
                                  "\\App\\a.dll",
                                  "App\\a.dll",
                                  "a.dll",
                                  "",
                                  "C:\\App\\..\\Windows\\win.ini",
                                  "C:\\App\\.\\a.dll",
                                  "C:\\App\\..",
                                  "C:\\App\\.. \\a",
                                  "C:\\App\\a.",
                                  "C:\\App\\\\a.dll",
                                  "C:\\App\\",
                                  "C:/App/a.dll",
                                  "C:\\App\\a.dll:stream",
                                  "\\\\?\\C:\\App\\a.dll",
                                  "\\\\.\\PhysicalDrive0",
                                  "C:\\App\\CON",
                                  "C:\\App\\nul.txt",
                                  "C:\\App\\com1 .log",
                                  "C:\\App\\LPT9",
                                  "C:\\App\\a\tb",
                                  "C:\\App\\a*.dll",
                                  "C:\\App\\a?.dll",
                                  "C:\\App\\\"a\".dll"};
    for (const char* path : unsafe)
        EXPECT_FALSE(IsSafeLogPath(path)) << path;
    EXPECT_FALSE(IsSafeLogPath("C:\\" + std::string(257, 'a')));
}

TEST(LogPaths, RegistryKeysNeedAnExplicitRootAndPlainLevels) {
    const struct {
        const char* key;
        bool safe, uninstallEntry;
    } cases[] = {
        {"HKLM\\Software\\Firm", true, false},
        {"hkcu\\Software\\Firm\\Sub Key", true, false},
        {"HKU\\.DEFAULT\\Software", true, false},
        {"HKCR\\.xyz", true, false},
        {"HKLM", false, false},
        {"HKLM\\", false, false},
        {"Software\\Firm", false, false},
        {"HKEY_LOCAL_MACHINE\\Software", false, false},
        {"HKLM\\Software\\\\Firm", false, false},
        {"HKLM\\Software\\Firm\\", false, false},
        {"HKLM\\\\Software", false, false},
        {"HKLM\\Software\\a\nb", false, false},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App", true, true},
        {"hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\My App", true, true},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true, false},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App\\Sub", true, false},
        {"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSafeRegKeyPath(c.key), c.safe) << c.key;
        EXPECT_EQ(IsUninstallEntryKey(c.key), c.uninstallEntry) << c.key;
    }
}

TEST(LogPaths, AncestorFoldersEndAtALevel) {
    EXPECT_TRUE(IsAncestorFolder("C:\\Firm", "C:\\Firm\\App"));
    EXPECT_TRUE(IsAncestorFolder("c:\\firm", "C:\\Firm\\App\\Bin"));
    EXPECT_FALSE(IsAncestorFolder("C:\\Firm", "C:\\Firm"));
    EXPECT_FALSE(IsAncestorFolder("C:\\Fi", "C:\\Firm\\App"));
    EXPECT_FALSE(IsAncestorFolder("C:\\Firm\\App", "C:\\Firm"));
    EXPECT_FALSE(IsAncestorFolder("", "C:\\Firm"));
}

} // namespace
} // namespace velk
