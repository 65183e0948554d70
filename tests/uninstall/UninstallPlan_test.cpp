#include "uninstall/UninstallPlan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/StrUtils.h"
#include "uninstall/UninstallArgs.h"
#include "uninstall/UninstallTexts.h"

namespace velk {
namespace {

using Strings = std::vector<std::string>;

// "kind path [name]", with "+" after the kind when the step's flag is set.
std::string Describe(const TUndoStep& step) {
    static const char* const kKinds[] = {"run", "shortcut", "server", "font",  "value",
                                         "key", "release",  "file",   "folder"};
    const std::string& what = step.Kind == TUndoKind::RunApp ? step.App.CmdLine : step.Path;
    return kKinds[int(step.Kind)] + std::string(step.Flag ? "+ " : " ") + what +
           (step.Name.empty() ? "" : " [" + step.Name + "]");
}

class UninstallPlanTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-uninstall.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes the text as the log and reads it as the uninstaller does.
    TInstallLog Log(const std::string& text) {
        const std::string path = dir_ + "/install.log";
        std::ofstream(path, std::ios::binary) << text;
        TInstallLog log;
        EXPECT_TRUE(ReadInstallLog(path, log));
        return log;
    }
    Strings Plan(const std::string& text) {
        Strings described;
        for (const TUndoStep& step : PlanUninstall(Log(text), "C:\\WINDOWS"))
            described.push_back(Describe(step));
        return described;
    }

