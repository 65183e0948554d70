#include "database/VKVariables.h"
#include "harness/DialogWatcher.h"
#include "harness/WinPackageTest.h"
#include "platform/Exception.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/SetupRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velk::TRunState;
using velk::TSetupRun;
using velk::test::ReadBytes;
using velk::test::TDialogSeen;
using velk::test::TDialogWatcher;

// Points the temporary folder of this process (and of its children) at a folder of the test.
class TempFolderTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        char buffer[MAX_PATH];
        GetTempPathA(MAX_PATH, buffer);
        savedTmp_ = buffer;
        base_ = savedTmp_ + "velk-setup-test\\";
        velk::DeleteFolder(base_, true);
        temp_ = base_ + "nested\\temp\\";
        SetTemp(temp_);
    }
    void TearDown() override {
        SetTemp(savedTmp_);
        velk::DeleteFolder(base_, true);
        TWinPackageTest::TearDown();
    }
    // What the loader hands the engine: the work and scratch folders and the unpack library.
    void PrepareFolders(TRunState& state) {
        state.WorkFolder = temp_ + "work\\";
        state.ScratchFolder = state.WorkFolder + "scratch\\";
        velk::ForceDirectories(state.ScratchFolder);
        ASSERT_TRUE(CopyFileA(VELK_UNPACK_DLL, (state.WorkFolder + "unpack.dll").c_str(), FALSE));
    }
    static void SetTemp(const std::string& folder) {
        SetEnvironmentVariableA("TMP", folder.c_str());
        SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    std::string savedTmp_, base_, temp_;
};

// A body that changes an INI file through the cache, the way the install actions do.
class IniRun : public TSetupRun {
public:
    IniRun(TRunState& state, std::string iniFile)
        : TSetupRun(state), iniFile_(std::move(iniFile)) {}
    bool quotesStrippedInBody = true;

protected:
    void Body() override {
        StartRuntime();
        quotesStrippedInBody = velk::IniStripQuotes;
        velk::IniWriteString(iniFile_, "Settings", "Path", "\"C:\\Program Files\\App\"");
    }

private:
    std::string iniFile_;
};

TEST_F(TempFolderTest, CachedIniChangesReachTheDiskAtCleanUpWithQuotesKept) {
    velk::ForceDirectories(base_);
    std::string ini = base_ + "APP.INI";
    TRunState state;
    PrepareFolders(state);
    IniRun run(state, ini);
    run.Run();
    EXPECT_FALSE(run.quotesStrippedInBody);
    std::string text = velk::ReadFileToString(ini);
    EXPECT_NE(text.find("[Settings]"), std::string::npos) << text;
    EXPECT_NE(text.find("Path=\"C:\\Program Files\\App\""), std::string::npos) << text;
}

// A body that fails the way a broken database does: with an exception.
class FailingRun : public TSetupRun {
public:
    using TSetupRun::TSetupRun;

protected:
    void Body() override {
        StartRuntime();
        throw velk::Exception("Invalid character in the tag name. Line 1, position 2.");
    }
};

