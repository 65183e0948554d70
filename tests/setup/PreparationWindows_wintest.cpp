// The splash and the preparation window of a real run, checked on the screen: screenshots of what
// the X server shows while setup.exe runs.
#include "harness/Screenshot.h"
#include "harness/TestBitmap.h"
#include "harness/WinPackageTest.h"
#include "platform/epUtils.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>

namespace {

using velk::test::PictureFile;
using velk::test::SplashSettings;

constexpr uint32_t Magenta = 0xFF00FF, Green = 0x00FF00, Blue = 0x336699, Edge = 0xCC8800;

using velk::test::RunLinux;
using velk::test::TScreenshot;

// 0x00RRGGBB as the system's colour value.
COLORREF Colour(uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

class PreparationWindowsTest : public velk::test::TWinPackageTest {
protected:
    // A main package of the given pictures and `payloadMb` of setup-time data, so that the
    // preparation lasts.
    std::string Package(const std::string& name, const std::string& splash,
                        const std::string& presetup, int payloadMb) {
        const std::string src = name + "-src\\";
        Put(src + "main.xml", "<main/>");
        Put(src + "db.xml", "<package/>");
        if (!splash.empty())
            Put(src + "splash.bmp", splash);
        if (!presetup.empty())
            Put(src + "presetup.bmp", presetup);
        std::string payload(size_t(payloadMb) << 20, '\0');
        uint32_t state = 12345;
        for (char& c : payload)
            c = char((state = state * 1103515245 + 12345) >> 24);
        Put(src + "presetup\\payload.bin", payload);
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path(name + "-src") + "\" -o \"" +
                  Path(name + ".exe") + "\" --stub \"" VELK_SETUP_EXE "\"",
              &built);
        EXPECT_EQ(built.exitCode, 0u) << built.err;
        return Path(name + ".exe");
    }

    // Starts the program without waiting for it.
    void Launch(const std::string& program, const std::string& arguments) {
        std::string commandLine = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_));
        CloseHandle(process_.hThread);
    }
    bool Running() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // A screenshot once the pixel shows the colour: Wine puts what a window painted on the
    // screen when its program next looks at its messages, which a busy preparation may not do
    // for a while.
    TScreenshot WhenShown(HWND window, int x, int y, uint32_t rgb) {
        for (;;) {
            TScreenshot shot;
            if (shot.Pixel(x, y) == Colour(rgb) || !IsWindow(window))
                return shot;
        }
    }
    void WaitForExit() {
        EXPECT_EQ(WaitForSingleObject(process_.hProcess, 120000), WAIT_OBJECT_0);
        CloseHandle(process_.hProcess);
    }
    static HWND Find(const char* title) { return FindWindowA(nullptr, title); }
    // Polls until the window is shown (or the program has ended).
    HWND WaitFor(const char* title) {
        for (int i = 0; i < 3000 && Running(); ++i) {
            HWND window = Find(title);
            if (window && IsWindowVisible(window))
                return window;
            Sleep(5);
        }
        return nullptr;
    }

    PROCESS_INFORMATION process_ = {};
};

TEST_F(PreparationWindowsTest, AShapedSplashThenTheDialogInTheCornerWithAdvancingProgress) {
    // a key-coloured border 10 pixels wide, except the last column, which keeps its rows 40-59
    const int width = 200, height = 100;
    const std::string splash = PictureFile(width, height, [&](int x, int y) {
        if (x == width - 1 && y >= 40 && y < 60)
            return Edge;
        const bool border = x < 10 || y < 10 || x >= width - 10 || y >= height - 10;
        return border ? Magenta : Blue;
    });
    const std::string exe = Package("Shaped", splash + SplashSettings(3, 0xFF00FF, 100), "", 40);

    const DWORD start = GetTickCount();
    Launch(exe, "");
    HWND window = WaitFor("VKSplashWindow");
    ASSERT_NE(window, nullptr);
    const DWORD shown = GetTickCount();
    const RECT rect = WindowRect(window);
    const velk::TRect area = velk::GetWorkArea();
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.left, area.Left + (area.Right - area.Left - width) / 2);
    EXPECT_EQ(rect.top, area.Top + (area.Bottom - area.Top - height) / 2);
    const TScreenshot shot = WhenShown(window, rect.left + 50, rect.top + 50, Blue);
    ASSERT_FALSE(shot.Empty());
    const COLORREF desktop = shot.Pixel(rect.left - 5, rect.top - 5);
    EXPECT_EQ(shot.Pixel(rect.left + 50, rect.top + 50), Colour(Blue));
    EXPECT_EQ(shot.Pixel(rect.left + 3, rect.top + 3), desktop) << "the border is cut away";
    EXPECT_EQ(shot.Pixel(rect.right - 5, rect.top + 30), desktop);
    EXPECT_EQ(shot.Pixel(rect.right - 1, rect.top + 50), Colour(Edge)) << "the last column stays";
    EXPECT_EQ(shot.Pixel(rect.right - 1, rect.top + 30), desktop);

    HWND dialog = WaitFor("Preparing \"Shaped\" package...");
    ASSERT_NE(dialog, nullptr) << "the dialog names the package";
    const RECT corner = WindowRect(dialog);
    EXPECT_EQ(corner.right, area.Right - 20);
    EXPECT_EQ(corner.bottom, area.Bottom - 20);
    // The bar's filled part, on screenshots taken while the package is extracted.
    RECT bar = WindowRect(GetDlgItem(dialog, 101));
    std::set<int> filled;
    while (IsWindow(dialog) && filled.size() < 3) {
        const TScreenshot progress;
        int x = bar.left + 2;
        while (x < bar.right - 2 && progress.Pixel(x, (bar.top + bar.bottom) / 2) !=
                                        progress.Pixel(bar.right - 3, (bar.top + bar.bottom) / 2))
            ++x;
        if (IsWindow(dialog))
            filled.insert(x);
    }
    EXPECT_GE(filled.size(), 2u) << "the bar advances while the package is extracted";

    while (IsWindow(window))
        Sleep(5);
    EXPECT_GE(GetTickCount() - shown, 2800u) << "the splash stays its 3 seconds";
    WaitForExit();
    EXPECT_LT(GetTickCount() - start, 60000u);
}

