#include "platform/Gost.h"

#include "platform/CipherReference.h"
#include "platform/StrUtils.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velk {
namespace {

using reference::Bytes;

TEST(Gost, EncryptsTheZeroBlockUnderKeyK1AsPublished) {
    const uint32_t k1[8] = {0x33206D54, 0x326C6568, 0x20657369, 0x626E7373,
                            0x79676120, 0x74746769, 0x65686573, 0x733D2C20};
    uint8_t key[32];
    for (unsigned i = 0; i < 32; ++i)
        key[i] = uint8_t(k1[i / 4] >> (8 * (i % 4)));
    const uint8_t zero[8] = {};
    uint8_t out[8];
    TGost(key).EncryptBlock(zero, out);
    EXPECT_EQ(0x32BC0B1Bu, GetLE32(out));
    EXPECT_EQ(0x42ABBCCEu, GetLE32(out + 4));
}

TEST(Gost, AgreesWithLibgcryptOnRandomKeysAndBlocks) {
    reference::SeededRandom random;
    for (int k = 0; k < 64; ++k) {
        const std::string key = random.Bytes(32);
        const std::string blocks = random.Bytes(8 * 16);
        const TGost gost(Bytes(key));
        reference::GcryptGost gcrypt(Bytes(key), GCRY_CIPHER_MODE_ECB);
        const std::string expectedEncrypted = gcrypt.Encrypt(blocks);
        const std::string expectedDecrypted = gcrypt.Decrypt(blocks);
        for (size_t i = 0; i < blocks.size(); i += 8) {
            uint8_t out[8];
            gost.EncryptBlock(Bytes(blocks) + i, out);
            ASSERT_EQ(0, std::memcmp(out, expectedEncrypted.data() + i, 8)) << "key " << k;
            gost.DecryptBlock(Bytes(blocks) + i, out);
            ASSERT_EQ(0, std::memcmp(out, expectedDecrypted.data() + i, 8)) << "key " << k;
        }
    }
}

TEST(Gost, WorksInPlaceAndDecryptInvertsEncrypt) {
    reference::SeededRandom random;
    const std::string key = random.Bytes(32);
    const std::string plain = random.Bytes(8);
    const TGost gost(Bytes(key));
    uint8_t block[8], separate[8];
    std::memcpy(block, plain.data(), 8);
    gost.EncryptBlock(block, separate);
    gost.EncryptBlock(block, block);
    EXPECT_EQ(0, std::memcmp(block, separate, 8));
    EXPECT_NE(0, std::memcmp(block, plain.data(), 8));
    gost.DecryptBlock(block, block);
    EXPECT_EQ(0, std::memcmp(block, plain.data(), 8));
}

} // namespace
} // namespace velk
