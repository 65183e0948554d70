#include "platform/DbCipher.h"

#include "platform/CipherReference.h"
#include "platform/Gost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velk {
namespace {

using reference::Bytes;

TEST(DbCipher, DaySerialCountsFromThe30thOfDecember1899) {
    struct {
        int y, m, d;
        int32_t serial;
    } const cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 29, -1},   {1900, 1, 1, 2},         {1900, 3, 1, 61},
        {2000, 1, 1, 36526},  {2000, 2, 29, 36585}, {2024, 3, 1, 45352},     {1980, 1, 1, 29221},
        {2090, 6, 15, 69564}, {1, 1, 1, -693593},   {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        int32_t serial = 12345;
        ASSERT_TRUE(DateToDaySerial(c.y, c.m, c.d, serial)) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.serial, serial) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(DbCipher, DatesThatDoNotExistAreRefused) {
    const int bad[][3] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1},
                          {2024, 0, 1},  {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const auto& d : bad) {
        int32_t serial = 7;
        EXPECT_FALSE(DateToDaySerial(d[0], d[1], d[2], serial))
            << d[0] << "-" << d[1] << "-" << d[2];
        EXPECT_EQ(7, serial);
    }
}

TEST(DbCipher, KeyTextIsTheFixedPrefixAndTheDecimalDaySerial) {
    ASSERT_EQ(10u, std::strlen(DatabaseKeyPrefix));
    for (const char* c = DatabaseKeyPrefix; *c; ++c)
        EXPECT_TRUE(*c > ' ' && *c < 127) << "not printable: " << int(*c);
    EXPECT_EQ(std::string(DatabaseKeyPrefix) + "45352", DatabaseKeyText(45352));
    EXPECT_EQ(std::string(DatabaseKeyPrefix) + "0", DatabaseKeyText(0));
    EXPECT_EQ(reference::Haval256x5(DatabaseKeyText(45352)), DatabaseKey(45352));
}

// The same cipher built from the independent libraries: key from libmhash's HAVAL, CBC and the
// chaining value from libgcrypt, the tail XORed by hand.
std::string ReferenceEncipher(const std::string& plain, int32_t day) {
    const auto key = reference::Haval256x5(std::string(DatabaseKeyPrefix) + std::to_string(day));
    reference::GcryptGost ecb(key.data(), GCRY_CIPHER_MODE_ECB);
    std::string chain = ecb.Encrypt(std::string(8, '\xFF'));
    size_t whole = plain.size() / 8 * 8;
    std::string out;
    if (whole > 0) {
        reference::GcryptGost cbc(key.data(), GCRY_CIPHER_MODE_CBC);
        cbc.SetIv(Bytes(chain));
        out = cbc.Encrypt(plain.substr(0, whole));
        chain = out.substr(whole - 8);
    }
    const std::string pad = ecb.Encrypt(chain);
    for (size_t i = whole; i < plain.size(); ++i)
        out += char(plain[i] ^ pad[i - whole]);
    return out;
}

TEST(DbCipher, AgreesWithTheIndependentReferenceAndRoundTripsEveryLength) {
    reference::SeededRandom random;
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 40; ++n)
        lengths.push_back(n);
    for (size_t n : {size_t(1000), size_t(4097), size_t(65543), 100000 + random.Below(8)})
        lengths.push_back(n);
    for (size_t n : lengths) {
        const int32_t day = int32_t(29221 + random.Below(80000));
        const std::string plain = random.Bytes(n);
        const std::string cipher = EncipherBytes(plain, day);
        ASSERT_EQ(ReferenceEncipher(plain, day), cipher) << "length " << n << ", day " << day;
        ASSERT_EQ(plain, DecipherBytes(cipher, day)) << "length " << n << ", day " << day;
    }
}

TEST(DbCipher, ThirteenBytesAreOneBlockAndFiveBytesXoredWithTheEncryptedFirstBlock) {
    reference::SeededRandom random;
    const int32_t day = 45352;
    const std::string cipher = random.Bytes(13);
    const auto key = DatabaseKey(day);
    const TGost gost(key.data());
    uint8_t chain[8], block[8], pad[8];
    std::memset(chain, 0xFF, 8);
    gost.EncryptBlock(chain, chain);
    gost.DecryptBlock(Bytes(cipher), block);
    gost.EncryptBlock(Bytes(cipher), pad);
    std::string expected;
    for (unsigned i = 0; i < 8; ++i)
        expected += char(block[i] ^ chain[i]);
    for (unsigned i = 0; i < 5; ++i)
        expected += char(cipher[8 + i] ^ pad[i]);
    EXPECT_EQ(expected, DecipherBytes(cipher, day));
}

TEST(DbCipher, AWrongDateGivesGarbageOfTheSameLength) {
    const std::string xml = "<?xml version=\"1.0\"?>\r\n<database name=\"Sample\">\r\n</database>";
    const std::string cipher = EncipherBytes(xml, 45352);
    EXPECT_EQ(xml.size(), cipher.size());
    EXPECT_EQ(std::string::npos, cipher.find("database"));
    for (int32_t day : {45351, 45353, 0, -1}) {
        const std::string wrong = DecipherBytes(cipher, day);
        EXPECT_EQ(xml.size(), wrong.size());
        EXPECT_EQ(std::string::npos, wrong.find("database")) << "day " << day;
    }
    EXPECT_EQ("", DecipherBytes("", 45352));
}

} // namespace
} // namespace velk
