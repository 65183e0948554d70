#include "unpack/UnpackTestSupport.h"

#include "platform/epFileUtils.h"
#include "platform/win/WindowsSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velk::test {

std::string WinePath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

void WriteBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(data.data(), std::streamsize(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

TScratchFolder::TScratchFolder() {
    static int count = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    path_ = IncludeTrailingBackslash(temp) + "unpack" + std::to_string(::GetCurrentProcessId()) +
            "_" + std::to_string(++count) + "\\";
    DeleteFolder(path_, true);
    ForceDirectories(path_);
}

TScratchFolder::~TScratchFolder() {
    DeleteFolder(path_, true);
}

std::string GcabFixture(const std::string& name) {
    return WinePath(VELK_UNPACK_FIXTURES "/" + name);
}

const std::vector<std::string>& GcabEntries() {
    static const std::vector<std::string> entries = {"splash.bmp",
                                                     "db.pdb",
                                                     "lng\\english.lng",
                                                     "future.txt",
                                                     "empty.dat",
                                                     "files\\1\\app.exe",
                                                     "files\\1\\sub\\readme.txt"};
    return entries;
}

static uint32_t Get16(const std::string& s, size_t at) {
    return uint8_t(s.at(at)) | uint32_t(uint8_t(s.at(at + 1))) << 8;
}

static uint32_t Get32(const std::string& s, size_t at) {
    return Get16(s, at) | Get16(s, at + 2) << 16;
}

std::vector<std::string> StoredDataBlocks(const std::string& cabinet) {
    std::vector<std::string> blocks;
    size_t at = Get32(cabinet, 36);
    for (uint32_t count = Get16(cabinet, 40); count--;) {
        uint32_t size = Get16(cabinet, at + 4);
        blocks.push_back(cabinet.substr(at + 8, size));
        at += 8 + size;
    }
    return blocks;
}

uint16_t DosDate(int year, int month, int day) {
    return uint16_t((year - 1980) << 9 | month << 5 | day);
}

uint16_t DosTime(int hour, int minute, int second) {
    return uint16_t(hour << 11 | minute << 5 | second / 2);
}

void TTestCabinet::AddFolder(const std::vector<TTestFile>& files) {
    auto folder = uint16_t(Folders.size());
    std::string data;
    for (const TTestFile& file : files) {
        Files.push_back({file.Name, uint32_t(file.Data.size()), uint32_t(data.size()), folder,
                         file.Date, file.Time, file.Attributes});
        data += file.Data;
    }
    std::vector<TBlock> blocks;
    for (size_t at = 0; at < data.size(); at += 32768) {
        std::string block = data.substr(at, 32768);
        blocks.push_back({block, uint16_t(block.size())});
    }
    Folders.push_back(blocks);
}

static void Put16(std::string& s, uint32_t value) {
    s += char(value & 0xFF);
    s += char(value >> 8 & 0xFF);
}

static void Put32(std::string& s, uint32_t value) {
    Put16(s, value & 0xFFFF);
    Put16(s, value >> 16);
}

std::string TTestCabinet::Bytes() const {
    std::string names;
    if (!Previous.empty())
        names += Previous + '\0' + "disk" + '\0';
    if (!Next.empty())
        names += Next + '\0' + "disk" + '\0';
    std::string files;
    for (const TEntry& entry : Files) {
        Put32(files, entry.Size);
        Put32(files, entry.Offset);
        Put16(files, entry.Folder);
        Put16(files, entry.Date);
        Put16(files, entry.Time);
        Put16(files, entry.Attributes);
        files += entry.Name + '\0';
    }
    std::vector<std::string> data(Folders.size());
    for (size_t i = 0; i < Folders.size(); i++) {
        for (const TBlock& block : Folders[i]) {
            Put32(data[i], 0); // no checksum
            Put16(data[i], uint32_t(block.Data.size()));
            Put16(data[i], block.Unpacked);
            data[i] += std::string(DataReserve, '\xEE');
            for (char c : block.Data)
                data[i] += char(c ^ Xor);
        }
    }
    size_t filesOffset = 36 + (DataReserve ? 4 : 0) + names.size() + 8 * Folders.size();
    size_t position = filesOffset + files.size();
    std::vector<size_t> order(Folders.size()), starts(Folders.size());
    for (size_t i = 0; i < order.size(); i++)
        order[i] = ReverseData ? order.size() - 1 - i : i;
    for (size_t i : order) {
        starts[i] = position;
        position += data[i].size();
    }

    std::string cab = "MSCF";
    Put32(cab, 0);
    Put32(cab, uint32_t(position));
    Put32(cab, 0);
    Put32(cab, uint32_t(filesOffset));
    Put32(cab, 0);
    cab += "\x03\x01";
    Put16(cab, uint32_t(Folders.size()));
    Put16(cab, uint32_t(Files.size()));
    Put16(cab, (Previous.empty() ? 0 : 1) | (Next.empty() ? 0 : 2) | (DataReserve ? 4 : 0));
    Put16(cab, SetID);
    Put16(cab, Index);
    if (DataReserve) {
        Put16(cab, 0);
        cab += '\0';
        cab += char(DataReserve);
    }
    cab += names;
    for (size_t i = 0; i < Folders.size(); i++) {
        Put32(cab, uint32_t(starts[i]));
        Put16(cab, uint32_t(Folders[i].size()));
        Put16(cab, 0); // stored
    }
    cab += files;
    for (size_t i : order)
        cab += data[i];
    return cab;
}

} // namespace velk::test
