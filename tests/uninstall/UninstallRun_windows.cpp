// The Windows half of the uninstall run test (see UninstallRun.h): an installation laid out by
// hand, then Uninstall.exe "<log>" /S.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "harness/DialogWatcher.h"
#include "platform/WinScratch.h"
#include "platform/epRegIni.h"
#include "uninstall/UninstallRun.h"

namespace velk {
namespace {

using test::Exists;
using test::ReadBytes;
using test::WriteBytes;

const std::string kMachine = "HKLM\\";

std::string C(std::string_view path) {
    return "C:\\" + std::string(path);
}
std::string App(const std::string& name) {
    return C(test::InstallFolder) + "\\" + name;
}
std::string Machine(std::string_view key) {
    return kMachine + std::string(key);
}

// A program run before and after the uninstall, and a COM server: both append to the marker.
void Install(const char* fixture, const std::string& to) {
    ASSERT_TRUE(::CopyFileA(fixture, to.c_str(), FALSE)) << to;
}

TEST(UninstallRun, UndoesWhatTheLogRecordsAndNothingElse) {
    for (const char* folder :
         {"C:\\Firm", "C:\\Firm\\App", "C:\\Firm\\App\\Data", "C:\\Firm\\Other", "C:\\Common",
          "C:\\Menu", "C:\\Menu\\Firm", "C:\\Tools"})
        ASSERT_TRUE(::CreateDirectoryA(folder, nullptr)) << folder;
    const std::string marker = C("marker.txt");
    ::SetEnvironmentVariableA("VELK_COMSERVER_MARKER", marker.c_str());

    Install(VELK_UNINSTALL_EXE, App("Uninstall.exe"));
    Install(VELK_LOCAL_SERVER, App("tool.exe"));
    Install(VELK_LOCAL_SERVER, C("Tools\\after.exe"));
    Install(VELK_COMSERVER, App("server.dll"));
    for (const std::string& file :
         {App("Data\\a.dat"), App("ro.txt"), App("velk.ttf"), C("Menu\\Firm\\App.lnk"),
          C("Menu\\Firm\\App.pif"), C(test::UserFile), C(test::Victim), C(test::SharedKept),
          C(test::SharedGone), C(test::SharedForeign)})
        ASSERT_TRUE(WriteBytes(file, "data of " + file)) << file;
    ::SetFileAttributesA(App("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string ini = "[S]\r\nLastRun=1\r\n\r\n";
    ASSERT_TRUE(WriteBytes(C(test::IniFile), ini));

    const std::string shared = Machine(test::SharedDllsKey);
    ASSERT_TRUE(WriteRegInteger(shared, C(test::SharedKept), 2));
    ASSERT_TRUE(WriteRegInteger(shared, C(test::SharedGone), 1));
    ASSERT_TRUE(WriteRegInteger(shared, C(test::SharedForeign), 1));
    const std::string key = Machine(test::UninstallTestKey);
    ASSERT_TRUE(WriteRegString(key + "\\App", "Path", App("")));
    ASSERT_TRUE(WriteRegString(key + "\\Keep", "Kept", "by the user"));
    const std::string user = "HKCU\\" + std::string(test::UninstallTestUserKey);
    ASSERT_TRUE(WriteRegString(user, "Before", "was there"));
    ASSERT_TRUE(WriteRegString(user, "Created", "by setup"));
    const std::string entry = Machine(test::UninstallEntryKey);
    ASSERT_TRUE(WriteRegString(entry, "DisplayName", "Velk Test App"));
    ASSERT_TRUE(WriteRegString(entry + "\\Sub", "Extra", "written by the product"));
    const std::string fonts = Machine(test::FontsKey);
    ASSERT_TRUE(WriteRegString(fonts, "Velk Test (TrueType)", App("velk.ttf")));
    ASSERT_TRUE(WriteRegString(fonts, "Velk Other (TrueType)", "another.ttf"));

    const std::string log =
        "[CreateDirs]\r\nC:\\Firm=\r\nC:\\Firm\\App=\r\nC:\\Firm\\App\\Data=\r\nC:\\Firm\\Other="
        "\r\n"
        "C:\\Menu\\Firm=\r\n\r\n"
        "[CopyFiles]\r\n" +
        App("Data\\a.dat") + "=\r\n" + App("ro.txt") + "=\r\n" + App("tool.exe") + "=\r\n" +
        App("server.dll") + "=\r\n" + App("velk.ttf") + "=\r\n" + C(test::SharedKept) + "=\r\n" +
        C(test::SharedGone) + "=\r\n" +
        "C:\\Firm\\App\\..\\..\\victim.txt=\r\n\r\n"
        "[SharedFiles]\r\n" +
        C(test::SharedKept) + "=\r\n" + C(test::SharedGone) + "=\r\n" + C(test::SharedForeign) +
        "=\r\n\r\n"
        "[RegServers]\r\n" +
        App("server.dll") +
        "=\r\n\r\n"
        "[CreateKeys]\r\n" +
        key + "=\r\n" + key + "\\App=\r\n" + key + "\\Keep=\r\n" + entry +
        "=\r\n\r\n"
        "[AddReg]\r\n" +
        key + "\\App\\'Path'=" + App("") + "\r\n" + user +
        "\\'Created'=by setup\r\n"
        "\r\n[AddIni]\r\nLastRun=1\r\n\r\n"
        "[RegFonts]\r\nVelk Test (TrueType)=" +
        App("velk.ttf") +
        "\r\n"
        "Velk Other (TrueType)=" +
        App("other.ttf") +
        "\r\n\r\n"
        "[Shortcuts]\r\nC:\\Menu\\Firm\\App.lnk=\r\n\r\n"
        "[PreRunApp]\r\n0='" +
        App("tool.exe") + "','pre','" + App("") +
        "',0,'',1\r\n\r\n"
        "[RunApp]\r\n1='C:\\Tools\\after.exe','post','',0,'',1\r\n";
    ASSERT_TRUE(WriteBytes(App("install.log"), log));

    EXPECT_EQ(
        test::RunProgram("\"" + App("Uninstall.exe") + "\" \"" + App("install.log") + "\" /S"), 0);

    // The programs ran before and after, the server was unregistered in between.
    EXPECT_EQ(ReadBytes(marker), "pre\nunregistered\npost\n");
    for (const std::string& gone :
         {App("Data\\a.dat"), App("ro.txt"), App("tool.exe"), App("server.dll"), App("velk.ttf"),
          App("install.log"), C(test::SharedGone), C("Menu\\Firm\\App.lnk"),
          C("Menu\\Firm\\App.pif"), C("Menu\\Firm"), App("Data")})
        EXPECT_FALSE(Exists(gone)) << gone;
    for (const std::string& kept : {C(test::SharedKept), C(test::SharedForeign), C(test::UserFile),
                                    C(test::Victim), C("Menu"), C("Firm")})
        EXPECT_TRUE(Exists(kept)) << kept;
    EXPECT_EQ(ReadBytes(C(test::IniFile)), ini);
    EXPECT_EQ(ReadRegInteger(shared, C(test::SharedKept), 0), 1);
    EXPECT_FALSE(RegValueExists(shared, C(test::SharedGone)));
    EXPECT_FALSE(RegValueExists(shared, C(test::SharedForeign)));
}

TEST(UninstallRun, AFailureKeepsTheLogAndTheUninstallerForAnotherRun) {
    const std::string folder = C("Second");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string program = folder + "\\Uninstall.exe";
    const std::string log = folder + "\\install.log";
    const std::string file = folder + "\\a.dat";
    Install(VELK_UNINSTALL_EXE, program);
    ASSERT_TRUE(WriteBytes(file, "a"));
    ASSERT_TRUE(WriteBytes(log, "[CopyFiles]\r\n" + file + "=\r\n[RunApp]\r\n0='" + folder +
                                    "\\missing.exe','','',1,'',1\r\n"));

    EXPECT_EQ(test::RunProgram("\"" + program + "\" -s \"" + log + "\""), 1);
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(Exists(log));
    EXPECT_TRUE(Exists(program));

    // A clean-up run not started by an uninstall has no process to wait for and deletes nothing.
    EXPECT_EQ(test::RunProgram("\"" + program + "\" /cleanup:0 \"" + log + "\" \"" + folder + "\""),
              1);
    EXPECT_TRUE(Exists(log));
    // Nor does a run on a log it cannot read.
    EXPECT_EQ(test::RunProgram("\"" + program + "\" /S install.log"), 1);
    EXPECT_EQ(test::RunProgram("\"" + program + "\" /S /unknown \"" + log + "\""), 3);
    EXPECT_TRUE(Exists(log));
}

// Without /S the log's texts ask first and report at the end.
TEST(UninstallRun, AsksBeforeRemovingAndReportsInTheLogsTexts) {
    const std::string folder = C("Third");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string program = folder + "\\Uninstall.exe";
    const std::string log = folder + "\\install.log";
    const std::string file = folder + "\\a.dat";
    Install(VELK_UNINSTALL_EXE, program);
    ASSERT_TRUE(WriteBytes(file, "a"));
    ASSERT_TRUE(WriteBytes(log, "[CopyFiles]\r\n" + file +
                                    "=\r\n[Display]\r\nCharset=0\r\n[Strings]\r\n"
                                    "1=Uninstall Velk Test\r\n2=Remove Velk Test?||All of it?\r\n"
                                    "3=Velk Test is gone.\r\n"));
    const std::string run = "\"" + program + "\" \"" + log + "\"";
    const std::string caption = "Uninstall Velk Test";

    int exitCode = -1;
    std::thread no([&] { exitCode = test::RunProgram(run); });
    const test::TDialogSeen question = test::WatchDialog(caption, IDNO, 20000);
    no.join();
    EXPECT_EQ(question.Text, "Remove Velk Test?\r\nAll of it?");
    EXPECT_EQ(question.Icon, "question");
    EXPECT_EQ(exitCode, 2);
    EXPECT_TRUE(Exists(file));

    std::thread yes([&] { exitCode = test::RunProgram(run); });
    EXPECT_TRUE(test::WatchDialog(caption, IDYES, 20000).Found);
    const test::TDialogSeen report = test::WatchDialog(caption, IDOK, 20000);
    yes.join();
    EXPECT_EQ(report.Text, "Velk Test is gone.");
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(Exists(log));
}

} // namespace
} // namespace velk
