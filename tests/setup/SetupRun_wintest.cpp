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
    static void SetTemp(const std::string& folder) {
        SetEnvironmentVariableA("TMP", folder.c_str());
        SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    // Names of the entries of a folder, "." and ".." left out.
    static std::vector<std::string> Entries(const std::string& folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return names;
    }

    std::string savedTmp_, base_, temp_;
};

// Records what the work folders looked like while the run was in its body, and leaves behind
// what an extraction would: nested folders and read-only files.
class ProbeRun : public TSetupRun {
public:
    using TSetupRun::TSetupRun;
    bool workExisted = false, scratchExisted = false;

protected:
    void Body() override {
        StartRuntime();
        ReadSettings();
        workExisted = velk::DirectoryExists(state_.WorkFolder);
        scratchExisted = velk::DirectoryExists(state_.ScratchFolder);
        CreateDirectoryA((state_.WorkFolder + "pkg").c_str(), nullptr);
        CreateDirectoryA((state_.WorkFolder + "pkg\\lng").c_str(), nullptr);
        WriteReadOnlyFiles(state_.WorkFolder);
    }
    static void WriteReadOnlyFiles(const std::string& work) {
        for (const char* name : {"unpack.dll", "pkg\\db.pdb", "pkg\\lng\\english.lng"}) {
            std::string path = work + name;
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(h);
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        }
    }
};

TEST_F(TempFolderTest, WorkAndScratchFoldersAreCreatedWithParentsAndRemovedWithEverything) {
    TRunState state;
    ProbeRun run(state);
    run.Run();

    EXPECT_TRUE(run.workExisted);
    EXPECT_TRUE(run.scratchExisted);
    // The work folder is a unique 8-character name in the temporary folder, the scratch folder
    // one inside it; both are held with a trailing backslash.
    ASSERT_EQ(state.WorkFolder.size(), temp_.size() + 9);
    EXPECT_EQ(state.WorkFolder.compare(0, temp_.size(), temp_), 0);
    EXPECT_EQ(state.WorkFolder.back(), '\\');
    ASSERT_EQ(state.ScratchFolder.size(), state.WorkFolder.size() + 9);
    EXPECT_EQ(state.ScratchFolder.compare(0, state.WorkFolder.size(), state.WorkFolder), 0);

    EXPECT_TRUE(velk::DirectoryExists(temp_)) << "the temporary folder itself stays";
    EXPECT_TRUE(Entries(temp_).empty()) << "read-only files and folders are all gone";
}

// A body that changes an INI file through the cache, the way the install actions do.
class IniRun : public TSetupRun {
public:
    IniRun(TRunState& state, std::string iniFile)
        : TSetupRun(state), iniFile_(std::move(iniFile)) {}
    bool quotesStrippedInBody = true;

protected:
    void Body() override {
        StartRuntime();
        ASSERT_TRUE(ExtractUnpackLibrary());
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
        ExtractUnpackLibrary();
        throw velk::Exception("Invalid character in the tag name. Line 1, position 2.");
    }
};

TEST_F(TempFolderTest, AnExceptionIsShownInAPlainErrorBoxBeforeTheWorkFolderGoes) {
    TRunState state;
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
    EXPECT_TRUE(workExistedWhileShown) << "the box comes before the work folder is deleted";
    EXPECT_FALSE(velk::DirectoryExists(state.WorkFolder));
    EXPECT_TRUE(Entries(temp_).empty());
}

// What the body left behind before the clean-up: the unpack library and the current folder.
class StartRun : public TSetupRun {
public:
    using TSetupRun::TSetupRun;
    std::string library, currentFolder;

protected:
    void Body() override {
        TSetupRun::Body();
        library = ReadBytes(state_.WorkFolder + "unpack.dll");
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        currentFolder = folder;
    }
};

TEST_F(TempFolderTest, TheUnpackLibraryIsWrittenAndTheProgramsFolderIsCurrentUntilTheCleanUp) {
    CreateDirectoryA(Path("pkg").c_str(), nullptr);
    TRunState state;
    state.SetupPath = Path("pkg\\Sample.exe");
    StartRun run(state);
    run.Run();

    EXPECT_EQ(run.library, ReadBytes(VELK_UNPACK_DLL));
    EXPECT_EQ(run.currentFolder, Path("pkg"));
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    EXPECT_NE(std::string(folder), Path("pkg")) << "the current folder is restored";
    EXPECT_TRUE(Entries(temp_).empty());
}

// Runs the shipped program as a package of the sample's shape, as a user would.
TEST_F(TempFolderTest, TheShippedProgramExitsWithZeroAndLeavesNothingBehind) {
    Put("src\\main.xml",
        "<main><variables><var name=\"AppName\" value=\"App\"/></variables></main>");
    Put("src\\db.xml", "<package><components><component id=\"core\"/></components></package>");
    Put("src\\files\\core\\app.txt", "product file\r\n");
    velk::test::TProcessResult built;
    Start("\"" VELKPACK_EXE "\" build \"" + Path("src") + "\" -o \"" + Path("Sample.exe") +
              "\" --stub \"" VELK_SETUP_EXE "\" --date 2024-05-01",
          &built);
    ASSERT_EQ(built.exitCode, 0u) << built.err;
    for (const char* arguments : {"", "/S", "-s extra \"two words\""}) {
        EXPECT_EQ(Start("\"" + Path("Sample.exe") + "\" " + arguments, nullptr), 0u) << arguments;
        EXPECT_TRUE(Entries(temp_).empty()) << arguments;
    }
}

} // namespace
