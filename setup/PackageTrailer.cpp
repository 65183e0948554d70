#include "setup/PackageTrailer.h"

#include "platform/StrUtils.h"

#include <cstring>
#include <vector>

namespace velk {

namespace {

constexpr size_t MarkerSize = sizeof(PackageTrailerMarker) - 1;
static_assert(12 + MarkerSize == PackageTrailerSize, "three sizes and the marker");

} // namespace

void EncodePackageTrailer(const TPackageTrailer& trailer, uint8_t out[PackageTrailerSize]) {
    PutLE32(out, trailer.PackageSize);
    PutLE32(out + 4, trailer.PresetupSize);
    PutLE32(out + 8, trailer.FilesSize);
    std::memcpy(out + 12, PackageTrailerMarker, MarkerSize);
}

bool DecodePackageTrailer(const uint8_t in[PackageTrailerSize], TPackageTrailer& trailer) {
    if (std::memcmp(in + 12, PackageTrailerMarker, MarkerSize) != 0)
        return false;
    trailer.PackageSize = GetLE32(in);
    trailer.PresetupSize = GetLE32(in + 4);
    trailer.FilesSize = GetLE32(in + 8);
    return true;
}

TTrailerSearch FindPackageTrailer(uint64_t fileSize, const TPackageReader& read) {
    TTrailerSearch result;
    const size_t n = fileSize < TrailerSearchSize ? size_t(fileSize) : TrailerSearchSize;
    const uint64_t windowStart = fileSize - n;
    std::vector<uint8_t> window(n);
    if (n < PackageTrailerSize || !read(windowStart, window.data(), n))
        return result;
    for (size_t pos = 0; pos + MarkerSize <= n; ++pos) {
        if (std::memcmp(window.data() + pos, PackageTrailerMarker, MarkerSize) != 0)
            continue;
        const uint64_t markerEnd = windowStart + pos + MarkerSize;
        if (markerEnd < PackageTrailerSize)
            continue;
        // The trailer lies in the window unless the marker starts its first 12 bytes.
        uint8_t outside[PackageTrailerSize];
        const uint8_t* bytes = window.data() + pos + MarkerSize - PackageTrailerSize;
        if (pos + MarkerSize < PackageTrailerSize) {
            if (!read(markerEnd - PackageTrailerSize, outside, sizeof(outside)))
                continue;
            bytes = outside;
        }
        TPackageTrailer trailer;
        if (!DecodePackageTrailer(bytes, trailer))
            continue;
        const uint64_t appended = fileSize - markerEnd;
        const bool matches = uint64_t(trailer.PackageSize) + appended == fileSize;
        if (!result.Found || matches) {
            result.Found = true;
            result.SizeMatches = matches;
            result.Trailer = trailer;
            result.Appended = appended;
        }
        if (matches)
            break;
    }
    return result;
}

int64_t FindCabinetStart(const uint8_t* head, size_t size) {
    // Spelled out rather than kept as a table: setup.exe links this, and the eight bytes must not
    // appear in front of the package's cabinet.
    for (size_t pos = 0; pos < CabinetSearchLimit && pos + 8 <= size; ++pos) {
        const uint8_t* p = head + pos;
        if (p[0] == 'M' && p[1] == 'S' && p[2] == 'C' && p[3] == 'F' && p[4] == 0 && p[5] == 0 &&
            p[6] == 0 && p[7] == 0)
            return int64_t(pos);
    }
    return -1;
}

} // namespace velk
