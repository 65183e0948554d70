#include "tools/fileinfo/PeVersion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace velk;

namespace {

std::string ReadFixture(const char* name) {
    std::ifstream in(std::string(FIXTURE_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(PeVersion, ReadsTheFixedVersionOfARealImage) {
    std::string image = ReadFixture("v1234.dll");
    ASSERT_FALSE(image.empty());
    TPeVersion v;
    ASSERT_TRUE(ReadPeVersion(image, v));
    EXPECT_EQ(v.MS, 0x00010002u);
    EXPECT_EQ(v.LS, 0x00030004u);
    // The fixed version counts, not the text of the string table.
    EXPECT_EQ(PeVersionText(image), "1.2.3.4");
}

TEST(PeVersion, WordsAreUnsigned16BitNumbers) {
    EXPECT_EQ(PeVersionText(ReadFixture("vhigh.dll")), "65535.0.32768.7");
}

TEST(PeVersion, ImageWithoutVersionResourceHasNone) {
    std::string image = ReadFixture("plain.dll");
    ASSERT_FALSE(image.empty());
    TPeVersion v;
    EXPECT_FALSE(ReadPeVersion(image, v));
    EXPECT_EQ(PeVersionText(image), "");
}

TEST(PeVersion, NonImagesHaveNone) {
    EXPECT_EQ(PeVersionText(""), "");
    EXPECT_EQ(PeVersionText("MZ"), "");
    EXPECT_EQ(PeVersionText("plain text that is not a program"), "");
}

// Every prefix and many corrupted copies of a real image: the reader must stay inside the
// buffer (ASan watches) and never report a version the image does not carry.
TEST(PeVersion, TruncatedOrCorruptedImagesAreReadSafely) {
    std::string image = ReadFixture("v1234.dll");
    for (size_t n = 0; n < image.size(); n += 7) {
        std::string prefix = image.substr(0, n);
        TPeVersion v;
        if (ReadPeVersion(prefix, v)) {
            EXPECT_EQ(v.MS, 0x00010002u);
            EXPECT_EQ(v.LS, 0x00030004u);
        }
    }
    uint32_t state = 99;
    for (int i = 0; i < 3000; ++i) {
        std::string copy = image;
        for (int k = 0; k < 4; ++k) {
            state = state * 1103515245u + 12345u;
            copy[(state >> 8) % copy.size()] = char(state >> 24);
        }
        TPeVersion v;
        ReadPeVersion(copy, v);
    }
}
