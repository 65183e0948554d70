#include "platform/epUtils2.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace velk {
namespace {

TEST(VersionTextTest, ComparesFourWordsAsTwoSignedNumbers) {
    EXPECT_EQ(CompareVersionText("1.2.3.4", "1.2.3.10"), -1);
    EXPECT_EQ(CompareVersionText("1.2.3.10", "1.2.3.4"), 1);
    EXPECT_EQ(CompareVersionText("1.10", "1.9"), 1);
    EXPECT_EQ(CompareVersionText("1.2", "1.2.0.0"), 0);
    EXPECT_EQ(CompareVersionText("2..1", "2.1.0.0"), 0);
    EXPECT_EQ(CompareVersionText("", "0.0.0.0"), 0);
    EXPECT_EQ(CompareVersionText("1.2.3.4.5", "1.2.3.4"), 0);
    // Words are converted as integers: hexadecimal after "$", 0 when invalid.
    EXPECT_EQ(CompareVersionText("$A.0", "10.0"), 0);
    EXPECT_EQ(CompareVersionText("1.x.3", "1.0.3"), 0);
    // A word beyond 16 bits carries into the word before it.
    EXPECT_EQ(CompareVersionText("1.65536", "2.0"), 0);
    // A first or third word of 32768 or more makes a negative number.
    EXPECT_EQ(CompareVersionText("32768.0", "1.0"), -1);
    EXPECT_EQ(CompareVersionText("1.2.32768.0", "1.2.1.0"), -1);
    EXPECT_EQ(CompareVersionText("1.2.3.40000", "1.2.3.1"), 1);
}

TEST(VersionTextTest, PacksAndFormats) {
    uint32_t ms, ls;
    PackVersionText("1.2.3.10", ms, ls);
    EXPECT_EQ(ms, 0x00010002u);
    EXPECT_EQ(ls, 0x0003000Au);
    EXPECT_EQ(VersionToText(ms, ls), "1.2.3.10");
    EXPECT_EQ(VersionToText(0xFFFFFFFFu, 0x80000000u), "65535.65535.32768.0");
    EXPECT_EQ(CompareVersions(0x80000000u, 0, 0x7FFFFFFFu, 0), -1);
    EXPECT_EQ(CompareVersions(1, 0x80000000u, 1, 0x7FFFFFFFu), -1);
    EXPECT_EQ(CompareVersions(2, 0, 1, 0xFFFF), 1);
}

std::string Fixture(const char* name) {
    return std::string(VELK_FIXTURE_DIR) + "/" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Program images made by the Windows toolchain with and without a version resource.
TEST(ImageVersionTest, ReadsTheFixedFileVersion) {
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(ReadImageFileVersion(ReadAll(Fixture("version_1_2_3_10.exe")), ms, ls));
    EXPECT_EQ(VersionToText(ms, ls), "1.2.3.10");
    ASSERT_TRUE(ReadImageFileVersion(ReadAll(Fixture("version_2_0_0_0.dll")), ms, ls));
    EXPECT_EQ(VersionToText(ms, ls), "2.0.0.0");
    EXPECT_FALSE(ReadImageFileVersion(ReadAll(Fixture("plain.exe")), ms, ls));
    EXPECT_FALSE(ReadImageFileVersion("", ms, ls));
    EXPECT_FALSE(ReadImageFileVersion("MZ not a program", ms, ls));
    std::string text;
    EXPECT_TRUE(GetFileVersionText(Fixture("version_1_2_3_10.exe"), text));
    EXPECT_EQ(text, "1.2.3.10");
    EXPECT_FALSE(GetFileVersionText(Fixture("plain.exe"), text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(GetFileVersionText(Fixture("missing.exe"), text));
}

TEST(ImageVersionTest, DamagedImagesAreRejectedSafely) {
    const std::string image = ReadAll(Fixture("version_1_2_3_10.exe"));
    size_t fixedInfo = image.find("\xBD\x04\xEF\xFE");
    ASSERT_NE(fixedInfo, std::string::npos);
    uint32_t ms, ls;
    // Every cut inside the fixed version information loses it; nothing is read beyond a cut.
    for (size_t length = 0; length < fixedInfo + 52; ++length)
        ASSERT_FALSE(ReadImageFileVersion(std::string_view(image).substr(0, length), ms, ls))
            << length;
    EXPECT_TRUE(ReadImageFileVersion(std::string_view(image).substr(0, fixedInfo + 52), ms, ls));
    // Random damage anywhere: no read outside the image (the sanitizers watch), and damage away
    // from the path to the resource leaves it readable.
    std::mt19937 random(4);
    int found = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = image;
        for (int i = 0; i < 4; ++i)
            damaged[random() % damaged.size()] = char(random());
        found += ReadImageFileVersion(damaged, ms, ls);
    }
    EXPECT_GT(found, 1500);
}

} // namespace
} // namespace velk
