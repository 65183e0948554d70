// Fuzzes the trailer search and the cabinet search on arbitrary files, checking each result
// against a plain scan of the same bytes: the trailer taken is the first marker in the last
// 64 KB whose sizes record the file's size, else the first marker at all; the cabinet starts at
// the first signature before the limit. A wrong answer aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/StrUtils.h"
#include "setup/PackageTrailer.h"

namespace velk {
namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool MarkerAt(const uint8_t* data, size_t pos) {
    return std::memcmp(data + pos, "VKPEND", 6) == 0;
}

void CheckTrailerSearch(const uint8_t* data, size_t size) {
    const TTrailerSearch r =
        FindPackageTrailer(size, [&](uint64_t offset, uint8_t* buffer, size_t n) {
            if (offset > size || n > size - offset)
                return false;
            std::memcpy(buffer, data + offset, n);
            return true;
        });
    const size_t windowStart = size > TrailerSearchSize ? size - TrailerSearchSize : 0;
    size_t firstMarkerEnd = 0, firstMatchEnd = 0;
    if (size >= PackageTrailerSize) {
        for (size_t pos = windowStart; pos + 6 <= size; ++pos) {
            if (!MarkerAt(data, pos) || pos + 6 < PackageTrailerSize)
                continue;
            const size_t end = pos + 6;
            if (firstMarkerEnd == 0)
                firstMarkerEnd = end;
            const uint32_t packageSize = GetLE32(data + end - PackageTrailerSize);
            if (uint64_t(packageSize) + (size - end) == size) {
                firstMatchEnd = end;
                break;
            }
        }
    }
    Check(r.Found == (firstMarkerEnd != 0));
    Check(r.SizeMatches == (firstMatchEnd != 0));
    if (!r.Found)
        return;
    const size_t end = firstMatchEnd != 0 ? firstMatchEnd : firstMarkerEnd;
    Check(r.Appended == size - end);
    TPackageTrailer expected;
    Check(DecodePackageTrailer(data + end - PackageTrailerSize, expected));
    Check(r.Trailer.PackageSize == expected.PackageSize);
    Check(r.Trailer.PresetupSize == expected.PresetupSize);
    Check(r.Trailer.FilesSize == expected.FilesSize);
    uint8_t encoded[PackageTrailerSize];
    EncodePackageTrailer(r.Trailer, encoded);
    Check(std::memcmp(encoded, data + end - PackageTrailerSize, PackageTrailerSize) == 0);
}

void CheckCabinetSearch(const uint8_t* data, size_t size) {
    const size_t head = size < CabinetSearchBytes ? size : CabinetSearchBytes;
    const int64_t found = FindCabinetStart(data, head);
    int64_t expected = -1;
    for (size_t pos = 0; pos + 8 <= head && pos < CabinetSearchLimit; ++pos) {
        if (std::memcmp(data + pos, "MSCF\0\0\0\0", 8) == 0) {
            expected = int64_t(pos);
            break;
        }
    }
    Check(found == expected);
}

} // namespace
} // namespace velk

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velk::CheckTrailerSearch(data, size);
    velk::CheckCabinetSearch(data, size);
    return 0;
}
