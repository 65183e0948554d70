#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velk {

// Bounds-checked little- and big-endian reads from an untrusted file image: a read past the end
// gives 0 and marks the reader as failed, so parsers check once at the end instead of at every
// field.
class TByteReader {
public:
    explicit TByteReader(std::string_view data) : data_(data) {}

    bool Has(size_t offset, size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    uint8_t U8(size_t offset) { return Has(offset, 1) ? Byte(offset) : Fail(); }
    uint16_t LE16(size_t offset) {
        return Has(offset, 2) ? uint16_t(Byte(offset) | Byte(offset + 1) << 8) : Fail();
    }
    uint32_t LE32(size_t offset) {
        return Has(offset, 4) ? uint32_t(LE16(offset)) | uint32_t(LE16(offset + 2)) << 16 : Fail();
    }
    uint16_t BE16(size_t offset) {
        return Has(offset, 2) ? uint16_t(Byte(offset) << 8 | Byte(offset + 1)) : Fail();
    }
    uint32_t BE32(size_t offset) {
        return Has(offset, 4) ? uint32_t(BE16(offset)) << 16 | BE16(offset + 2) : Fail();
    }
    std::string_view Bytes(size_t offset, size_t count) {
        if (!Has(offset, count)) {
            Fail();
            return {};
        }
        return data_.substr(offset, count);
    }
    bool Failed() const { return failed_; }
    size_t Size() const { return data_.size(); }

private:
    uint8_t Byte(size_t offset) const { return static_cast<uint8_t>(data_[offset]); }
    uint8_t Fail() {
        failed_ = true;
        return 0;
    }

    std::string_view data_;
    bool failed_ = false;
};

} // namespace velk
