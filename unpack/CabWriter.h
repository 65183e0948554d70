#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace velk {

class ECabWriteError : public Exception {
public:
    using Exception::Exception;
};

enum class TCabCompression : uint16_t { None = 0, MsZip = 1 };

// DOS packed dates (years 1980 to 2107) and times (two-second steps); false when out of range.
bool PackDosDate(int year, int month, int day, uint16_t& date);
bool PackDosTime(int hour, int minute, int second, uint16_t& time);

// Read-only, hidden, system, archive and execute: the bits a cabinet entry may carry.
constexpr uint16_t CabAttributeMask = 0x67;

struct TCabFileInfo {
    std::string Name; // backslash-separated path inside the cabinet
    uint32_t Size = 0;
    uint16_t Date = 0x21; // DOS packed; 1 January 1980
    uint16_t Time = 0;    // DOS packed
    uint16_t Attributes = 0;
};

// One entry's bytes, read front to back once while the cabinet is written.
class TCabSource {
public:
    virtual ~TCabSource() = default;
    // Fills up to `size` bytes and returns how many; 0 only at the end.
    virtual size_t Read(uint8_t* buffer, size_t size) = 0;
};

// Opens an entry's source when the writer reaches the entry, so that only one is open at a time.
using TCabSourceOpener = std::function<std::unique_ptr<TCabSource>()>;

// A source over a file on disk; the file is opened by the first read.
TCabSourceOpener CabDiskFile(std::string path);

// Writes a single-folder cabinet. Entries keep the order they are added in; the same entries
// give the same bytes.
class TCabWriter {
public:
    explicit TCabWriter(TCabCompression compression) : compression_(compression) {}

    // info.Size is taken from `data`.
    void AddFile(TCabFileInfo info, std::string data);
    // The source must deliver exactly info.Size bytes.
    void AddFile(TCabFileInfo info, TCabSourceOpener open);

    // Writes the cabinet at the stream's current position, which must be seekable (the cabinet's
    // size is patched into its header at the end); returns the cabinet's size. On an error the
    // stream holds a partial cabinet.
    uint32_t Write(std::ostream& out) const;

private:
    struct TEntry {
        TCabFileInfo Info;
        TCabSourceOpener Open;
    };

    void Add(TCabFileInfo info, TCabSourceOpener open);

    TCabCompression compression_;
    std::vector<TEntry> entries_;
    std::set<std::string> lowerNames_; // to refuse duplicates
    uint64_t folderSize_ = 0;
};

// The cabinet's data-block checksum: 32-bit little-endian words XORed into `seed`, the 1 to 3
// bytes left over taken with the first one highest.
uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed);

} // namespace velk
