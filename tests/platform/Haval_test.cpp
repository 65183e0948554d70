#include "platform/Haval.h"

#include "platform/CipherReference.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace velk {
namespace {

std::string Hex(const THaval::TDigest& d) {
    std::string s;
    char buf[3];
    for (uint8_t b : d) {
        std::snprintf(buf, sizeof(buf), "%02x", b);
        s += buf;
    }
    return s;
}

TEST(Haval, MatchesThePublishedVectors) {
    EXPECT_EQ("be417bb4dd5cfb76c7126f4f8eeb1553a449039307b1a3cd451dbfdc0fbbe330",
              Hex(THaval::Hash("")));
    EXPECT_EQ("976cd6254c337969e5913b158392a2921af16fca51f5601d486e0a9de01156e7",
              Hex(THaval::Hash("abc")));
}

// Every length around the padding boundaries (118 and 128 bytes) and a few blocks beyond.
TEST(Haval, AgreesWithLibmhashForEveryLengthUpTo300Bytes) {
    reference::SeededRandom random;
    for (size_t n = 0; n <= 300; ++n) {
        const std::string data = random.Bytes(n);
        ASSERT_EQ(reference::Haval256x5(data), THaval::Hash(data)) << "length " << n;
    }
    const std::string large = random.Bytes(100000 + random.Below(1000));
    EXPECT_EQ(reference::Haval256x5(large), THaval::Hash(large));
}

TEST(Haval, PiecewiseUpdatesGiveTheOneShotDigestAndFinalStartsAfresh) {
    reference::SeededRandom random;
    for (int round = 0; round < 50; ++round) {
        const std::string data = random.Bytes(random.Below(1000));
        THaval h;
        size_t at = 0;
        while (at < data.size()) {
            size_t piece = random.Below(200);
            piece = piece < data.size() - at ? piece : data.size() - at;
            h.Update(data.data() + at, piece);
            at += piece;
        }
        ASSERT_EQ(THaval::Hash(data), h.Final()) << "length " << data.size();
        h.Update("abc", 3);
        ASSERT_EQ(THaval::Hash("abc"), h.Final());
    }
}

} // namespace
} // namespace velk
