// velkpack.exe under Wine: builds a package, then lists, extracts and deciphers it through the
// system's cabinet library, and refuses an entry name that would leave the target folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/TestBitmap.h"
#include "harness/WinPackageTest.h"

namespace {

using velk::test::ReadBytes;
using velk::test::Text;
using TResult = velk::test::TProcessResult;

class VelkpackPackageTest : public velk::test::TWinPackageTest {
protected:
    TResult Velkpack(const std::string& args) {
        TResult result;
        Start("\"" VELKPACK_EXE "\" " + args, &result);
        return result;
    }
    // A main package source with a setup-time file, a database and two product files.
    void MakeSource() {
        Put("src\\main.xml", kMainXml);
        Put("src\\db.xml", "<package><components><component id=\"c\"><files>"
                           "<file src=\"*.*\" dst=\"%InstallDir%\\\"/></files></component>"
                           "</components></package>");
        Put("src\\splash.bmp", velk::test::BitmapFile(9, 9, 24, 0, -1, 40, 0, '\x11') +
                                   velk::test::SplashSettings(0, -1, 100));
        Put("src\\files\\c\\AAAAAAAA.txt", "product file\r\n");
        Put("src\\files\\c\\sub\\data.bin", std::string(70000, '\x42'));
        Put("stub.exe", "MZ" + std::string(2000, '\0'));
    }
    TResult Build() {
        return Velkpack("build \"" + Path("src") + "\" -o \"" + Path("setup.exe") + "\" --stub \"" +
                        Path("stub.exe") + "\" --date 2024-05-01");
    }

    static constexpr char kMainXml[] = "<main><variables><var name=\"AppName\" value=\"W\"/>"
                                       "</variables></main>";
};

TEST_F(VelkpackPackageTest, BuildsListsExtractsAndDeciphersThroughTheSystemsCabinetLibrary) {
    MakeSource();
    TResult built = Build();
    ASSERT_EQ(built.exitCode, 0u) << built.err;

    TResult listed = Velkpack("list \"" + Path("setup.exe") + "\"");
    EXPECT_EQ(listed.exitCode, 0u) << listed.err;
    listed.out = Text(listed.out);
    const std::vector<std::string> order = {"splash.bmp", "main.pdb", "db.pdb",
                                            "files\\c\\AAAAAAAA.txt", "files\\c\\sub\\data.bin"};
    size_t at = listed.out.find("cabinet:  at byte 2002, 5 files\n");
    EXPECT_NE(at, std::string::npos) << listed.out;
    for (const std::string& name : order) {
        size_t next = listed.out.find("2024-05-01 12:00:00  ---a-  " + name + "\n", at);
        EXPECT_NE(next, std::string::npos) << name << "\n" << listed.out;
        at = next;
    }

    TResult extracted = Velkpack("extract \"" + Path("setup.exe") + "\" \"" + Path("out") + "\"");
    ASSERT_EQ(extracted.exitCode, 0u) << extracted.err;
    EXPECT_EQ(ReadBytes(Path("out\\files\\c\\sub\\data.bin")),
              ReadBytes(Path("src\\files\\c\\sub\\data.bin")));
    EXPECT_EQ(ReadBytes(Path("out\\splash.bmp")), ReadBytes(Path("src\\splash.bmp")));
    // the cabinet's date, as local time, as unpack.dll sets it
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(Path("out\\db.pdb").c_str(), GetFileExInfoStandard, &data));
    FILETIME local;
    SYSTEMTIME time;
    ASSERT_TRUE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &time));
    EXPECT_EQ(time.wYear * 10000 + time.wMonth * 100 + time.wDay, 20240501);
    EXPECT_EQ(time.wHour, 12);

    // without --date the file's own date gives the key
    TResult mainDb = Velkpack("decipher \"" + Path("out\\main.pdb") + "\"");
    EXPECT_EQ(mainDb.exitCode, 0u) << mainDb.err;
    EXPECT_EQ(mainDb.out, kMainXml);
    TResult packageDb = Velkpack("decipher \"" + Path("out\\db.pdb") + "\"");
    EXPECT_EQ(packageDb.exitCode, 0u) << packageDb.err;
    EXPECT_NE(packageDb.out.find("<fileinfo name=\"c\\AAAAAAAA.txt\" size=\"14\"/>\n"),
              std::string::npos)
        << packageDb.out;
}

// Random bytes, stored as they are, then a random chunk shorter than the window over and over:
// each block of those starts with a match into the block before, which the system's decoder
// must carry over.
TEST_F(VelkpackPackageTest, StoredBlocksAndBlocksThatReachIntoTheOneBeforeExtractByteForByte) {
    MakeSource();
    std::string noise(100000, '\0'), data;
    uint32_t state = 1;
    for (char& c : noise)
        c = char((state = state * 1103515245u + 12345u) >> 24);
    data = noise.substr(0, 80000);
    while (data.size() < 380000)
        data += noise.substr(80000);
    Put("src\\files\\c\\repeat.bin", data);
    ASSERT_EQ(Build().exitCode, 0u);
    TResult one = Velkpack("build \"" + Path("src") + "\" -o \"" + Path("one.exe") +
                           "\" --stub \"" + Path("stub.exe") + "\" --date 2024-05-01 --threads 1");
    ASSERT_EQ(one.exitCode, 0u) << one.err;
    EXPECT_TRUE(ReadBytes(Path("one.exe")) == ReadBytes(Path("setup.exe")));
    EXPECT_LT(ReadBytes(Path("setup.exe")).size(), 110000u) << "the repeats cost next to nothing";

    TResult extracted = Velkpack("extract \"" + Path("setup.exe") + "\" \"" + Path("out") + "\"");
    ASSERT_EQ(extracted.exitCode, 0u) << extracted.err;
    EXPECT_TRUE(ReadBytes(Path("out\\files\\c\\repeat.bin")) == data);
}

TEST_F(VelkpackPackageTest, ExtractRefusesANameThatLeavesTheFolder) {
    MakeSource();
    ASSERT_EQ(Build().exitCode, 0u);
    std::string package = ReadBytes(Path("setup.exe"));
    const size_t at = package.find("files\\c\\AAAAAAAA.txt");
    ASSERT_NE(at, std::string::npos);
    package.replace(at, 20, "..\\..\\..\\..\\evil.txt");
    Put("bad.exe", package);
    TResult r = Velkpack("extract \"" + Path("bad.exe") + "\" \"" + Path("deep\\out") + "\"");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(Text(r.err).find("refused, nothing extracted: entry \"..\\..\\..\\..\\evil.txt\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(GetFileAttributesA(Path("deep").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(Path("evil.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