TEST_F(TempFolderTest, AnExceptionIsShownInAPlainErrorBoxAndTheWorkFolderLeftToTheLoader) {
    TRunState state;
    PrepareFolders(state);
    bool workExistedWhileShown = false;
    velk::MessageTitle.clear();
    velk::test::TDialogWatcher watcher("Error", IDOK, 20000, [&](HWND) {
        workExistedWhileShown = velk::DirectoryExists(state.WorkFolder);
    });
    FailingRun(state).Run();
    const velk::test::TDialogSeen& seen = watcher.Result();

    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(seen.Text, "Invalid character in the tag name. Line 1, position 2.");
    EXPECT_EQ(seen.Icon, "stop");
    EXPECT_EQ(seen.Buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(workExistedWhileShown);
    EXPECT_TRUE(velk::DirectoryExists(state.ScratchFolder))
        << "the loader deletes it after the box";
}

// What the body left before the clean-up: the current folder, the loaded databases.
class LoadingRun : public TSetupRun {
public:
    using TSetupRun::TSetupRun;
    std::string currentFolder, appName, sourcePath, firstComponent;
    bool sourcePathPredefined = false, conditionsOn = false;
    int packages = 0;

protected:
    void Body() override {
        TSetupRun::Body();
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        currentFolder = folder;
        velk::TvkMainDatabase& db = *state_.Database;
        appName = velk::GetVariable(&db, "AppName", "");
        sourcePath = velk::GetVariable(&db, "SourcePath", "");
        sourcePathPredefined = db.Variables->FindParam("SourcePath")->Predefined;
        packages = db.Packages->Count();
        velk::TvkPackage& main = *db.Packages->Items(0);
        firstComponent = main.Components->Count() > 0 ? main.Components->Items(0)->ID() : "";
        conditionsOn = velk::ConditionsEnabled;
    }
};

class PackageRunTest : public TempFolderTest {
protected:
    void MakeSource() {
        Put("src\\main.xml", "<main><variables><var name=\"AppName\" value=\"Sample  App\"/>"
                             "</variables><packages><package filename=\"Extra\"/></packages>"
                             "</main>");
        Put("src\\db.xml", "<package><components><component id=\"core\" name=\"Core\"/>"
                           "</components></package>");
        Put("src\\presetup\\ab\\note.txt", "for the dialogs\r\n");
        Put("src\\files\\core\\app.txt", "product file\r\n");
    }
    std::string Build(const std::string& output, const std::string& stub) {
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path("src") + "\" -o \"" + Path(output) +
                  "\" --stub \"" + stub + "\" --date 2024-05-01",
              &built);
        EXPECT_EQ(built.exitCode, 0u) << built.err;
        return Path(output);
    }
    // Runs a program as a user would, answering the box with the caption, which must come.
    TDialogSeen RunAnswering(const std::string& program, const std::string& caption) {
        TDialogWatcher watcher(caption, IDOK, 30000);
        EXPECT_EQ(Start("\"" + program + "\" /S", nullptr), 0u) << "the exit code is always 0";
        return watcher.Result();
    }
};

TEST_F(PackageRunTest, TheRunWritesItsLibraryAndLoadsItsPackageThenCleansUp) {
    MakeSource();
    Put("stub.exe", "MZ" + std::string(2000, '\0'));
    CreateDirectoryA(Path("pkg").c_str(), nullptr);
    TRunState state;
    state.SetupPath = Build("pkg\\Sample.exe", Path("stub.exe"));
    ASSERT_TRUE(Exists("pkg\\Sample.exe"));
    state.Arguments = {"/S"};
    PrepareFolders(state);
    LoadingRun run(state);
    EXPECT_FALSE(run.Run()) << "no restart without an installation";

    EXPECT_EQ(run.currentFolder, Path("pkg"));
    EXPECT_EQ(run.appName, "Sample  App") << "blank runs in values are kept";
    EXPECT_EQ(run.sourcePath, Path("pkg"));
    EXPECT_TRUE(run.sourcePathPredefined);
    EXPECT_EQ(run.packages, 1) << "Extra, which no component needs, is dropped";
    EXPECT_EQ(run.firstComponent, "core");
    EXPECT_TRUE(run.conditionsOn);
    EXPECT_TRUE(state.Silent);
    EXPECT_EQ(state.Database, nullptr) << "freed with the run";
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    EXPECT_NE(std::string(folder), Path("pkg")) << "the current folder is restored";
}

TEST_F(PackageRunTest, TheShippedProgramRunsItsPackageAndLeavesNothingBehind) {
    MakeSource();
    const std::string package = Build("Sample.exe", VELK_SETUP_EXE);
    for (const char* arguments : {"", "/S", "-s extra \"two words\""}) {
        // a run that stopped on a box would be ended after two minutes with another code
        EXPECT_EQ(Start("\"" + package + "\" " + arguments, nullptr), 0u) << arguments;
        EXPECT_TRUE(velk::test::FolderEntries(temp_).empty()) << arguments;
    }
}

