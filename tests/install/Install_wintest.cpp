// Installations by the shipped setup.exe of packages built with velkpack, with the test plug-in
// logging every event: what lands on disk, in the registry and in the install log.
#include "harness/DialogWatcher.h"
#include "harness/Screenshot.h"
#include "harness/WinPackageTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

using velk::test::ReadBytes;

constexpr const char* UninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelkInstallTest";
constexpr const char* SharedKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string RegString(const char* key, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "(no key)";
    const LONG read =
        RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    return read == ERROR_SUCCESS ? std::string(value) : "(none)";
}

DWORD RegNumber(const char* key, const std::string& name) {
    DWORD value = 0, size = sizeof value;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                     &size);
    RegCloseKey(handle);
    return value;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The delayed renames NT carries out at the restart, their strings joined.
std::string PendingRenames() {
    HKEY handle;
    std::string joined;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &handle) != ERROR_SUCCESS)
        return joined;
    char value[8192] = {};
    DWORD size = sizeof value - 2;
    if (RegQueryValueExA(handle, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
        for (DWORD i = 0; i < size; ++i)
            joined += value[i] ? value[i] : '|';
    RegCloseKey(handle);
    return joined;
}

// The last-write time of a file as local "YYYY-MM-DD hh:mm".
std::string LocalDate(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "(missing)";
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute);
    return text;
}

void SetLocalDate(const std::string& path, WORD year) {
    SYSTEMTIME t = {year, 1, 0, 2, 12, 0, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&t, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
}

class InstallTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        SetEnvironmentVariableA("VELK_PROBE_LOG", Path("probe.log").c_str());
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", Path("script.txt").c_str());
        app_ = Path("app") + "\\";
    }
    void TearDown() override {
        SetEnvironmentVariableA("VELK_PROBE_LOG", nullptr);
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", nullptr);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
        TWinPackageTest::TearDown();
    }
    // A package source: main.xml (main packages only), db.xml with the test plug-in, files.
    void Source(const std::string& name, const std::string& mainXml, const std::string& dbXml,
                const std::vector<std::pair<std::string, std::string>>& files) {
        if (!mainXml.empty())
            Put(name + "\\main.xml", mainXml);
        Put(name + "\\db.xml", dbXml);
        for (const auto& [path, data] : files)
            Put(name + "\\" + path, data);
    }
    std::string MainXml(const std::string& components, const std::string& more = "") {
        return "<main><variables><var name=\"AppName\" value=\"Install Test\"/>"
               "<var name=\"AppID\" value=\"VelkInstallTest\"/>"
               "<var name=\"InstallPath\" value=\"" +
               app_ + "\"/>" + more + "</variables><components>" + components +
               "</components></main>";
    }
    static std::string Db(const std::string& components, bool plugin = true) {
        return "<package>" +
               std::string(plugin ? "<plugins><plugin id=\"probe\"/></plugins>" : "") +
               "<components>" + components + "</components></package>";
    }
    std::string Build(const std::string& name, const std::string& out, bool main = true) {
        if (main) {
            Put(name + "\\plugins\\0\\probe.dll", "");
            EXPECT_TRUE(
                CopyFileA(VELK_PROBE_DLL, Path(name + "\\plugins\\0\\probe.dll").c_str(), FALSE));
        }
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path(name) + "\" -o \"" + Path(out) +
                  "\" --date 2020-01-02" +
                  (main ? " --stub \"" VELK_SETUP_EXE "\" --uninstaller \"" VELK_UNINSTALL_EXE "\""
                        : std::string()),
              &built);
        EXPECT_EQ(built.exitCode, 0u) << built.err;
        return Path(out);
    }
    // Runs the package silently with the script; a box nobody answers fails the exit code.
    void Run(const std::string& exe, const std::string& script = "") {
        // Reboot is read, then cleared so that the run does not restart the prefix.
        Put("script.txt", script + "\nprobe EV_AFTERINSTALL getvar Reboot\n"
                                   "probe EV_AFTERINSTALL setvar Reboot 0\n");
        DeleteFileA(Path("probe.log").c_str());
        EXPECT_EQ(Start("\"" + exe + "\" /S", nullptr), 0u) << "a box held the run";
    }
    std::vector<std::string> Probe(const std::string& containing) {
        std::vector<std::string> lines;
        std::istringstream in(velk::test::Text(ReadBytes(Path("probe.log"))));
        for (std::string line; std::getline(in, line);)
            if (line.find(containing) != std::string::npos)
                lines.push_back(line);
        return lines;
    }
    std::vector<std::string> LogSection(const char* section) {
        char buffer[8192] = {};
        GetPrivateProfileSectionA(section, buffer, sizeof buffer, (app_ + "install.log").c_str());
        std::vector<std::string> entries;
        for (const char* p = buffer; *p; p += strlen(p) + 1)
            entries.push_back(p);
        return entries;
    }
    std::string app_;
};

