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
using test::WriteBytes;

const char RunOnce[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string WindowsFile(const std::string& name) {
    char folder[MAX_PATH];
    return std::string(folder, ::GetWindowsDirectoryA(folder, MAX_PATH)) + "\\" + name;
}

// The short name the system gives a file of that path, learnt with the file in place.
std::string ShortNameOf(const std::string& path) {
    bool existed = test::Exists(path);
    if (!existed)
        WriteBytes(path, "");
    char buffer[MAX_PATH];
    std::string shortName(buffer, ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH));
    if (!existed)
        ::DeleteFileA(path.c_str());
    return shortName;
}

// The names of the system's pending operations, two per operation.
std::vector<std::string> PendingRenames() {
    std::vector<std::string> names;
    char data[8192];
    DWORD size = sizeof(data);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                       "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data,
                       &size) != ERROR_SUCCESS)
        return names;
    for (size_t at = 0; at < size && (names.size() % 2 == 1 || data[at] != '\0');
         at += names.back().size() + 1)
        names.emplace_back(data + at);
    return names;
}

class ReplaceOnRestartWinTest : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(source_, "new"); }
    void TearDown() override {
        ::DeleteFileA(restartFile_.c_str());
        DeleteRegValue(RunOnce, "Rename " + shortDest_);
    }
    test::TScratchFolder scratch_;
    std::string restartFile_ = WindowsFile("wininit.ini");
    std::string source_ = scratch_ / "Replacement Library.dll";
    std::string dest_ = scratch_ / "Long Name.dll";
    std::string shortSource_ = ShortNameOf(source_);
    std::string shortDest_ = ShortNameOf(dest_);
    std::string replaceLines_ = "NUL=" + shortDest_ + "\r\n" + shortDest_ + "=" + shortSource_;
};

// The running system's family chooses the way: the helper program runs as Windows XP and 98.
TEST_F(ReplaceOnRestartWinTest, PendingOperationsOrRenameSection) {
    const std::string shortPath = WindowsFile("velkold.dll");
    const std::string old = "  [Boot]  \r\nshell=x\r\n\r\n[rename]\r\nNUL=C:\\OLD1.DLL\r\n"
                            "C:\\OLD2.DLL=C:\\NEW2.DLL\r\n\r\n[Other]\r\n\tk=v\r\n";
    const std::string renamed = "[Boot]\r\nshell=x\r\n\r\n[rename]\r\nNUL=C:\\OLD1.DLL\r\n"
                                "C:\\OLD2.DLL=C:\\NEW2.DLL\r\n" +
                                replaceLines_ + "\r\nNUL=" + shortSource_ + "\r\nNUL=" + shortPath +
                                "\r\n" + shortPath + "=" + shortSource_ +
                                "\r\n\r\n[Other]\r\nk=v\r\n";
    const std::vector<std::string> pending = {
        "\\??\\" + dest_,     "", "\\??\\" + source_, "\\??\\" + dest_,    "\\??\\" + source_, "",
        "\\??\\" + shortPath, "", "\\??\\" + source_, "\\??\\" + shortPath};
    struct {
        const char* wine;
        std::string restartText;
        std::vector<std::string> pendingAdded;
        std::string renameBack;
    } cases[] = {
        {"winxp", old, pending, ""},
        {"win98", renamed, {}, "command.com /c ren " + shortDest_ + " \"Long Name.dll\""},
    };
    for (const auto& c : cases) {
        HKEY key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER,
                                    "Software\\Wine\\AppDefaults\\velk_replace_on_restart.exe", 0,
                                    nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.wine),
                         DWORD(strlen(c.wine) + 1));
        ::RegCloseKey(key);
        WriteBytes(restartFile_, old);
        std::vector<std::string> expected = PendingRenames();
        expected.insert(expected.end(), c.pendingAdded.begin(), c.pendingAdded.end());
        std::string helper = "\"" + test::BesideTest("velk_replace_on_restart.exe") + "\" ";
        for (const std::string& args : {'"' + source_ + "\" \"" + dest_ + '"', '"' + source_ + '"',
                                        '"' + source_ + "\" " + shortPath,
                                        '"' + scratch_ / "missing.dll" + "\" \"" + dest_ + '"'})
            EXPECT_EQ(test::RunProgram(helper + args), 0) << c.wine << " " << args;
        EXPECT_EQ(ReadBytes(restartFile_), c.restartText) << c.wine;
        EXPECT_EQ(PendingRenames(), expected) << c.wine;
        EXPECT_FALSE(test::Exists(dest_)) << c.wine;
        EXPECT_EQ(ReadRegString(RunOnce, "Rename " + shortDest_, ""), c.renameBack);
        EXPECT_FALSE(RegValueExists(RunOnce, "Rename " + shortPath));
    }
}

TEST_F(ReplaceOnRestartWinTest, FailedCallsLeaveTheRestartFileAndRegistryAsTheyWere) {
    WriteBytes(dest_, "in use");
    const std::string original = "[Boot]\r\nshell=" + std::string(300, 'x') + "\r\n[Rename]\r\n";
    const std::string expected = original + replaceLines_ + "\r\n";
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
    // A failed end-of-file test is one the reading gets over (the read asks again); every other
    // fault must leave all as it was.
    int refused = 0;
    int runs = test::SweepFaults(
        [&] {
            WriteBytes(restartFile_, original);
            DeleteRegValue(RunOnce, "Rename " + shortDest_);
            try {
                ReplaceFileOnRestartOn(source_, dest_, DescribeOSVersion(1, 4, 10, 2222, " A "));
            } catch (const Exception&) {
                return false;
            }
            return true;
        },
        [&](int n, bool done, bool failed) {
            refused += !done;
            EXPECT_TRUE(done || failed) << "call " << n;
            EXPECT_EQ(ReadBytes(restartFile_), done ? expected : original) << "call " << n;
            EXPECT_FALSE(test::Exists(WindowsFile("wininit.bak"))) << "call " << n;
            EXPECT_EQ(RegValueExists(RunOnce, "Rename " + shortDest_), done) << n;
        });
    EXPECT_GT(runs, 20);
    EXPECT_GT(refused, 10);
}

// On NT a refused pending operation is reported, and a refused deletion of the old file is not
// followed by a move that the restart could not carry out.
TEST_F(ReplaceOnRestartWinTest, ARefusedPendingOperationIsReported) {
    WriteBytes(dest_, "in use");
    test::TTableRestore<TReplaceOnRestartApi> restore(ReplaceOnRestartApi);
    VELK_FAULT_SLOT(ReplaceOnRestartApi, MoveFileExA)::Install(FALSE);
    const TOSVersion nt = DescribeOSVersion(2, 5, 1, 2600, "");
    for (const std::string& dest : {dest_, std::string()}) {
        std::vector<std::string> before;
        const int runs = test::SweepFaults(
            [&] {
                before = PendingRenames();
                return ReplaceFileOnRestartOn(source_, dest, nt);
            },
            [&](int n, bool done, bool failed) {
                EXPECT_EQ(done, !failed) << "call " << n << " " << dest;
                // each call that went through added one operation, a pair of names
                EXPECT_EQ(PendingRenames().size(), before.size() + 2 * size_t(n - 1)) << dest;
            });
        EXPECT_EQ(runs, dest.empty() ? 2 : 3) << dest;
    }
}

} // namespace
} // namespace velk
