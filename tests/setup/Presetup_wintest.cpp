// Locating, checking, preparing and loading packages on the real system: package files built
// here by hand and by velkpack.exe, extracted through the shipped unpack.dll, failure boxes read
// with the dialog watcher.
#include <gtest/gtest.h>

#include <string>

#include "database/VKVariables.h"
#include "database/epXMLParser.h"
#include "harness/DialogWatcher.h"
#include "harness/TestBitmap.h"
#include "harness/WinPackageTest.h"
#include "platform/DbCipher.h"
#include "platform/epFileUtils.h"
#include "setup/PackageTrailer.h"
#include "setup/Presetup.h"
#include "unpack/Unpacker.h"

namespace {

using velk::TvkMainDatabase;
using velk::TvkPackage;
using velk::test::ReadBytes;
using velk::test::TDialogSeen;
using velk::test::TDialogWatcher;

constexpr DWORD kBoxTimeout = 20000;

std::string Trailer(uint32_t packageSize, uint32_t presetup, uint32_t files) {
    uint8_t bytes[velk::PackageTrailerSize];
    velk::EncodePackageTrailer({packageSize, presetup, files}, bytes);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

// Sets the file's last-write time to noon, local time, of the day.
void SetLocalDate(const std::string& path, WORD year, WORD month, WORD day) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = 12;
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&time, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
}

class PresetupTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        run_.WorkFolder = Path("work\\");
        CreateDirectoryA(run_.WorkFolder.c_str(), nullptr);
        run_.Silent = true;
        velk::GetPackageFolder = nullptr;
        package_ = db_.Packages->AddNew();
    }
    void TearDown() override {
        velk::GetPackageFolder = nullptr;
        TWinPackageTest::TearDown();
    }

    // Locates the package file, answering the box that may come up.
    bool Locate(const std::string& file, TDialogSeen* box = nullptr,
                const std::string& caption = "Invalid package") {
        package_->FilePath = file;
        TDialogWatcher watcher(caption, IDOK, box ? kBoxTimeout : 500);
        const bool located = velk::LocatePackage(*package_, run_);
        if (box)
            *box = watcher.Result();
        return located;
    }

    // A package source with setup-time files in folders, a product file and both databases.
    void MakeSource() {
        Put("src\\main.xml", "<main><variables><var name=\"AppName\" value=\"Sample  App\"/>"
                             "</variables></main>");
        Put("src\\db.xml", "<package><components><component id=\"core\" name=\"Core\"/>"
                           "</components></package>");
        Put("src\\splash.bmp", velk::test::BitmapFile(8, 8, 24, 0, -1, 40, 0, '\x11') +
                                   velk::test::SplashSettings(0, -1, 100));
        Put("src\\lng\\Enu.lng", "[Strings]\r\nLanguageName=English\r\n");
        Put("src\\presetup\\ab\\note.txt", "for the dialogs\r\n");
        Put("src\\files\\core\\app.txt", "product file\r\n");
        Put("stub.exe", "MZ" + std::string(2000, '\0'));
    }
    std::string Build(const std::string& output) {
        velk::test::TProcessResult result;
        Start("\"" VELKPACK_EXE "\" build \"" + Path("src") + "\" -o \"" + Path(output) +
                  "\" --stub \"" + Path("stub.exe") + "\" --date 2024-05-01",
              &result);
        EXPECT_EQ(result.exitCode, 0u) << result.err;
        return Path(output);
    }
    // A package whose entry "presetup\\ab\\note.txt" was renamed to climb out of the package
    // folder, and the unpack library in the work folder to extract it with.
    void MakeUnsafePackage(const std::string& name) {
        MakeSource();
        std::string bytes = ReadBytes(Build("setup.exe"));
        const size_t at = bytes.find("presetup\\ab\\note.txt");
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, 11, "..\\..\\..\\..");
        Put(name, bytes);
        CopyUnpackLibrary();
    }
    void CopyUnpackLibrary() {
        ASSERT_TRUE(CopyFileA(VELK_UNPACK_DLL, (run_.WorkFolder + "unpack.dll").c_str(), FALSE));
    }

    TvkMainDatabase db_{nullptr};
    TvkPackage* package_ = nullptr;
    velk::TPresetupRun run_;
};