TEST_F(InstallTest, SelectedComponentsOfTwoPackagesAreInstalledLoggedAndRegistered) {
    Source("main",
           MainXml("<component id=\"core\"/><component id=\"extra\" package=\"extra\"/>"
                   "<component id=\"never\"/><component id=\"docs\" package=\"docs\"/>",
                   "<var name=\"Uninstall\" value=\"1\"/>"
                   "<var name=\"RemoveOldReferences\" value=\"1\"/>") +
               "",
           Db("<component id=\"core\"><files><file src=\"readme.txt\" "
              "dst=\"%InstallPath%readme.txt\"/>"
              "<file src=\"bin\\*.*\" dst=\"%InstallPath%bin\\*.*\"/></files></component>"
              "<component id=\"never\"><files><file src=\"n.txt\" dst=\"%InstallPath%n.txt\"/>"
              "</files></component>"),
           {{"files\\core\\readme.txt", "read me"},
            {"files\\core\\bin\\a.dll", "library"},
            {"files\\core\\bin\\sub\\b.txt", "below"},
            {"files\\never\\n.txt", "not chosen"}});
    ASSERT_TRUE(CopyFileA(VELK_UNINSTALL_EXE, Path("main\\Uninstall.exe").c_str(), FALSE));
    // features pick core and extra; never's condition fails, docs' package is never looked for
    std::string mainXml = ReadBytes(Path("main\\main.xml"));
    mainXml.insert(
        mainXml.find("</main>"),
        "<features><feature id=\"f\"><components><component id=\"core\"/>"
        "<component id=\"extra\"/><component id=\"never\"/></components></feature>"
        "<feature id=\"d\" condition=\"0\"><components><component id=\"docs\"/>"
        "</components></feature></features>"
        "<packages><package filename=\"extra\"/><package filename=\"docs\"/></packages>");
    mainXml.replace(mainXml.find("<component id=\"never\"/>"), 24,
                    "<component id=\"never\" condition=\"0\"/>");
    Put("main\\main.xml", mainXml);
    Source("extra", "",
           Db("<component id=\"extra\"><files><file src=\"x.dat\" dst=\"%InstallPath%x.dat\" "
              "flags=\"shared\"/></files></component>",
              false),
           {{"files\\extra\\x.dat", "shared data"}});
    Build("extra", "extra.vkp", false);
    const std::string exe = Build("main", "setup.exe");

    for (int run = 1; run <= 2; ++run) {
        Run(exe);
        for (const char* file : {"readme.txt", "bin\\a.dll", "bin\\sub\\b.txt", "x.dat"})
            EXPECT_EQ(LocalDate(app_ + file), "2020-01-02 12:00") << file;
        EXPECT_EQ(LocalDate(app_ + "n.txt"), "(missing)");
        EXPECT_EQ(ReadBytes(app_ + "Uninstall.exe"), ReadBytes(VELK_UNINSTALL_EXE));
        // the second run finds everything in place and counts the shared file no further
        EXPECT_EQ(RegNumber(SharedKey, app_ + "x.dat"), 1u) << "run " << run;
        EXPECT_EQ(Probe("EV_PROCESSITEM data=0").size(), run == 1 ? 4u : 0u);
        EXPECT_EQ(Probe("EV_PROCESSITEM data=1 param=kind0," + app_).size(), run == 1 ? 0u : 4u);
        EXPECT_EQ(Probe("EV_PROCESSITEM data=1 param=kind0,n.txt").size(), 1u) << "unchosen";
        const std::vector<std::string> progress = Probe("EV_FILEINSTALLPROGRESS");
        ASSERT_FALSE(progress.empty());
        EXPECT_NE(progress.back().find("param=00000064"), std::string::npos) << progress.back();
    }
    EXPECT_EQ(RegString(UninstallKey, "DisplayName"), "Install Test");
    EXPECT_EQ(RegString(UninstallKey, "UninstallString"),
              app_ + "Uninstall.exe \"" + app_ + "install.log\"");
    const std::string folder = app_.substr(0, app_.size() - 1);
    EXPECT_EQ(LogSection("CopyFiles"), // in the order of the cabinets
              (std::vector<std::string>{app_ + "bin\\a.dll=", app_ + "bin\\sub\\b.txt=",
                                        app_ + "readme.txt=", app_ + "x.dat="}));
    EXPECT_EQ(LogSection("CreateDirs"),
              (std::vector<std::string>{folder + "=", app_ + "bin=", app_ + "bin\\sub="}));
    EXPECT_EQ(LogSection("SharedFiles"), std::vector<std::string>{app_ + "x.dat="});
    EXPECT_EQ(LogSection("CreateKeys"),
              std::vector<std::string>{"HKLM\\" + std::string(UninstallKey) + "="});
    EXPECT_EQ(LogSection("Display").size(), 2u);

    // what the entry says undoes it all
    EXPECT_EQ(Start(RegString(UninstallKey, "UninstallString") + " /S", nullptr), 0u);
    for (const char* file : {"readme.txt", "bin\\a.dll", "bin\\sub\\b.txt", "x.dat"})
        EXPECT_EQ(LocalDate(app_ + file), "(missing)") << file;
    EXPECT_EQ(RegString(UninstallKey, "DisplayName"), "(no key)");
    EXPECT_EQ(RegNumber(SharedKey, app_ + "x.dat"), 0u);
}

