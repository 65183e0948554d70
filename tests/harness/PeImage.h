// Reads a 32-bit PE file's headers as tests need them: imports, load flags, and the mapping
// between file offsets and addresses.
#pragma once

#include "platform/win/WindowsSupport.h"

#include <algorithm>
#include <set>
#include <string>

namespace velk::test {

class TPeImage {
public:
    explicit TPeImage(const std::string& bytes) : bytes_(bytes) {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        nt_ = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + dos->e_lfanew);
        sections_ = IMAGE_FIRST_SECTION(nt_);
    }

    WORD DllCharacteristics() const { return nt_->OptionalHeader.DllCharacteristics; }
    const IMAGE_DATA_DIRECTORY& Directory(int entry) const {
        return nt_->OptionalHeader.DataDirectory[entry];
    }

    // The libraries of the import table, in lower case.
    std::set<std::string> Imports() const {
        std::set<std::string> names;
        for (size_t at = Offset(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
             at != 0 && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes_.size();
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* entry =
                reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes_.data() + at);
            if (entry->Name == 0)
                break;
            std::string name = bytes_.c_str() + Offset(entry->Name);
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            names.insert(name);
        }
        return names;
    }

    // 0 for an address outside the file's sections.
    size_t Offset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& s : Sections())
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        return 0;
    }
    DWORD Rva(size_t offset) const {
        for (const IMAGE_SECTION_HEADER& s : Sections())
            if (offset >= s.PointerToRawData && offset < s.PointerToRawData + s.SizeOfRawData)
                return DWORD(offset - s.PointerToRawData + s.VirtualAddress);
        return 0;
    }

private:
    struct TSections {
        const IMAGE_SECTION_HEADER* first;
        WORD count;
        const IMAGE_SECTION_HEADER* begin() const { return first; }
        const IMAGE_SECTION_HEADER* end() const { return first + count; }
    };
    TSections Sections() const { return {sections_, nt_->FileHeader.NumberOfSections}; }

    const std::string& bytes_;
    const IMAGE_NT_HEADERS32* nt_;
    const IMAGE_SECTION_HEADER* sections_;
};

} // namespace velk::test
