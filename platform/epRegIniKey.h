#pragma once

#include <cstdint>
#include <string>

#include "platform/epRegIni.h"

// The system's registry key handle type, declared without the system headers.
struct HKEY__;

namespace velk {

enum class TRegAccess : uint8_t { Read, Write };

// One open registry key, closed when its owner goes. The system side provides it: Win32 over the
// registry, Linux as an empty registry in which nothing opens.
class TRegKey {
public:
    TRegKey() = default;
    TRegKey(TRegKey&& Other) noexcept : handle_(Other.handle_) { Other.handle_ = nullptr; }
    TRegKey& operator=(TRegKey&&) = delete;
    TRegKey(const TRegKey&) = delete;
    ~TRegKey();

    // An existing key; not open on failure.
    static TRegKey Open(const TRegPath& Path, TRegAccess Access);
    // The key with every missing level created, opened for writing.
    static TRegKey Create(const TRegPath& Path);

    bool IsOpen() const { return handle_ != nullptr; }
    // One query: the type when Type is given, the data when Data is given (Size: capacity in,
    // data size out).
    bool QueryValue(const std::string& Name, uint32_t* Type, void* Data, uint32_t* Size) const;
    bool SetValue(const std::string& Name, uint32_t Type, const void* Data, uint32_t Size) const;
    bool DeleteValue(const std::string& Name) const;
    bool DeleteSubKey(const std::string& Name) const;
    // The name of the subkey at Index; false past the last one or on failure.
    bool EnumSubKey(uint32_t Index, std::string& Name) const;
    // The name of the value at Index; false past the last one or on failure.
    bool EnumValue(uint32_t Index, std::string& Name) const;

private:
    explicit TRegKey(::HKEY__* Handle) : handle_(Handle) {}
    ::HKEY__* handle_ = nullptr;
};

} // namespace velk
