#include "platform/epFileHandles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// POSIX files have no sharing modes and no file attributes; both are accepted and ignored.
// A handle is the descriptor plus one, so that descriptor 0 is not mistaken for "no handle".

namespace velk {

static int Descriptor(TFileHandle Handle) {
    return static_cast<int>(Handle - 1);
}

TFileHandle OpenFileHandle(const std::string& FileName, uint32_t Access, uint32_t, uint32_t,
                           uint32_t Creation) {
    bool read = (Access & FileAccessRead) != 0;
    bool write = (Access & FileAccessWrite) != 0;
    int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    switch (Creation) {
    case FileCreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case FileCreateAlways:
        flags |= O_CREAT | O_TRUNC;
        break;
    case FileOpenExisting:
        break;
    case FileOpenAlways:
        flags |= O_CREAT;
        break;
    case FileTruncateExisting:
        flags |= O_TRUNC;
        break;
    default:
        return InvalidFileHandle;
    }
    int fd;
    do
        fd = ::open(FileName.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? InvalidFileHandle : TFileHandle(fd) + 1;
}

void CloseFileHandle(TFileHandle& Handle) {
    if (Handle > 0)
        ::close(Descriptor(Handle));
    Handle = 0;
}

int32_t ReadFileHandle(TFileHandle Handle, void* Buffer, uint32_t Count) {
    ssize_t n;
    do
        n = ::read(Descriptor(Handle), Buffer, Count);
    while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int32_t>(n);
}

bool WriteFileHandle(TFileHandle Handle, const void* Buffer, uint32_t Count) {
    const char* p = static_cast<const char*>(Buffer);
    while (Count > 0) {
        ssize_t n = ::write(Descriptor(Handle), p, Count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        Count -= static_cast<uint32_t>(n);
    }
    return true;
}

int64_t SeekFileHandle(TFileHandle Handle, int64_t Offset, TSeekOrigin Origin) {
    int whence = Origin == TSeekOrigin::Begin ? SEEK_SET
                 : Origin == TSeekOrigin::End ? SEEK_END
                                              : SEEK_CUR;
    off_t r = ::lseek(Descriptor(Handle), static_cast<off_t>(Offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t FileHandleSize(TFileHandle Handle) {
    struct stat st;
    return ::fstat(Descriptor(Handle), &st) != 0 ? -1 : static_cast<int64_t>(st.st_size);
}

bool TruncateFileHandle(TFileHandle Handle) {
    int64_t position = FilePosition(Handle);
    return position >= 0 && ::ftruncate(Descriptor(Handle), static_cast<off_t>(position)) == 0;
}

} // namespace velk
