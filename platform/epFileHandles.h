#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// A system file handle carried as an integer: 0 means no handle, and a failed open gives
// InvalidFileHandle. Only values greater than 0 are open handles.
using TFileHandle = std::intptr_t;
constexpr TFileHandle InvalidFileHandle = -1;

// Access, sharing, creation and attribute values of the system's create-file call.
constexpr uint32_t FileAccessRead = 0x80000000u;
constexpr uint32_t FileAccessWrite = 0x40000000u;
constexpr uint32_t FileShareRead = 1;
constexpr uint32_t FileShareWrite = 2;
constexpr uint32_t FileCreateNew = 1;
constexpr uint32_t FileCreateAlways = 2;
constexpr uint32_t FileOpenExisting = 3;
constexpr uint32_t FileOpenAlways = 4;
constexpr uint32_t FileTruncateExisting = 5;
constexpr uint32_t FileAttributeNormal = 0x80;

enum class TSeekOrigin : uint32_t { Begin = 0, Current = 1, End = 2 };

// System side: thin wrappers over the create-file family.
TFileHandle OpenFileHandle(const std::string& FileName, uint32_t Access, uint32_t Share,
                           uint32_t Attributes, uint32_t Creation);
// Closes an open handle and sets the variable to 0.
void CloseFileHandle(TFileHandle& Handle);
// Bytes read (0 at the end of the file), or -1 when the read fails.
int32_t ReadFileHandle(TFileHandle Handle, void* Buffer, uint32_t Count);
// True when every byte was written.
bool WriteFileHandle(TFileHandle Handle, const void* Buffer, uint32_t Count);
// The new position, or -1 when the move fails.
int64_t SeekFileHandle(TFileHandle Handle, int64_t Offset, TSeekOrigin Origin);
// -1 when the size cannot be read.
int64_t FileHandleSize(TFileHandle Handle);
// Cuts the file at the current position.
bool TruncateFileHandle(TFileHandle Handle);

// Portable text I/O over the wrappers above.

// The current position, or -1 when it cannot be read.
int64_t FilePosition(TFileHandle Handle);
// Position at or beyond the file size. False when either cannot be read, so that a reading loop
// goes on to the read, which reports the failure.
bool AtEndOfFile(TFileHandle Handle);
// One line: only carriage return ends it, line feeds are dropped wherever they stand, and the
// position is left just after the carriage return. The file is read in chunks of 100 bytes.
// False when nothing is left to read or reading or repositioning fails.
bool ReadTextLine(TFileHandle Handle, std::string& Line);
// The text followed by carriage return and line feed; true when all of it was written.
bool WriteTextLine(TFileHandle Handle, std::string_view Text);

// Owns one handle and closes it on every path.
class TFileHandleOwner {
public:
    TFileHandleOwner() = default;
    explicit TFileHandleOwner(TFileHandle Handle) : handle_(Handle) {}
    TFileHandleOwner(const TFileHandleOwner&) = delete;
    TFileHandleOwner& operator=(const TFileHandleOwner&) = delete;
    ~TFileHandleOwner() { Close(); }

    TFileHandle Get() const { return handle_; }
    bool IsOpen() const { return handle_ > 0; }
    void Reset(TFileHandle Handle) {
        Close();
        handle_ = Handle;
    }
    void Close() {
        if (handle_ > 0)
            CloseFileHandle(handle_);
        handle_ = 0;
    }

private:
    TFileHandle handle_ = 0;
};

} // namespace velk
