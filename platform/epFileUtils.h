#pragma once

#include "platform/epFileHandles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velk {

// Paths, folders, copying, disk space, unique names and file dates. Paths are Windows paths in
// the system code page; failures show in the results, nothing here raises.

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// Appends "\" unless the path is empty or its last byte already is "\".
std::string IncludeTrailingBackslash(std::string_view path);
// Removes one trailing "\" when it is the last character (a trail byte of a double-byte
// character is not one).
std::string ExcludeTrailingBackslash(std::string_view path);

// Whether a byte opens a double-byte character in the system code page.
bool IsLeadByte(char c);
// ExcludeTrailingBackslash with an explicit lead-byte test, so the rule holds for any code page.
std::string ExcludeTrailingBackslashFor(std::string_view path, bool (*isLeadByte)(char));

// Everything up to and including the last "\" or ":"; empty when there is none.
std::string ExtractFilePath(std::string_view fileName);
// "C:" or "\\server\share"; empty when the name has neither.
std::string ExtractFileDrive(std::string_view fileName);
// Everything after the last "\" or ":".
std::string ExtractFileName(std::string_view fileName);
// The extension with its dot, empty when the name has none.
std::string ExtractFileExt(std::string_view fileName);
// The path without the extension of its file name.
std::string WithoutExtension(std::string_view fileName);

// A file (not a folder) of that name exists.
bool FileExists(const std::string& fileName);
// A file or folder of that name exists.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and every missing parent, parents first; failures are ignored.
void ForceDirectories(const std::string& path);
// Deletes every file below the folder (read-only ones too); with removeFolders also the folders
// and the folder itself. Entries whose names begin with "." are kept. True when all went.
bool DeleteFolder(const std::string& path, bool removeFolders);
// Resets the attributes to normal and deletes the file.
bool DeleteFileForced(const std::string& fileName);

// The short (8.3) form of an existing path; the path unchanged when there is none.
std::string GetShortName(const std::string& path);
// Size of the file, -1 when it is not found.
int64_t GetFileSizeByName(const std::string& fileName);
// Last-write time through the two-second DOS resolution, 0 when the file does not exist.
TDateTime GetFileDate(const std::string& fileName);
// The whole file; empty when it cannot be read.
std::string ReadFileToString(const std::string& fileName);
// Free space available to the caller on the folder's volume, in KB; 0 on any failure.
int64_t GetDiskFreeKB(const std::string& path);

// A name (without folder) that does not exist in the folder: prefix, a time stamp, extension.
// With shortName the prefix is cut to 4 characters and prefix and stamp make 8.
std::string MakeUniqueFileName(const std::string& folder, std::string_view prefix,
                               std::string_view ext, bool shortName);

// Called once per block; returning false cancels the copy.
using TCopyProgress = std::function<bool(const std::string& source, const std::string& dest,
                                         int32_t chunk, int64_t copied, int64_t total)>;
// Copies in blocks of 131072 bytes, then the source's last-write time and attributes. With
// append the data goes behind the destination's old contents. A failed or cancelled copy removes
// what it wrote: a new destination is deleted, an appended one cut back to its old size.
bool CopyFileWithProgress(const std::string& source, const std::string& dest,
                          const TCopyProgress& progress, bool append);

// System pieces the portable code builds on.

// Copies the last-write time of one open file onto another.
bool CopyLastWriteTime(TFileHandle source, TFileHandle dest);
// Copies the attributes of one file onto another.
bool CopyFileAttributes(const std::string& source, const std::string& dest);

// Portable pieces of the above.

// A packed DOS date and time (date in the high word) as a date-time; 0 for an invalid one.
TDateTime FileDateToDateTime(int32_t dosDateTime);

struct TLocalTime {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
};

// Eight base-32 digits: the day within a ten-year cycle, then hundredths of a second since
// midnight.
std::string UniqueNameStamp(const TLocalTime& time);
// Prefix + stamp + ext as MakeUniqueFileName builds it for that moment.
std::string UniqueNameCandidate(const TLocalTime& time, std::string_view prefix,
                                std::string_view ext, bool shortName);

} // namespace velk
