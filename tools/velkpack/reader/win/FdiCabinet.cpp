// velkpack.exe reads cabinets through the system's cabinet library (FDI in cabinet.dll), given the
// package through its file callbacks so that it sees the cabinet from the signature on.
#include "tools/velkpack/reader/CabinetReader.h"

#include <cstdlib>
#include <exception>
#include <utility>

#include "platform/StrUtils.h"
#include "platform/win/WindowsSupport.h"

// after <windows.h>, which it needs
#include <fdi.h>

namespace velk {
namespace {

constexpr char kCabinetName[] = "cabinet";

struct TSession {
    TPackageSource* Source = nullptr;
    uint64_t Base = 0;
    const TEntryOpener* Open = nullptr; // null while listing
    std::vector<TCabinetEntry> Entries;
    std::string Entry;       // the one being extracted
    std::string NextCabinet; // the cabinet this one continues in
    // An exception cannot pass through the cabinet library: it is carried across it.
    std::exception_ptr Failure;
};

// The file callbacks carry no context, so one reading runs at a time in the process.
TSession* Current = nullptr;

// What a handle given to the cabinet library stands for.
struct THandle {
    bool Output;
    uint64_t Position = 0;            // cabinet: from the signature on
    std::unique_ptr<TEntrySink> Sink; // output
};

THandle* Cast(INT_PTR handle) {
    return reinterpret_cast<THandle*>(handle);
}

FNALLOC(Alloc) {
    return std::malloc(cb);
}

FNFREE(Free) {
    std::free(pv);
}

FNOPEN(Open) {
    (void)oflag;
    (void)pmode;
    if (lstrcmpA(pszFile, kCabinetName) != 0)
        return -1;
    return reinterpret_cast<INT_PTR>(new THandle{false, 0, nullptr});
}

FNREAD(Read) {
    THandle* handle = Cast(hf);
    if (handle->Output)
        return UINT(-1);
    const uint64_t size = Current->Source->Size() - Current->Base;
    if (handle->Position >= size)
        return 0;
    const UINT n = size - handle->Position < cb ? UINT(size - handle->Position) : cb;
    if (!Current->Source->ReadAt(Current->Base + handle->Position, pv, n))
        return UINT(-1);
    handle->Position += n;
    return n;
}

FNWRITE(Write) {
    THandle* handle = Cast(hf);
    if (!handle->Output)
        return UINT(-1);
    try {
        handle->Sink->Write(static_cast<const uint8_t*>(pv), cb);
        return cb;
    } catch (...) {
        Current->Failure = std::current_exception();
        return UINT(-1);
    }
}

FNCLOSE(Close) {
    delete Cast(hf);
    return 0;
}

FNSEEK(Seek) {
    THandle* handle = Cast(hf);
    const int64_t size = int64_t(Current->Source->Size() - Current->Base);
    int64_t from = 0;
    if (seektype == SEEK_CUR)
        from = int64_t(handle->Position);
    else if (seektype == SEEK_END)
        from = size;
    else if (seektype != SEEK_SET)
        return -1;
    const int64_t position = from + dist;
    if (handle->Output || position < 0 || position > INT32_MAX)
        return -1;
    handle->Position = uint64_t(position);
    return __LONG32(position);
}

INT_PTR BeginEntry(PFDINOTIFICATION info) {
    TCabinetEntry entry;
    entry.Name = info->psz1;
    entry.Size = uint32_t(info->cb);
    entry.Date = info->date;
    entry.Time = info->time;
    entry.Attributes = info->attribs;
    if (Current->Open == nullptr) {
        Current->Entries.push_back(std::move(entry));
        return 0;
    }
    std::unique_ptr<TEntrySink> sink = (*Current->Open)(entry);
    if (!sink)
        return 0;
    Current->Entry = entry.Name;
    return reinterpret_cast<INT_PTR>(new THandle{true, 0, std::move(sink)});
}

INT_PTR EndEntry(PFDINOTIFICATION info) {
    std::unique_ptr<THandle> handle(Cast(info->hf));
    handle->Sink->Finish();
    Current->Entry.clear();
    return TRUE;
}

FNFDINOTIFY(Notify) {
    try {
        switch (fdint) {
        case fdintCOPY_FILE:
            return BeginEntry(pfdin);
        case fdintCLOSE_FILE_INFO:
            return EndEntry(pfdin);
        case fdintNEXT_CABINET:
            Current->NextCabinet = pfdin->psz1;
            return -1;
        default:
            return 0;
        }
    } catch (...) {
        Current->Failure = std::current_exception();
        return -1;
    }
}

const char* ErrorText(int code) {
    switch (code) {
    case FDIERROR_CABINET_NOT_FOUND:
        return "the cabinet cannot be read";
    case FDIERROR_NOT_A_CABINET:
        return "no cabinet header at the signature";
    case FDIERROR_UNKNOWN_CABINET_VERSION:
        return "the cabinet has an unknown format version";
    case FDIERROR_ALLOC_FAIL:
        return "out of memory";
    case FDIERROR_BAD_COMPR_TYPE:
        return "the cabinet uses an unknown compression";
    case FDIERROR_MDI_FAIL:
        return "the compressed data is corrupt";
    case FDIERROR_TARGET_FILE:
        return "an entry cannot be written";
    default:
        return "the cabinet's structure is invalid";
    }
}

void Run(TSession& session) {
    struct TCurrent {
        explicit TCurrent(TSession& session) { Current = &session; }
        ~TCurrent() { Current = nullptr; }
    } current(session);
    ERF error{};
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &error);
    if (fdi == nullptr)
        throw EPackageError("cannot start the system's cabinet library");
    std::string name = kCabinetName;
    std::string path;
    const BOOL copied = FDICopy(fdi, name.data(), path.data(), 0, Notify, nullptr, nullptr);
    FDIDestroy(fdi);
    if (session.Failure)
        std::rethrow_exception(session.Failure);
    if (copied)
        return;
    std::string reason = ErrorText(error.erfOper);
    if (!session.NextCabinet.empty())
        reason = "the cabinet continues in \"" + session.NextCabinet + "\", which is not read";
    if (!session.Entry.empty())
        reason = "cannot extract \"" + session.Entry + "\": " + reason;
    throw EPackageError(reason);
}

} // namespace

std::vector<TCabinetEntry> ListCabinet(TPackageSource& source, uint64_t offset) {
    TSession session;
    session.Source = &source;
    session.Base = offset;
    Run(session);
    return std::move(session.Entries);
}

void ExtractCabinet(TPackageSource& source, uint64_t offset, const TEntryOpener& open) {
    TSession session;
    session.Source = &source;
    session.Base = offset;
    session.Open = &open;
    Run(session);
}

} // namespace velk
