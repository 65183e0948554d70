// Runs velkpack extract on built packages, on damaged ones and on ones with unsafe entry names.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "tools/PackageTestSupport.h"

namespace {

using velk_test::TVelkpackResult;

// The package date at noon, local time.
std::time_t PackageNoon() {
    std::tm noon{};
    noon.tm_year = 2024 - 1900;
    noon.tm_mon = 4;
    noon.tm_mday = 1;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    return std::mktime(&noon);
}

class VelkpackExtractTest : public velk_test::TPackageTest {
protected:
    TVelkpackResult Extract(const std::string& package, const std::string& folder) {
        return Run("extract '" + Path(package) + "' '" + Path(folder) + "'");
    }
    std::time_t ModifiedTime(const std::string& relative) {
        struct stat st {};
        EXPECT_EQ(stat(Path(relative).c_str(), &st), 0) << relative;
        return st.st_mtime;
    }
    size_t FileCount(const std::string& folder) {
        size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Path(folder)))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }
};

TEST_F(VelkpackExtractTest, ExtractsEveryEntryWithTheCabinetsDateAsLocalTime) {
    MakeSource(true);
    ASSERT_EQ(Build("setup.exe", true).exitCode, 0);
    TVelkpackResult r = Extract("setup.exe", "out/new");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const size_t count = ExpectedOrder(true).size();
    EXPECT_EQ(r.out.rfind(Path("out/new") + ": " + std::to_string(count) + " files, ", 0), 0u)
        << r.out;
    EXPECT_EQ(FileCount("out/new"), count);
    for (const std::string& entry : ExpectedOrder(true)) {
        std::string extracted = "out/new/" + entry;
        for (char& c : extracted)
            c = c == '\\' ? '/' : c;
        ASSERT_TRUE(Exists(extracted)) << entry;
        EXPECT_EQ(ModifiedTime(extracted), PackageNoon()) << entry;
        if (entry != "main.pdb" && entry != "db.pdb") {
            EXPECT_EQ(Get(extracted), Get(SourceOf(entry))) << entry;
        }
    }
}

TEST_F(VelkpackExtractTest, ReplacesExistingFiles) {
    MakeSource(false);
    ASSERT_EQ(Build("p.vkp", false).exitCode, 0);
    Put("out/files/docs/manual.txt", "an older manual, longer than the new one");
    ASSERT_EQ(Extract("p.vkp", "out").exitCode, 0);
    EXPECT_EQ(Get("out/files/docs/manual.txt"), Get("src/files/docs/manual.txt"));
}

// Names patched into a built package in place of "files\c\AAAAAAAA.txt" (same length; the
// cabinet's checksums cover only the data).
TEST_F(VelkpackExtractTest, RefusesNamesThatLeaveTheFolderBeforeWritingAnything) {
    Put("src/db.xml", "<package/>");
    Put("src/files/c/AAAAAAAA.txt", "x");
    ASSERT_EQ(Build("p.vkp", false).exitCode, 0);
    const std::string package = Get("p.vkp");
    const size_t at = package.find("files\\c\\AAAAAAAA.txt");
    ASSERT_NE(at, std::string::npos);
    const struct {
        const char* Name;
        const char* Reason;
    } cases[] = {
        {"..\\..\\..\\..\\evil.txt", "the name has a \"..\" part"},
        {"files/../../evil.txt", "the name has a \"..\" part"},
        {"files\\c\\.. \\evil.txt", "the name has a \"..\" part"},
        {"C:\\temp\\AAAAAAAA.txt", "the name holds a drive or stream colon"},
        {"\\files\\c\\AAAAAAA.txt", "the name begins at the root"},
        {"/tmp/xx/AAAAAAAA.txt", "the name begins at the root"},
        {"files\\c\\\\AAAAAAA.txt", "the name has an empty folder name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(std::string(c.Name).size(), 20u);
        std::string patched = package;
        patched.replace(at, 20, c.Name);
        Put("bad.vkp", patched);
        std::filesystem::remove_all(Path("deep"));
        std::filesystem::create_directories(Path("deep/er/still"));
        TVelkpackResult r = Extract("bad.vkp", "deep/er/still/out");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("refused, nothing extracted: entry \"" + std::string(c.Name) +
                             "\": " + c.Reason),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(Exists("deep/er/still/out"));
        EXPECT_EQ(FileCount("deep"), 0u);
        EXPECT_FALSE(Exists("evil.txt"));
    }
}

TEST_F(VelkpackExtractTest, DamagedDataFailsAndLeavesNoPartialFile) {
    Put("src/db.xml", "<package/>");
    Put("src/files/c/big.bin", velk_test::RandomBytes(200000, 9));
    ASSERT_EQ(Build("p.vkp", false, "--compress none").exitCode, 0);
    std::string package = Get("p.vkp");
    package[package.size() / 2] ^= 0x55;
    Put("bad.vkp", package);
    TVelkpackResult r = Extract("bad.vkp", "out");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot extract \"files\\c\\big.bin\": a data block fails its checksum"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(Exists("out/db.pdb"));
    EXPECT_FALSE(Exists("out/files/c/big.bin"));
}

TEST_F(VelkpackExtractTest, CommandLineMistakes) {
    EXPECT_EQ(Run("extract '" + Path("none.vkp") + "' '" + Path("out") + "'").exitCode, 2);
    EXPECT_EQ(Run("extract '" + Path("none.vkp") + "'").exitCode, 2);
    Put("plain.bin", std::string(1000, 'x'));
    TVelkpackResult r = Extract("plain.bin", "out");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no cabinet"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out"));
}

} // namespace
