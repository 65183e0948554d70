#include "platform/epComServer.h"

#include <gtest/gtest.h>

#include <oaidl.h>

#include "WinScratch.h"
#include "harness/FaultInjection.h"
#include "platform/win/epComServerApi.h"
#include "platform/win/epUtilsApi.h"

namespace velk {
namespace {

using test::BesideTest;
using test::ReadBytes;

// {6E1B3C57-0B53-4C1E-9A54-7E3A1D2C9F10}, version 1.0
const GUID TestLibraryId = {
    0x6e1b3c57, 0x0b53, 0x4c1e, {0x9a, 0x54, 0x7e, 0x3a, 0x1d, 0x2c, 0x9f, 0x10}};
const std::string TestLibraryKey = "TypeLib\\{6E1B3C57-0B53-4C1E-9A54-7E3A1D2C9F10}\\1.0\\";

// A type library file written by the system's own type-library writer.
bool MakeTypeLibrary(const std::string& path) {
    std::wstring name(path.begin(), path.end());
    ICreateTypeLib2* library = nullptr;
    if (FAILED(::CreateTypeLib2(SYS_WIN32, name.c_str(), &library)))
        return false;
    library->SetGuid(TestLibraryId);
    library->SetVersion(1, 0);
    library->SetName(const_cast<wchar_t*>(L"VelkTestLibrary"));
    library->SetHelpFileName(const_cast<wchar_t*>(L"C:\\Help Files\\velk.hlp"));
    bool saved = SUCCEEDED(library->SaveAllChanges());
    library->Release();
    return saved;
}

std::string ReadClassesValue(const std::string& key) {
    char value[MAX_PATH] = "";
    LONG size = sizeof(value);
    return ::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) == ERROR_SUCCESS
               ? value
               : "<missing>";
}

class ComServerWinTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetEnvironmentVariableA("VELK_COMSERVER_MARKER", marker_.c_str()); }
    // A private copy, so that deleting it shows the library was released.
    std::string Copy(const std::string& fixture, const std::string& name) {
        ::CopyFileA(BesideTest(fixture).c_str(), (scratch_ / name).c_str(), FALSE);
        return scratch_ / name;
    }
    // What the servers wrote; a started program runs on its own, so it is given time to.
    std::string TakeMarker(bool started) {
        for (int i = 0; started && i < 400 && !test::Exists(marker_); ++i)
            ::Sleep(25);
        ::Sleep(started ? 100 : 0);
        std::string text = ReadBytes(marker_);
        ::DeleteFileA(marker_.c_str());
        return text;
    }
    test::TScratchFolder scratch_;
    std::string marker_ = scratch_ / "marker.txt";
};

TEST_F(ComServerWinTest, ServersThenProgramsThenTypeLibraries) {
    ASSERT_TRUE(test::WriteBytes(scratch_ / "text.dll", "not a program image"));
    ASSERT_TRUE(MakeTypeLibrary(scratch_ / "Velk Test.tlb"));
    struct {
        std::string file;
        bool dll, server, comFile;
        const char* marker;
    } cases[] = {
        {Copy("velk_comserver_registers.dll", "a.dll"), true, true, true, "registered\n"},
        {Copy("velk_comserver_fails.dll", "b.dll"), false, false, false, "registered\n"},
        {Copy("velk_comserver_noexport.dll", "c.dll"), false, false, false, ""},
        {scratch_ / "text.dll", false, false, false, ""},
        {scratch_ / "missing.dll", false, false, false, ""},
        {Copy("velk_local_server.exe", "Local Server.exe"), false, true, true, "/REGSERVER\n"},
        // Only an ".exe" is started.
        {Copy("velk_local_server.exe", "server.ocx"), false, false, false, ""},
        {scratch_ / "Velk Test.tlb", false, false, true, ""},
    };
    for (const auto& c : cases) {
        bool started = c.server && !c.dll;
        EXPECT_EQ(RegisterDllServer(c.file), c.dll) << c.file;
        EXPECT_EQ(TakeMarker(false), started ? "" : c.marker) << c.file;
        EXPECT_EQ(RegisterServer(c.file), c.server) << c.file;
        EXPECT_EQ(TakeMarker(started), c.marker) << c.file;
        EXPECT_EQ(RegisterComFile(c.file), c.comFile) << c.file;
        EXPECT_EQ(TakeMarker(started), c.marker) << c.file;
        EXPECT_EQ(::GetModuleHandleA(c.file.c_str()), nullptr) << c.file;
        bool existed = test::Exists(c.file);
        if (!started) {
            EXPECT_EQ(::DeleteFileA(c.file.c_str()) != FALSE, existed) << c.file;
        }
    }
    EXPECT_EQ(ReadClassesValue(TestLibraryKey + "0\\win32"), scratch_ / "Velk Test.tlb");
    EXPECT_EQ(ReadClassesValue(TestLibraryKey + "HELPDIR"), "C:\\Help Files\\");
}

