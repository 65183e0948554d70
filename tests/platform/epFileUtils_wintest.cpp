#include "platform/epFileUtils.h"

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/epFileFind.h"
#include "platform/win/epFileFindApi.h"
#include "platform/win/epFileHandlesApi.h"
#include "platform/win/epFileUtilsApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace velk {
namespace {

using test::FaultPlan;
using test::Pattern;
using test::ReadBytes;
using test::TScratchFolder;
using test::WriteBytes;

DWORD Attributes(const std::string& name) {
    return ::GetFileAttributesA(name.c_str());
}

// Calls of CreateDirectoryA in order, passed on to the system.
std::vector<std::string> createdFolders;
BOOL WINAPI RecordCreateDirectory(LPCSTR name, LPSECURITY_ATTRIBUTES security) {
    createdFolders.push_back(name);
    return ::CreateDirectoryA(name, security);
}

TEST(ForceDirectoriesTest, CreatesParentsFirst) {
    TScratchFolder scratch;
    test::TTableRestore<TFileUtilsApi> restore(FileUtilsApi);
    FileUtilsApi.CreateDirectoryA = RecordCreateDirectory;
    createdFolders.clear();
    ForceDirectories(scratch / "a\\b\\c\\");
    EXPECT_EQ(createdFolders,
              (std::vector<std::string>{scratch / "a", scratch / "a\\b", scratch / "a\\b\\c"}));
    EXPECT_TRUE(DirectoryExists(scratch / "a\\b\\c"));
    // Existing folders and drives are left alone.
    createdFolders.clear();
    ForceDirectories(scratch / "a\\b");
    ForceDirectories("C:");
    ForceDirectories("C:\\");
    ForceDirectories("");
    EXPECT_TRUE(createdFolders.empty());
    // Failures are ignored: a file in the way leaves the folder uncreated.
    WriteBytes(scratch / "file", "x");
    ForceDirectories(scratch / "file\\sub");
    EXPECT_FALSE(DirectoryExists(scratch / "file\\sub"));
}

TEST(PathQueryTest, FilesFoldersShortNamesAndSizes) {
    TScratchFolder scratch;
    std::string file = scratch / "A long file name.text";
    ASSERT_TRUE(WriteBytes(file, Pattern(12345)));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_TRUE(DirectoryExists(scratch.Path()));
    EXPECT_TRUE(DirectoryExists(scratch.Path() + "\\"));
    EXPECT_FALSE(FileExists(scratch.Path()));
    EXPECT_TRUE(PathExists(scratch.Path()) && PathExists(file));
    EXPECT_FALSE(PathExists(scratch / "missing"));

    std::string shortName = GetShortName(file);
    EXPECT_NE(shortName, file);
    EXPECT_TRUE(FileExists(shortName));
    EXPECT_LE(shortName.substr(shortName.find_last_of('\\') + 1).size(), 12u);
    EXPECT_EQ(GetShortName(scratch / "missing.txt"), scratch / "missing.txt");

    EXPECT_EQ(GetFileSizeByName(file), 12345);
    EXPECT_EQ(GetFileSizeByName(scratch / "missing"), -1);
    // Relative names are taken against the current folder.
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(scratch.Path().c_str());
    EXPECT_EQ(GetFileSizeByName("A long file name.text"), 12345);
    ::SetCurrentDirectoryA(saved);
}

TEST(PathQueryTest, SizesBeyondFourGigabytes) {
    TScratchFolder scratch;
    std::string file = scratch / "big";
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LONG high = 1;
    ::SetFilePointer(h, 0x10, &high, FILE_BEGIN);
    ASSERT_TRUE(::SetEndOfFile(h));
    ::CloseHandle(h);
    EXPECT_EQ(GetFileSizeByName(file), 0x100000010LL);
}

// Sets the last-write time of a file to the given local time.
void SetLocalWriteTime(const std::string& name, const SYSTEMTIME& local) {
    FILETIME localTime, utc;
    ASSERT_TRUE(::SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE h = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(::SetFileTime(h, nullptr, nullptr, &utc));
    ::CloseHandle(h);
}

TEST(FileDateTest, LocalTimeInTwoSecondSteps) {
    TScratchFolder scratch;
    std::string file = scratch / "dated";
    WriteBytes(file, "x");
    SYSTEMTIME local = {2003, 7, 0, 14, 10, 20, 31, 500};
    SetLocalWriteTime(file, local);
    int32_t dos = (23 << 9 | 7 << 5 | 14) << 16 | (10 << 11 | 20 << 5 | 15);
    EXPECT_EQ(GetFileDate(file), FileDateToDateTime(dos));
    EXPECT_EQ(GetFileDate(scratch / "missing"), 0);
    EXPECT_EQ(GetFileDate(scratch.Path()), 0);
}

TEST(ReadFileToStringTest, WholeFileOrNothing) {
    TScratchFolder scratch;
    std::string file = scratch / "data";
    std::string data = Pattern(200000);
    WriteBytes(file, data);
    EXPECT_EQ(ReadFileToString(file), data);
    EXPECT_EQ(ReadFileToString(scratch / "missing"), "");
    // Others may read while it is read; a writer keeps it from being read.
    HANDLE reader = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(ReadFileToString(file), data);
    ::CloseHandle(reader);
    HANDLE writer = ::CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileToString(file), "");
    ::CloseHandle(writer);
}

// Deletes as Windows does: a read-only file is refused (Wine lets its owner, here root, do it).
BOOL WINAPI DeleteUnlessReadOnly(LPCSTR name) {
    DWORD attributes = ::GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ::DeleteFileA(name);
}

class DeleteFolderTest : public testing::Test {
protected:
    DeleteFolderTest() { FileUtilsApi.DeleteFileA = DeleteUnlessReadOnly; }

