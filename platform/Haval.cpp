#include "platform/Haval.h"

#include "platform/StrUtils.h"

#include <cstring>

namespace velk {

namespace {

const uint32_t InitialState[8] = {0x243F6A88, 0x85A308D3, 0x13198A2E, 0x03707344,
                                  0xA4093822, 0x299F31D0, 0x082EFA98, 0xEC4E6C89};

// Word order of passes 2 to 5 (pass 1 takes the words in order).
const uint8_t WordOrder[4][32] = {
    {5,  14, 26, 18, 11, 28, 7,  16, 0,  23, 20, 22, 1, 10, 4,  8,
     30, 3,  21, 9,  17, 24, 29, 6,  19, 12, 15, 13, 2, 25, 31, 27},
    {19, 9,  4, 20, 28, 17, 8,  22, 29, 14, 25, 12, 24, 30, 16, 26,
     31, 15, 7, 3,  1,  0,  18, 27, 13, 6,  21, 10, 23, 11, 5,  2},
    {24, 4,  0,  14, 2, 7,  28, 23, 26, 6,  30, 20, 18, 25, 19, 3,
     22, 11, 31, 21, 8, 27, 12, 9,  1,  29, 5,  15, 17, 10, 16, 13},
    {27, 3, 21, 26, 17, 11, 20, 29, 19, 0,  12, 7,  13, 8, 31, 10,
     5,  9, 14, 30, 18, 6,  28, 24, 2,  23, 16, 22, 4,  1, 25, 15},
};

// Round constants of passes 2 to 5: the fraction of pi, continuing after the initial state.
const uint32_t RoundConstant[4][32] = {
    {0x452821E6, 0x38D01377, 0xBE5466CF, 0x34E90C6C, 0xC0AC29B7, 0xC97C50DD, 0x3F84D5B5,
     0xB5470917, 0x9216D5D9, 0x8979FB1B, 0xD1310BA6, 0x98DFB5AC, 0x2FFD72DB, 0xD01ADFB7,
     0xB8E1AFED, 0x6A267E96, 0xBA7C9045, 0xF12C7F99, 0x24A19947, 0xB3916CF7, 0x0801F2E2,
     0x858EFC16, 0x636920D8, 0x71574E69, 0xA458FEA3, 0xF4933D7E, 0x0D95748F, 0x728EB658,
     0x718BCD58, 0x82154AEE, 0x7B54A41D, 0xC25A59B5},
    {0x9C30D539, 0x2AF26013, 0xC5D1B023, 0x286085F0, 0xCA417918, 0xB8DB38EF, 0x8E79DCB0,
     0x603A180E, 0x6C9E0E8B, 0xB01E8A3E, 0xD71577C1, 0xBD314B27, 0x78AF2FDA, 0x55605C60,
     0xE65525F3, 0xAA55AB94, 0x57489862, 0x63E81440, 0x55CA396A, 0x2AAB10B6, 0xB4CC5C34,
     0x1141E8CE, 0xA15486AF, 0x7C72E993, 0xB3EE1411, 0x636FBC2A, 0x2BA9C55D, 0x741831F6,
     0xCE5C3E16, 0x9B87931E, 0xAFD6BA33, 0x6C24CF5C},
    {0x7A325381, 0x28958677, 0x3B8F4898, 0x6B4BB9AF, 0xC4BFE81B, 0x66282193, 0x61D809CC,
     0xFB21A991, 0x487CAC60, 0x5DEC8032, 0xEF845D5D, 0xE98575B1, 0xDC262302, 0xEB651B88,
     0x23893E81, 0xD396ACC5, 0x0F6D6FF3, 0x83F44239, 0x2E0B4482, 0xA4842004, 0x69C8F04A,
     0x9E1F9B5E, 0x21C66842, 0xF6E96C9A, 0x670C9C61, 0xABD388F0, 0x6A51A0D2, 0xD8542F68,
     0x960FA728, 0xAB5133A3, 0x6EEF0B6C, 0x137A3BE4},
    {0xBA3BF050, 0x7EFB2A98, 0xA1F1651D, 0x39AF0176, 0x66CA593E, 0x82430E88, 0x8CEE8619,
     0x456F9FB4, 0x7D84A5C3, 0x3B8B5EBE, 0xE06F75D8, 0x85C12073, 0x401A449F, 0x56C16AA6,
     0x4ED3AA62, 0x363F7706, 0x1BFEDF72, 0x429B023D, 0x37D0D724, 0xD00A1248, 0xDB0FEAD3,
     0x49F1C09B, 0x075372C9, 0x80991B7B, 0x25D479D8, 0xF6E8DEF7, 0xE3FE501A, 0xB6794C3B,
     0x976CE0BD, 0x04C006BA, 0xC1A94FB6, 0x409F60C4},
};

uint32_t Rotr(uint32_t x, unsigned n) {
    return (x >> n) | (x << (32 - n));
}

// The boolean function of each pass, its inputs already permuted as the 5-pass variant
// requires; x[0]..x[6] are the state words x0..x6 of the step.
uint32_t PassFunction(unsigned pass, const uint32_t x[7]) {
    switch (pass) {
    case 0: { // f1(x3, x4, x1, x0, x5, x2, x6)
        uint32_t a6 = x[3], a5 = x[4], a4 = x[1], a3 = x[0], a2 = x[5], a1 = x[2], a0 = x[6];
        return (a1 & (a0 ^ a4)) ^ (a2 & a5) ^ (a3 & a6) ^ a0;
    }
    case 1: { // f2(x6, x2, x1, x0, x3, x4, x5)
        uint32_t a6 = x[6], a5 = x[2], a4 = x[1], a3 = x[0], a2 = x[3], a1 = x[4], a0 = x[5];
        return (a2 & ((a1 & ~a3) ^ (a4 & a5) ^ a6 ^ a0)) ^ (a4 & (a1 ^ a5)) ^ (a3 & a5) ^ a0;
    }
    case 2: { // f3(x2, x6, x0, x4, x3, x1, x5)
        uint32_t a6 = x[2], a5 = x[6], a4 = x[0], a3 = x[4], a2 = x[3], a1 = x[1], a0 = x[5];
        return (a3 & ((a1 & a2) ^ a6 ^ a0)) ^ (a1 & a4) ^ (a2 & a5) ^ a0;
    }
    case 3: { // f4(x1, x5, x3, x2, x0, x4, x6)
        uint32_t a6 = x[1], a5 = x[5], a4 = x[3], a3 = x[2], a2 = x[0], a1 = x[4], a0 = x[6];
        return (a4 & ((a5 & ~a2) ^ (a3 & ~a6) ^ a1 ^ a6 ^ a0)) ^ (a3 & ((a1 & a2) ^ a5 ^ a6)) ^
               (a2 & a6) ^ a0;
    }
    default: { // f5(x2, x5, x0, x6, x4, x3, x1)
        uint32_t a6 = x[2], a5 = x[5], a4 = x[0], a3 = x[6], a2 = x[4], a1 = x[3], a0 = x[1];
        return (a0 & ((a1 & a2 & a3) ^ ~a5)) ^ (a1 & a4) ^ (a2 & a5) ^ (a3 & a6);
    }
    }
}

} // namespace

THaval::THaval() : length_(0) {
    std::memcpy(state_, InitialState, sizeof(state_));
}

void THaval::Compress(const uint8_t block[128]) {
    uint32_t w[32];
    for (unsigned i = 0; i < 32; ++i)
        w[i] = GetLE32(block + 4 * i);
    uint32_t t[8];
    std::memcpy(t, state_, sizeof(t));
    for (unsigned pass = 0; pass < 5; ++pass) {
        for (unsigned i = 0; i < 32; ++i) {
            // Step i updates t[7 - i % 8]; the other seven words, counted on from it, are its
            // inputs x6 down to x0.
            unsigned target = (7 - i) & 7;
            uint32_t x[7];
            for (unsigned k = 0; k < 7; ++k)
                x[k] = t[(k - i) & 7];
            uint32_t word =
                pass == 0 ? w[i] : w[WordOrder[pass - 1][i]] + RoundConstant[pass - 1][i];
            t[target] = Rotr(PassFunction(pass, x), 7) + Rotr(t[target], 11) + word;
        }
    }
    for (unsigned i = 0; i < 8; ++i)
        state_[i] += t[i];
}

void THaval::Update(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t used = size_t(length_ % 128);
    length_ += size;
    if (used != 0) {
        size_t take = size < 128 - used ? size : 128 - used;
        std::memcpy(buffer_ + used, p, take);
        p += take;
        size -= take;
        if (used + take < 128)
            return;
        Compress(buffer_);
    }
    for (; size >= 128; p += 128, size -= 128)
        Compress(p);
    if (size != 0)
        std::memcpy(buffer_, p, size);
}

THaval::TDigest THaval::Final() {
    // Padding: a 1 bit (the low bit of a byte), zeros up to 118 mod 128, then the version (1),
    // the pass count, the digest length in bits and the message length in bits.
    const unsigned passes = 5, bits = 256, version = 1;
    uint64_t bitLength = length_ * 8;
    uint8_t tail[10];
    tail[0] = uint8_t((bits & 3) << 6 | passes << 3 | version);
    tail[1] = uint8_t(bits >> 2);
    PutLE32(tail + 2, uint32_t(bitLength));
    PutLE32(tail + 6, uint32_t(bitLength >> 32));
    uint8_t padding[128] = {1};
    size_t used = size_t(length_ % 128);
    Update(padding, used < 118 ? 118 - used : 246 - used);
    Update(tail, sizeof(tail));

    TDigest digest;
    for (unsigned i = 0; i < 8; ++i)
        PutLE32(&digest[4 * i], state_[i]);
    *this = THaval();
    return digest;
}

THaval::TDigest THaval::Hash(std::string_view data) {
    THaval h;
    h.Update(data.data(), data.size());
    return h.Final();
}

} // namespace velk
