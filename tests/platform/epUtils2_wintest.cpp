#include "platform/epUtils2.h"

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/epFileFind.h"
#include "platform/epUtils.h"
#include "platform/win/epUtils2Api.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

using test::BesideTest;
using test::TScratchFolder;

std::string VersionOf(const std::string& file) {
    std::string text;
    GetFileVersionText(file, text);
    return text;
}

TEST(FileVersionTest, ReadsVersionResources) {
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(GetFileVersion(BesideTest("velk_probe_1_2_3_4.exe"), ms, ls));
    EXPECT_EQ(ms, 0x00010002u);
    EXPECT_EQ(ls, 0x00030004u);
    EXPECT_EQ(VersionOf(BesideTest("velk_probe_32768_0_0_0.exe")), "32768.0.0.0");
    std::string text = "stale";
    EXPECT_FALSE(GetFileVersionText(BesideTest("velk_probe_plain.exe"), text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(GetFileVersionText(BesideTest("missing.exe"), text));
}

// The image reader of the Linux side agrees with the system on every program it can find.
TEST(FileVersionTest, ImageReaderAgreesWithTheSystem) {
    std::vector<std::string> files = {BesideTest("velk_probe_1_2_3_10.exe"),
                                      BesideTest("velk_probe_plain.exe")};
    std::string system = GetSystemFolder() + "\\";
    TSearchRecEx rec;
    for (int code = FindFirstEx(system + "*.dll", 0, faDirectory, rec);
         code == 0 && files.size() < 60; code = FindNextEx(rec))
        files.push_back(rec.FullName);
    FindCloseEx(rec);
    int versioned = 0;
    for (const std::string& file : files) {
        uint32_t ms = 0, ls = 0, imageMs = 0, imageLs = 0;
        bool found = GetFileVersion(file, ms, ls);
        EXPECT_EQ(ReadImageFileVersion(ReadFileToString(file), imageMs, imageLs), found) << file;
        if (found) {
            ++versioned;
            EXPECT_EQ(VersionToText(imageMs, imageLs), VersionToText(ms, ls)) << file;
        }
    }
    EXPECT_GE(versioned, 10);
}

TEST(FileVersionTest, FailingCallsMeanNoVersion) {
    test::TTableRestore<TVersionApi> restore(VersionApi);
    VELK_FAULT_SLOT(VersionApi, GetFileVersionInfoSizeA)::Install(0);
    VELK_FAULT_SLOT(VersionApi, GetFileVersionInfoA)::Install(FALSE);
    VELK_FAULT_SLOT(VersionApi, VerQueryValueA)::Install(FALSE);
    int runs = test::SweepFaults([] { return VersionOf(BesideTest("velk_probe_1_2_3_4.exe")); },
                                 [](int n, const std::string& text, bool failed) {
                                     EXPECT_EQ(text, failed ? "" : "1.2.3.4") << n;
                                 });
    EXPECT_EQ(runs, 4);
}

class NewerTest : public testing::Test {
protected:
    std::string Copy(const std::string& probe, const std::string& name, WORD day) {
        std::string target = scratch_ / name;
        EXPECT_TRUE(::CopyFileA(BesideTest(probe).c_str(), target.c_str(), FALSE));
        SYSTEMTIME local = {2006, 5, 0, day, 12, 0, 0, 0};
        FILETIME localTime, utc;
        ::SystemTimeToFileTime(&local, &localTime);
        ::LocalFileTimeToFileTime(&localTime, &utc);
        HANDLE h =
            ::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ::SetFileTime(h, nullptr, nullptr, &utc);
        ::CloseHandle(h);
        return target;
    }

    TScratchFolder scratch_;
};

TEST_F(NewerTest, VersionsBeforeDates) {
    std::string v4 = Copy("velk_probe_1_2_3_4.exe", "v4.exe", 20);
    std::string v10 = Copy("velk_probe_1_2_3_10.exe", "v10.exe", 10);
    std::string twin = Copy("velk_probe_1_2_3_4.exe", "twin.exe", 10);
    std::string big = Copy("velk_probe_32768_0_0_0.exe", "big.exe", 25);
    std::string plain = Copy("velk_probe_plain.exe", "plain.exe", 15);
    EXPECT_TRUE(IsFileNewer(v10, v4));
    EXPECT_FALSE(IsFileNewer(v4, v10));
    EXPECT_FALSE(IsFileNewer(v4, twin));
    // 32768 as the first word makes a negative number: older than 1.2.3.4.
    EXPECT_FALSE(IsFileNewer(big, v4));
    EXPECT_TRUE(IsFileNewer(plain, v10));
    EXPECT_FALSE(IsFileNewer(plain, v4));
    EXPECT_TRUE(IsFileNewer(plain, scratch_ / "missing.exe"));

    TDateTime day10 = GetFileDate(twin);
    EXPECT_TRUE(ExistingFileIsNewer("1.2.3.4", v10, day10 + 30));
    EXPECT_FALSE(ExistingFileIsNewer("1.2.3.11", v10, day10 - 30));
    EXPECT_TRUE(ExistingFileIsNewer("1.2.3.10", v10, day10 - 1));
    EXPECT_FALSE(ExistingFileIsNewer("", v10, day10));
    EXPECT_TRUE(ExistingFileIsSame("1.2.3.10", v10, day10));
    EXPECT_FALSE(ExistingFileIsSame("1.2.3.9", v10, day10));
    EXPECT_TRUE(ExistingFileIsSame("1.2.3.9", plain, GetFileDate(plain)));
    EXPECT_FALSE(ExistingFileIsSame("", scratch_ / "missing.exe", 0));
}

} // namespace
} // namespace velk
