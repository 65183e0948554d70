#include "unpack/CabWriter.h"

#include "platform/StrUtils.h"
#include "unpack/CabBlocks.h"

#include <cstdio>
#include <cstring>
#include <thread>

namespace velk {

namespace {

constexpr uint32_t BlockSize = CabBlockSize;
constexpr uint32_t MaxBlocks = 0xFFFF; // the folder's block count is 16-bit
constexpr uint32_t MaxFiles = 0xFFFF;  // so is the cabinet's file count
constexpr size_t MaxNameLength = 255;  // readers keep 256 bytes with the terminator
constexpr size_t HeaderSize = 36;      // CFHEADER without the optional fields
constexpr size_t FolderSize = 8;       // CFFOLDER
constexpr size_t FileHeaderSize = 16;  // CFFILE before the name

// Names are relative, backslash-separated, with no empty, "." or ".." component, no drive or
// stream colon and no control characters: nothing a reader could place outside its folder.
bool IsValidName(const std::string& name) {
    if (name.empty() || name.size() > MaxNameLength)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos)
            end = name.size();
        std::string_view part(name.data() + start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32 || c == '/' || c == ':')
            return false;
    return true;
}

class TMemorySource : public TCabSource {
public:
    explicit TMemorySource(std::shared_ptr<const std::string> data) : data_(std::move(data)) {}
    size_t Read(uint8_t* buffer, size_t size) override {
        size_t n = data_->size() - at_ < size ? data_->size() - at_ : size;
        std::memcpy(buffer, data_->data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::shared_ptr<const std::string> data_;
    size_t at_ = 0;
};

class TDiskSource : public TCabSource {
public:
    explicit TDiskSource(const std::string& path)
        : path_(path), file_(std::fopen(path.c_str(), "rb")) {
        if (!file_)
            throw ECabWriteError(Format("Cannot open \"%s\" for reading.", path.c_str()));
    }
    ~TDiskSource() override { std::fclose(file_); }
    TDiskSource(const TDiskSource&) = delete;
    TDiskSource& operator=(const TDiskSource&) = delete;

    size_t Read(uint8_t* buffer, size_t size) override {
        size_t n = std::fread(buffer, 1, size, file_);
        if (n == 0 && std::ferror(file_))
            throw ECabWriteError(Format("Cannot read \"%s\".", path_.c_str()));
        return n;
    }

private:
    std::string path_;
    std::FILE* file_;
};

} // namespace

bool PackDosDate(int year, int month, int day, uint16_t& date) {
    static const uint8_t MonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 ||
        day > MonthDays[month - 1])
        return false;
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (month == 2 && day == 29 && !leap)
        return false;
    date = uint16_t((year - 1980) << 9 | month << 5 | day);
    return true;
}

bool PackDosTime(int hour, int minute, int second, uint16_t& time) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    time = uint16_t(hour << 11 | minute << 5 | second / 2);
    return true;
}

TCabSourceOpener CabDiskFile(std::string path) {
    return [path = std::move(path)]() -> std::unique_ptr<TCabSource> {
        return std::make_unique<TDiskSource>(path);
    };
}

void TCabWriter::SetCompressionLevel(int level) {
    if (level < 1 || level > 9)
        throw ECabWriteError(Format("Compression level %d is not between 1 and 9.", level));
    level_ = level;
}

void TCabWriter::AddFile(TCabFileInfo info, std::string data) {
    if (data.size() > UINT32_MAX)
        throw ECabWriteError(Format("\"%s\" is too large for a cabinet.", info.Name.c_str()));
    info.Size = uint32_t(data.size());
    auto shared = std::make_shared<const std::string>(std::move(data));
    Add(std::move(info), [shared] { return std::make_unique<TMemorySource>(shared); });
}

void TCabWriter::AddFile(TCabFileInfo info, TCabSourceOpener open) {
    Add(std::move(info), std::move(open));
}

void TCabWriter::Add(TCabFileInfo info, TCabSourceOpener open) {
    const char* name = info.Name.c_str();
    if (!IsValidName(info.Name))
        throw ECabWriteError(Format("Invalid name for a cabinet entry: \"%s\".", name));
    if ((info.Attributes & ~CabAttributeMask) != 0)
        throw ECabWriteError(Format("Invalid attributes 0x%X for \"%s\".", info.Attributes, name));
    if (entries_.size() >= MaxFiles)
        throw ECabWriteError(Format("Too many files for one cabinet: \"%s\" would be file %u.",
                                    name, unsigned(MaxFiles + 1)));
    if (folderSize_ + info.Size > uint64_t(MaxBlocks) * BlockSize)
        throw ECabWriteError(Format("Too much data for one cabinet: \"%s\" would pass %u bytes.",
                                    name, unsigned(MaxBlocks * BlockSize)));
    // Windows file names compare without regard to case, so two such names would collide.
    if (!lowerNames_.insert(LowerCase(info.Name)).second)
        throw ECabWriteError(Format("Duplicate cabinet entry: \"%s\".", name));
    folderSize_ += info.Size;
    entries_.push_back({std::move(info), std::move(open)});
}