TEST_F(PresetupTest, ASoundPackageIsLocatedWithItsSizesAndFolder) {
    const std::string body = "MZ image" + std::string(100, 'x') + "MSCF";
    Put("pkg\\Extra.vkp", body + Trailer(uint32_t(body.size() + 18), 1234, 5678));
    ASSERT_TRUE(Locate(Path("pkg\\Extra.vkp")));
    EXPECT_EQ(package_->FilePath, Path("pkg\\Extra.vkp"));
    EXPECT_EQ(package_->FileName, "Extra");
    EXPECT_EQ(package_->Folder, run_.WorkFolder + "Extra\\");
    EXPECT_EQ(package_->PresetupSize, 1234u);
    EXPECT_EQ(package_->FilesSize, 5678u);
}

TEST_F(PresetupTest, BytesAppendedAfterTheTrailerAreCountedNotRefused) {
    const std::string body = "MZ image" + std::string(100, 'x');
    Put("signed.exe", body + Trailer(uint32_t(body.size() + 18), 1, 2) + std::string(5000, 's'));
    EXPECT_TRUE(Locate(Path("signed.exe")));
}

TEST_F(PresetupTest, ADamagedPackageIsRefusedWithTheSizeBox) {
    const std::string body = "MZ image" + std::string(100, 'x');
    const std::string good = Trailer(uint32_t(body.size() + 18), 1, 2);
    std::string lowerMarker = good;
    lowerMarker.replace(12, 6, "vkpend");
    struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"size one short", body + Trailer(uint32_t(body.size() + 17), 1, 2)},
        {"lower-case marker", body + lowerMarker},
        {"shorter than a trailer", "VKPEND"},
        {"no marker at all", body},
        {"empty file", ""},
    };
    for (const auto& c : cases) {
        Put("bad.exe", c.bytes);
        TDialogSeen box;
        EXPECT_FALSE(Locate(Path("bad.exe"), &box)) << c.what;
        ASSERT_TRUE(box.Found) << c.what;
        EXPECT_EQ(box.Text, "Invalid package size!\r\rPackage \"" + Path("bad.exe") +
                                "\" has been corrupted, installation impossible.")
            << c.what;
        EXPECT_EQ(box.Icon, "stop") << c.what;
        EXPECT_TRUE(package_->Folder.empty()) << c.what;
    }
}

TEST_F(PresetupTest, AMissingPackageIsLookedForWhereThePlugInsSayThenReported) {
    TDialogSeen box;
    EXPECT_FALSE(Locate(Path("nowhere\\Data.vkp"), &box, "File not found"));
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Text, "File \"Data.vkp\" was not found on your computer. Setup is unable to "
                        "proceed.\rIf this problem persists contact the software vendor.");

    const std::string body = "data";
    Put("disk2\\Data.vkp", body + Trailer(uint32_t(body.size() + 18), 0, 0));
    static std::string offered;
    static int asked = 0;
    offered = Path("disk2"); // no trailing backslash: it is added
    asked = 0;
    velk::GetPackageFolder = [](const std::string& name, std::string& folder) {
        ++asked;
        EXPECT_EQ(name, "Data.vkp");
        folder = offered;
        return true;
    };
    ASSERT_TRUE(Locate(Path("nowhere\\Data.vkp")));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(package_->FilePath, Path("disk2\\Data.vkp"));
}

TEST_F(PresetupTest, DatabaseFilesAreDecipheredUnderTheKeyOfTheirDate) {
    const std::string xml = "<package><variables><var name=\"A\" value=\"1\"/></variables>"
                            "</package>";
    int32_t serial = 0;
    ASSERT_TRUE(velk::DateToDaySerial(2031, 12, 31, serial));
    Put("db.pdb", velk::EncipherBytes(xml, serial));
    SetLocalDate(Path("db.pdb"), 2031, 12, 31);
    EXPECT_EQ(velk::DecipherFile(Path("db.pdb")), xml);
    // a day later the key differs
    SetLocalDate(Path("db.pdb"), 2032, 1, 1);
    EXPECT_NE(velk::DecipherFile(Path("db.pdb")), xml);

    EXPECT_EQ(velk::DecipherFile(Path("missing.pdb")), "");
    Put("empty.pdb", "");
    EXPECT_EQ(velk::DecipherFile(Path("empty.pdb")), "");
}

