// The launch conditions of real packages under Wine's emulations of older systems: the warning
// from the language file, or the run going on to EV_START, which the test plug-in logs.
#include "harness/DialogWatcher.h"
#include "harness/WinPackageTest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class LaunchConditionsTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        SetEnvironmentVariableA("VELK_PROBE_LOG", Path("probe.log").c_str());
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", Path("script.txt").c_str());
        Put("script.txt", "");
    }
    void TearDown() override {
        SetEnvironmentVariableA("VELK_PROBE_LOG", nullptr);
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", nullptr);
        velk::test::SetWineVersion("win7");
        TWinPackageTest::TearDown();
    }
    // A main package with the conditions and the test plug-in.
    std::string Package(const std::string& name, const std::string& variables) {
        const std::string src = name + "-src";
        Put(src + "\\main.xml", "<main><variables><var name=\"AppName\" value=\"Launch Test\"/>" +
                                    variables + "</variables></main>");
        Put(src + "\\db.xml", "<package><plugins><plugin id=\"probe\"/></plugins></package>");
        Put(src + "\\lng\\Enu.lng",
            "[Strings]\r\n10=Administrators only.\r\n13=Not for this system!\r\n"
            "14=Too old.||Version %s or newer is needed for %AppName%.\r\n");
        Put(src + "\\plugins\\0\\probe.dll", "");
        EXPECT_TRUE(
            CopyFileA(VELK_PROBE_DLL, Path(src + "\\plugins\\0\\probe.dll").c_str(), FALSE));
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path(src) + "\" -o \"" + Path(name + ".exe") +
                  "\" --stub \"" VELK_SETUP_EXE "\"",
              &built);
        EXPECT_EQ(built.exitCode, 0u) << built.err;
        return Path(name + ".exe");
    }
    // The warning the run showed and whether it reached EV_START. A box nobody waits for
    // holds the run until Start gives up on it, which fails the exit code.
    std::pair<std::string, bool> Run(const std::string& exe, bool warned) {
        DeleteFileA(Path("probe.log").c_str());
        std::string shown;
        if (warned) {
            velk::test::TDialogWatcher watcher("Launch Test", IDOK, 20000);
            EXPECT_EQ(Start("\"" + exe + "\" /S", nullptr), 0u);
            const velk::test::TDialogSeen& box = watcher.Result();
            EXPECT_EQ(box.Icon, "exclamation");
            shown = box.Text;
        } else {
            EXPECT_EQ(Start("\"" + exe + "\" /S", nullptr), 0u) << "a box held the run";
        }
        const std::string log = velk::test::ReadBytes(Path("probe.log"));
        return {shown, log.find(" ev 4 EV_START") != std::string::npos};
    }
};

TEST_F(LaunchConditionsTest, EachEmulatedSystemPassesOrIsWarnedAsItsVersionSays) {
    const std::string tooOld = "Too old.\r\nVersion 5.1 or newer is needed for Launch Test.";
    const std::string notFor = "Not for this system!";
    const std::string odd = "Too old.\r\nVersion 5.x.99999 or newer is needed for Launch Test.";
    const struct {
        const char* supported;
        const char* minimum;
        const char* admin;
        std::string winxp, win2k, nt40, win98; // the warning on each system, "" to pass
    } cases[] = {
        {"", "", "", "", "", "", ""},
        {"NT", "", "", "", "", "", notFor},
        {"xp", "", "", "", notFor, notFor, notFor},
        {"2K, XP", "", "", "", "", notFor, notFor},
        {"NT4,98", "", "", notFor, notFor, "", ""},
        {"9x", "", "", notFor, notFor, notFor, ""},
        {"", "5.1", "", "", tooOld, tooOld, tooOld},
        {"", "5", "", "", "", "Too old.\r\nVersion 5 or newer is needed for Launch Test.",
         "Too old.\r\nVersion 5 or newer is needed for Launch Test."},
        // 4.10 of Windows 98 is past 4.0
        {"", "4.0.1381", "", "", "", "", ""},
        // a field that is no number stands for the system's own
        {"", "5.x.99999", "", odd, odd, odd, odd},
        // Wine's user is an administrator; on Windows 9x everybody is
        {"", "", "1", "", "", "", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string exe =
            Package("case" + std::to_string(++n),
                    std::string("<var name=\"SupportedOS\" value=\"") + c.supported +
                        "\"/><var name=\"MinOSVersion\" value=\"" + c.minimum +
                        "\"/><var name=\"AdminRights\" value=\"" + c.admin + "\"/>");
        const std::pair<const char*, const std::string*> systems[] = {
            {"winxp", &c.winxp}, {"win2k", &c.win2k}, {"nt40", &c.nt40}, {"win98", &c.win98}};
        for (const auto& [version, warning] : systems) {
            velk::test::SetWineVersion(version);
            const auto [shown, started] = Run(exe, !warning->empty());
            EXPECT_EQ(shown, *warning) << version << " " << c.supported << "/" << c.minimum;
            EXPECT_EQ(started, warning->empty())
                << version << " " << c.supported << "/" << c.minimum;
        }
    }
}

TEST_F(LaunchConditionsTest, APluginThatRefusesEndsTheRunWithoutAWord) {
    const std::string exe = Package("refused", "");
    Put("script.txt", "probe EV_CHECKLAUNCHCONDITIONS answer 1\r\n");
    const auto [shown, started] = Run(exe, false);
    EXPECT_EQ(shown, "");
    EXPECT_FALSE(started);
    EXPECT_NE(velk::test::ReadBytes(Path("probe.log")).find("EV_CHECKLAUNCHCONDITIONS"),
              std::string::npos);
}

} // namespace