    std::string dir_;
};

// A log as the installer writes it: sections in the order their first entry was written.
const char kFullLog[] =
    "[CreateDirs]\r\nC:\\Firm=\r\nC:\\Firm\\App=\r\nC:\\Firm\\App\\Bin=\r\n\r\n"
    "[CopyFiles]\r\nC:\\Firm\\App\\app.exe=\r\nC:\\Firm\\App\\Bin\\x.dll=\r\n"
    "C:\\WINDOWS\\system32\\shared.dll=\r\nAPP.INI=\r\nC:\\WINDOWS\\Fonts\\f.ttf=\r\n\r\n"
    "[SharedFiles]\r\nC:\\WINDOWS\\system32\\shared.dll=\r\nC:\\Common\\other.dll=\r\n\r\n"
    "[RegServers]\r\nC:\\Firm\\App\\Bin\\x.dll=\r\nC:\\WINDOWS\\system32\\shared.dll=\r\n\r\n"
    "[CreateKeys]\r\nHKLM\\Software\\Firm=\r\nHKLM\\Software\\Firm\\App=\r\n"
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App=\r\n\r\n"
    "[AddReg]\r\nHKLM\\Software\\Firm\\App\\'Path'=C:\\Firm\\App\r\n"
    "HKLM\\Software\\Firm\\App\\''=default\r\nHKCU\\Software\\Firm\\'it's'=x\r\n\r\n"
    "[AddIni]\r\nLastRun=0\r\n\r\n"
    "[RegFonts]\r\nFirm Sans (TrueType)=C:\\WINDOWS\\Fonts\\f.ttf\r\n\r\n"
    "[Shortcuts]\r\nC:\\Menu\\Firm\\App.lnk=\r\n\r\n"
    "[PreRunApp]\r\n1='b.exe','','',1,'',1\r\n0='C:\\Firm\\App\\a.exe','','',1,'',1\r\n\r\n"
    "[RunApp]\r\n2='C:\\Firm\\c.exe','','',1,'',0\r\n\r\n"
    "[Display]\r\nCharset=204\r\nDialogTitleFont=\r\n\r\n"
    "[Strings]\r\n1=Uninstall Firm App\r\n2=Remove Firm App?||Really?\r\n";

TEST_F(UninstallPlanTest, UndoesTheInstallPhasesInReverse) {
    EXPECT_EQ(Plan(kFullLog),
              (Strings{
                  "run C:\\Firm\\App\\a.exe",
                  "run b.exe",
                  "shortcut C:\\Menu\\Firm\\App.lnk",
                  "server+ C:\\WINDOWS\\system32\\shared.dll",
                  "server C:\\Firm\\App\\Bin\\x.dll",
                  "font C:\\WINDOWS\\Fonts\\f.ttf [Firm Sans (TrueType)]",
                  "value HKCU\\Software\\Firm [it's]",
                  "value HKLM\\Software\\Firm\\App",
                  "value HKLM\\Software\\Firm\\App [Path]",
                  "key+ HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App",
                  "key HKLM\\Software\\Firm\\App",
                  "key HKLM\\Software\\Firm",
                  "file C:\\WINDOWS\\Fonts\\f.ttf",
                  "file C:\\WINDOWS\\APP.INI",
                  "release+ C:\\WINDOWS\\system32\\shared.dll",
                  "file C:\\Firm\\App\\Bin\\x.dll",
                  "file C:\\Firm\\App\\app.exe",
                  "release C:\\Common\\other.dll",
                  "folder C:\\Firm\\App\\Bin",
                  "folder C:\\Firm\\App",
                  "folder C:\\Firm",
                  "run C:\\Firm\\c.exe",
              }));
}

// Whatever a damaged log holds, the plan names only what a complete entry names.
TEST_F(UninstallPlanTest, DamagedEntriesAreLeftOut) {
    const struct {
        const char* log;
        Strings plan;
    } cases[] = {
        // Cut inside a name: the line has no "=" and is no entry.
        {"[CopyFiles]\r\nC:\\App\\a.dll=\r\nC:\\App\\b.dl", {"file C:\\App\\a.dll"}},
        {"[CopyFiles]\r\nC:\\App\\a.dll=\r\n[CreateDi", {"file C:\\App\\a.dll"}},
        {"[CreateDirs]\r\nC:\\App=\r\nC:\\App\\Su", {"folder C:\\App"}},
        // A name cut at a "=" it held leaves a value behind: not what was installed.
        {"[CopyFiles]\r\nC:\\App\\a=b.dll=\r\n", {}},
        {"[Shortcuts]\r\nC:\\Menu\\App.lnk=x\r\n", {}},
        // Unsafe or unparsable names.
        {"[CopyFiles]\r\nC:\\App\\..\\..\\Windows\\win.ini=\r\nSub\\a.dll=\r\n"
         "\\\\?\\C:\\a.dll=\r\nC:\\App\\NUL=\r\n=\r\n",
         {}},
        {"[CreateDirs]\r\nC:\\=\r\nC:\\App\\..=\r\n", {}},
        {"[Shortcuts]\r\nC:\\Menu\\App.exe=\r\nC:\\Menu\\App.lnk\r\n", {}},
        {"[CreateKeys]\r\nSoftware\\Firm=\r\nHKLM=\r\nHKLM\\Software\\Firm\\=\r\n", {}},
        {"[AddReg]\r\nHKLM\\Software\\Firm\\'Path=x\r\nHKLM\\Software\\Firm'Path'=x\r\n"
         "Software\\Firm\\'Path'=x\r\n\\'Path'=x\r\n",
         {}},
        {"[RegFonts]\r\n=C:\\WINDOWS\\Fonts\\f.ttf\r\nFont=f.ttf\r\n", {}},
        {"[PreRunApp]\r\nx='a.exe','','',1,'',1\r\n0='a.exe','','',1,'\r\n", {}},
        // Comments, text outside sections, repeated names and sections.
        {"C:\\App\\outside.dll=\r\n[CopyFiles]\r\n;C:\\App\\comment.dll=\r\nC:\\App\\a.dll=\r\n"
         "c:\\app\\A.DLL=\r\n[CopyFiles]\r\nC:\\App\\second.dll=\r\n",
         {"file C:\\App\\a.dll"}},
        // Entries that only the installer reads back.
        {"[AddIni]\r\nC:\\App\\app.ini=1\r\n[Display]\r\nCharset=1\r\n", {}},
        {"\x1a", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Plan(c.log), c.plan) << c.log;
}

TEST_F(UninstallPlanTest, TextsComeFromTheLogWithEnglishDefaults) {
    const TInstallLog log = Log(kFullLog);
    EXPECT_EQ(UninstallText(log, utCaption), "Uninstall Firm App");
    EXPECT_EQ(UninstallText(log, utConfirm), "Remove Firm App?\r\nReally?");
    EXPECT_EQ(UninstallText(log, utDone), "The application was removed from your computer.");
    EXPECT_EQ(UninstallText(log, utNoLog, "C:\\x.log"),
              "Cannot read the install log \"C:\\x.log\"!");
    EXPECT_EQ(LogCharset(log), 204);
    EXPECT_EQ(LogCharset(TInstallLog()), 1);
    TInstallLog missing;
    EXPECT_FALSE(ReadInstallLog(dir_ + "/none.log", missing));
}

TEST(UninstallArgs, TakesTheLogPathSilentSwitchAndCleanUpRun) {
    const struct {
        Strings args;
        bool parsed;
        std::string log;
        bool silent, cleanup;
        uint32_t handle;
        Strings paths;
    } cases[] = {
        {{"u.exe", "C:\\App\\install.log"}, true, "C:\\App\\install.log", false, false, 0, {}},
        {{"u.exe", "C:\\My App\\install.log", "/S"},
         true,
         "C:\\My App\\install.log",
         true,
         false,
         0,
         {}},
        {{"u.exe", "-s", "C:\\My", "App\\install.log"},
         true,
         "C:\\My App\\install.log",
         true,
         false,
         0,
         {}},
        {{"u.exe"}, true, "", false, false, 0, {}},
        {{"u.exe", "C:\\a.log", "/x"}, false, "C:\\a.log", false, false, 0, {}},
        {{"u.exe", "/cleanup:124", "C:\\App\\Uninstall.exe", "C:\\App"},
         true,
         "",
         false,
         true,
         124,
         {"C:\\App\\Uninstall.exe", "C:\\App"}},
        {{"u.exe", "/cleanup:124"}, false, "", false, true, 124, {}},
        {{"u.exe", "/cleanup:", "C:\\App\\Uninstall.exe"}, false, "", false, false, 0, {}},
    };
    for (const auto& c : cases) {
        TUninstallArgs parsed;
        EXPECT_EQ(ParseUninstallArgs(c.args, parsed), c.parsed) << c.args.back();
        EXPECT_EQ(parsed.LogPath, c.log) << c.args.back();
        EXPECT_EQ(parsed.Silent, c.silent) << c.args.back();
        EXPECT_EQ(parsed.Cleanup, c.cleanup) << c.args.back();
        EXPECT_EQ(parsed.WaitHandle, c.handle) << c.args.back();
        EXPECT_EQ(parsed.CleanupPaths, c.paths) << c.args.back();
    }
    EXPECT_EQ(CleanupCommandLine("C:\\T\\Uninstall.exe", 124, {"C:\\App\\Uninstall.exe", "C:\\A"}),
              "\"C:\\T\\Uninstall.exe\" /cleanup:124 \"C:\\App\\Uninstall.exe\" \"C:\\A\"");
}

} // namespace
} // namespace velk
