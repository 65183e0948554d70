#include "tools/velkpack/reader/PackageReader.h"

#include "platform/StrUtils.h"
#include "setup/EntryName.h"

namespace velk {

TPackageLayout ReadPackageLayout(TPackageSource& source) {
    TPackageLayout layout;
    layout.FileSize = source.Size();
    layout.Trailer =
        FindPackageTrailer(layout.FileSize, [&](uint64_t offset, uint8_t* buffer, size_t size) {
            return source.ReadAt(offset, buffer, size);
        });
    std::vector<uint8_t> head(layout.FileSize < CabinetSearchBytes ? size_t(layout.FileSize)
                                                                   : CabinetSearchBytes);
    if (source.ReadAt(0, head.data(), head.size()))
        layout.CabinetOffset = FindCabinetStart(head.data(), head.size());
    return layout;
}

bool IsProductFile(std::string_view name) {
    return name.size() >= 6 && SameText(name.substr(0, 6), "files\\");
}

std::vector<std::string> PackageProblems(const TPackageLayout& layout,
                                         const std::vector<TCabinetEntry>& entries) {
    std::vector<std::string> problems;
    if (layout.CabinetOffset < 0)
        problems.push_back(Format("no cabinet: \"MSCF\" and four zero bytes do not begin within "
                                  "the first %u bytes",
                                  unsigned(CabinetSearchLimit)));
    const TTrailerSearch& found = layout.Trailer;
    if (!found.Found) {
        problems.push_back(Format("no trailer: \"%s\" is not in the last %u bytes",
                                  PackageTrailerMarker, unsigned(TrailerSearchSize)));
    } else if (!found.SizeMatches) {
        problems.push_back(Format("the trailer records a package of %u bytes, but the file has "
                                  "%llu bytes, %llu of them after the trailer",
                                  unsigned(found.Trailer.PackageSize),
                                  (unsigned long long)layout.FileSize,
                                  (unsigned long long)found.Appended));
    }

    uint64_t presetup = 0;
    uint64_t files = 0;
    const TCabinetEntry* firstProductFile = nullptr;
    for (const TCabinetEntry& entry : entries) {
        if (IsProductFile(entry.Name)) {
            files += entry.Size;
            if (firstProductFile == nullptr)
                firstProductFile = &entry;
        } else {
            presetup += entry.Size;
            if (firstProductFile != nullptr)
                problems.push_back(Format("\"%s\" comes after the product files (\"%s\"), so "
                                          "setup.exe does not extract it when it prepares the "
                                          "package",
                                          entry.Name.c_str(), firstProductFile->Name.c_str()));
        }
        std::string unsafe = UnsafeEntryNameReason(entry.Name);
        if (!unsafe.empty())
            problems.push_back(
                Format("unsafe entry name \"%s\": %s", entry.Name.c_str(), unsafe.c_str()));
    }
    if (found.Found && layout.CabinetOffset >= 0 &&
        (presetup != found.Trailer.PresetupSize || files != found.Trailer.FilesSize))
        problems.push_back(Format("the trailer records PresetupSize %u and FilesSize %u, but the "
                                  "cabinet's files hold %llu and %llu bytes",
                                  unsigned(found.Trailer.PresetupSize),
                                  unsigned(found.Trailer.FilesSize), (unsigned long long)presetup,
                                  (unsigned long long)files));
    return problems;
}

TPackageListing ListPackage(TPackageSource& source) {
    TPackageListing listing;
    listing.Layout = ReadPackageLayout(source);
    if (listing.Layout.CabinetOffset >= 0) {
        try {
            listing.Entries = ListCabinet(source, uint64_t(listing.Layout.CabinetOffset));
        } catch (const EPackageError& e) {
            listing.CabinetError = e.what();
        }
    }
    listing.Problems = PackageProblems(listing.Layout, listing.Entries);
    return listing;
}

std::string EntryLine(const TCabinetEntry& entry) {
    static const struct {
        uint16_t Bit;
        char Letter;
    } kAttributes[] = {{0x01, 'r'}, {0x02, 'h'}, {0x04, 's'}, {0x20, 'a'}, {0x40, 'x'}};
    std::string attributes;
    uint16_t known = 0;
    for (const auto& attribute : kAttributes) {
        attributes += (entry.Attributes & attribute.Bit) ? attribute.Letter : '-';
        known |= attribute.Bit;
    }
    if (entry.Attributes & ~known)
        attributes += Format("+%02X", unsigned(entry.Attributes & ~known));
    return Format("%10u  %04d-%02d-%02d %02d:%02d:%02d  %s  %s", unsigned(entry.Size),
                  (entry.Date >> 9) + 1980, entry.Date >> 5 & 0x0F, entry.Date & 0x1F,
                  entry.Time >> 11, entry.Time >> 5 & 0x3F, (entry.Time & 0x1F) * 2,
                  attributes.c_str(), entry.Name.c_str());
}

} // namespace velk
