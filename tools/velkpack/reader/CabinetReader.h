#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/velkpack/reader/PackageSource.h"

namespace velk {

// One file of a cabinet as stored: date and time in packed DOS form, attributes as written.
struct TCabinetEntry {
    std::string Name; // backslash-separated path inside the cabinet
    uint32_t Size = 0;
    uint16_t Date = 0;
    uint16_t Time = 0;
    uint16_t Attributes = 0;
};

// Takes one entry's bytes while the cabinet reader decompresses it.
class TEntrySink {
public:
    virtual ~TEntrySink() = default;
    // Both throw an Exception when the bytes cannot be kept.
    virtual void Write(const uint8_t* data, size_t size) = 0;
    // Every byte of the entry has arrived. A sink destroyed without it holds a partial entry.
    virtual void Finish() = 0;
};

// Asked for each entry in cabinet order: a sink to extract it into, or null to skip it.
using TEntryOpener = std::function<std::unique_ptr<TEntrySink>(const TCabinetEntry&)>;

// The system's cabinet reader over the cabinet that begins at `offset` of the source: libmspack
// natively, the cabinet library of Windows (FDI in cabinet.dll) in velkpack.exe. Both throw
// EPackageError with the reader's own account of what is wrong; an exception from a sink or the
// opener ends the extraction and passes through unchanged.
std::vector<TCabinetEntry> ListCabinet(TPackageSource& source, uint64_t offset);
void ExtractCabinet(TPackageSource& source, uint64_t offset, const TEntryOpener& open);

} // namespace velk
