#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velk {

// HAVAL hash with a 256-bit digest and 5 passes.
class THaval {
public:
    static constexpr unsigned DigestSize = 32;
    using TDigest = std::array<uint8_t, DigestSize>;

    THaval();
    void Update(const void* data, size_t size);
    // Pads and returns the digest; the object then starts a new message.
    TDigest Final();

    static TDigest Hash(std::string_view data);

private:
    void Compress(const uint8_t block[128]);

    uint32_t state_[8];
    uint64_t length_; // in bytes
    uint8_t buffer_[128];
};

} // namespace velk
