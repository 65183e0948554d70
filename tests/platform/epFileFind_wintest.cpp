#include "platform/epFileFind.h"

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/epFileUtils.h"
#include "platform/win/epFileFindApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velk {
namespace {

using test::TScratchFolder;

class FindTest : public testing::Test {
protected:
    // plain.txt, ro.txt (read-only), h.txt (hidden), s.dat (system), d1, d2 (hidden folder)
    void SetUp() override {
        Make("plain.txt", FILE_ATTRIBUTE_NORMAL);
        Make("ro.txt", FILE_ATTRIBUTE_READONLY);
        Make("h.txt", FILE_ATTRIBUTE_HIDDEN);
        Make("s.dat", FILE_ATTRIBUTE_SYSTEM);
        ::CreateDirectoryA((scratch_ / "d1").c_str(), nullptr);
        ::CreateDirectoryA((scratch_ / "d2").c_str(), nullptr);
        ::SetFileAttributesA((scratch_ / "d2").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    void Make(const std::string& name, DWORD attributes) {
        ASSERT_TRUE(test::WriteBytes(scratch_ / name, name));
        ASSERT_TRUE(::SetFileAttributesA((scratch_ / name).c_str(), attributes));
    }
    // The names a whole search returns, sorted.
    std::vector<std::string> Names(const std::string& mask, int32_t include, int32_t exclude) {
        std::vector<std::string> names;
        TSearchRecEx rec;
        for (int code = FindFirstEx(scratch_ / mask, include, exclude, rec); code == 0;
             code = FindNextEx(rec))
            names.push_back(rec.Name);
        FindCloseEx(rec);
        std::sort(names.begin(), names.end());
        return names;
    }

    TScratchFolder scratch_;
};

using TNames = std::vector<std::string>;

TEST_F(FindTest, IncludeAndExcludeMasks) {
    TNames all = {"d1", "d2", "h.txt", "plain.txt", "ro.txt", "s.dat"};
    EXPECT_EQ(Names("*.*", 0, 0), all);
    EXPECT_EQ(Names("*.*", faAnyFile, 0), all);
    EXPECT_EQ(Names("*.*", faDirectory, 0), (TNames{"d1", "d2"}));
    EXPECT_EQ(Names("*.*", faAnyFile, faDirectory | faVolumeID),
              (TNames{"h.txt", "plain.txt", "ro.txt", "s.dat"}));
    EXPECT_EQ(Names("*.*", faReadOnly | faHidden, 0), (TNames{"d2", "h.txt", "ro.txt"}));
    EXPECT_EQ(Names("*.*", faAnyFile, faHidden | faSysFile), (TNames{"d1", "plain.txt", "ro.txt"}));
    EXPECT_EQ(Names("*.txt", faAnyFile, faReadOnly), (TNames{"h.txt", "plain.txt"}));
}

TEST_F(FindTest, RecordDescribesTheEntry) {
    std::string big = scratch_ / "big";
    HANDLE h = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LONG high = 1;
    ::SetFilePointer(h, 0x10, &high, FILE_BEGIN);
    ::SetEndOfFile(h);
    ::CloseHandle(h);
    TSearchRecEx rec;
    ASSERT_EQ(FindFirstEx(big, 0, 0, rec), 0);
    EXPECT_EQ(rec.IncludeAttr, faAnyFile);
    EXPECT_EQ(rec.Path, scratch_.Path() + "\\");
    EXPECT_EQ(rec.Name, "big");
    EXPECT_EQ(rec.FullName, big);
    EXPECT_EQ(rec.Size, 0x10);
    EXPECT_EQ(rec.FindData.FileSize, 0x100000010ull);
    EXPECT_EQ(rec.FindData.FileName, "big");
    EXPECT_EQ(rec.Attr & faDirectory, 0);
    EXPECT_EQ(FileDateToDateTime(rec.Time), GetFileDate(big));
    EXPECT_NE(rec.FindHandle, InvalidFindHandle);
    EXPECT_EQ(FindNextEx(rec), ERROR_NO_MORE_FILES);
    FindCloseEx(rec);
    EXPECT_EQ(rec.FindHandle, InvalidFindHandle);
    FindCloseEx(rec);
    EXPECT_EQ(FindNextEx(rec), ERROR_INVALID_HANDLE);
}

TEST_F(FindTest, NothingFoundClosesTheSearch) {
    test::TTableRestore<TFileFindApi> restore(FileFindApi);
    VELK_FAULT_SLOT(FileFindApi, FindFirstFileA)::Install(INVALID_HANDLE_VALUE, false);
    VELK_FAULT_SLOT(FileFindApi, FindClose)::Install(FALSE, false);
    TSearchRecEx rec;
    // Entries exist but none matches.
    EXPECT_EQ(FindFirstEx(scratch_ / "*.txt", faDirectory, 0, rec), ERROR_NO_MORE_FILES);
    EXPECT_EQ(rec.FindHandle, InvalidFindHandle);
    EXPECT_EQ(FindFirstEx(scratch_ / "*.none", 0, 0, rec), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstEx(scratch_ / "missing\\*.*", 0, 0, rec), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(rec.FindHandle, InvalidFindHandle);
    EXPECT_EQ(VELK_FAULT_SUCCESSES(FileFindApi, FindFirstFileA),
              VELK_FAULT_SUCCESSES(FileFindApi, FindClose));
}

TEST_F(FindTest, FailingCallsGiveTheirErrorCode) {
    test::TTableRestore<TFileFindApi> restore(FileFindApi);
    VELK_FAULT_SLOT(FileFindApi, FindFirstFileA)::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileFindApi, FindNextFileA)::Install(FALSE);
    VELK_FAULT_SLOT(FileFindApi, FindClose)::Install(FALSE, false);
    test::FaultPlan.Error = ERROR_NETWORK_BUSY;
    int runs = test::SweepFaults(
        [&] {
            std::vector<int> codes;
            TSearchRecEx rec;
            int code = FindFirstEx(scratch_ / "*.*", faAnyFile, faDirectory, rec);
            for (codes.push_back(code); code == 0; codes.push_back(code))
                code = FindNextEx(rec);
            FindCloseEx(rec);
            return codes;
        },
        [&](int n, const std::vector<int>& codes, bool failed) {
            // Four files, then the end of the search or the injected error.
            EXPECT_EQ(codes.back(), failed ? ERROR_NETWORK_BUSY : ERROR_NO_MORE_FILES) << n;
            if (!failed) {
                EXPECT_EQ(codes.size(), 5u);
            }
            EXPECT_EQ(VELK_FAULT_SUCCESSES(FileFindApi, FindFirstFileA),
                      VELK_FAULT_SUCCESSES(FileFindApi, FindClose));
        });
    EXPECT_GE(runs, 8);
}

TEST_F(FindTest, UnreadableTimeLeavesTheEntry) {
    test::TTableRestore<TFileFindApi> restore(FileFindApi);
    VELK_FAULT_SLOT(FileFindApi, FileTimeToLocalFileTime)::Install(FALSE);
    test::FaultPlan.FailAt = 1;
    TSearchRecEx rec;
    ASSERT_EQ(FindFirstEx(scratch_ / "plain.txt", 0, 0, rec), 0);
    EXPECT_EQ(rec.Time, 0);
    EXPECT_EQ(rec.Name, "plain.txt");
    FindCloseEx(rec);
}

} // namespace
} // namespace velk
