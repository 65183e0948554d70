#include "platform/Gost.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

// id-GostR3411-94-TestParamSet; row 0 substitutes the lowest four bits.
const uint8_t SBox[8][16] = {
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
};

// 32 rounds: the key words three times forwards and once backwards; decryption runs the
// schedule in reverse.
const uint8_t EncryptSchedule[32] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7,
                                     0, 1, 2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1, 0};
const uint8_t DecryptSchedule[32] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1, 0,
                                     7, 6, 5, 4, 3, 2, 1, 0, 7, 6, 5, 4, 3, 2, 1, 0};

uint32_t Rotl(uint32_t x, unsigned n) {
    return (x << n) | (x >> (32 - n));
}

} // namespace

TGost::TGost(const uint8_t key[KeySize]) {
    for (unsigned i = 0; i < 8; ++i)
        key_[i] = GetLE32(key + 4 * i);
    for (unsigned t = 0; t < 4; ++t) {
        for (unsigned b = 0; b < 256; ++b) {
            uint32_t v = uint32_t(SBox[2 * t][b & 15]) | uint32_t(SBox[2 * t + 1][b >> 4]) << 4;
            table_[t][b] = Rotl(v << (8 * t), 11);
        }
    }
}

uint32_t TGost::Round(uint32_t half, uint32_t key) const {
    uint32_t x = half + key;
    return table_[0][x & 255] ^ table_[1][(x >> 8) & 255] ^ table_[2][(x >> 16) & 255] ^
           table_[3][x >> 24];
}

// The halves swap after every round but the last, so the output is (n2, n1).
void TGost::Crypt(const uint8_t in[BlockSize], uint8_t out[BlockSize],
                  const uint8_t schedule[32]) const {
    uint32_t n1 = GetLE32(in), n2 = GetLE32(in + 4);
    for (unsigned r = 0; r < 32; r += 2) {
        n2 ^= Round(n1, key_[schedule[r]]);
        n1 ^= Round(n2, key_[schedule[r + 1]]);
    }
    PutLE32(out, n2);
    PutLE32(out + 4, n1);
}

void TGost::EncryptBlock(const uint8_t in[BlockSize], uint8_t out[BlockSize]) const {
    Crypt(in, out, EncryptSchedule);
}

void TGost::DecryptBlock(const uint8_t in[BlockSize], uint8_t out[BlockSize]) const {
    Crypt(in, out, DecryptSchedule);
}

} // namespace velk
