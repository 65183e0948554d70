#include "platform/epRegIni.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "harness/FaultInjection.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/win/epFileHandlesApi.h"

namespace velk {
namespace {

using test::SweepFaults;
using test::TTableRestore;

std::string ReadAllShared(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    std::string text(::GetFileSize(h, nullptr), '\0');
    DWORD done = 0;
    ::ReadFile(h, &text[0], DWORD(text.size()), &done, nullptr);
    ::CloseHandle(h);
    text.resize(done);
    return text;
}

void WriteAll(const std::string& path, const std::string& text) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ::WriteFile(h, text.data(), DWORD(text.size()), &done, nullptr);
    ::CloseHandle(h);
}

// Opens the file the way another program writing to it would.
DWORD TryOpenForWriting(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    ::CloseHandle(h);
    return ERROR_SUCCESS;
}

// Runs AppendFromAnotherProcess below in a second process of this program, on the file named
// by VELK_CHILD_FILE; its exit code is 0 when it could write.
DWORD AppendFromAnotherProcess(const std::string& path) {
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    ::SetEnvironmentVariableA("VELK_CHILD_FILE", path.c_str());
    std::string commandLine = "\"" + std::string(self) +
                              "\" --gtest_also_run_disabled_tests "
                              "--gtest_filter=IniFileChild.DISABLED_AppendFromAnotherProcess";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &si, &pi))
        return DWORD(-1);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

TEST(IniFileChild, DISABLED_AppendFromAnotherProcess) {
    const char* path = std::getenv("VELK_CHILD_FILE");
    ASSERT_NE(path, nullptr);
    HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD done = 0;
    EXPECT_TRUE(::WriteFile(h, "appended", 8, &done, nullptr));
    ::CloseHandle(h);
}

class IniFileWinTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
        dir_ = std::string(temp) + "velkini" + std::to_string(::GetTickCount());
        ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr));
        path_ = dir_ + "\\TEST.INI";
    }
    void TearDown() override {
        FlushIniFiles();
        DeleteFolder(dir_, true);
    }
    std::string dir_, path_;
};

