#pragma once

#include "platform/Exception.h"
#include "platform/epFileUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velk {

// The unpack library cannot be loaded or lacks one of its exports.
class EUnpackLibrary : public Exception {
public:
    using Exception::Exception;
};

// Answers of the callbacks.
constexpr int UnpackExtract = 1;
constexpr int UnpackSkip = 0;
constexpr int UnpackStop = -1;

// Before a file: UnpackExtract with the path to write in Destination (its folder must exist),
// UnpackSkip, or UnpackStop, which ends the enumeration as a success.
using TUnpackBeforeFile =
    std::function<int(const std::string& Name, uint32_t Size, uint32_t Attributes,
                      TDateTime DateTime, std::string& Destination)>;
// After a file was written with its date and attributes: UnpackStop ends the enumeration.
using TUnpackAfterFile =
    std::function<int(const std::string& Name, uint32_t Size, uint32_t Attributes,
                      TDateTime DateTime, const std::string& Destination)>;
// Before each block of a file is written: UnpackStop ends the enumeration.
using TUnpackProgress =
    std::function<int(const std::string& Name, const std::string& Destination, uint32_t Size,
                      uint32_t BlockBytes, uint32_t WrittenBytes)>;
// A cabinet of the set is not in the folder where it was looked for: the folder that holds it
// now, or empty to give up.
using TLocateCabinet =
    std::function<std::string(const std::string& FileName, const std::string& Folder)>;

// Reads one package file through the unpack library.
class TUnpacker {
public:
    // Loads "unpack.dll" from LibraryFolder and opens the package's cabinet. Raises
    // EUnpackLibrary when the library cannot be loaded or lacks an export.
    TUnpacker(const std::string& LibraryFolder, const std::string& PackagePath);
    ~TUnpacker();
    TUnpacker(const TUnpacker&) = delete;
    TUnpacker& operator=(const TUnpacker&) = delete;

    // Extracts the cabinet set as the callbacks direct; a missing AfterFile or Progress answers
    // UnpackExtract, a missing BeforeFile skips every file. False when the extraction failed or
    // a callback raised an exception. One enumeration at a time in the process: a second one
    // started while another runs fails at once.
    bool Enumerate(const TUnpackBeforeFile& BeforeFile, const TUnpackAfterFile& AfterFile,
                   const TUnpackProgress& Progress);

    // Replaces the search for a missing cabinet; by default only the folder it was looked for in
    // is looked at again.
    void SetLocateCabinet(TLocateCabinet Locate) { locate_ = std::move(Locate); }

private:
    struct TLibrary;
    std::unique_ptr<TLibrary> library_;
    std::string packagePath_;
    TLocateCabinet locate_;
};

} // namespace velk
