#include "platform/epComServer.h"

#include <gtest/gtest.h>

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/win/epComServerApi.h"
#include "platform/win/epUtilsApi.h"

#include <oaidl.h>

namespace velk {
namespace {

using test::BesideTest;
using test::TScratchFolder;

// {6E1B3C57-0B53-4C1E-9A54-7E3A1D2C9F10}
const GUID TestLibraryId = {
    0x6e1b3c57, 0x0b53, 0x4c1e, {0x9a, 0x54, 0x7e, 0x3a, 0x1d, 0x2c, 0x9f, 0x10}};
const char TestLibraryKey[] = "TypeLib\\{6E1B3C57-0B53-4C1E-9A54-7E3A1D2C9F10}\\1.0";

// A type library file written by the system's own type-library writer.
bool MakeTypeLibrary(const std::string& path, const wchar_t* helpFile) {
    std::wstring name(path.begin(), path.end());
    ICreateTypeLib2* library = nullptr;
    if (FAILED(::CreateTypeLib2(SYS_WIN32, name.c_str(), &library)))
        return false;
    library->SetGuid(TestLibraryId);
    library->SetVersion(1, 0);
    library->SetName(const_cast<wchar_t*>(L"VelkTestLibrary"));
    if (helpFile != nullptr)
        library->SetHelpFileName(const_cast<wchar_t*>(helpFile));
    bool saved = SUCCEEDED(library->SaveAllChanges());
    library->Release();
    return saved;
}

std::string ReadClassesValue(const std::string& key) {
    char value[MAX_PATH] = "";
    LONG size = sizeof(value);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

class ComServerWinTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetEnvironmentVariableA("VELK_COMSERVER_MARKER", marker_.c_str()); }
    // A private copy, so that deleting it shows the library was released.
    std::string Copy(const std::string& fixture) {
        std::string copy = scratch_ / fixture;
        ::CopyFileA(BesideTest(fixture).c_str(), copy.c_str(), FALSE);
        return copy;
    }
    // What the local server wrote, once it has: it runs on its own.
    std::string AwaitMarker() {
        for (int i = 0; i < 400 && !test::Exists(marker_); ++i)
            ::Sleep(25);
        ::Sleep(100);
        return test::ReadBytes(marker_);
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

TEST_F(ComServerWinTest, ServersFirstThenProgramsThenTypeLibraries) {
    std::string program = scratch_ / "Local Server.exe";
    ::CopyFileA(BesideTest("velk_local_server.exe").c_str(), program.c_str(), FALSE);
    std::string library = scratch_ / "Velk Test.tlb";
    ASSERT_TRUE(MakeTypeLibrary(library, L"C:\\Help Files\\velk.hlp"));
    std::string renamedProgram = scratch_ / "server.ocx";
    ::CopyFileA(program.c_str(), renamedProgram.c_str(), FALSE);
    struct {
        std::string file;
        bool server, comFile;
        const char* marker;
    } cases[] = {
        {Copy("velk_comserver_registers.dll"), true, true, "registered\n"},
        {program, true, true, "/REGSERVER\n"},
        // Only an ".exe" is started.
        {renamedProgram, false, false, ""},
        {library, false, true, ""},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(marker_.c_str());
        EXPECT_EQ(RegisterServer(c.file), c.server) << c.file;
        EXPECT_EQ(c.server ? AwaitMarker() : test::ReadBytes(marker_), c.marker) << c.file;
        ::DeleteFileA(marker_.c_str());
        EXPECT_EQ(RegisterComFile(c.file), c.comFile) << c.file;
        EXPECT_EQ(c.server ? AwaitMarker() : test::ReadBytes(marker_), c.marker) << c.file;
    }
    EXPECT_EQ(ReadClassesValue(std::string(TestLibraryKey) + "\\0\\win32"), library);
    EXPECT_EQ(ReadClassesValue(std::string(TestLibraryKey) + "\\HELPDIR"), "C:\\Help Files\\");
}

TEST_F(ComServerWinTest, TypeLibraryWithoutHelpFileAndFailedCalls) {
    std::string library = scratch_ / "plain.tlb";
    ASSERT_TRUE(MakeTypeLibrary(library, nullptr));
    ::SetCurrentDirectoryA(scratch_.Path().c_str());
    test::TTableRestore<TComServerApi> restore(ComServerApi);
    VELK_FAULT_SLOT(ComServerApi, LoadTypeLib)::Install(E_FAIL);
    VELK_FAULT_SLOT(ComServerApi, RegisterTypeLib)::Install(E_FAIL);
    int runs = test::SweepFaults(
        [&] { return RegisterTypeLibrary("plain.tlb"); },
        [&](int n, bool result, bool failed) { EXPECT_EQ(result, !failed) << "call " << n; });
    EXPECT_EQ(runs, 3);
    ::SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(ReadClassesValue(std::string(TestLibraryKey) + "\\0\\win32"), library);
    EXPECT_EQ(ReadClassesValue(std::string(TestLibraryKey) + "\\HELPDIR"), "");
    EXPECT_FALSE(RegisterTypeLibrary(scratch_ / "missing.tlb"));
}

} // namespace
} // namespace velk