TEST_F(InstallTest, VersionRulesAndEachConflictAnswer) {
    Source("main", MainXml("<component id=\"c\"/>"),
           Db("<component id=\"c\"><files>"
              "<file src=\"*.txt\" dst=\"%InstallPath%*.*\"/>"
              "<file src=\"keep.dat\" dst=\"%InstallPath%keep.dat\" flags=\"dont_overwrite\"/>"
              "<file src=\"quiet.dat\" dst=\"%InstallPath%quiet.dat\" flags=\"dont_ask\"/>"
              "<file src=\"app.exe\" dst=\"%InstallPath%app.exe\"/></files></component>"),
           {{"files\\c\\older.txt", "new"},
            {"files\\c\\newer1.txt", "new"},
            {"files\\c\\newer2.txt", "new"},
            {"files\\c\\same.txt", "new"},
            {"files\\c\\samedate.txt", "new, longer"},
            {"files\\c\\keep.dat", "new"},
            {"files\\c\\quiet.dat", "new"}});
    ASSERT_TRUE(CopyFileA(VELK_FIXTURES "\\velk_install_v1.exe",
                          Path("main\\files\\c\\app.exe").c_str(), FALSE));
    const std::string exe = Build("main", "setup.exe");
    const std::string v2 = ReadBytes(VELK_FIXTURES "\\velk_install_v2.exe");
    // answer, questions asked, whether newer1, newer2 and the higher version were replaced
    const struct {
        int Answer;
        size_t Asked;
        bool Replaced;
    } cases[] = {{1, 3, false}, {2, 3, true}, {3, 1, false}, {4, 1, true}, {0, 3, false}};
    for (const auto& c : cases) {
        const std::pair<const char*, WORD> existing[] = {
            {"older.txt", 2019},    {"newer1.txt", 2021}, {"newer2.txt", 2021}, {"same.txt", 2020},
            {"samedate.txt", 2020}, {"keep.dat", 2000},   {"quiet.dat", 2021},  {"app.exe", 2000}};
        for (const auto& [name, year] : existing) {
            Put("app\\" + std::string(name), std::string(name) == "app.exe" ? v2 : "old");
            SetLocalDate(app_ + name, year);
        }
        Run(exe, "probe EV_VERSIONCONFLICT answer " + std::to_string(c.Answer));
        const std::string replaced = c.Replaced ? "new" : "old";
        EXPECT_EQ(Probe("EV_VERSIONCONFLICT").size(), c.Asked) << c.Answer;
        EXPECT_EQ(ReadBytes(app_ + "newer1.txt"), replaced) << c.Answer;
        EXPECT_EQ(ReadBytes(app_ + "newer2.txt"), replaced) << c.Answer;
        EXPECT_EQ(ReadBytes(app_ + "app.exe") == v2, !c.Replaced) << c.Answer;
        EXPECT_EQ(ReadBytes(app_ + "older.txt"), "new");
        EXPECT_EQ(ReadBytes(app_ + "same.txt"), "old") << "same date and size";
        EXPECT_EQ(ReadBytes(app_ + "samedate.txt"), "new, longer");
        EXPECT_EQ(ReadBytes(app_ + "keep.dat"), "old");
        EXPECT_EQ(ReadBytes(app_ + "quiet.dat"), "old");
    }
}

