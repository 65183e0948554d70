#include "platform/epUtils2.h"

#include "platform/StrUtils.h"

#include <algorithm>

namespace velk {

void PackVersionText(std::string_view text, uint32_t& ms, uint32_t& ls) {
    uint32_t words[4] = {0, 0, 0, 0};
    size_t count = 0;
    size_t i = 0;
    while (count < 4 && i < text.size()) {
        if (text[i] == '.') {
            ++i;
            continue;
        }
        size_t end = text.find('.', i);
        if (end == std::string_view::npos)
            end = text.size();
        words[count++] = static_cast<uint32_t>(StrToIntDef(text.substr(i, end - i), 0));
        i = end;
    }
    ms = (words[0] << 16) + words[1];
    ls = (words[2] << 16) + words[3];
}

std::string VersionToText(uint32_t ms, uint32_t ls) {
    return Format("%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
}

int CompareVersions(uint32_t ms1, uint32_t ls1, uint32_t ms2, uint32_t ls2) {
    auto cmp = [](uint32_t a, uint32_t b) {
        int32_t x = static_cast<int32_t>(a), y = static_cast<int32_t>(b);
        return x > y ? 1 : x < y ? -1 : 0;
    };
    int c = cmp(ms1, ms2);
    return c != 0 ? c : cmp(ls1, ls2);
}

int CompareVersionText(std::string_view a, std::string_view b) {
    uint32_t msA, lsA, msB, lsB;
    PackVersionText(a, msA, lsA);
    PackVersionText(b, msB, lsB);
    return CompareVersions(msA, lsA, msB, lsB);
}

namespace {

// Bounds-checked little-endian reads from an untrusted image.
class TImage {
public:
    explicit TImage(std::string_view bytes) : bytes_(bytes) {}
    bool Has(uint64_t offset, uint64_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    uint32_t U16(uint64_t offset) const { return Has(offset, 2) ? GetLE16(At(offset)) : 0; }
    uint32_t U32(uint64_t offset) const { return Has(offset, 4) ? GetLE32(At(offset)) : 0; }

    // File offset of a relative virtual address, or false when no section holds it.
    bool Locate(uint32_t rva, uint64_t& offset) const {
        uint64_t header = U32(0x3C);
        uint64_t sections = header + 24 + U16(header + 20);
        uint32_t count = U16(header + 6);
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t section = sections + uint64_t(i) * 40;
            if (!Has(section, 40))
                return false;
            uint32_t start = U32(section + 12);
            uint32_t length = std::max(U32(section + 8), U32(section + 16));
            if (rva >= start && rva - start < length) {
                offset = uint64_t(U32(section + 20)) + (rva - start);
                return true;
            }
        }
        return false;
    }

private:
    const uint8_t* At(uint64_t offset) const {
        return reinterpret_cast<const uint8_t*>(bytes_.data()) + offset;
    }
    std::string_view bytes_;
};

// Offset field of the entry of a resource directory with the given id, or of its first entry
// when id is negative; 0 when there is none.
uint32_t ResourceEntry(const TImage& image, uint64_t directory, int32_t id) {
    uint32_t named = image.U16(directory + 12);
    uint32_t ids = image.U16(directory + 14);
    for (uint32_t i = 0; i < named + ids; ++i) {
        uint64_t entry = directory + 16 + uint64_t(i) * 8;
        if (!image.Has(entry, 8))
            return 0;
        if (id < 0 || (i >= named && image.U32(entry) == uint32_t(id)))
            return image.U32(entry + 4);
    }
    return 0;
}

} // namespace

bool ReadImageFileVersion(std::string_view bytes, uint32_t& ms, uint32_t& ls) {
    constexpr uint32_t SubdirectoryFlag = 0x80000000u;
    constexpr int32_t VersionResource = 16;
    TImage image(bytes);
    if (image.U16(0) != 0x5A4D)
        return false;
    uint64_t header = image.U32(0x3C);
    if (image.U32(header) != 0x4550)
        return false;
    uint64_t optional = header + 24;
    uint32_t magic = image.U16(optional);
    uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    uint32_t directoryCount = image.U32(directories - 4);
    if ((magic != 0x10B && magic != 0x20B) || directoryCount < 3)
        return false;
    uint64_t root;
    if (!image.Locate(image.U32(directories + 16), root))
        return false;
    // Type, then name, then language: the first name and language of the version type.
    uint32_t type = ResourceEntry(image, root, VersionResource);
    if ((type & SubdirectoryFlag) == 0)
        return false;
    uint32_t name = ResourceEntry(image, root + (type & ~SubdirectoryFlag), -1);
    if ((name & SubdirectoryFlag) == 0)
        return false;
    uint32_t language = ResourceEntry(image, root + (name & ~SubdirectoryFlag), -1);
    if (language == 0 || (language & SubdirectoryFlag) != 0)
        return false;
    uint64_t block;
    if (!image.Locate(image.U32(root + language), block))
        return false;
    // VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO", then the value on a
    // 32-bit boundary.
    static const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof(key); ++i)
        if (image.U16(block + 6 + 2 * i) != uint32_t(uint8_t(key[i])))
            return false;
    uint64_t value = block + ((6 + 2 * sizeof(key) + 3) & ~size_t(3));
    if (image.U16(block + 2) < 52 || !image.Has(value, 52) || image.U32(value) != 0xFEEF04BD)
        return false;
    ms = image.U32(value + 8);
    ls = image.U32(value + 12);
    return true;
}

bool GetFileVersionText(const std::string& fileName, std::string& text) {
    uint32_t ms, ls;
    text.clear();
    if (!GetFileVersion(fileName, ms, ls))
        return false;
    text = VersionToText(ms, ls);
    return true;
}

bool ExistingFileIsNewer(std::string_view versionText, const std::string& fileName,
                         TDateTime date) {
    if (!FileExists(fileName))
        return false;
    uint32_t ms, ls, fileMs, fileLs;
    if (!versionText.empty() && GetFileVersion(fileName, fileMs, fileLs)) {
        PackVersionText(versionText, ms, ls);
        int c = CompareVersions(fileMs, fileLs, ms, ls);
        if (c != 0)
            return c > 0;
    }
    return GetFileDate(fileName) > date;
}

bool ExistingFileIsSame(std::string_view versionText, const std::string& fileName, TDateTime date) {
    if (!FileExists(fileName))
        return false;
    uint32_t ms, ls, fileMs, fileLs;
    if (!versionText.empty() && GetFileVersion(fileName, fileMs, fileLs)) {
        PackVersionText(versionText, ms, ls);
        if (CompareVersions(fileMs, fileLs, ms, ls) != 0)
            return false;
    }
    return GetFileDate(fileName) == date;
}

bool IsFileNewer(const std::string& a, const std::string& b) {
    if (!FileExists(b))
        return true;
    uint32_t msA, lsA, msB, lsB;
    if (GetFileVersion(a, msA, lsA) && GetFileVersion(b, msB, lsB))
        return CompareVersions(msA, lsA, msB, lsB) > 0;
    return GetFileDate(a) > GetFileDate(b);
}

} // namespace velk
