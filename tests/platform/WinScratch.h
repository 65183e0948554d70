#pragma once

// Support for the Windows tests of the platform modules: a scratch folder per test, plain file
// access that does not go through the code under test, and the probe programs.

#include "platform/win/WindowsSupport.h"

#include <cstdio>
#include <map>
#include <string>

namespace velk::test {

inline std::string ReadBytes(const std::string& name) {
    std::string data;
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
            data.append(buffer, n);
        std::fclose(f);
    }
    return data;
}

inline bool WriteBytes(const std::string& name, const std::string& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

inline std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = char(i * 7 + i / 251);
    return s;
}

inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                ::DeleteFileA(full.c_str());
        } while (::FindNextFileA(search, &data));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

// A new empty folder below the system's temporary folder, removed with all it holds.
class TScratchFolder {
public:
    TScratchFolder() {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        path_ = std::string(temp) + "velk-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        RemoveTree(path_);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    ~TScratchFolder() { RemoveTree(path_); }
    // The folder without a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A program built beside the test executable, e.g. "velk_probe_1_2_3_4.exe".
inline std::string BesideTest(const std::string& name) {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self, n);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

inline bool Exists(const std::string& name) {
    return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The key=value lines of a file the probe wrote.
inline std::map<std::string, std::string> ReadKeyValues(const std::string& name) {
    std::map<std::string, std::string> values;
    std::string text = ReadBytes(name);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return values;
}

// Runs a program with the command line and waits for it; its exit code, or -1.
inline int RunProgram(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return int(code);
}

} // namespace velk::test