// Silent: a wizard page nobody answers would keep it running until the test ends it.
TEST_F(PackageRunTest, TheBundledSampleBuildsIntoAPackageThatRuns) {
    velk::test::TProcessResult built;
    Start("\"" VELKPACK_EXE "\" build \"" VELK_SAMPLE_DIR "\" -o \"" + Path("VelkSample.exe") +
              "\" --stub \"" VELK_SETUP_EXE "\" --uninstaller \"" VELK_UNINSTALL_EXE
              "\" --wizard \"" VELK_WIZARD_DLL "\"",
          &built);
    ASSERT_EQ(built.exitCode, 0u) << built.err;
    EXPECT_EQ(Start("\"" + Path("VelkSample.exe") + "\" /S", nullptr), 0u);
    EXPECT_TRUE(velk::test::FolderEntries(temp_).empty());
}

TEST_F(PackageRunTest, TheShippedProgramWithoutAPackageSaysSo) {
    const TDialogSeen box = RunAnswering(VELK_SETUP_EXE, "Invalid package");
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Text, std::string("Invalid package size!\r\rPackage \"") + VELK_SETUP_EXE +
                            "\" has been corrupted, installation impossible.");
    EXPECT_EQ(box.Icon, "stop");
    EXPECT_TRUE(velk::test::FolderEntries(temp_).empty());
}

TEST_F(PackageRunTest, TheShippedProgramRefusesDamagedPackagesWithTheirBoxes) {
    MakeSource();
    const std::string good = ReadBytes(Build("Sample.exe", VELK_SETUP_EXE));
    ASSERT_EQ(good.substr(good.size() - 6), "VKPEND");
    std::string lowerMarker = good;
    lowerMarker.replace(good.size() - 6, 6, "vkpend");
    std::string wrongSize = good;
    wrongSize[good.size() - 18] ^= 1; // PackageSize
    for (const std::string& bytes : {lowerMarker, wrongSize}) {
        Put("Bad.exe", bytes);
        const TDialogSeen box = RunAnswering(Path("Bad.exe"), "Invalid package");
        ASSERT_TRUE(box.Found);
        EXPECT_EQ(box.Text, "Invalid package size!\r\rPackage \"" + Path("Bad.exe") +
                                "\" has been corrupted, installation impossible.");
        EXPECT_TRUE(velk::test::FolderEntries(temp_).empty());
    }

    // an entry renamed to climb out of the package folder
    std::string unsafe = good;
    const size_t note = unsafe.find("presetup\\ab\\note.txt");
    ASSERT_NE(note, std::string::npos);
    unsafe.replace(note, 11, "..\\..\\..\\..");
    Put("Bad.exe", unsafe);
    TDialogWatcher preparation("Error", IDOK, 30000);
    const TDialogSeen box = RunAnswering(Path("Bad.exe"), "Invalid package");
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Text.find("Package \"Bad\" holds the file name \"..\\..\\..\\..\\note.txt\""), 0u)
        << box.Text;
    EXPECT_EQ(preparation.Result().Text, "Can't prepare main package!");
    EXPECT_TRUE(velk::test::FolderEntries(temp_).empty());
    EXPECT_FALSE(velk::FileExists(temp_ + "note.txt"));

    // main.pdb dated a day off: deciphered under the wrong key it is no XML
    std::string redated = good;
    // (the program itself holds the name too: look in the cabinet's file entries)
    const size_t cabinet = redated.find(std::string("MSCF\0\0\0\0", 8));
    ASSERT_NE(cabinet, std::string::npos);
    const size_t mainPdb = redated.find(std::string("main.pdb\0", 9), cabinet);
    ASSERT_NE(mainPdb, std::string::npos);
    redated[mainPdb - 6] = char(redated[mainPdb - 6] + 1); // the entry's date word
    Put("Bad.exe", redated);
    const TDialogSeen parseError = RunAnswering(Path("Bad.exe"), "Error");
    ASSERT_TRUE(parseError.Found);
    EXPECT_EQ(parseError.Text.find("The install database \""), 0u) << parseError.Text;
    EXPECT_NE(parseError.Text.find("\\Bad\\main.pdb\" is missing or cannot be deciphered."),
              std::string::npos)
        << parseError.Text;
    EXPECT_TRUE(velk::test::FolderEntries(temp_).empty());
}

} // namespace
