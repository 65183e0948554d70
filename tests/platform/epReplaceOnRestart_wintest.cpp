#include "platform/epReplaceOnRestart.h"

#include <gtest/gtest.h>

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/epFileHandlesApi.h"
#include "platform/win/epRegIniApi.h"
#include "platform/win/epReplaceOnRestartApi.h"

#include <cstring>
#include <vector>

namespace velk {
namespace {

using test::ReadBytes;
using test::TScratchFolder;
using test::WriteBytes;

const char RunOnce[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string WindowsFile(const std::string& name) {
    char folder[MAX_PATH];
    UINT n = ::GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, n) + "\\" + name;
}

// The short name a file of that path gets, learnt from the system with the file in place.
std::string ShortNameOf(const std::string& path) {
    bool existed = test::Exists(path);
    if (!existed)
        WriteBytes(path, "");
    char buffer[MAX_PATH];
    DWORD n = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (!existed)
        ::DeleteFileA(path.c_str());
    return std::string(buffer, n);
}

std::vector<std::string> PendingRenames() {
    HKEY key;
    std::vector<std::string> items;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                        0, KEY_READ, &key) != ERROR_SUCCESS)
        return items;
    DWORD size = 0;
    ::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
    std::string data(size, '\0');
    if (size > 0 && ::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS) {
        // Pairs of zero-terminated names; the list ends with an empty one where a pair would start.
        for (size_t at = 0; at < size && !(items.size() % 2 == 0 && data[at] == '\0');) {
            items.emplace_back(data.c_str() + at);
            at += items.back().size() + 1;
        }
    }
    ::RegCloseKey(key);
    return items;
}

TEST(ReplaceOnRestartWinTest, NtFamilyRecordsPendingOperations) {
    TScratchFolder scratch;
    std::string source = scratch / "new.dll", dest = scratch / "In Use.dll";
    WriteBytes(source, "new");
    WriteBytes(scratch / "old.tmp", "old");
    std::vector<std::string> before = PendingRenames();
    ::SetCurrentDirectoryA(scratch.Path().c_str());
    ReplaceFileOnRestart(source, dest);
    ReplaceFileOnRestart("old.tmp", "");
    ReplaceFileOnRestart(scratch / "missing.dll", dest);
    ::SetCurrentDirectoryA(WindowsFile("").c_str());
    std::vector<std::string> expected = before;
    for (const std::string& name :
         {dest, std::string(), source, dest, scratch / "old.tmp", std::string()})
        expected.push_back(name.empty() ? name : "\\??\\" + name);
    EXPECT_EQ(PendingRenames(), expected);
}

// The system family decides the way: run as Windows 98 and as Windows XP.
TEST(ReplaceOnRestartWinTest, EmulatedSystemChoosesTheWay) {
    TScratchFolder scratch;
    std::string source = scratch / "new.dll", restartFile = WindowsFile("wininit.ini");
    WriteBytes(source, "new");
    std::string shortSource = ShortNameOf(source);
    struct {
        const char* wine;
        std::string restartText;
        size_t pendingAdded;
    } cases[] = {{"win98", "[Rename]\r\nNUL=" + shortSource + "\r\n", 0}, {"winxp", "", 2}};
    for (const auto& c : cases) {
        HKEY key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER,
                                    "Software\\Wine\\AppDefaults\\velk_replace_on_restart.exe", 0,
                                    nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.wine),
                         DWORD(strlen(c.wine) + 1));
        ::RegCloseKey(key);
        ::DeleteFileA(restartFile.c_str());
        size_t pending = PendingRenames().size();
        EXPECT_EQ(test::RunProgram("\"" + test::BesideTest("velk_replace_on_restart.exe") +
                                   "\" \"" + source + "\""),
                  0)
            << c.wine;
        EXPECT_EQ(ReadBytes(restartFile), c.restartText) << c.wine;
        EXPECT_EQ(PendingRenames().size(), pending + c.pendingAdded) << c.wine;
    }
    ::DeleteFileA(restartFile.c_str());
}

class ReplaceOnRestart9xWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::DeleteFileA(restartFile_.c_str());
        WriteBytes(source_, "new");
    }
    void TearDown() override {
        ::DeleteFileA(restartFile_.c_str());
        DeleteRegValue(RunOnce, RenameBackValueName(shortDest_));
    }
    void Replace(const std::string& source, const std::string& dest) {
        ReplaceFileOnRestartOn(source, dest, DescribeOSVersion(1, 4, 10, 0x040A08AE, " A "));
    }
    TScratchFolder scratch_;
    std::string restartFile_ = WindowsFile("wininit.ini");
    std::string backup_ = WindowsFile("wininit.bak");
    std::string source_ = scratch_ / "Replacement Library.dll";
    std::string dest_ = scratch_ / "Long Name.dll";
    std::string shortSource_ = ShortNameOf(source_);
    std::string shortDest_ = ShortNameOf(dest_);
    std::string renameBack_ = "command.com /c ren " + shortDest_ + " \"Long Name.dll\"";
};

