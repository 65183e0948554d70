#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/Exception.h"

namespace velk {

// A package that cannot be read, or whose cabinet is broken; the message names the problem.
class EPackageError : public Exception {
public:
    using Exception::Exception;
};

// The bytes of a package file, read at any offset, so the same reading code serves files on
// disk and packages held in memory.
class TPackageSource {
public:
    virtual ~TPackageSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `size` bytes at `offset`; false when the source cannot.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

class TMemoryPackageSource : public TPackageSource {
public:
    explicit TMemoryPackageSource(std::string_view data) : data_(data) {}
    uint64_t Size() const override { return data_.size(); }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

private:
    std::string_view data_;
};

class TFilePackageSource : public TPackageSource {
public:
    // Throws EPackageError when the file cannot be opened.
    explicit TFilePackageSource(const std::string& path);
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

private:
    std::ifstream file_;
    uint64_t size_ = 0;
};

} // namespace velk