TEST_F(PresetupTest, PreparationExtractsTheSetupTimeFilesAndLoadingReadsTheDatabase) {
    MakeSource();
    const std::string file = Build("setup.exe");
    CopyUnpackLibrary();
    ASSERT_TRUE(Locate(file));
    ASSERT_TRUE(velk::PreparePackages(*db_.Packages, run_));
    EXPECT_TRUE(package_->Prepared);
    const std::string folder = run_.WorkFolder + "setup\\";
    for (const char* name :
         {"splash.bmp", "db.pdb", "main.pdb", "lng\\Enu.lng", "presetup\\ab\\note.txt"})
        EXPECT_TRUE(velk::FileExists(folder + name)) << name;
    EXPECT_EQ(ReadBytes(folder + "lng\\Enu.lng"), ReadBytes(Path("src\\lng\\Enu.lng")));
    EXPECT_FALSE(velk::PathExists(folder + "files")) << "product files stay in the package";

    // a prepared package is not extracted again
    ASSERT_TRUE(DeleteFileA((folder + "splash.bmp").c_str()));
    ASSERT_TRUE(velk::PreparePackages(*db_.Packages, run_));
    EXPECT_FALSE(velk::FileExists(folder + "splash.bmp"));

    velk::LoadPackageDatabase(*package_);
    ASSERT_EQ(package_->Components->Count(), 1);
    EXPECT_EQ(package_->Components->Items(0)->Name, "Core");
    EXPECT_EQ(velk::GetVariable(package_, "Presetup", ""), folder + "presetup");
    // the package's own: the main database's list is cleared when the main database loads
    EXPECT_EQ(db_.Variables->FindParam("Presetup"), nullptr);
    EXPECT_NE(package_->FileInfos->FindFileInfo("core\\app.txt"), nullptr);
}

TEST_F(PresetupTest, TheMainPackageBringsBothDatabasesAndTheRuntimeVariables) {
    MakeSource();
    Put("src\\main.xml", "<main><variables><var name=\"AppName\" value=\"Sample  App\"/>"
                         "</variables><packages><package filename=\"Extra\"/></packages></main>");
    CreateDirectoryA(Path("pkg").c_str(), nullptr);
    const std::string file = Build("pkg\\Sample.exe");
    CopyUnpackLibrary();
    velk::XMLParserOptions.KeepValueSpaces = true;
    db_.Packages->Clear();
    velk::TvkRunInfo info;
    info.SourceFolder = Path("pkg\\");
    info.Arguments = {"/S", "two words"};
    // a variable the main database's loading replaces
    velk::SetVariable(&db_, "Stale", "1");

    ASSERT_TRUE(velk::LoadMainPackage(db_, file, run_, info));
    EXPECT_EQ(velk::GetVariable(&db_, "AppName", ""), "Sample  App");
    EXPECT_FALSE(db_.Variables->FindParam("AppName")->Predefined);
    EXPECT_EQ(db_.Variables->FindParam("Stale"), nullptr);
    ASSERT_NE(db_.Variables->FindParam("SourcePath"), nullptr);
    EXPECT_TRUE(db_.Variables->FindParam("SourcePath")->Predefined)
        << "set again after the main database was read";
    EXPECT_EQ(velk::GetVariable(&db_, "SourcePath", ""), Path("pkg"));
    EXPECT_EQ(velk::GetVariable(&db_, "ParamStr", ""), "/S \"two words\"");
    ASSERT_EQ(db_.Packages->Count(), 2) << "the main package stays first, the database's follow";
    TvkPackage& main = *db_.Packages->Items(0);
    EXPECT_EQ(main.FileName, "Sample");
    EXPECT_TRUE(main.Needed);
    EXPECT_TRUE(main.Prepared);
    EXPECT_EQ(db_.Packages->Items(1)->FileName, "Extra");
    ASSERT_EQ(main.Components->Count(), 1);
    EXPECT_EQ(main.Components->Items(0)->ID(), "core");
    EXPECT_EQ(velk::GetVariable(&main, "Presetup", ""), run_.WorkFolder + "Sample\\presetup");
}