TEST_F(ReplaceOnRestart9xWinTest, EntriesJoinTheRenameSectionOfTheRestartFile) {
    std::string shortPath = WindowsFile("velkold.dll");
    struct {
        std::string old;
        std::string expected;
    } cases[] = {
        {"", "[Rename]\r\nNUL=" + shortDest_ + "\r\n" + shortDest_ + "=" + shortSource_ +
                 "\r\nNUL=" + shortSource_ + "\r\nNUL=" + shortPath + "\r\n" + shortPath + "=" +
                 shortSource_ + "\r\n"},
        {"  [Boot]  \r\nshell=x\r\n\r\n[rename]\r\nNUL=C:\\OLD1.DLL\r\n"
         "C:\\OLD2.DLL=C:\\NEW2.DLL\r\n\r\n[Other]\r\n\tk=v\r\n",
         "[Boot]\r\nshell=x\r\n\r\n[rename]\r\nNUL=C:\\OLD1.DLL\r\nC:\\OLD2.DLL=C:\\NEW2.DLL\r\n"
         "NUL=" +
             shortDest_ + "\r\n" + shortDest_ + "=" + shortSource_ + "\r\nNUL=" + shortSource_ +
             "\r\nNUL=" + shortPath + "\r\n" + shortPath + "=" + shortSource_ +
             "\r\n\r\n[Other]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(restartFile_.c_str());
        if (!c.old.empty())
            WriteBytes(restartFile_, c.old);
        DeleteRegValue(RunOnce, RenameBackValueName(shortDest_));
        Replace(source_, dest_);
        Replace(source_, "");
        Replace(source_, shortPath);
        Replace(scratch_ / "missing.dll", dest_);
        EXPECT_EQ(ReadBytes(restartFile_), c.expected);
        EXPECT_FALSE(test::Exists(backup_));
        EXPECT_FALSE(test::Exists(dest_)) << "the short-name probe is left behind";
        EXPECT_EQ(ReadRegString(RunOnce, RenameBackValueName(shortDest_), ""), renameBack_);
        EXPECT_FALSE(RegValueExists(RunOnce, RenameBackValueName(shortPath)));
    }
}

TEST_F(ReplaceOnRestart9xWinTest, FailedCallsLeaveTheRestartFileAndRegistryAsTheyWere) {
    const std::string original = "[Boot]\r\nshell=" + std::string(300, 'x') + "\r\n[Rename]\r\n";
    WriteBytes(dest_, "in use");
    const std::string expected =
        original + "NUL=" + shortDest_ + "\r\n" + shortDest_ + "=" + shortSource_ + "\r\n";
    test::TTableRestore<TFileHandleApi> restoreFiles(FileHandleApi);
    test::TTableRestore<TReplaceOnRestartApi> restoreMoves(ReplaceOnRestartApi);
    test::TTableRestore<TRegistryApi> restoreRegistry(RegistryApi);
    VELK_FAULT_SLOT(FileHandleApi, CreateFileA)::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileHandleApi, ReadFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, WriteFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, SetFilePointer)::Install(INVALID_SET_FILE_POINTER);
    VELK_FAULT_SLOT(FileHandleApi, GetFileSize)::Install(INVALID_FILE_SIZE);
    VELK_FAULT_SLOT(ReplaceOnRestartApi, MoveFileA)::Install(FALSE);
    VELK_FAULT_SLOT(RegistryApi, RegCreateKeyExA)::Install(ERROR_ACCESS_DENIED);
    VELK_FAULT_SLOT(RegistryApi, RegSetValueExA)::Install(ERROR_ACCESS_DENIED);
    // A fault may be one the reading gets over (a failed end-of-file test is asked again by the
    // read); every other must leave all as it was.
    int refused = 0;
    int runs = test::SweepFaults(
        [&] {
            WriteBytes(restartFile_, original);
            DeleteRegValue(RunOnce, RenameBackValueName(shortDest_));
            try {
                Replace(source_, dest_);
            } catch (const Exception&) {
                return false;
            }
            return true;
        },
        [&](int n, bool done, bool failed) {
            refused += failed && !done;
            EXPECT_TRUE(done || failed) << "call " << n;
            EXPECT_EQ(ReadBytes(restartFile_), done ? expected : original) << "call " << n;
            EXPECT_FALSE(test::Exists(backup_)) << "call " << n;
            EXPECT_EQ(RegValueExists(RunOnce, RenameBackValueName(shortDest_)), done)
                << "call " << n;
        });
    EXPECT_GT(runs, 20);
    EXPECT_GT(refused, 10);
}

} // namespace
} // namespace velk
