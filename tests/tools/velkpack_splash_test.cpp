// velkpack gives a plain bitmap its splash settings and refuses pictures setup.exe would not show.
#include <gtest/gtest.h>

#include <string>

#include "harness/TestBitmap.h"
#include "tools/PackageTestSupport.h"

namespace {

using velk::test::BitmapFile;
using velk::test::SplashSettings;

class VelkpackSplashTest : public velk_test::TPackageTest {
protected:
    // Builds a .vkp whose source holds the given pictures, lists it and extracts it.
    velk_test::TVelkpackResult BuildWith(const std::string& splash, const std::string& presetup,
                                         const std::string& options) {
        std::filesystem::remove_all(Path("src"));
        std::filesystem::remove_all(Path("out"));
        Put("src/db.xml", "<package/>");
        Put("src/splash.bmp", splash);
        if (!presetup.empty())
            Put("src/presetup.bmp", presetup);
        velk_test::TVelkpackResult built = Build("p.vkp", false, options);
        if (built.exitCode == 0) {
            listing_ = Run("list '" + Path("p.vkp") + "'").out;
            EXPECT_EQ(Run("extract '" + Path("p.vkp") + "' '" + Path("out") + "'").exitCode, 0);
        }
        return built;
    }
    std::string SplashLine() const {
        const size_t at = listing_.find("splash:   ");
        return at == std::string::npos
                   ? ""
                   : listing_.substr(at + 10, listing_.find('\n', at) - at - 10);
    }

    std::string listing_;
};

TEST_F(VelkpackSplashTest, APlainBitmapGetsItsSettingsFromTheOptionsOrTheDefaults) {
    const std::string plain = BitmapFile(16, 8, 24);
    const std::string carried = plain + SplashSettings(7, 0x0000FF, 40);
    const struct {
        std::string source, options, listed, trailer;
    } cases[] = {
        {plain, "", "at least 2 s, no key colour, opacity 100%", SplashSettings(2, -1, 100)},
        {plain, "--splash-seconds 5 --splash-key FF00FF --splash-opacity 70",
         "at least 5 s, key colour #FF00FF, opacity 70%", SplashSettings(5, 0xFF00FF, 70)},
        {plain, "--splash-key 102030", "at least 2 s, key colour #102030, opacity 100%",
         SplashSettings(2, 0x302010, 100)},
        // settings the picture carries stay unless an option changes them
        {carried, "", "at least 7 s, key colour #FF0000, opacity 40%", SplashSettings(7, 0xFF, 40)},
        {carried, "--splash-key none --splash-opacity 100",
         "at least 7 s, no key colour, opacity 100%", SplashSettings(7, -1, 100)},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(BuildWith(c.source, "", c.options).exitCode, 0) << c.options;
        EXPECT_EQ(SplashLine(), c.listed) << c.options;
        EXPECT_EQ(Get("out/splash.bmp"), plain + c.trailer) << c.options;
    }
}

TEST_F(VelkpackSplashTest, PicturesSetupWouldNotShowAndBadSettingsAreRefused) {
    const std::string good = BitmapFile(4, 4, 24);
    const struct {
        std::string splash, presetup, options, message;
        int exitCode;
    } cases[] = {
        {"BM" + std::string(40, 'x'), "", "", "splash.bmp: setup.exe would not show it: ", 1},
        {good, good.substr(0, good.size() - 2), "",
         "presetup.bmp: setup.exe would not show it: pixels beyond the end of the file", 1},
        {BitmapFile(20000, 1, 24, 0, 8), "", "", "dimensions outside 1 to 8192 pixels", 1},
        {good, "", "--splash-seconds 61", "--splash-seconds takes a whole number of seconds", 2},
        {good, "", "--splash-key red", "--splash-key takes a colour as RRGGBB", 2},
        {good, "", "--splash-opacity 0", "--splash-opacity takes a percentage from 1 to 100", 2},
    };
    for (const auto& c : cases) {
        const velk_test::TVelkpackResult built = BuildWith(c.splash, c.presetup, c.options);
        EXPECT_EQ(built.exitCode, c.exitCode) << c.message;
        EXPECT_NE(built.err.find(c.message), std::string::npos) << built.err;
        EXPECT_FALSE(Exists("p.vkp")) << c.message;
    }
}

} // namespace
