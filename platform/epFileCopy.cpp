// Copying a file in blocks with progress: apart from the other file helpers because setup.exe
// links every function of a file it uses, and only the installation copies files.
#include "platform/epFileUtils.h"

#include <memory>

namespace velk {

namespace {

// The destination of a copy. Unless committed it takes back what the copy did: a file the copy
// made is deleted, an appended one is cut back to its old size.
class TCopyTarget {
public:
    TCopyTarget(const std::string& name, bool append) : name_(name), append_(append) {}
    TCopyTarget(const TCopyTarget&) = delete;
    TCopyTarget& operator=(const TCopyTarget&) = delete;
    ~TCopyTarget() {
        if (!committed_)
            Discard();
    }
    bool Open() {
        made_ = !(append_ && PathExists(name_));
        file_.Reset(OpenFileHandle(name_, FileAccessWrite, FileShareRead, FileAttributeNormal,
                                   append_ ? FileOpenAlways : FileCreateAlways));
        if (!file_.IsOpen())
            return false;
        if (append_)
            oldSize_ = SeekFileHandle(file_.Get(), 0, TSeekOrigin::End);
        return !append_ || oldSize_ >= 0;
    }
    TFileHandle Get() const { return file_.Get(); }
    void Commit() {
        committed_ = true;
        file_.Close();
    }

private:
    void Discard() {
        if (!file_.IsOpen())
            return;
        if (made_) {
            file_.Close();
            DeleteFileForced(name_);
            return;
        }
        if (oldSize_ >= 0 && SeekFileHandle(file_.Get(), oldSize_, TSeekOrigin::Begin) == oldSize_)
            TruncateFileHandle(file_.Get());
        file_.Close();
    }

    std::string name_;
    bool append_;
    bool made_ = false;
    bool committed_ = false;
    int64_t oldSize_ = -1;
    TFileHandleOwner file_;
};

} // namespace

bool CopyFileWithProgress(const std::string& source, const std::string& dest,
                          const TCopyProgress& progress, bool append) {
    constexpr uint32_t BlockSize = 131072;
    if (!FileExists(source))
        return false;
    int64_t size = GetFileSizeByName(source);
    if (size < 0)
        return false;
    std::unique_ptr<char[]> buffer(new char[BlockSize]);
    TFileHandleOwner in(OpenFileHandle(source, FileAccessRead, FileShareRead, FileAttributeNormal,
                                       FileOpenExisting));
    if (!in.IsOpen())
        return false;
    TCopyTarget out(dest, append);
    if (!out.Open())
        return false;
    int64_t copied = 0;
    while (copied < size) {
        int32_t n = ReadFileHandle(in.Get(), buffer.get(), BlockSize);
        // A source that ends early would otherwise be waited for forever.
        if (n <= 0 || !WriteFileHandle(out.Get(), buffer.get(), uint32_t(n)))
            return false;
        copied += n;
        if (progress && !progress(source, dest, n, copied, size))
            return false;
    }
    CopyLastWriteTime(in.Get(), out.Get());
    in.Close();
    out.Commit();
    CopyFileAttributes(source, dest);
    return true;
}

} // namespace velk
