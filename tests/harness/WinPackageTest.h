// A Windows test that builds packages: a scratch folder of its own, files written into it, and
// programs (velkpack.exe, setup.exe) run with their output kept.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/WindowsSupport.h"

namespace velk::test {

struct TProcessResult {
    DWORD exitCode = DWORD(-1);
    std::string out;
    std::string err;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

// Messages and listings are text, written with CR LF line ends on Windows.
inline std::string Text(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// Names of the entries of a folder (given with a trailing backslash), "." and ".." left out.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// DejaVu Sans under a family name of its own, six letters long as "DejaVu" is, so that the
// tables keep their offsets: the prefix has the host's fonts registered already, and installing
// a registered font replaces its file wherever that lies.
inline std::string RenamedFont(const std::string& family) {
    std::string font = ReadBytes("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf");
    std::string wide, wideFamily;
    for (char c : std::string("DejaVu"))
        wide += {'\0', c};
    for (char c : family)
        wideFamily += {'\0', c};
    const std::pair<std::string, std::string> names[] = {{"DejaVu", family}, {wide, wideFamily}};
    for (const auto& [from, to] : names)
        for (size_t at = 0; (at = font.find(from, at)) != std::string::npos; at += to.size())
            font.replace(at, from.size(), to);
    return font;
}

// The Windows version Wine reports to the programs started from now on ("winxp", "win98", ...).
inline void SetWineVersion(const char* version) {
    HKEY wine;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine", &wine), 0);
    RegSetValueExA(wine, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   DWORD(strlen(version) + 1));
    RegCloseKey(wine);
}

class TWinPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        char name[MAX_PATH];
        ASSERT_NE(GetTempFileNameA(temp, "vkp", 0, name), 0u);
        DeleteFileA(name);
        dir_ = name;
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override { Start("cmd /c rd /s /q \"" + dir_ + "\"", nullptr); }

    std::string Path(const std::string& relative) const { return dir_ + "\\" + relative; }
    // Writes a file, creating its folders.
    void Put(const std::string& relative, const std::string& data) {
        for (size_t slash = relative.find('\\'); slash != std::string::npos;
             slash = relative.find('\\', slash + 1))
            CreateDirectoryA(Path(relative.substr(0, slash)).c_str(), nullptr);
        WriteBytes(Path(relative), data);
    }
    bool Exists(const std::string& relative) const {
        return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Runs a command line with stdout and stderr in files of the scratch folder, new ones for
    // each run: a process that inherited the last ones may not have let go of them yet.
    DWORD Start(std::string commandLine, TProcessResult* result) {
        ++runs_;
        const std::string outPath = Path("stdout" + std::to_string(runs_));
        const std::string errPath = Path("stderr" + std::to_string(runs_));
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(out, INVALID_HANDLE_VALUE);
        EXPECT_NE(err, INVALID_HANDLE_VALUE);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process = {};
        DWORD code = DWORD(-1);
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process)) {
            // A program stuck on a box nobody answers fails the test instead of hanging it.
            if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0)
                TerminateProcess(process.hProcess, 0xDEAD);
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(out);
        CloseHandle(err);
        if (result != nullptr) {
            result->exitCode = code;
            result->out = ReadBytes(outPath);
            result->err = ReadBytes(errPath);
        }
        return code;
    }

    std::string dir_;
    int runs_ = 0;
};

} // namespace velk::test