uint32_t TCabWriter::Write(std::ostream& out) const {
    const std::streampos start = out.tellp();
    if (start == std::streampos(-1))
        throw ECabWriteError("The cabinet needs a seekable output.");
    // Readers refuse a cabinet without files.
    if (entries_.empty())
        throw ECabWriteError("A cabinet needs at least one file.");

    const uint32_t blocks = uint32_t((folderSize_ + BlockSize - 1) / BlockSize);
    size_t filesSize = 0;
    for (const TEntry& e : entries_)
        filesSize += FileHeaderSize + e.Info.Name.size() + 1;
    const uint32_t dataStart = uint32_t(HeaderSize + FolderSize + filesSize);

    std::vector<uint8_t> head(dataStart);
    uint8_t* p = head.data();
    std::memcpy(p, "MSCF", 4);
    // The cabinet size at offset 8 is patched in at the end.
    PutLE32(p + 16, uint32_t(HeaderSize + FolderSize));
    p[24] = 3; // format version 1.3
    p[25] = 1;
    PutLE16(p + 26, 1);
    PutLE16(p + 28, uint16_t(entries_.size()));
    p += HeaderSize;
    PutLE32(p, dataStart);
    PutLE16(p + 4, uint16_t(blocks));
    PutLE16(p + 6, uint16_t(compression_));
    p += FolderSize;
    uint32_t offset = 0;
    for (const TEntry& e : entries_) {
        PutLE32(p, e.Info.Size);
        PutLE32(p + 4, offset);
        PutLE16(p + 8, 0);
        PutLE16(p + 10, e.Info.Date);
        PutLE16(p + 12, e.Info.Time);
        PutLE16(p + 14, e.Info.Attributes);
        std::memcpy(p + FileHeaderSize, e.Info.Name.c_str(), e.Info.Name.size() + 1);
        p += FileHeaderSize + e.Info.Name.size() + 1;
        offset += e.Info.Size;
    }
    out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));

    // The folder is one stream across all files, cut into blocks of 32768 bytes.
    unsigned threads = threads_ != 0 ? threads_ : std::thread::hardware_concurrency();
    TCabBlockPipeline pipeline(out, compression_, level_, threads, progress_, folderSize_);
    auto block = std::make_shared<std::vector<uint8_t>>(BlockSize);
    uint32_t filled = 0;
    for (const TEntry& e : entries_) {
        std::unique_ptr<TCabSource> source = e.Open();
        if (!source)
            throw ECabWriteError(Format("No data for \"%s\".", e.Info.Name.c_str()));
        uint32_t remaining = e.Info.Size;
        while (remaining > 0) {
            uint32_t want = BlockSize - filled < remaining ? BlockSize - filled : remaining;
            size_t n = source->Read(block->data() + filled, want);
            if (n == 0 || n > want)
                break;
            filled += uint32_t(n);
            remaining -= uint32_t(n);
            if (filled == BlockSize) {
                pipeline.Push(std::move(block));
                block = std::make_shared<std::vector<uint8_t>>(BlockSize);
                filled = 0;
            }
        }
        uint8_t extra;
        if (remaining != 0 || source->Read(&extra, 1) != 0)
            throw ECabWriteError(Format("\"%s\" is no longer %u bytes long.", e.Info.Name.c_str(),
                                        unsigned(e.Info.Size)));
    }
    if (filled > 0) {
        block->resize(filled);
        pipeline.Push(std::move(block));
    }
    pipeline.Finish();

    const std::streampos end = out.tellp();
    const uint64_t size = uint64_t(std::streamoff(end - start));
    uint8_t sizeField[4];
    PutLE32(sizeField, uint32_t(size));
    out.seekp(start + std::streamoff(8));
    out.write(reinterpret_cast<const char*>(sizeField), sizeof(sizeField));
    out.seekp(end);
    if (!out)
        throw ECabWriteError("Cannot write the cabinet.");
    return uint32_t(size);
}

uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed) {
    uint32_t sum = seed;
    size_t whole = size / 4 * 4;
    for (size_t i = 0; i < whole; i += 4)
        sum ^= GetLE32(data + i);
    uint32_t rest = 0;
    for (size_t i = whole; i < size; ++i)
        rest = rest << 8 | data[i];
    return sum ^ rest;
}

} // namespace velk