TEST_F(InstallTest, AFileInUseIsSwappedInAtTheNextRestart) {
    Source("main", MainXml("<component id=\"c\"/>"),
           Db("<component id=\"c\"><files><file src=\"a.dll\" dst=\"%InstallPath%a.dll\"/>"
              "</files></component>"),
           {{"files\\c\\a.dll", "new library"}});
    const std::string exe = Build("main", "setup.exe");
    for (const char* version : {"winxp", "win98"}) {
        velk::test::SetWineVersion(version);
        Put("app\\a.dll", "old");
        SetLocalDate(app_ + "a.dll", 2019);
        HANDLE held = CreateFileA((app_ + "a.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        Run(exe);
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(app_ + "a.dll"), "old") << version;
        std::vector<std::string> waiting;
        for (const std::string& name : velk::test::FolderEntries(app_))
            if (name.rfind("Vel", 0) == 0 && ReadBytes(app_ + name) == "new library")
                waiting.push_back(name);
        ASSERT_EQ(waiting.size(), 1u) << version;
        // where the system looks at the restart: the registry on NT, wininit.ini on 9x
        char shortName[MAX_PATH] = {};
        GetShortPathNameA((app_ + waiting[0]).c_str(), shortName, MAX_PATH);
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        char renames[4096] = {};
        GetPrivateProfileSectionA("Rename", renames, sizeof renames,
                                  (std::string(windows) + "\\wininit.ini").c_str());
        const std::string pending(PendingRenames());
        EXPECT_EQ(pending.find(waiting[0]) != std::string::npos, version == std::string("winxp"));
        std::string renameLines;
        for (const char* line = renames; *line; line += strlen(line) + 1)
            renameLines += std::string(line) + "|";
        EXPECT_EQ(renameLines.find(std::string("=") + shortName) != std::string::npos,
                  version == std::string("win98"))
            << renameLines << " " << shortName;
        EXPECT_EQ(Probe("getvar").at(0).find("text=[1]") != std::string::npos, true) << version;
        for (const std::string& name : velk::test::FolderEntries(app_))
            if (name != "a.dll")
                DeleteFileA((app_ + name).c_str());
    }
    velk::test::SetWineVersion("win7");
}

TEST_F(InstallTest, AnAbortInTheMiddleOfAFileLeavesNothingAndEndsTheRun) {
    std::string big(4 << 20, '\0');
    uint32_t state = 1;
    for (char& c : big)
        c = char((state = state * 1103515245u + 12345u) >> 24);
    Source("main", MainXml("<component id=\"c\"/>", "<var name=\"Uninstall\" value=\"1\"/>"),
           Db("<component id=\"c\"><files><file src=\"big.bin\" dst=\"%InstallPath%big.bin\"/>"
              "</files></component>"),
           {{"files\\c\\big.bin", big}, {"Uninstall.exe", "uninstaller"}});
    const std::string exe = Build("main", "setup.exe");
    // asked before the file, the abort reaches the unpacker once it writes
    Run(exe, "probe EV_BEFOREPROCESSITEM abort");
    EXPECT_EQ(LocalDate(app_ + "big.bin"), "(missing)");
    EXPECT_EQ(Probe("abort result").size(), 1u);
    EXPECT_TRUE(Probe("EV_AFTERINSTALL").empty());
    EXPECT_EQ(Probe("EV_FINISH").at(0).find("data=0") != std::string::npos, true);
    EXPECT_EQ(RegString(UninstallKey, "DisplayName"), "(no key)");
}

TEST_F(InstallTest, UnwritableFilesMissingSourcesAndAnUnsavableLogFailTheRun) {
    Source("main", MainXml("<component id=\"c\"/>"),
           Db("<component id=\"c\"><files><file src=\"a.txt\" dst=\"%InstallPath%blocked\\a.txt\"/>"
              "<file src=\"%SourcePath%\\ext\\*\" dst=\"%InstallPath%ext\\*\" "
              "flags=\"external\"/></files></component>"),
           {{"files\\c\\a.txt", "data"}});
    const std::string exe = Build("main", "setup.exe");
    Put("ext\\one.txt", "external");
    Put("ext\\deeper\\two.txt", "external too");
    Put("app\\blocked", "a file where the folder should be");
    {
        velk::test::TDialogWatcher watcher("Unpacking error", IDOK, 30000);
        Run(exe);
        EXPECT_TRUE(watcher.Result().Found);
        EXPECT_EQ(watcher.Result().Text, "Cannot install file \"" + app_ + "blocked\\a.txt\"!");
    }
    EXPECT_TRUE(Probe("EV_AFTERINSTALL").empty());
    DeleteFileA((app_ + "blocked").c_str());
    Run(exe);
    EXPECT_EQ(ReadBytes(app_ + "ext\\one.txt"), "external");
    EXPECT_EQ(ReadBytes(app_ + "ext\\deeper\\two.txt"), "external too") << "subfolders match too";
    DeleteFileA(Path("ext\\one.txt").c_str());
    DeleteFileA(Path("ext\\deeper\\two.txt").c_str());
    RemoveDirectoryA(Path("ext\\deeper").c_str());
    RemoveDirectoryA(Path("ext").c_str());
    Put("main\\db.xml",
        Db("<component id=\"c\"><files><file src=\"%SourcePath%\\gone.txt\" "
           "dst=\"%InstallPath%gone.txt\" flags=\"external\"/></files></component>"));
    const std::string missing = Build("main", "missing.exe");
    {
        velk::test::TDialogWatcher watcher("Unpacking error", IDOK, 30000);
        Run(missing);
        EXPECT_EQ(watcher.Result().Text, "Cannot install file \"" + Path("gone.txt") + "\"!");
    }
    // a log that cannot be written lists nothing and fails the run
    Put("main\\main.xml", MainXml("<component id=\"c\"/>",
                                  "<var name=\"Uninstall\" value=\"1\"/><var name=\"LogFile\" "
                                  "value=\"%InstallPath%taken\\install.log\"/>"));
    Put("main\\db.xml", Db("<component id=\"c\"/>"));
    Put("main\\Uninstall.exe", "uninstaller");
    Put("app\\taken", "a file where the folder should be");
    const std::string noLog = Build("main", "nolog.exe");
    velk::test::TDialogWatcher watcher("Error", IDOK, 30000);
    Run(noLog);
    EXPECT_EQ(watcher.Result().Text,
              "Cannot write the install log \"" + app_ + "taken\\install.log\"!");
    EXPECT_EQ(RegString(UninstallKey, "DisplayName"), "(no key)");
    EXPECT_EQ(Probe("EV_FINISH").at(0).find("data=0") != std::string::npos, true);
}

TEST_F(InstallTest, AFurtherPackageIsFoundWhereAPluginPoints) {
    std::string mainXml = MainXml("<component id=\"x\" package=\"extra\"/>");
    mainXml.insert(mainXml.find("</main>"), "<packages><package filename=\"extra\"/></packages>");
    Source("main", mainXml, Db(""), {});
    Source("extra", "",
           Db("<component id=\"x\"><files><file src=\"x.dat\" dst=\"%InstallPath%x.dat\"/>"
              "</files></component>",
              false),
           {{"files\\x\\x.dat", "found"}});
    Put("elsewhere\\readme.txt", "not beside setup.exe");
    Build("extra", "elsewhere\\extra.vkp", false);
    Run(Build("main", "setup.exe"), "probe EV_GETPACKAGE folder " + Path("elsewhere"));
    EXPECT_EQ(ReadBytes(app_ + "x.dat"), "found");
    EXPECT_EQ(Probe("EV_GETPACKAGE").size(), 1u);
}

TEST_F(InstallTest, AFullDriveGivesTheUnpackingErrorAndLeavesNoPartOfTheFile) {
    const std::string mount = "/tmp/velk-full-" + std::to_string(GetCurrentProcessId());
    velk::test::RunLinux("mkdir -p " + mount + " && (mount -t tmpfs -o size=256k tmpfs " + mount +
                         " && touch " + mount + "/ready || touch " + mount + "/refused)");
    std::string folder = "Z:" + mount + "\\";
    std::replace(folder.begin(), folder.end(), '/', '\\');
    for (int i = 0; i < 200 && !FileExists(folder + "ready") && !FileExists(folder + "refused");
         ++i)
        Sleep(50);
    if (!FileExists(folder + "ready"))
        GTEST_SKIP() << "this machine mounts no small drive";
    app_ = folder + "app\\";
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 2654435761u >> 24);
    Source("main", MainXml("<component id=\"c\"/>"),
           Db("<component id=\"c\"><files><file src=\"big.bin\" dst=\"%InstallPath%big.bin\"/>"
              "</files></component>"),
           {{"files\\c\\big.bin", big}});
    {
        velk::test::TDialogWatcher watcher("Unpacking error", IDOK, 30000);
        Run(Build("main", "setup.exe"));
        EXPECT_EQ(watcher.Result().Text, "Cannot install file \"" + app_ + "big.bin\"!");
    }
    EXPECT_FALSE(FileExists(app_ + "big.bin"));
    velk::test::RunLinux("umount " + mount + " && rmdir " + mount);
}

