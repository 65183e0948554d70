#pragma once

// Independent implementations the cipher and hash are checked against: libgcrypt's GOST 28147-89
// and libmhash's HAVAL. Also the seeded random source the comparisons draw their inputs from.

#include <gcrypt.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

extern "C" {
// libmhash exports the general HAVAL entry points without declaring them in its public headers.
int havalInit(void* context, int passes, int hashLength);
int havalUpdate(void* context, const unsigned char* data, unsigned size);
int havalFinal(void* context, unsigned char* digest);
}

namespace velk::reference {

inline std::array<uint8_t, 32> Haval256x5(const std::string& data) {
    // Larger than libmhash's context, whose layout it does not publish.
    alignas(16) unsigned char context[1024];
    std::array<uint8_t, 32> digest{};
    havalInit(context, 5, 256);
    havalUpdate(context, reinterpret_cast<const unsigned char*>(data.data()),
                unsigned(data.size()));
    havalFinal(context, digest.data());
    return digest;
}

// GOST 28147-89 with the GOST R 34.11-94 test S-boxes, in ECB or CBC mode.
class GcryptGost {
public:
    GcryptGost(const uint8_t key[32], int mode) {
        gcry_check_version(nullptr);
        EXPECT_EQ(0u, gcry_cipher_open(&handle_, GCRY_CIPHER_GOST28147, mode, 0));
        static char sbox[] = "1.2.643.2.2.30.0";
        EXPECT_EQ(0u, gcry_cipher_ctl(handle_, GCRYCTL_SET_SBOX, sbox, 0));
        EXPECT_EQ(0u, gcry_cipher_setkey(handle_, key, 32));
    }
    ~GcryptGost() { gcry_cipher_close(handle_); }
    GcryptGost(const GcryptGost&) = delete;
    GcryptGost& operator=(const GcryptGost&) = delete;

    void SetIv(const uint8_t iv[8]) { EXPECT_EQ(0u, gcry_cipher_setiv(handle_, iv, 8)); }
    std::string Encrypt(const std::string& in) {
        std::string out(in.size(), '\0');
        EXPECT_EQ(0u, gcry_cipher_encrypt(handle_, &out[0], out.size(), in.data(), in.size()));
        return out;
    }
    std::string Decrypt(const std::string& in) {
        std::string out(in.size(), '\0');
        EXPECT_EQ(0u, gcry_cipher_decrypt(handle_, &out[0], out.size(), in.data(), in.size()));
        return out;
    }

private:
    gcry_cipher_hd_t handle_ = nullptr;
};

// Random inputs drawn from a fresh seed each run; the seed is part of every failure message.
class SeededRandom {
public:
    SeededRandom() : seed_(InitialSeed()), engine_(seed_), trace_(__FILE__, __LINE__, Describe()) {}
    uint32_t Seed() const { return seed_; }
    std::string Bytes(size_t n) {
        std::string s(n, '\0');
        for (char& c : s)
            c = char(engine_() & 0xFF);
        return s;
    }
    size_t Below(size_t n) { return size_t(engine_() % n); }

private:
    // VELK_TEST_SEED repeats the run a failure message reported.
    static uint32_t InitialSeed() {
        const char* fixed = std::getenv("VELK_TEST_SEED");
        return fixed ? uint32_t(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
    }
    std::string Describe() const { return "VELK_TEST_SEED=" + std::to_string(seed_); }

    uint32_t seed_;
    std::mt19937 engine_;
    ::testing::ScopedTrace trace_;
};

inline const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

} // namespace velk::reference