TEST_F(PreparationWindowsTest, APictureWindowIsCentredWithoutSplashAndNothingShowsWhenSilent) {
    // the preparation picture: green corners cut away, its progress bar in the middle
    const std::string presetup =
        PictureFile(300, 200, [](int x, int y) { return (x < 20 && y < 20) ? Green : Blue; });
    const std::string exe = Package("Plain", "", presetup, 40);
    Launch(exe, "");
    HWND window = WaitFor("VKPresetupWindow");
    ASSERT_NE(window, nullptr);
    const RECT rect = WindowRect(window);
    const velk::TRect area = velk::GetWorkArea();
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_LE(std::abs((rect.left + rect.right) - (area.Left + area.Right)), 1);
    EXPECT_LE(std::abs((rect.top + rect.bottom) - (area.Top + area.Bottom)), 1);
    const TScreenshot shot = WhenShown(window, rect.left + 100, rect.top + 20, Blue);
    EXPECT_EQ(shot.Pixel(rect.left + 100, rect.top + 20), Colour(Blue));
    EXPECT_EQ(shot.Pixel(rect.left + 5, rect.top + 5), shot.Pixel(rect.left - 5, rect.top - 5))
        << "the green corner is cut away";
    WaitForExit();

    const std::string silent = Package(
        "Quiet", PictureFile(50, 50, [](int, int) { return Blue; }) + SplashSettings(2, -1, 100),
        presetup, 20);
    Launch(silent, "/S");
    bool seen = false;
    while (Running())
        seen = seen || Find("VKSplashWindow") || Find("VKPresetupWindow");
    EXPECT_FALSE(seen) << "the silent switch shows neither window";
    WaitForExit();
}

// Windows 2000 and XP blend a splash below full opacity with what lies under it; the systems
// before show it opaque. The X server blends only with a compositing manager running.
TEST_F(PreparationWindowsTest, ASplashBelowFullOpacityIsBlendedOnWindows2000AndXpOnly) {
    // stopped however the test ends, so that it never shades another test's screenshots
    struct TCompositor {
        TCompositor() {
            RunLinux("exec timeout 120 /usr/bin/xcompmgr");
            Sleep(1000);
        }
        ~TCompositor() { RunLinux("pkill -x xcompmgr"); }
    } compositor;
    // each system's splash has a colour of its own, so that no picture left on the screen by
    // the run before can pass for this run's
    const struct {
        const char* version;
        uint32_t rgb;
        bool blended;
    } systems[] = {{"win2k", 0x336699, true},
                   {"winxp", 0x993366, true},
                   {"nt40", 0x669933, false},
                   {"win98", 0x339966, false}};
    for (const auto& system : systems) {
        const std::string exe = Package(system.version,
                                        PictureFile(120, 60, [&](int, int) { return system.rgb; }) +
                                            SplashSettings(2, -1, 50),
                                        "", 1);
        velk::test::SetWineVersion(system.version);
        Launch(exe, "");
        HWND window = WaitFor("VKSplashWindow");
        ASSERT_NE(window, nullptr) << system.version;
        const RECT rect = WindowRect(window);
        // alpha 128 of 255 (50 percent, rounded) over the desktop beside the splash
        auto close = [](COLORREF a, COLORREF b) {
            return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= 2 &&
                   std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= 2 &&
                   std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= 2;
        };
        const COLORREF opaque = Colour(system.rgb);
        COLORREF shown = 0, blended = 0;
        // until this run's splash shows as it should, or is gone: Wine may map the window for a
        // frame before its opacity takes effect
        do {
            const TScreenshot shot;
            const COLORREF below = shot.Pixel(rect.left - 5, rect.top - 5);
            auto blend = [](int picture, int desktop) {
                return (picture * 128 + desktop * 127) / 255;
            };
            blended = RGB(blend(GetRValue(opaque), GetRValue(below)),
                          blend(GetGValue(opaque), GetGValue(below)),
                          blend(GetBValue(opaque), GetBValue(below)));
            shown = shot.Pixel(rect.left + 60, rect.top + 30);
        } while (IsWindow(window) && !close(shown, system.blended ? blended : opaque));
        EXPECT_TRUE(close(shown, system.blended ? blended : opaque))
            << system.version << ": " << std::hex << shown;
        WaitForExit();
    }
}

} // namespace
