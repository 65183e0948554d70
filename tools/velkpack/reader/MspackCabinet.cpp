// The native cabinet reader: libmspack, given the package through its system interface so that it
// sees the cabinet from the signature on, wherever that lies in the package.
#include "tools/velkpack/reader/CabinetReader.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include <mspack.h>

#include "platform/StrUtils.h"

namespace velk {
namespace {

// libmspack opens its "files" by name: the cabinet is read from the package, and the one output
// it opens at a time is the sink of the entry being extracted.
constexpr char kCabinetName[] = "cabinet";
constexpr char kOutputName[] = "entry";

struct TSystem : mspack_system {
    TPackageSource* Source = nullptr;
    uint64_t Base = 0;
    TEntrySink* Sink = nullptr;
    // An exception cannot pass through the C library: it is carried across it.
    std::exception_ptr Failure;
};

struct TFile {
    TSystem* System;
    bool Output;
    uint64_t Position = 0; // from the cabinet's signature on
};

TFile* Cast(mspack_file* file) {
    return reinterpret_cast<TFile*>(file);
}

mspack_file* Open(mspack_system* self, const char* name, int mode) {
    TSystem* system = static_cast<TSystem*>(self);
    bool output = mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kOutputName) == 0;
    bool input = mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, kCabinetName) == 0;
    if (!(input || (output && system->Sink != nullptr)))
        return nullptr;
    return reinterpret_cast<mspack_file*>(new TFile{system, output});
}

void Close(mspack_file* file) {
    delete Cast(file);
}

int Read(mspack_file* handle, void* buffer, int bytes) {
    TFile* file = Cast(handle);
    if (file->Output || bytes < 0)
        return -1;
    const uint64_t size = file->System->Source->Size() - file->System->Base;
    if (file->Position >= size)
        return 0;
    const size_t n =
        size - file->Position < uint64_t(bytes) ? size_t(size - file->Position) : size_t(bytes);
    if (!file->System->Source->ReadAt(file->System->Base + file->Position, buffer, n))
        return -1;
    file->Position += n;
    return int(n);
}

int Write(mspack_file* handle, void* buffer, int bytes) {
    TFile* file = Cast(handle);
    if (!file->Output || bytes < 0)
        return -1;
    try {
        file->System->Sink->Write(static_cast<const uint8_t*>(buffer), size_t(bytes));
        return bytes;
    } catch (...) {
        file->System->Failure = std::current_exception();
        return -1;
    }
}

int Seek(mspack_file* handle, off_t offset, int mode) {
    TFile* file = Cast(handle);
    const int64_t size = int64_t(file->System->Source->Size() - file->System->Base);
    int64_t from = 0;
    if (mode == MSPACK_SYS_SEEK_CUR)
        from = int64_t(file->Position);
    else if (mode == MSPACK_SYS_SEEK_END)
        from = size;
    else if (mode != MSPACK_SYS_SEEK_START)
        return -1;
    if (offset < -from || offset > INT64_MAX - from)
        return -1;
    file->Position = uint64_t(from + offset);
    return 0;
}

off_t Tell(mspack_file* file) {
    return off_t(Cast(file)->Position);
}

void Message(mspack_file*, const char*, ...) {}

void* Alloc(mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}

void Free(void* block) {
    std::free(block);
}

void Copy(void* source, void* dest, size_t bytes) {
    std::memcpy(dest, source, bytes);
}

const char* ErrorText(int code) {
    switch (code) {
    case MSPACK_ERR_READ:
    case MSPACK_ERR_SEEK:
        return "the cabinet is cut short";
    case MSPACK_ERR_NOMEMORY:
        return "out of memory";
    case MSPACK_ERR_SIGNATURE:
        return "no cabinet header at the signature";
    case MSPACK_ERR_DATAFORMAT:
        return "the cabinet's structure is invalid";
    case MSPACK_ERR_CHECKSUM:
        return "a data block fails its checksum";
    case MSPACK_ERR_DECRUNCH:
        return "the compressed data is corrupt";
    default:
        return "the cabinet cannot be read";
    }
}