    // a\top.txt (read-only), a\hidden.txt (hidden), a\b\c\deep.txt (read-only, system), a\b\e
    void SetUp() override {
        for (const char* folder : {"a", "a\\b", "a\\b\\c", "a\\b\\e"})
            ::CreateDirectoryA((scratch_ / folder).c_str(), nullptr);
        MakeFile("a\\top.txt", FILE_ATTRIBUTE_READONLY);
        MakeFile("a\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        MakeFile("a\\b\\c\\deep.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    }
    void MakeFile(const std::string& name, DWORD attributes) {
        ASSERT_TRUE(WriteBytes(scratch_ / name, name));
        ASSERT_TRUE(::SetFileAttributesA((scratch_ / name).c_str(), attributes));
    }
    std::string A() const { return scratch_ / "a"; }

    test::TTableRestore<TFileUtilsApi> restore_{FileUtilsApi};
    TScratchFolder scratch_;
};

TEST_F(DeleteFolderTest, EmptiesTheTreeAndKeepsItsFolders) {
    EXPECT_TRUE(DeleteFolder(A(), false));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\top.txt"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\hidden.txt"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\b\\c\\deep.txt"));
    EXPECT_TRUE(DirectoryExists(scratch_ / "a\\b\\c"));
    EXPECT_TRUE(DirectoryExists(scratch_ / "a\\b\\e"));
}

TEST_F(DeleteFolderTest, RemovesTheTree) {
    EXPECT_TRUE(DeleteFolder(A() + "\\", true));
    EXPECT_FALSE(test::Exists(A()));
    EXPECT_FALSE(DeleteFolder(A(), true));
    WriteBytes(scratch_ / "file", "x");
    EXPECT_FALSE(DeleteFolder(scratch_ / "file", true));
    EXPECT_TRUE(test::Exists(scratch_ / "file"));
}

TEST_F(DeleteFolderTest, DotEntriesStayAndKeepTheirFolders) {
    MakeFile("a\\b\\.keep", FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(DeleteFolder(A(), true));
    EXPECT_TRUE(test::Exists(scratch_ / "a\\b\\.keep"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\b\\c"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\top.txt"));
    EXPECT_TRUE(DirectoryExists(A()));
}

TEST_F(DeleteFolderTest, AFileInUseFailsButTheRestGoes) {
    HANDLE held = ::CreateFileA((scratch_ / "a\\hidden.txt").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFolder(A(), true));
    ::CloseHandle(held);
    EXPECT_TRUE(test::Exists(scratch_ / "a\\hidden.txt"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\top.txt"));
    EXPECT_FALSE(test::Exists(scratch_ / "a\\b"));
}

// A search that shows a volume label first, then the real entries.
WIN32_FIND_DATAA label;
decltype(&::FindFirstFileA) realFindFirst;
HANDLE WINAPI FindWithLabel(LPCSTR mask, LPWIN32_FIND_DATAA data) {
    HANDLE h = realFindFirst(mask, data);
    if (h != INVALID_HANDLE_VALUE && std::string(data->cFileName) == ".")
        *data = label;
    return h;
}

TEST_F(DeleteFolderTest, VolumeLabelsAreNeverDeleted) {
    test::TTableRestore<TFileFindApi> restoreFind(FileFindApi);
    realFindFirst = FileFindApi.FindFirstFileA;
    FileFindApi.FindFirstFileA = FindWithLabel;
    VELK_FAULT_SLOT(FileUtilsApi, DeleteFileA)::Install(FALSE, false);
    for (DWORD attributes : {8u, 8u | 32u}) {
        label = WIN32_FIND_DATAA{};
        label.dwFileAttributes = attributes;
        std::strcpy(label.cFileName, "LABEL");
        if (!test::Exists(A()))
            SetUp();
        VELK_FAULT_SLOT(FileUtilsApi, DeleteFileA)::Successes = 0;
        // Every real file goes, the label is not even tried.
        EXPECT_TRUE(DeleteFolder(A(), true));
        EXPECT_EQ(VELK_FAULT_SUCCESSES(FileUtilsApi, DeleteFileA), 3);
        EXPECT_FALSE(test::Exists(A()));
    }
}

TEST_F(DeleteFolderTest, EveryFailingCallShowsInTheResult) {
    test::TTableRestore<TFileFindApi> restoreFind(FileFindApi);
    VELK_FAULT_SLOT(FileFindApi, FindFirstFileA)::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileFindApi, FindNextFileA)::Install(FALSE);
    VELK_FAULT_SLOT(FileFindApi, FindClose)::Install(FALSE, false);
    VELK_FAULT_SLOT(FileUtilsApi, GetFileAttributesA)::Install(INVALID_FILE_ATTRIBUTES);
    VELK_FAULT_SLOT(FileUtilsApi, DeleteFileA)::Install(FALSE);
    VELK_FAULT_SLOT(FileUtilsApi, RemoveDirectoryA)::Install(FALSE);
    int runs = test::SweepFaults(
        [&] {
            SetUp();
            return DeleteFolder(A(), true);
        },
        [&](int n, bool result, bool failed) {
            EXPECT_EQ(result, !failed) << "call " << n;
            EXPECT_EQ(!test::Exists(A()), result) << "call " << n;
            EXPECT_EQ(VELK_FAULT_SUCCESSES(FileFindApi, FindFirstFileA),
                      VELK_FAULT_SUCCESSES(FileFindApi, FindClose))
                << "call " << n;
        });
    EXPECT_GT(runs, 10);
}

TEST(DeleteFileForcedTest, ReadOnlyFilesToo) {
    TScratchFolder scratch;
    std::string file = scratch / "ro";
    WriteBytes(file, "x");
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(DeleteFileForced(file));
    EXPECT_FALSE(test::Exists(file));
    EXPECT_FALSE(DeleteFileForced(file));
}

// Local times handed out in order, one per call.
std::vector<SYSTEMTIME> scriptedTimes;
size_t clockCalls = 0;
void WINAPI ScriptedLocalTime(LPSYSTEMTIME time) {
    *time = scriptedTimes[std::min(clockCalls++, scriptedTimes.size() - 1)];
}

TEST(MakeUniqueFileNameTest, StampsTheTimeAndSkipsNamesInUse) {
    TScratchFolder scratch;
    test::TTableRestore<TFileUtilsApi> restore(FileUtilsApi);
    FileUtilsApi.GetLocalTime = ScriptedLocalTime;
    scriptedTimes = {{2004, 3, 1, 1, 12, 34, 56, 789}, {2004, 3, 1, 1, 12, 34, 56, 799}};
    clockCalls = 0;
    EXPECT_EQ(MakeUniqueFileName(scratch.Path(), "ABCDEF", ".tmp", true), "ABCDA7GE.tmp");
    clockCalls = 0;
    EXPECT_EQ(MakeUniqueFileName(scratch.Path() + "\\", "ABCDEF", ".tmp", false),
              "ABCDEF1FI4A7GE.tmp");
    // The first name is taken (by a folder, too): the next moment gives the next one.
    ::CreateDirectoryA((scratch / "1FI4A7GE").c_str(), nullptr);
    clockCalls = 0;
    EXPECT_EQ(MakeUniqueFileName(scratch.Path(), "", "", true), "1FI4A7GF");
    EXPECT_EQ(clockCalls, 2u);
}

TEST(MakeUniqueFileNameTest, RealClockGivesFreshNames) {
    TScratchFolder scratch;
    std::string first = MakeUniqueFileName(scratch.Path(), "", "", true);
    EXPECT_EQ(first.size(), 8u);
    ForceDirectories(scratch / first);
    std::string second = MakeUniqueFileName(scratch.Path(), "", "", true);
    EXPECT_NE(first, second);
}

// Where GetDiskFreeKB asked, and what the system says directly.
std::vector<std::string> askedRoots;
BOOL WINAPI RecordDiskFreeSpace(LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD freeClusters,
                                LPDWORD clusters) {
    askedRoots.push_back(root);
    *sectors = 8;
    *bytes = 512;
    *freeClusters = 3000000;
    *clusters = 4000000;
    return TRUE;
}

TEST(GetDiskFreeKBTest, BothMethodsByKindAndBuild) {
    TScratchFolder scratch;
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(::GetDiskFreeSpaceExA(scratch.Path().c_str(), &available, &total, &free));
    int64_t expected = int64_t(available.QuadPart >> 10);
    int64_t kb = GetDiskFreeKB(scratch.Path());
    EXPECT_NEAR(double(kb), double(expected), 64 * 1024.0);
    EXPECT_EQ(GetDiskFreeKB(scratch / "missing"), 0);
    WriteBytes(scratch / "file", "x");
    EXPECT_EQ(GetDiskFreeKB(scratch / "file"), 0);

    test::TTableRestore<TFileUtilsApi> restore(FileUtilsApi);
    FileUtilsApi.GetDiskFreeSpaceA = RecordDiskFreeSpace;
    askedRoots.clear();
    // Windows 95 before build 1111: clusters, asked of the drive root; 3000000 * 4 KB.
    TOSVersion win95 = DescribeOSVersion(1, 4, 0, 950, "");
    EXPECT_EQ(GetDiskFreeKBOn(scratch.Path(), win95), 12000000);
    EXPECT_EQ(askedRoots, std::vector<std::string>{"C:\\"});
    // From build 1111 on, and on every later system, the extended call.
    TOSVersion osr2 = DescribeOSVersion(1, 4, 0, 1111, "");
    TOSVersion win98 = DescribeOSVersion(1, 4, 10, 2222, "");
    TOSVersion nt4 = DescribeOSVersion(2, 4, 0, 1381, "Service Pack 6a");
    for (const TOSVersion& os : {osr2, win98, nt4})
        EXPECT_NEAR(double(GetDiskFreeKBOn(scratch.Path(), os)), double(expected), 64 * 1024.0);
    EXPECT_EQ(askedRoots.size(), 1u);
}

TEST(GetDiskFreeKBTest, NoSecondMethodWhenTheExtendedCallIsMissing) {
    TScratchFolder scratch;
    test::TTableRestore<TFileUtilsApi> restore(FileUtilsApi);
    FileUtilsApi.GetDiskFreeSpaceA = RecordDiskFreeSpace;
    VELK_FAULT_SLOT(FileUtilsApi, LoadLibraryA)::Install(nullptr);
    VELK_FAULT_SLOT(FileUtilsApi, GetProcAddress)::Install(nullptr);
    VELK_FAULT_SLOT(FileUtilsApi, FreeLibrary)::Install(FALSE, false);
    askedRoots.clear();
    test::SweepFaults([&] { return GetDiskFreeKBOn(scratch.Path(), OSVersion()); },
                      [&](int n, int64_t kb, bool failed) {
                          EXPECT_EQ(kb == 0, failed) << "call " << n;
                          EXPECT_EQ(VELK_FAULT_SUCCESSES(FileUtilsApi, LoadLibraryA),
                                    VELK_FAULT_SUCCESSES(FileUtilsApi, FreeLibrary));
                      });
    EXPECT_TRUE(askedRoots.empty());
}

class CopyTest : public testing::Test {
protected:
    std::string Src() const { return scratch_ / "src"; }
    std::string Dst() const { return scratch_ / "dst"; }
    static FILETIME WriteTime(const std::string& name) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }

    TScratchFolder scratch_;
};

TEST_F(CopyTest, ContentsTimeAndAttributes) {
    std::string data = Pattern(131072 * 3 + 17);
    WriteBytes(Src(), data);
    SetLocalWriteTime(Src(), SYSTEMTIME{1999, 12, 0, 31, 23, 59, 58, 0});
    ::SetFileAttributesA(Src().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    std::vector<int32_t> chunks;
    ASSERT_TRUE(CopyFileWithProgress(
        Src(), Dst(),
        [&](const std::string&, const std::string&, int32_t chunk, int64_t copied, int64_t total) {
            chunks.push_back(chunk);
            EXPECT_EQ(total, int64_t(data.size()));
            EXPECT_LE(copied, total);
            return true;
        },
        false));
    EXPECT_EQ(ReadBytes(Dst()), data);
    EXPECT_EQ(chunks, (std::vector<int32_t>{131072, 131072, 131072, 17}));
    FILETIME sourceTime = WriteTime(Src()), destTime = WriteTime(Dst());
    EXPECT_EQ(::CompareFileTime(&sourceTime, &destTime), 0);
    EXPECT_EQ(Attributes(Dst()), Attributes(Src()));
    EXPECT_EQ(Attributes(Dst()) & 3, DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(CopyTest, AppendAndCancel) {
    WriteBytes(Src(), Pattern(131072 + 1));
    WriteBytes(Dst(), "old ");
    ASSERT_TRUE(CopyFileWithProgress(Src(), Dst(), nullptr, true));
    EXPECT_EQ(ReadBytes(Dst()), "old " + Pattern(131072 + 1));
    auto cancel = [](const std::string&, const std::string&, int32_t, int64_t, int64_t) {
        return false;
    };
    WriteBytes(Dst(), "old ");
    EXPECT_FALSE(CopyFileWithProgress(Src(), Dst(), cancel, true));
    EXPECT_EQ(ReadBytes(Dst()), "old ");
    EXPECT_FALSE(CopyFileWithProgress(Src(), Dst(), cancel, false));
    EXPECT_FALSE(test::Exists(Dst()));
    EXPECT_FALSE(CopyFileWithProgress(Src(), Dst(), cancel, true));
    EXPECT_FALSE(test::Exists(Dst()));
    // The source is kept from writers while it is copied.
    EXPECT_FALSE(CopyFileWithProgress(Src(), Src(), nullptr, false));
    EXPECT_EQ(ReadBytes(Src()), Pattern(131072 + 1));
}

// A read that reports success with nothing read, as a source that ends early does.
decltype(&::ReadFile) realReadFile;
int readsBeforeEnd = 0;
BOOL WINAPI ReadEndsEarly(HANDLE h, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED o) {
    if (readsBeforeEnd-- > 0)
        return realReadFile(h, buffer, count, done, o);
    *done = 0;
    return TRUE;
}

TEST_F(CopyTest, SourceEndingEarlyFails) {
    WriteBytes(Src(), Pattern(131072 * 3));
    test::TTableRestore<TFileHandleApi> restore(FileHandleApi);
    realReadFile = FileHandleApi.ReadFile;
    FileHandleApi.ReadFile = ReadEndsEarly;
    readsBeforeEnd = 1;
    EXPECT_FALSE(CopyFileWithProgress(Src(), Dst(), nullptr, false));
    EXPECT_FALSE(test::Exists(Dst()));
}

TEST_F(CopyTest, EveryFailingCallLeavesTheDestinationAsItWas) {
    test::TTableRestore<TFileHandleApi> restoreHandles(FileHandleApi);
    test::TTableRestore<TFileUtilsApi> restoreUtils(FileUtilsApi);
    test::TTableRestore<TFileFindApi> restoreFind(FileFindApi);
    VELK_FAULT_SLOT(FileHandleApi, CreateFileA)::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileHandleApi, ReadFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, WriteFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, SetFilePointer)::Install(INVALID_SET_FILE_POINTER);
    VELK_FAULT_SLOT(FileHandleApi, SetEndOfFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, CloseHandle)::Install(FALSE, false);
    VELK_FAULT_SLOT(FileUtilsApi, GetFileAttributesA)::Install(INVALID_FILE_ATTRIBUTES);
    VELK_FAULT_SLOT(FileUtilsApi, SetFileAttributesA)::Install(FALSE);
    VELK_FAULT_SLOT(FileUtilsApi, GetFullPathNameA)::Install(0);
    VELK_FAULT_SLOT(FileUtilsApi, GetFileTime)::Install(FALSE);
    VELK_FAULT_SLOT(FileUtilsApi, SetFileTime)::Install(FALSE);
    VELK_FAULT_SLOT(FileFindApi, FindFirstFileA)::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileFindApi, FindClose)::Install(FALSE, false);
    const std::string data = Pattern(131072 * 2 + 3);
    for (bool append : {false, true}) {
        int runs = test::SweepFaults(
            [&] {
                WriteBytes(Src(), data);
                ::SetFileAttributesA(Dst().c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(Dst().c_str());
                if (append)
                    WriteBytes(Dst(), "old");
                return CopyFileWithProgress(Src(), Dst(), nullptr, append);
            },
            [&](int n, bool copied, bool) {
                std::string before = append ? "old" : "";
                if (copied)
                    EXPECT_EQ(ReadBytes(Dst()), before + data) << "call " << n;
                else if (append)
                    EXPECT_EQ(ReadBytes(Dst()), before) << "call " << n;
                else
                    EXPECT_FALSE(test::Exists(Dst())) << "call " << n;
                EXPECT_EQ(ReadBytes(Src()), data);
                EXPECT_EQ(VELK_FAULT_SUCCESSES(FileHandleApi, CreateFileA),
                          VELK_FAULT_SUCCESSES(FileHandleApi, CloseHandle))
                    << "call " << n;
                EXPECT_EQ(VELK_FAULT_SUCCESSES(FileFindApi, FindFirstFileA),
                          VELK_FAULT_SUCCESSES(FileFindApi, FindClose))
                    << "call " << n;
            });
        EXPECT_GT(runs, 10);
    }
}

} // namespace
} // namespace velk