TEST_F(ComServerWinTest, UnregistersServersProgramsAndTypeLibraries) {
    ASSERT_TRUE(MakeTypeLibrary(scratch_ / "Velk Test.tlb"));
    ASSERT_TRUE(RegisterTypeLibrary(scratch_ / "Velk Test.tlb"));
    struct {
        std::string file;
        bool server, comFile;
        const char* marker;
    } cases[] = {
        {Copy("velk_comserver_registers.dll", "a.dll"), true, true, "unregistered\n"},
        {Copy("velk_comserver_fails.dll", "b.dll"), false, false, "unregistered\n"},
        {Copy("velk_comserver_noexport.dll", "c.dll"), false, false, ""},
        // Waited for, so that the uninstaller can delete the program next.
        {Copy("velk_local_server.exe", "Local Server.exe"), true, true, "/UNREGSERVER\n"},
        {scratch_ / "missing.dll", false, false, ""},
        {scratch_ / "Velk Test.tlb", false, true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnregisterServer(c.file), c.server) << c.file;
        EXPECT_EQ(TakeMarker(false), c.marker) << c.file;
        EXPECT_EQ(UnregisterComFile(c.file), c.comFile) << c.file;
        EXPECT_EQ(TakeMarker(false), c.marker) << c.file;
        const bool existed = test::Exists(c.file);
        EXPECT_EQ(::DeleteFileA(c.file.c_str()) != FALSE, existed) << c.file;
    }
    EXPECT_EQ(ReadClassesValue(TestLibraryKey + "0\\win32"), "<missing>");
}

TEST_F(ComServerWinTest, FailedCallsReportFailureAndReleaseTheLibrary) {
    std::string server = Copy("velk_comserver_registers.dll", "a.dll");
    ASSERT_TRUE(MakeTypeLibrary(scratch_ / "x.tlb"));
    test::TTableRestore<TUtilsApi> restoreUtils(UtilsApi);
    test::TTableRestore<TComServerApi> restore(ComServerApi);
    VELK_FAULT_SLOT(UtilsApi, LoadLibraryA)::Install(nullptr);
    VELK_FAULT_SLOT(ComServerApi, GetProcAddress)::Install(nullptr);
    VELK_FAULT_SLOT(ComServerApi, FreeLibrary)::Install(FALSE, false);
    VELK_FAULT_SLOT(ComServerApi, LoadTypeLib)::Install(E_FAIL);
    VELK_FAULT_SLOT(ComServerApi, RegisterTypeLib)::Install(E_FAIL);
    int runs = test::SweepFaults(
        [&] { return RegisterDllServer(server) && RegisterTypeLibrary(scratch_ / "x.tlb"); },
        [&](int n, bool result, bool failed) {
            EXPECT_EQ(result, !failed) << "call " << n;
            EXPECT_EQ(VELK_FAULT_SUCCESSES(ComServerApi, FreeLibrary),
                      VELK_FAULT_SUCCESSES(UtilsApi, LoadLibraryA))
                << "call " << n;
            EXPECT_EQ(::GetModuleHandleA(server.c_str()), nullptr) << "call " << n;
        });
    EXPECT_EQ(runs, 5);
}

} // namespace
} // namespace velk
