// Runs velkpack decipher on databases extracted from built packages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tools/PackageTestSupport.h"

namespace {

using velk_test::TVelkpackResult;

class VelkpackDecipherTest : public velk_test::TPackageTest {
protected:
    void SetUp() override {
        TPackageTest::SetUp();
        // Fourteen hours ahead of UTC: early in the local day it is still yesterday in UTC.
        const char* zone = std::getenv("TZ");
        savedZone_ = zone != nullptr ? zone : "";
        hadZone_ = zone != nullptr;
        setenv("TZ", "VKT-14", 1);
        MakeSource(true);
        ASSERT_EQ(Build("setup.exe", true).exitCode, 0);
        ASSERT_EQ(Run("extract '" + Path("setup.exe") + "' '" + Path("out") + "'").exitCode, 0);
    }
    void TearDown() override {
        if (hadZone_)
            setenv("TZ", savedZone_.c_str(), 1);
        else
            unsetenv("TZ");
        TPackageTest::TearDown();
    }
    TVelkpackResult Decipher(const std::string& args) { return Run("decipher " + args); }

    std::string savedZone_;
    bool hadZone_ = false;
};

TEST_F(VelkpackDecipherTest, TheDateOptionGivesTheAuthorsText) {
    TVelkpackResult r = Decipher("--date 2024-05-01 '" + Path("out/main.pdb") + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, kMainXml);
    EXPECT_EQ(r.err, "");
}

TEST_F(VelkpackDecipherTest, WithoutADateTheFilesLocalLastWriteDayIsTaken) {
    const std::string file = "'" + Path("out/main.pdb") + "'";
    TVelkpackResult extracted = Decipher(file);
    EXPECT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_EQ(extracted.out, kMainXml);

    // 02:00 local time on the package date is the day before in UTC
    ASSERT_EQ(Shell("touch -d '2024-05-01 02:00' out/main.pdb"), 0);
    EXPECT_EQ(Decipher(file).out, kMainXml);
    ASSERT_EQ(Shell("touch -d '2024-05-01 23:59' out/main.pdb"), 0);
    EXPECT_EQ(Decipher(file).out, kMainXml);

    ASSERT_EQ(Shell("touch -d '2024-05-02 00:01' out/main.pdb"), 0);
    TVelkpackResult nextDay = Decipher(file);
    EXPECT_EQ(nextDay.exitCode, 1);
    EXPECT_NE(nextDay.out, kMainXml);
    EXPECT_NE(nextDay.err.find("main.pdb: the text setup.exe would read does not parse as XML ("),
              std::string::npos)
        << nextDay.err;
    EXPECT_NE(nextDay.err.find("is the date right? Day 45414 was used."), std::string::npos)
        << nextDay.err;
}

TEST_F(VelkpackDecipherTest, ShowKeyPrintsTheKeyTextAndTheKey) {
    const std::string file = "'" + Path("out/db.pdb") + "'";
    TVelkpackResult dated = Decipher("--show-key --date 2024-05-01 " + file);
    EXPECT_EQ(dated.exitCode, 0) << dated.err;
    // the fixed ten-character prefix and the day serial; then 32 bytes in hexadecimal
    const std::string serial = std::to_string(velk_test::kPackageDaySerial);
    const std::string& err = dated.err;
    ASSERT_EQ(err.size(), 10 + 10 + serial.size() + 1 + 5 + 64 + 1) << err;
    EXPECT_EQ(err.substr(0, 10), "key text: ");
    EXPECT_EQ(err.substr(20, serial.size() + 6), serial + "\nkey: ");
    EXPECT_EQ(err.find_first_not_of("0123456789abcdef", 26 + serial.size()), err.size() - 1);
    EXPECT_EQ(err.back(), '\n');
    // the file's own date gives the same key; another day another one
    EXPECT_EQ(Decipher("--show-key " + file).err, dated.err);
    TVelkpackResult other = Decipher("--show-key --date 2024-05-02 " + file);
    EXPECT_EQ(other.err.substr(0, 11), dated.err.substr(0, 11));
    EXPECT_NE(other.err.substr(other.err.find("key: ")), dated.err.substr(dated.err.find("key: ")));
    EXPECT_EQ(Decipher("--date 2024-05-01 " + file).out, dated.out);
}

TEST_F(VelkpackDecipherTest, EmptyAndUnreadableFiles) {
    TVelkpackResult empty = Decipher("'" + Put("empty.pdb", "") + "'");
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("(the file is empty)"), std::string::npos) << empty.err;
    EXPECT_EQ(Decipher("'" + Path("missing.pdb") + "'").exitCode, 2);
    EXPECT_EQ(Decipher("--date 2024-13-01 '" + Path("out/db.pdb") + "'").exitCode, 2);
    EXPECT_EQ(Decipher("--date '" + Path("out/db.pdb") + "'").exitCode, 2);
}

} // namespace