// One decompressor over the cabinet at `offset` of the source, closed with it.
class TSession {
public:
    TSession(TPackageSource& source, uint64_t offset) {
        int selfTest;
        MSPACK_SYS_SELFTEST(selfTest);
        if (selfTest != MSPACK_ERR_OK)
            throw EPackageError("libmspack was built with another file offset size");
        system_.open = Open;
        system_.close = Close;
        system_.read = Read;
        system_.write = Write;
        system_.seek = Seek;
        system_.tell = Tell;
        system_.message = Message;
        system_.alloc = Alloc;
        system_.free = Free;
        system_.copy = Copy;
        system_.null_ptr = nullptr;
        system_.Source = &source;
        system_.Base = offset;
        decompressor_.reset(mspack_create_cab_decompressor(&system_));
        if (!decompressor_)
            throw EPackageError("cannot start libmspack");
        cabinet_ = decompressor_->open(decompressor_.get(), const_cast<char*>(kCabinetName));
        if (cabinet_ == nullptr)
            throw EPackageError(ErrorText(decompressor_->last_error(decompressor_.get())));
    }
    ~TSession() {
        if (cabinet_ != nullptr)
            decompressor_->close(decompressor_.get(), cabinet_);
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    const mscabd_file* Files() const { return cabinet_->files; }

    void Extract(const mscabd_file& file, const TCabinetEntry& entry, TEntrySink& sink) {
        system_.Sink = &sink;
        int error = decompressor_->extract(decompressor_.get(), const_cast<mscabd_file*>(&file),
                                           const_cast<char*>(kOutputName));
        system_.Sink = nullptr;
        if (system_.Failure)
            std::rethrow_exception(std::exchange(system_.Failure, nullptr));
        if (error != MSPACK_ERR_OK)
            throw EPackageError(
                Format("cannot extract \"%s\": %s", entry.Name.c_str(), ErrorText(error)));
    }

private:
    TSystem system_;
    // Destroyed also when the constructor throws after creating it.
    std::unique_ptr<mscab_decompressor, void (*)(mscab_decompressor*)> decompressor_{
        nullptr, mspack_destroy_cab_decompressor};
    mscabd_cabinet* cabinet_ = nullptr;
};

// libmspack splits the packed fields; they go back together bit for bit.
TCabinetEntry ToEntry(const mscabd_file& file) {
    TCabinetEntry entry;
    entry.Name = file.filename;
    entry.Size = file.length;
    entry.Date = uint16_t(((file.date_y - 1980) & 0x7F) << 9 | (file.date_m & 0x0F) << 5 |
                          (file.date_d & 0x1F));
    entry.Time = uint16_t((file.time_h & 0x1F) << 11 | (file.time_m & 0x3F) << 5 |
                          (file.time_s & 0x3F) >> 1);
    entry.Attributes = uint16_t(file.attribs);
    return entry;
}

} // namespace

std::vector<TCabinetEntry> ListCabinet(TPackageSource& source, uint64_t offset) {
    TSession session(source, offset);
    std::vector<TCabinetEntry> entries;
    for (const mscabd_file* file = session.Files(); file != nullptr; file = file->next)
        entries.push_back(ToEntry(*file));
    return entries;
}

void ExtractCabinet(TPackageSource& source, uint64_t offset, const TEntryOpener& open) {
    TSession session(source, offset);
    for (const mscabd_file* file = session.Files(); file != nullptr; file = file->next) {
        TCabinetEntry entry = ToEntry(*file);
        std::unique_ptr<TEntrySink> sink = open(entry);
        if (!sink)
            continue;
        session.Extract(*file, entry, *sink);
        sink->Finish();
    }
}

} // namespace velk
