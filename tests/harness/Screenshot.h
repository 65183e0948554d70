// What the X server shows, taken from a Windows test under Wine: ImageMagick's import (a Linux
// program, which Wine starts like any other) writes the root window as a PPM file that the test
// then reads. Wine does not wait for Linux programs, so the picture is moved into place when it is
// complete and the test waits for the file.
#pragma once

#include "platform/win/WindowsSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace velk::test {

// Starts a Linux shell command; Wine runs Linux programs too, but cannot wait for them.
inline void RunLinux(const std::string& command) {
    std::string commandLine = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

class TScreenshot {
public:
    // Takes the picture; Empty() when it could not be had within 20 seconds.
    TScreenshot() {
        static int count = 0;
        const std::string name = "/tmp/velk-shot-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++count);
        RunLinux("/usr/bin/import -window root -silent ppm:" + name + ".part && /bin/mv " + name +
                 ".part " + name + ".ppm");
        const std::string path = "Z:" + name + ".ppm";
        for (int i = 0; i < 400 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(50);
        Read(path);
        DeleteFileA(path.c_str());
    }

    bool Empty() const { return width_ == 0; }
    int Width() const { return width_; }
    // The pixel as the system's colour value (0x00BBGGRR); 0xFFFFFFFF outside the picture.
    COLORREF Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0xFFFFFFFF;
        // Samples of 16 bits are big-endian: their first byte is the 8-bit value.
        const size_t sample = size_t(bytesPerSample_);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(pixels_.data()) +
                                 (size_t(y) * width_ + x) * 3 * sample;
        return RGB(p[0], p[sample], p[2 * sample]);
    }

private:
    void Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string magic;
        int maximum = 0;
        in >> magic >> width_ >> height_ >> maximum;
        in.get();
        bytesPerSample_ = maximum > 255 ? 2 : 1;
        pixels_.assign(size_t(width_) * height_ * 3 * bytesPerSample_, '\0');
        if (magic != "P6" || (maximum != 255 && maximum != 65535) ||
            !in.read(&pixels_[0], std::streamsize(pixels_.size())))
            width_ = height_ = 0;
    }

    int width_ = 0, height_ = 0, bytesPerSample_ = 1;
    std::string pixels_;
};

} // namespace velk::test