TEST_F(PresetupTest, AMainPackageThatCannotBePreparedSaysSo) {
    MakeUnsafePackage("Bad.exe");
    db_.Packages->Clear();
    TDialogWatcher packageBox("Invalid package", IDOK, kBoxTimeout);
    TDialogWatcher preparationBox("Error", IDOK, kBoxTimeout);
    EXPECT_FALSE(velk::LoadMainPackage(db_, Path("Bad.exe"), run_, velk::TvkRunInfo()));
    EXPECT_TRUE(packageBox.Result().Found);
    EXPECT_EQ(preparationBox.Result().Text, "Can't prepare main package!");
}

TEST_F(PresetupTest, AnEntryNameLeavingThePackageFolderFailsThePreparation) {
    MakeUnsafePackage("bad.exe");
    ASSERT_TRUE(Locate(Path("bad.exe")));

    TDialogWatcher watcher("Invalid package", IDOK, kBoxTimeout);
    EXPECT_FALSE(velk::PreparePackages(*db_.Packages, run_));
    const TDialogSeen& box = watcher.Result();
    ASSERT_TRUE(box.Found);
    EXPECT_NE(box.Text.find("Package \"bad\" holds the file name \"..\\..\\..\\..\\note.txt\""),
              std::string::npos)
        << box.Text;
    EXPECT_FALSE(package_->Prepared);
    // nothing was written above the package folder, up to the root of the test's folder
    for (const std::string& place :
         {run_.WorkFolder, Path(""), Path("work\\bad\\"), Path("..\\"), Path("..\\..\\")})
        EXPECT_FALSE(velk::FileExists(place + "note.txt")) << place;
}

TEST_F(PresetupTest, ADatabaseThatIsNoXmlIsAnErrorNotAnEmptyDatabase) {
    package_->Folder = Path("pkg\\");
    for (const std::string& content : {std::string(), std::string("not XML at all")}) {
        int32_t serial = 0;
        ASSERT_TRUE(velk::DateToDaySerial(2024, 5, 1, serial));
        velk::DeleteFileForced(Path("pkg\\db.pdb"));
        if (!content.empty()) {
            Put("pkg\\db.pdb", velk::EncipherBytes(content, serial));
            SetLocalDate(Path("pkg\\db.pdb"), 2024, 5, 1);
        }
        try {
            velk::LoadPackageDatabase(*package_);
            ADD_FAILURE() << "loaded: " << content;
        } catch (const velk::Exception& e) {
            EXPECT_EQ(std::string(e.what()), "The install database \"" + Path("pkg\\db.pdb") +
                                                 "\" is missing or cannot be deciphered.");
        }
    }
}

TEST_F(PresetupTest, TooLittleFreeSpaceStopsBeforeAnythingIsExtracted) {
    // the preparation total is the sum over the packages: far beyond any disk
    package_->PresetupSize = 0xFFFFFFFFu;
    package_->Folder = run_.WorkFolder + "huge\\";
    for (int i = 0; i < 300; ++i) {
        TvkPackage* more = db_.Packages->AddNew();
        more->PresetupSize = 0xFFFFFFFFu;
        more->Folder = package_->Folder;
    }
    TDialogWatcher watcher("Error", IDOK, kBoxTimeout);
    EXPECT_FALSE(velk::PreparePackages(*db_.Packages, run_));
    const TDialogSeen& box = watcher.Result();
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Text, "Insufficient free disk space!");
    EXPECT_FALSE(velk::PathExists(package_->Folder));
}

TEST_F(PresetupTest, AMissingUnpackLibraryIsAnException) {
    MakeSource();
    ASSERT_TRUE(Locate(Build("setup.exe")));
    try {
        velk::PreparePackages(*db_.Packages, run_);
        FAIL() << "no exception";
    } catch (const velk::EUnpackLibrary& e) {
        EXPECT_STREQ(e.what(), "Can't load unpack library");
    }
}

} // namespace
