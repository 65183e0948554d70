// The Linux half of the uninstall run test: once the uninstaller and its clean-up run have ended
// and Wine has saved the registry, reads the prefix named by VELK_PREFIX.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "harness/WineRegistryFile.h"
#include "uninstall/UninstallRun.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

std::string Prefix() {
    const char* prefix = std::getenv("VELK_PREFIX");
    return prefix ? prefix : "";
}

fs::path OnDriveC(std::string_view windowsPath) {
    std::string path(windowsPath);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return fs::path(Prefix()) / "drive_c" / path;
}

TWineRegistryFile Load(const char* name) {
    TWineRegistryFile file;
    std::string error;
    EXPECT_TRUE(file.Load(Prefix() + "/" + name, error)) << error;
    return file;
}

std::string Key(std::string_view key, std::string_view sub) {
    return std::string(key) + "\\" + std::string(sub);
}

TEST(UninstallRun, TheCleanUpRunRemovedTheUninstallerAndTheEmptyInstallFolder) {
    ASSERT_FALSE(Prefix().empty()) << "VELK_PREFIX is not set: run through wine-run.sh --then";
    EXPECT_FALSE(fs::exists(OnDriveC(InstallFolder)));
    EXPECT_TRUE(fs::exists(OnDriveC(UserFile)));
    EXPECT_TRUE(fs::exists(OnDriveC(IniFile)));
    EXPECT_TRUE(fs::exists(OnDriveC(Victim)));
}

TEST(UninstallRun, TheMachineRegistryKeepsOnlyWhatWasNotCreatedOrIsStillCounted) {
    const TWineRegistryFile machine = Load("system.reg");
    EXPECT_FALSE(machine.HasKey(UninstallEntryKey));
    EXPECT_FALSE(machine.HasKey(Key(UninstallEntryKey, "Sub")));
    EXPECT_FALSE(machine.HasKey(Key(UninstallTestKey, "App")));
    ASSERT_NE(machine.Find(Key(UninstallTestKey, "Keep"), "Kept"), nullptr);

    const std::string kept = "C:\\" + std::string(SharedKept);
    const TWineRegValue* count = machine.Find(SharedDllsKey, kept);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->Data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(machine.Find(SharedDllsKey, "C:\\" + std::string(SharedGone)), nullptr);
    EXPECT_EQ(machine.Find(SharedDllsKey, "C:\\" + std::string(SharedForeign)), nullptr);

    EXPECT_EQ(machine.Find(FontsKey, "Velk Test (TrueType)"), nullptr);
    EXPECT_NE(machine.Find(FontsKey, "Velk Other (TrueType)"), nullptr);
}

TEST(UninstallRun, TheUserRegistryLosesTheCreatedValueOnly) {
    const TWineRegistryFile user = Load("user.reg");
    EXPECT_EQ(user.Find(UninstallTestUserKey, "Created"), nullptr);
    EXPECT_NE(user.Find(UninstallTestUserKey, "Before"), nullptr);
}

} // namespace
} // namespace velk::test
