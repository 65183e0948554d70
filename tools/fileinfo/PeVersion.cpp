#include "tools/fileinfo/PeVersion.h"

#include "platform/StrUtils.h"
#include "tools/fileinfo/ByteReader.h"

namespace velk {

namespace {

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
// A resource tree deeper than type/name/language is malformed; the bound also stops loops.
constexpr int kMaxResourceDepth = 3;

struct TSection {
    uint32_t VirtualAddress, VirtualSize, RawOffset, RawSize;
};

class TPeImage {
public:
    explicit TPeImage(std::string_view image) : in_(image) {}

    bool Open() {
        if (in_.LE16(0) != 0x5A4D) // "MZ"
            return false;
        uint32_t pe = in_.LE32(0x3C);
        if (in_.LE32(pe) != 0x00004550) // "PE\0\0"
            return false;
        uint16_t sections = in_.LE16(pe + 6);
        uint16_t optionalSize = in_.LE16(pe + 20);
        size_t optional = size_t(pe) + 24;
        uint16_t magic = in_.LE16(optional);
        size_t directories;
        if (magic == 0x10B)
            directories = optional + 96;
        else if (magic == 0x20B)
            directories = optional + 112;
        else
            return false;
        uint32_t directoryCount = in_.LE32(directories - 4);
        if (directoryCount <= kResourceDirectoryIndex)
            return false;
        resourceRva_ = in_.LE32(directories + 8 * kResourceDirectoryIndex);
        sectionTable_ = optional + optionalSize;
        sectionCount_ = sections;
        return !in_.Failed() && resourceRva_ != 0;
    }

    // File offset of a virtual address, if a section holds it.
    bool Offset(uint32_t rva, size_t& offset) {
        for (uint16_t i = 0; i < sectionCount_; ++i) {
            size_t at = sectionTable_ + 40 * size_t(i);
            TSection s{in_.LE32(at + 12), in_.LE32(at + 8), in_.LE32(at + 20), in_.LE32(at + 16)};
            uint32_t extent = s.VirtualSize > s.RawSize ? s.VirtualSize : s.RawSize;
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < extent) {
                offset = size_t(s.RawOffset) + (rva - s.VirtualAddress);
                return !in_.Failed();
            }
        }
        return false;
    }

    // Walks type 16, then the first name and the first language, to the version data.
    bool FindVersionData(size_t& offset, uint32_t& size) {
        size_t root;
        if (!Offset(resourceRva_, root))
            return false;
        uint32_t entry = 0;
        if (!FindEntry(root, root, kVersionResourceType, entry))
            return false;
        for (int depth = 1; depth < kMaxResourceDepth && (entry & kSubdirectoryFlag); ++depth) {
            if (!FirstEntry(root, root + (entry & ~kSubdirectoryFlag), entry))
                return false;
        }
        if (entry & kSubdirectoryFlag)
            return false;
        size_t dataEntry = root + entry;
        uint32_t dataRva = in_.LE32(dataEntry);
        size = in_.LE32(dataEntry + 4);
        return !in_.Failed() && Offset(dataRva, offset) && in_.Has(offset, size);
    }

    TByteReader& In() { return in_; }

private:
    // Entries of a resource directory: named ones first, then those with numeric IDs.
    bool FindEntry(size_t root, size_t directory, uint32_t id, uint32_t& entry) {
        uint32_t count = uint32_t(in_.LE16(directory + 12)) + in_.LE16(directory + 14);
        for (uint32_t i = 0; i < count && !in_.Failed(); ++i) {
            size_t at = directory + 16 + 8 * size_t(i);
            if (in_.LE32(at) == id) {
                entry = in_.LE32(at + 4);
                return !in_.Failed() && Inside(root, entry);
            }
        }
        return false;
    }

    bool FirstEntry(size_t root, size_t directory, uint32_t& entry) {
        uint32_t count = uint32_t(in_.LE16(directory + 12)) + in_.LE16(directory + 14);
        if (count == 0)
            return false;
        entry = in_.LE32(directory + 20);
        return !in_.Failed() && Inside(root, entry);
    }

    bool Inside(size_t root, uint32_t entry) {
        return in_.Has(root + (entry & ~kSubdirectoryFlag), 16);
    }

    TByteReader in_;
    uint32_t resourceRva_ = 0;
    size_t sectionTable_ = 0;
    uint16_t sectionCount_ = 0;
};

} // namespace

bool ReadPeVersion(std::string_view image, TPeVersion& version) {
    TPeImage pe(image);
    size_t offset = 0;
    uint32_t size = 0;
    if (!pe.Open() || !pe.FindVersionData(offset, size))
        return false;
    // VS_VERSIONINFO: three 16-bit fields, the key "VS_VERSION_INFO" in UTF-16 with its NUL
    // (32 bytes), padding to 32 bits, then the fixed information.
    TByteReader& in = pe.In();
    uint16_t valueLength = in.LE16(offset + 2);
    size_t fixed = offset + 6 + 32;
    fixed = (fixed + 3) & ~size_t(3);
    if (in.Failed() || valueLength < 52 || fixed + 52 > offset + size)
        return false;
    if (in.LE32(fixed) != kFixedInfoSignature)
        return false;
    version.MS = in.LE32(fixed + 8);
    version.LS = in.LE32(fixed + 12);
    return !in.Failed();
}

std::string PeVersionText(std::string_view image) {
    TPeVersion v;
    if (!ReadPeVersion(image, v))
        return "";
    return Format("%u.%u.%u.%u", unsigned(v.MS >> 16), unsigned(v.MS & 0xFFFF),
                  unsigned(v.LS >> 16), unsigned(v.LS & 0xFFFF));
}

} // namespace velk
