#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velk::test {

// A Linux path as Wine programs see it.
std::string WinePath(const std::string& linuxPath);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& data);

// A fresh folder below the temporary folder, removed with everything in it at the end.
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    // With a trailing backslash.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The cabinets made at build time by gcab and the package tree they were made from.
std::string GcabFixture(const std::string& name);
// The entries of those cabinets in cabinet order.
const std::vector<std::string>& GcabEntries();
// The data blocks of a single-folder cabinet as stored, in order.
std::vector<std::string> StoredDataBlocks(const std::string& cabinet);

uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

struct TTestFile {
    std::string Name;
    std::string Data;
    uint16_t Date = DosDate(2010, 5, 17);
    uint16_t Time = DosTime(8, 30, 0);
    uint16_t Attributes = 0x20;
};

// A cabinet of stored blocks written field by field, for what common writers never produce:
// sets of cabinets, any attributes and names, reserved areas, folders stored out of order.
struct TTestCabinet {
    static constexpr uint16_t ContinuedFromPrevious = 0xFFFD;
    static constexpr uint16_t ContinuedToNext = 0xFFFE;

    struct TBlock {
        std::string Data;
        uint16_t Unpacked; // 0 for the first part of a block that continues in the next cabinet
    };
    struct TEntry {
        std::string Name;
        uint32_t Size;
        uint32_t Offset; // in the folder's unpacked data
        uint16_t Folder;
        uint16_t Date, Time, Attributes;
    };

    std::vector<std::vector<TBlock>> Folders;
    std::vector<TEntry> Files;
    uint16_t SetID = 0x5157;
    uint16_t Index = 0;
    std::string Previous, Next; // file names of the neighbours in a set
    uint8_t DataReserve = 0;    // reserved bytes in every data block header
    bool ReverseData = false;   // the last folder's data first
    uint8_t Xor = 0;            // applied to every data byte as stored

    // A new folder holding the files whole, in blocks of 32768 bytes.
    void AddFolder(const std::vector<TTestFile>& files);
    std::string Bytes() const;
};

} // namespace velk::test
