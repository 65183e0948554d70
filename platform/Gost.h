#pragma once

#include <cstdint>

namespace velk {

// GOST 28147-89 block cipher (64-bit block, 256-bit key) with the S-boxes of the GOST R 34.11-94
// test parameter set. Blocks are two 32-bit little-endian halves, the key eight 32-bit
// little-endian words.
class TGost {
public:
    static constexpr unsigned BlockSize = 8;
    static constexpr unsigned KeySize = 32;

    explicit TGost(const uint8_t key[KeySize]);

    void EncryptBlock(const uint8_t in[BlockSize], uint8_t out[BlockSize]) const;
    void DecryptBlock(const uint8_t in[BlockSize], uint8_t out[BlockSize]) const;

private:
    uint32_t Round(uint32_t half, uint32_t key) const;
    void Crypt(const uint8_t in[BlockSize], uint8_t out[BlockSize],
               const uint8_t schedule[32]) const;

    uint32_t key_[8];
    // The eight 4-bit S-boxes merged pairwise into byte tables, with the 11-bit rotation folded
    // in; built at run time so that the program carries 128 bytes of S-boxes, not 4 KB of tables.
    uint32_t table_[4][256];
};

} // namespace velk
