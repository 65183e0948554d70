#include "unpack/Unpacker.h"

#include "platform/StrUtils.h"
#include "platform/win/ScopedHandle.h"
#include "platform/win/WindowsSupport.h"
#include "unpack/UnpackApi.h"

#include <atomic>
#include <cstring>

namespace velk {

namespace {

struct TModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type module) { ::FreeLibrary(module); }
};

// The callbacks of the running enumeration: the library's notifications carry no context.
struct TEnumeration {
    const TUnpackBeforeFile& BeforeFile;
    const TUnpackAfterFile& AfterFile;
    const TUnpackProgress& Progress;
    const TLocateCabinet& Locate;
    bool Failed = false;
};

std::atomic<TEnumeration*> ActiveEnumeration{nullptr};

std::string Text(const char* text) {
    return text ? text : "";
}

std::string BufferText(const char* buffer) {
    return std::string(buffer, ::strnlen(buffer, UNPACK_PATH_CAPACITY));
}

// Stores a path with its terminator in one of the records' buffers.
void StorePath(char* buffer, const std::string& path) {
    if (path.size() >= UNPACK_PATH_CAPACITY)
        throw Exception(Format("Path is too long: %s", path.c_str()));
    std::memcpy(buffer, path.c_str(), path.size() + 1);
}

int32_t BeforeFile(TEnumeration& run, TUnpackFileRecord& record) {
    if (!run.BeforeFile)
        return UnpackSkip;
    std::string destination;
    int answer = run.BeforeFile(Text(record.Name), record.Size, record.Attributes,
                                FileDateToDateTime(int32_t(record.DateTime)), destination);
    if (answer == UnpackExtract && !destination.empty())
        StorePath(record.Destination, destination);
    return answer;
}

int32_t AfterFile(TEnumeration& run, const TUnpackFileRecord& record) {
    if (!run.AfterFile)
        return UnpackExtract;
    return run.AfterFile(Text(record.Name), record.Size, record.Attributes,
                         FileDateToDateTime(int32_t(record.DateTime)),
                         BufferText(record.Destination));
}

int32_t Progress(TEnumeration& run, const TUnpackProgressRecord& record) {
    if (!run.Progress)
        return UnpackExtract;
    return run.Progress(Text(record.Name), Text(record.Destination), record.Size, record.BlockBytes,
                        record.WrittenBytes);
}

int32_t NextCabinet(TEnumeration& run, TUnpackCabinetRecord& record) {
    if (!run.Locate)
        return UnpackStop;
    std::string folder = run.Locate(Text(record.CabinetName), BufferText(record.Folder));
    if (folder.empty())
        return UnpackStop;
    StorePath(record.Folder, IncludeTrailingBackslash(folder));
    return UnpackExtract;
}

// No exception may cross into the library: one ends the enumeration and fails it.
int32_t __stdcall HostNotify(int32_t type, void* record) {
    TEnumeration* run = ActiveEnumeration.load();
    try {
        switch (type) {
        case UNPACK_BEFORE_FILE:
            return BeforeFile(*run, *static_cast<TUnpackFileRecord*>(record));
        case UNPACK_AFTER_FILE:
            return AfterFile(*run, *static_cast<TUnpackFileRecord*>(record));
        case UNPACK_PROGRESS:
            return Progress(*run, *static_cast<TUnpackProgressRecord*>(record));
        case UNPACK_NEXT_CABINET:
            return NextCabinet(*run, *static_cast<TUnpackCabinetRecord*>(record));
        default:
            return 0;
        }
    } catch (...) {
        run->Failed = true;
        return UnpackStop;
    }
}

// The packages' blocks are stored as they are.
void __stdcall HostFilter(void*, int32_t) {}

template <typename T> T Export(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

std::string SearchFolder(const std::string& fileName, const std::string& folder) {
    return FileExists(IncludeTrailingBackslash(folder) + fileName) ? folder : std::string();
}

} // namespace

struct TUnpacker::TLibrary {
    TScoped<TModuleTraits> Module;
    TUnpackOpen Open = nullptr;
    TUnpackEnumerate Enumerate = nullptr;
    TUnpackClose Close = nullptr;
};

TUnpacker::TUnpacker(const std::string& LibraryFolder, const std::string& PackagePath)
    : library_(std::make_unique<TLibrary>()), packagePath_(PackagePath), locate_(SearchFolder) {
    std::string path = IncludeTrailingBackslash(LibraryFolder) + "unpack.dll";
    // The library's own imports are looked for beside it first, not beside the program.
    library_->Module.Reset(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library_->Module.Valid())
        throw EUnpackLibrary("Can't load unpack library");
    HMODULE module = library_->Module.Get();
    library_->Open = Export<TUnpackOpen>(module, "Open");
    library_->Enumerate = Export<TUnpackEnumerate>(module, "Enumerate");
    library_->Close = Export<TUnpackClose>(module, "Close");
    if (!library_->Open || !library_->Enumerate || !library_->Close)
        throw EUnpackLibrary("Important functions was not found in the unpack library");
    library_->Open(packagePath_.c_str());
}

TUnpacker::~TUnpacker() {
    library_->Close();
}

bool TUnpacker::Enumerate(const TUnpackBeforeFile& BeforeFile, const TUnpackAfterFile& AfterFile,
                          const TUnpackProgress& Progress) {
    TEnumeration run{BeforeFile, AfterFile, Progress, locate_};
    TEnumeration* idle = nullptr;
    if (!ActiveEnumeration.compare_exchange_strong(idle, &run))
        return false;
    // The library holds one cabinet for the whole process: another unpacker may have opened its
    // own since this one was created.
    library_->Open(packagePath_.c_str());
    int32_t result = library_->Enumerate(HostNotify, HostFilter);
    ActiveEnumeration.store(nullptr);
    return result != 0 && !run.Failed;
}

} // namespace velk
