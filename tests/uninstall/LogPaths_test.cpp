#include "uninstall/LogPaths.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(LogPaths, OnlyFullPathsWithPlainLevelsAreSafe) {
    const struct {
        const char* path;
        bool safe;
    } cases[] = {
        {"C:\\App\\a.dll", true},
        {"c:\\Program Files\\Firm App\\x", true},
        {"\\\\server\\share\\App\\a.dll", true},
        {"\\\\server\\share", false}, // the share itself
        {"C:\\", false},
        {"C:", false},
        {"C:App\\a.dll", false},
        {"\\App\\a.dll", false},
        {"App\\a.dll", false},
        {"a.dll", false},
        {"", false},
        {"C:\\App\\..\\Windows\\win.ini", false},
        {"C:\\App\\.\\a.dll", false},
        {"C:\\App\\..", false},
        {"C:\\App\\.. \\a", false},
        {"C:\\App\\a.", false},
        {"C:\\App\\\\a.dll", false},
        {"C:\\App\\", false},
        {"C:/App/a.dll", false},
        {"C:\\App\\a.dll:stream", false},
        {"\\\\?\\C:\\App\\a.dll", false},
        {"\\\\.\\PhysicalDrive0", false},
        {"C:\\App\\CON", false},
        {"C:\\App\\nul.txt", false},
        {"C:\\App\\com1 .log", false},
        {"C:\\App\\LPT9", false},
        {"C:\\App\\COM10", true},
        {"C:\\App\\CONSOLE.txt", true},
        {"C:\\App\\a\tb", false},
        {"C:\\App\\a*.dll", false},
        {"C:\\App\\a?.dll", false},
        {"C:\\App\\\"a\".dll", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSafeLogPath(c.path), c.safe) << c.path;
    EXPECT_TRUE(IsSafeLogPath("C:\\" + std::string(256, 'a')));
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