TEST_F(InstallTest, AFailedCreateWriteOrRenameGivesTheUnpackingErrorAndNoPartOfAFile) {
    std::string big(100000, '\0'); // four blocks of the cabinet, so several writes
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 2654435761u >> 24);
    Source("main", MainXml("<component id=\"c\"/>"),
           Db("<component id=\"c\"><files><file src=\"*.*\" dst=\"%InstallPath%*.*\"/>"
              "<file src=\"%SourcePath%\\e.txt\" dst=\"%InstallPath%e.txt\" flags=\"external\"/>"
              "</files></component>"),
           {{"files\\c\\a.txt", "alpha"},
            {"files\\c\\b.bin", big},
            {"files\\c\\c.dll", "new library"},
            {"files\\c\\d.txt", "delta"}});
    Put("e.txt", "echo");
    const std::string exe = Build("main", "setup.exe");
    // In installation order; c.dll is in use, so it goes to a temporary name first.
    const std::pair<const char*, std::string> files[] = {{"a.txt", "alpha"},
                                                         {"b.bin", big},
                                                         {"c.dll", "new library"},
                                                         {"d.txt", "delta"},
                                                         {"e.txt", "echo"}};
    // Runs with c.dll held; returns the temporary files the run left.
    auto runHeld = [&](const std::string& script) {
        for (const std::string& name : velk::test::FolderEntries(app_))
            DeleteFileA((app_ + name).c_str());
        Put("app\\c.dll", "old");
        SetLocalDate(app_ + "c.dll", 2019);
        HANDLE held = CreateFileA((app_ + "c.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(held, INVALID_HANDLE_VALUE);
        Run(exe, script);
        CloseHandle(held);
        std::vector<std::string> temporary;
        for (const std::string& name : velk::test::FolderEntries(app_))
            if (name.rfind("Vel", 0) == 0)
                temporary.push_back(name);
        return temporary;
    };
    // The calls each kind makes in a run that nothing fails.
    for (const auto& [kind, calls] :
         {std::pair<std::string, int>{"create", 5}, {"write", 8}, {"rename", 2}}) {
        const std::vector<std::string> temporary =
            runHeld("probe EV_BEFOREINSTALL fault " + kind + " 0");
        EXPECT_EQ(Probe("fault " + kind + " calls=").at(0),
                  "probe fault " + kind + " calls=" + std::to_string(calls));
        EXPECT_EQ(temporary.size(), 1u) << kind;
        EXPECT_EQ(Probe("EV_AFTERINSTALL").size(), 1u) << kind;
    }
    // The system, the fault, and the file (index into files) it strikes. The 9x family swaps
    // c.dll in through the restart file, which it renames aside and writes anew.
    char windows[MAX_PATH];
    const std::string restartFile =
        std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) + "\\wininit.ini";
    const std::string restartText = "[Rename]\r\nNUL=C:\\OLD.DLL\r\n";
    const struct {
        const char* Windows;
        const char* Kind;
        int Call;
        size_t Fails;
    } cases[] = {{"win7", "create", 1, 0},  {"win7", "create", 3, 2},  {"win7", "create", 5, 4},
                 {"win7", "write", 1, 0},   {"win7", "write", 3, 1},   {"win7", "write", 5, 1},
                 {"win7", "write", 8, 4},   {"win7", "rename", 1, 2},  {"win7", "rename", 2, 2},
                 {"win98", "rename", 1, 2}, {"win98", "create", 4, 2}, {"win98", "write", 7, 2}};
    for (const auto& c : cases) {
        const std::string fault = std::string(c.Kind) + " " + std::to_string(c.Call);
        const std::string label = std::string(c.Windows) + " " + fault;
        velk::test::SetWineVersion(c.Windows);
        velk::test::WriteBytes(restartFile, restartText);
        std::vector<std::string> temporary;
        {
            velk::test::TDialogWatcher watcher("Unpacking error", IDOK, 30000);
            temporary = runHeld("probe EV_BEFOREINSTALL fault " + fault);
            EXPECT_EQ(watcher.Result().Text,
                      "Cannot install file \"" + app_ + files[c.Fails].first + "\"!")
                << label;
        }
        EXPECT_EQ(ReadBytes(restartFile), restartText) << label;
        EXPECT_EQ(Probe("fault " + fault + " hit").size(), 1u) << label;
        EXPECT_TRUE(Probe("EV_AFTERINSTALL").empty()) << label;
        EXPECT_EQ(Probe("EV_FINISH").at(0).find("data=0") != std::string::npos, true) << label;
        // once swapped in at the restart, the new c.dll waits under its temporary name
        EXPECT_EQ(temporary.size(), c.Fails > 2 ? 1u : 0u) << label;
        for (const std::string& name : temporary)
            EXPECT_EQ(ReadBytes(app_ + name), "new library") << label;
        // before the struck file each one is complete, the struck one and those after it absent
        for (size_t i = 0; i < std::size(files); ++i) {
            const std::string path = app_ + files[i].first;
            const std::string expected = i == 2        ? std::string("old")
                                         : i < c.Fails ? files[i].second
                                                       : std::string("(missing)");
            EXPECT_EQ(FileExists(path) ? ReadBytes(path) : "(missing)", expected)
                << label << " " << path;
        }
    }
    velk::test::SetWineVersion("win7");
    DeleteFileA(restartFile.c_str());
}

} // namespace
