#include "platform/epFileHandles.h"

#include "platform/win/epFileHandlesApi.h"

namespace velk {

static_assert(FileAccessRead == GENERIC_READ && FileAccessWrite == GENERIC_WRITE);
static_assert(FileShareRead == FILE_SHARE_READ && FileShareWrite == FILE_SHARE_WRITE);
static_assert(FileCreateNew == CREATE_NEW && FileCreateAlways == CREATE_ALWAYS &&
              FileOpenExisting == OPEN_EXISTING && FileOpenAlways == OPEN_ALWAYS &&
              FileTruncateExisting == TRUNCATE_EXISTING);
static_assert(FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(uint32_t(TSeekOrigin::Begin) == FILE_BEGIN &&
              uint32_t(TSeekOrigin::Current) == FILE_CURRENT &&
              uint32_t(TSeekOrigin::End) == FILE_END);

TFileHandleApi FileHandleApi;

static HANDLE ToHandle(TFileHandle Handle) {
    return reinterpret_cast<HANDLE>(Handle);
}

TFileHandle OpenFileHandle(const std::string& FileName, uint32_t Access, uint32_t Share,
                           uint32_t Attributes, uint32_t Creation) {
    HANDLE h = FileHandleApi.CreateFileA(FileName.c_str(), Access, Share, nullptr, Creation,
                                         Attributes, nullptr);
    return reinterpret_cast<TFileHandle>(h);
}

void CloseFileHandle(TFileHandle& Handle) {
    if (Handle > 0)
        FileHandleApi.CloseHandle(ToHandle(Handle));
    Handle = 0;
}

int32_t ReadFileHandle(TFileHandle Handle, void* Buffer, uint32_t Count) {
    DWORD done = 0;
    if (!FileHandleApi.ReadFile(ToHandle(Handle), Buffer, Count, &done, nullptr))
        return -1;
    return static_cast<int32_t>(done);
}

bool WriteFileHandle(TFileHandle Handle, const void* Buffer, uint32_t Count) {
    DWORD done = 0;
    return FileHandleApi.WriteFile(ToHandle(Handle), Buffer, Count, &done, nullptr) &&
           done == Count;
}

int64_t SeekFileHandle(TFileHandle Handle, int64_t Offset, TSeekOrigin Origin) {
    LONG high = static_cast<LONG>(Offset >> 32);
    ::SetLastError(NO_ERROR);
    DWORD low = FileHandleApi.SetFilePointer(ToHandle(Handle), static_cast<LONG>(Offset), &high,
                                             static_cast<DWORD>(Origin));
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        return -1;
    return (int64_t(uint32_t(high)) << 32) | low;
}

int64_t FileHandleSize(TFileHandle Handle) {
    DWORD high = 0;
    ::SetLastError(NO_ERROR);
    DWORD low = FileHandleApi.GetFileSize(ToHandle(Handle), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
        return -1;
    return (int64_t(high) << 32) | low;
}

bool TruncateFileHandle(TFileHandle Handle) {
    return FileHandleApi.SetEndOfFile(ToHandle(Handle)) != FALSE;
}

} // namespace velk
