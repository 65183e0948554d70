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

// The zlib level TCabWriter uses unless told otherwise: within 0.1% of level 9's size on mixed
// package contents at half its time (bench/velkpack_vs_gcab.sh measures both).
constexpr int CabDefaultLevel = 7;

// Progress of TCabWriter::Write: bytes of the folder's data written so far, of `total`. Called on
// the writing thread after every block.
using TCabProgress = std::function<void(uint64_t done, uint64_t total)>;

// Writes a single-folder cabinet. Entries keep the order they are added in; the same entries,
// compression and level give the same bytes, whatever the number of threads.
//
// MSZIP: every 32 KB block is its own deflate stream ("CK" and a final deflate block) that may
// refer back into the previous block, as the format allows and every reader expects (the
// decoder's window runs on across the blocks of a folder). The blocks are compressed on several
// threads, a bounded number in flight, while the sources are read front to back once.
class TCabWriter {
public:
    explicit TCabWriter(TCabCompression compression, int level = CabDefaultLevel)
        : compression_(compression) {
        SetCompressionLevel(level);
    }

    // zlib's levels: 1 fastest to 9 smallest; MSZIP only. Throws ECabWriteError outside 1..9.
    void SetCompressionLevel(int level);
    // Threads that compress blocks: 0 (the default) one per core, 1 all on the calling thread.
    void SetThreads(unsigned threads) { threads_ = threads; }
    void SetProgress(TCabProgress progress) { progress_ = std::move(progress); }

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
    int level_ = CabDefaultLevel;
    unsigned threads_ = 0;
    TCabProgress progress_;
    std::vector<TEntry> entries_;
    std::set<std::string> lowerNames_; // to refuse duplicates
    uint64_t folderSize_ = 0;
};

// The cabinet's data-block checksum: 32-bit little-endian words XORed into `seed`, the 1 to 3
// bytes left over taken with the first one highest.
uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed);

} // namespace velk