TEST_F(IniFileWinTest, CachedWritableFileIsSharedForReadingOnly) {
    WriteAll(path_, "[S]\r\nold=1\r\n");
    ASSERT_TRUE(IniWriteString(path_, "S", "new", "2"));

    EXPECT_EQ(TryOpenForWriting(path_), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_NE(AppendFromAnotherProcess(path_), 0u);
    EXPECT_EQ(ReadAllShared(path_), "[S]\r\nold=1\r\n") << "readers are let in, writers are not";

    IniWriteString(path_, "", "", "");
    EXPECT_EQ(ReadAllShared(path_), "[S]\r\nold=1\r\nnew=2\r\n\r\n");
    EXPECT_EQ(TryOpenForWriting(path_), DWORD(ERROR_SHARING_VIOLATION)) << "the handle stays open";

    FlushIniFiles();
    EXPECT_EQ(TryOpenForWriting(path_), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(AppendFromAnotherProcess(path_), 0u);
    EXPECT_EQ(ReadAllShared(path_), "[S]\r\nold=1\r\nnew=2\r\n\r\nappended");
}

TEST_F(IniFileWinTest, ReadOnlyObjectHoldsNoHandle) {
    WriteAll(path_, "[S]\r\nk=1\r\n");
    EXPECT_EQ(IniReadString(path_, "S", "k", ""), "1");
    EXPECT_EQ(GetIniFile(path_, true)->Handle(), 0);
    EXPECT_EQ(TryOpenForWriting(path_), DWORD(ERROR_SUCCESS));
}

TEST_F(IniFileWinTest, LockedFileCannotBeOpenedAndIsNotCached) {
    WriteAll(path_, "[S]\r\nk=1\r\n");
    HANDLE lock = ::CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    try {
        IniReadString(path_, "S", "k", "");
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + AnsiUpperCase(path_));
    }
    ::CloseHandle(lock);
    EXPECT_EQ(IniReadString(path_, "S", "k", ""), "1");
}

TEST_F(IniFileWinTest, NewFilesAndFoldersTakeTheUpperCasedName) {
    std::string name = dir_ + "\\Sub\\Deeper\\new.ini";
    IniWriteString(name, "S", "k", "v");
    EXPECT_EQ(GetIniFile(name, true)->FileName(), AnsiUpperCase(name));
    FlushIniFiles();
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((dir_ + "\\SUB\\DEEPER\\*.ini").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ::FindClose(search);
    EXPECT_STREQ(found.cFileName, "NEW.INI");
    search = ::FindFirstFileA((dir_ + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::string folders;
    do
        folders += std::string(found.cFileName) + ";";
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    EXPECT_NE(folders.find(";SUB;"), std::string::npos) << folders;
    EXPECT_EQ(ReadAllShared(name), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(IniFileWinTest, BareNameLivesInTheWindowsFolder) {
    char windows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string full = std::string(windows) + "\\velkbare.ini";
    IniWriteString("velkbare.ini", "S", "k", "bare");
    EXPECT_NE(GetIniFile("velkbare.ini", true), GetIniFile(full, true));
    FlushIniFiles();
    EXPECT_EQ(IniReadString(full, "S", "k", ""), "bare");
    ::DeleteFileA(full.c_str());
}

// Counts closes beside the fault plan, which must never make a close fail.
int Closes = 0;
BOOL(WINAPI* RealCloseHandle)(HANDLE) = nullptr;
BOOL WINAPI CountingCloseHandle(HANDLE h) {
    ++Closes;
    return RealCloseHandle(h);
}

TEST_F(IniFileWinTest, FailedCallsLoseNothingAndLeakNoHandle) {
    const std::string original =
        "[Long]\r\nline=" + std::string(180, 'x') + "\r\n[S]\r\nk=1\r\n[T]\r\nt=2\r\n";
    const std::string expected =
        "[Long]\r\nline=" + std::string(180, 'x') + "\r\n\r\n[S]\r\nk=changed\r\n\r\n";
    TTableRestore<TFileHandleApi> restore(FileHandleApi);
    using Create = VELK_FAULT_SLOT(FileHandleApi, CreateFileA);
    Create::Install(INVALID_HANDLE_VALUE);
    VELK_FAULT_SLOT(FileHandleApi, ReadFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, WriteFile)::Install(FALSE);
    VELK_FAULT_SLOT(FileHandleApi, SetFilePointer)::Install(INVALID_SET_FILE_POINTER);
    VELK_FAULT_SLOT(FileHandleApi, GetFileSize)::Install(INVALID_FILE_SIZE);
    VELK_FAULT_SLOT(FileHandleApi, SetEndOfFile)::Install(FALSE);
    RealCloseHandle = FileHandleApi.CloseHandle;
    FileHandleApi.CloseHandle = CountingCloseHandle;

    int runs = SweepFaults(
        [&] {
            WriteAll(path_, original);
            Create::Successes = 0;
            Closes = 0;
            bool loaded = true;
            try {
                IniWriteString(path_, "S", "k", "changed");
                IniWriteString(path_, "T", "", "");
                IniWriteString(path_, "", "", "");
            } catch (const EInOutError&) {
                loaded = false;
            }
            return loaded;
        },
        [&](int n, bool loaded, bool) {
            if (!loaded) {
                EXPECT_EQ(ReadAllShared(path_), original) << "call " << n;
            }
            FlushIniFiles();
            EXPECT_EQ(Create::Successes, Closes) << "call " << n;
            if (loaded) {
                EXPECT_EQ(ReadAllShared(path_), expected) << "call " << n;
            }
        });
    EXPECT_GT(runs, 20);
}

} // namespace
} // namespace velk
