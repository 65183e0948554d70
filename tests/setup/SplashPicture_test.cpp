// The checks that stand between a package's pictures and the system's bitmap loader.
#include <gtest/gtest.h>

#include <string>

#include "harness/TestBitmap.h"
#include "setup/SplashPicture.h"

namespace {

using velk::BitmapProblem;

using velk::test::BitmapFile;

TEST(BitmapProblem, AcceptsWhatCanBeShownAndNamesWhatCannot) {
    const std::string sound = BitmapFile(96, 48, 24);
    const struct {
        const char* what;
        std::string bytes;
        std::string problem; // empty: sound
    } cases[] = {
        {"24 bits", sound, ""},
        {"32 bits", BitmapFile(10, 10, 32), ""},
        {"top-down", BitmapFile(10, -10, 32),
         "rows stored top first (only bottom-up bitmaps are shown)"},
        {"8 bits with a palette", BitmapFile(7, 3, 8), ""},
        {"1 bit", BitmapFile(33, 2, 1), ""},
        {"bit fields with their masks", BitmapFile(4, 4, 32, 3, -1, 52), ""},
        {"a trailer after the pixels", sound + std::string(12, '\1'), ""},
        {"no magic", "XY" + sound.substr(2), "not a Windows bitmap"},
        {"a file header alone", sound.substr(0, 20), "not a Windows bitmap"},
        {"pixels cut short", sound.substr(0, sound.size() - 1),
         "pixels beyond the end of the file"},
        {"absurd width", BitmapFile(100000, 1, 24, 0, 16), "dimensions outside 1 to 8192 pixels"},
        {"absurd height", BitmapFile(1, 9000, 24, 0, 16), "dimensions outside 1 to 8192 pixels"},
        {"no width", BitmapFile(0, 5, 24), "dimensions outside 1 to 8192 pixels"},
        {"7 bits", BitmapFile(8, 8, 7, 0, 64), "an unknown number of bits per pixel"},
        {"run-length pixels", BitmapFile(8, 8, 8, 1),
         "compressed pixels (only uncompressed bitmaps are shown)"},
        {"unknown header", BitmapFile(8, 8, 24, 0, -1, 20), "an unknown bitmap header"},
        {"palette past the pixels", BitmapFile(8, 8, 8, 0, -1, 40, 300),
         "a colour table that overlaps its pixels"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BitmapProblem(c.bytes, c.bytes.size()), c.problem) << c.what;
    // Only the head of a large file is read; its size decides whether the pixels are there.
    EXPECT_EQ(BitmapProblem(sound.substr(0, velk::BitmapHeadSize), sound.size()), "");
    EXPECT_NE(BitmapProblem(sound.substr(0, velk::BitmapHeadSize), sound.size() - 1), "");
    EXPECT_EQ(velk::BitmapFileSize(sound), sound.size());
}

TEST(SplashTrailer, RoundTripsAndLimitsWhatAPackageMayAskFor) {
    velk::TSplashTrailer trailer{3, 0x00FF00FF, 80};
    velk::TSplashTrailer read;
    ASSERT_TRUE(velk::ReadSplashTrailer("picture" + velk::SplashTrailerBytes(trailer), read));
    EXPECT_EQ(read.DisplaySeconds, 3);
    EXPECT_EQ(read.KeyColour, 0x00FF00FF);
    EXPECT_EQ(read.Opacity, 80);
    EXPECT_FALSE(velk::ReadSplashTrailer(std::string(11, '\0'), read));

    const struct {
        int32_t seconds;
        uint32_t ms;
    } times[] = {{3, 3000}, {0, 0}, {-5, 0}, {60, 60000}, {0x7FFFFFFF, 60000}};
    for (const auto& t : times)
        EXPECT_EQ((velk::TSplashTrailer{t.seconds, -1, 100}.MinimumMilliseconds()), t.ms)
            << t.seconds;
    const struct {
        int32_t opacity;
        int alpha;
    } alphas[] = {{100, 255}, {250, 255}, {50, 128}, {1, 3}, {0, 0}, {-7, 0}, {99, 252}};
    for (const auto& a : alphas)
        EXPECT_EQ((velk::TSplashTrailer{0, -1, a.opacity}.Alpha()), a.alpha) << a.opacity;
}

} // namespace
