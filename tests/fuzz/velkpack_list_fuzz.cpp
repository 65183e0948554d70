// Fuzzes "velkpack list" on mutated packages: the trailer and cabinet searches, the cabinet read
// by libmspack, the problems found and the entry lines; then extracts what the listing holds into
// counting sinks, which must receive exactly each entry's size. A wrong answer aborts.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "setup/EntryName.h"
#include "tools/velkpack/reader/PackageReader.h"

namespace velk {
namespace {

// Extraction stops once this much has been written, so a tiny input cannot keep a run busy.
constexpr uint64_t kExtractLimit = 1 << 20;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

class TStop {};

class TCountingSink : public TEntrySink {
public:
    TCountingSink(uint32_t size, uint64_t& total) : size_(size), total_(total) {}
    void Write(const uint8_t*, size_t size) override {
        written_ += size;
        total_ += size;
        Check(written_ <= size_);
        if (total_ > kExtractLimit)
            throw TStop();
    }
    void Finish() override { Check(written_ == size_); }

private:
    uint64_t size_;
    uint64_t written_ = 0;
    uint64_t& total_;
};

void Fuzz(const uint8_t* data, size_t size) {
    TMemoryPackageSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    const TPackageListing listing = ListPackage(source);
    const TPackageLayout& layout = listing.Layout;
    if (layout.CabinetOffset >= 0)
        Check(size_t(layout.CabinetOffset) < CabinetSearchLimit &&
              std::string_view(reinterpret_cast<const char*>(data) + layout.CabinetOffset, 8) ==
                  std::string_view("MSCF\0\0\0\0", 8));
    if (listing.Problems.empty()) {
        Check(layout.CabinetOffset >= 0 && layout.Trailer.Found && layout.Trailer.SizeMatches);
        for (const TCabinetEntry& entry : listing.Entries)
            Check(UnsafeEntryNameReason(entry.Name).empty());
    }
    for (const TCabinetEntry& entry : listing.Entries)
        Check(EntryLine(entry).find(entry.Name) != std::string::npos);

    if (layout.CabinetOffset < 0 || !listing.CabinetError.empty())
        return;
    uint64_t total = 0;
    try {
        ExtractCabinet(source, uint64_t(layout.CabinetOffset), [&](const TCabinetEntry& entry) {
            return std::make_unique<TCountingSink>(entry.Size, total);
        });
    } catch (const EPackageError&) {
    } catch (const TStop&) {
    }
}

} // namespace
} // namespace velk

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velk::Fuzz(data, size);
    return 0;
}
