// Pictures a package should not have carried never reach the screen: the splash and the
// preparation window's picture are checked before the system loads them.
#include "harness/TestBitmap.h"
#include "harness/WinPackageTest.h"
#include "platform/epUtils.h"
#include "setup/MainWnd.h"
#include "setup/PresetupWindow.h"
#include "setup/Splash.h"

#include <gtest/gtest.h>

namespace {

using velk::test::BitmapFile;
using velk::test::SplashSettings;

class SplashTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        if (!velk::MainWindowHandle)
            velk::MainWindowHandle = velk::CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(velk::MainWindowHandle, nullptr);
    }
};

TEST_F(SplashTest, BadPicturesShowNothingAndNeverHoldTheRunUp) {
    const std::string good = BitmapFile(40, 20, 24);
    std::string lying = good;
    lying[22] = '\x7f'; // a height of 127 rows, past the pixels there are
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"shorter than its settings", "BM\1\2"},
        {"no bitmap", std::string(4000, 'x') + SplashSettings(1, -1, 100)},
        {"a header that lies about the height", lying + SplashSettings(1, -1, 100)},
        {"pixels cut short", good.substr(0, good.size() - 40) + SplashSettings(1, -1, 100)},
        {"absurd width", BitmapFile(1 << 20, 1, 24, 0, 64) + SplashSettings(1, -1, 100)},
    };
    for (const auto& c : cases) {
        Put("splash.bmp", c.file);
        velk::ShowSplash(Path("splash.bmp"));
        EXPECT_EQ(velk::SplashWindow(), nullptr) << c.what;
        velk::CloseSplash();
        Put("pkg\\presetup.bmp", c.file);
        velk::ShowPreparationWindow(Path("pkg\\"), "pkg", GetModuleHandleA(nullptr));
        EXPECT_FALSE(velk::PreparationWindowVisible()) << c.what << ": no dialog in this program";
        velk::ClosePreparationWindow();
    }

    // a sound splash asking for far longer than it may have is held a minute at the most
    Put("splash.bmp", good + SplashSettings(-3, -1, 100));
    velk::ShowSplash(Path("splash.bmp"));
    EXPECT_NE(velk::SplashWindow(), nullptr);
    const DWORD start = GetTickCount();
    velk::CloseSplash();
    EXPECT_LT(GetTickCount() - start, 1000u) << "a negative time is no time";
    EXPECT_EQ(velk::SplashWindow(), nullptr);
}

} // namespace
