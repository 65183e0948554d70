#include "platform/epComServer.h"

#include <gtest/gtest.h>

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/win/epComServerApi.h"
#include "platform/win/epUtilsApi.h"

namespace velk {
namespace {

using test::BesideTest;
using test::TScratchFolder;

class ComServerWinTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetEnvironmentVariableA("VELK_COMSERVER_MARKER", marker_.c_str()); }
    // A private copy, so that deleting it shows the library was released.
    std::string Copy(const std::string& fixture) {
        std::string copy = scratch_ / fixture;
        ::CopyFileA(BesideTest(fixture).c_str(), copy.c_str(), FALSE);
        return copy;
    }
    TScratchFolder scratch_;
    std::string marker_ = scratch_ / "marker.txt";
};

TEST_F(ComServerWinTest, ResultFollowsTheServerAndTheLibraryIsReleased) {
    ASSERT_TRUE(test::WriteBytes(scratch_ / "text.dll", "not a program image"));
    struct {
        std::string file;
        bool result;
        const char* marker;
    } cases[] = {
        {Copy("velk_comserver_registers.dll"), true, "registered\n"},
        {Copy("velk_comserver_fails.dll"), false, "registered\n"},
        {Copy("velk_comserver_noexport.dll"), false, ""},
        {scratch_ / "text.dll", false, ""},
        {scratch_ / "missing.dll", false, ""},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(marker_.c_str());
        EXPECT_EQ(RegisterDllServer(c.file), c.result) << c.file;
        EXPECT_EQ(test::ReadBytes(marker_), c.marker) << c.file;
        EXPECT_EQ(::GetModuleHandleA(c.file.c_str()), nullptr) << c.file;
        bool existed = test::Exists(c.file);
        EXPECT_EQ(::DeleteFileA(c.file.c_str()) != FALSE, existed) << c.file;
    }
}

TEST_F(ComServerWinTest, FailedCallsReportFailureAndReleaseTheLibrary) {
    std::string server = Copy("velk_comserver_registers.dll");
    test::TTableRestore<TUtilsApi> restoreUtils(UtilsApi);
    test::TTableRestore<TComServerApi> restore(ComServerApi);
    VELK_FAULT_SLOT(UtilsApi, LoadLibraryA)::Install(nullptr);
    VELK_FAULT_SLOT(ComServerApi, GetProcAddress)::Install(nullptr);
    VELK_FAULT_SLOT(ComServerApi, FreeLibrary)::Install(FALSE, false);
    int runs = test::SweepFaults([&] { return RegisterDllServer(server); },
                                 [&](int n, bool result, bool failed) {
                                     EXPECT_EQ(result, !failed) << "call " << n;
                                     EXPECT_EQ(VELK_FAULT_SUCCESSES(ComServerApi, FreeLibrary),
                                               VELK_FAULT_SUCCESSES(UtilsApi, LoadLibraryA))
                                         << "call " << n;
                                     EXPECT_EQ(::GetModuleHandleA(server.c_str()), nullptr);
                                 });
    EXPECT_EQ(runs, 3);
}

} // namespace
} // namespace velk
