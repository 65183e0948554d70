// Runs velkpack list on built, damaged and hand-made packages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/PackageTestSupport.h"

namespace {

using velk_test::TVelkpackResult;

std::string LE32(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[size_t(i)] = char(value >> (8 * i) & 0xFF);
    return bytes;
}

std::string Trailer(uint32_t packageSize, uint32_t presetupSize, uint32_t filesSize) {
    return LE32(packageSize) + LE32(presetupSize) + LE32(filesSize) + "VKPEND";
}

class VelkpackListTest : public velk_test::TPackageTest {
protected:
    // A .vkp of db.pdb and one product file.
    std::string SmallPackage() {
        Put("src/db.xml", "<package/>");
        Put("src/files/c/a.txt", "abc");
        EXPECT_EQ(Build("small.vkp", false).exitCode, 0);
        return Get("small.vkp");
    }
    TVelkpackResult List(const std::string& name) { return Run("list '" + Path(name) + "'"); }
    // Lists a package that must show exactly one problem, and returns it.
    std::string OneProblem(const std::string& name) {
        TVelkpackResult r = List(name);
        EXPECT_EQ(r.exitCode, 1);
        const std::string prefix = "velkpack list: " + Path(name) + ": ";
        EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        return r.err.substr(prefix.size(), r.err.size() - prefix.size() - 1);
    }
};

TEST_F(VelkpackListTest, ShowsTrailerCabinetAndEntriesOfASoundPackage) {
    const std::string package = SmallPackage();
    const uint32_t dbSize = uint32_t(package.size()); // replaced below by cabextract's figure
    std::string cabextract;
    ASSERT_EQ(Shell("cabextract -l small.vkp", &cabextract), 0);
    const size_t at = cabextract.find(" | 01.05.2024 12:00:00 | db.pdb");
    ASSERT_NE(at, std::string::npos) << cabextract;
    const uint32_t pdbSize = uint32_t(std::stoul(cabextract.substr(at - 10, 10)));
    ASSERT_LT(pdbSize, dbSize);

    TVelkpackResult r = List("small.vkp");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "package:  %s, %u bytes\n"
                  "trailer:  PackageSize %u, PresetupSize %u, FilesSize 3\n"
                  "cabinet:  at byte 0, 2 files\n"
                  "%10u  2024-05-01 12:00:00  ---a-  db.pdb\n"
                  "         3  2024-05-01 12:00:00  ---a-  files\\c\\a.txt\n",
                  Path("small.vkp").c_str(), unsigned(package.size()), unsigned(package.size()),
                  unsigned(pdbSize), unsigned(pdbSize));
    EXPECT_EQ(r.out, expected);
}

TEST_F(VelkpackListTest, BytesAppendedAfterTheTrailerAreCounted) {
    Put("signed.vkp", SmallPackage() + std::string(100, '\x5A'));
    TVelkpackResult r = List("signed.vkp");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("FilesSize 3; 100 bytes after it\n"), std::string::npos) << r.out;
}

TEST_F(VelkpackListTest, ReportsWhatSetupWouldRefuse) {
    const std::string package = SmallPackage();
    const uint32_t size = uint32_t(package.size());
    const std::string cabinet = package.substr(0, size - 18);
    const std::string trailer = package.substr(size - 18);

    Put("cut.vkp", package.substr(0, size - 1));
    EXPECT_EQ(OneProblem("cut.vkp"), "no trailer: \"VKPEND\" is not in the last 65536 bytes");

    Put("lower.vkp", cabinet + trailer.substr(0, 12) + "vkpend");
    EXPECT_EQ(OneProblem("lower.vkp"), "no trailer: \"VKPEND\" is not in the last 65536 bytes");

    Put("size.vkp", cabinet + LE32(size + 1) + trailer.substr(4));
    EXPECT_EQ(OneProblem("size.vkp"), "the trailer records a package of " +
                                          std::to_string(size + 1) + " bytes, but the file has " +
                                          std::to_string(size) +
                                          " bytes, 0 of them after the "
                                          "trailer");

    Put("sums.vkp", cabinet + trailer.substr(0, 8) + LE32(4) + "VKPEND");
    const std::string sums = OneProblem("sums.vkp");
    EXPECT_EQ(sums.rfind("the trailer records PresetupSize ", 0), 0u) << sums;
    EXPECT_NE(sums.find(" and FilesSize 4, but the cabinet's files hold "), std::string::npos);
    EXPECT_EQ(sums.substr(sums.size() - 8), " 3 bytes") << sums;

    // a program image that pushes the cabinet past the search limit hides it
    const std::string hidden = std::string(262128, 'x') + cabinet;
    Put("hidden.exe", hidden + Trailer(uint32_t(hidden.size() + 18), 0, 0));
    EXPECT_EQ(OneProblem("hidden.exe"), "no cabinet: \"MSCF\" and four zero bytes do not begin "
                                        "within the first 262128 bytes");

    // a cabinet whose header claims no folder
    std::string damaged = package;
    damaged[26] = 0;
    damaged[27] = 0;
    Put("damaged.vkp", damaged);
    TVelkpackResult r = List("damaged.vkp");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("damaged.vkp: the cabinet cannot be read: "), std::string::npos) << r.err;
}

TEST_F(VelkpackListTest, ReadsCabinetsOfAnotherWriterAndChecksTheirOrder) {
    Put("tree/db.pdb", "enciphered database");
    Put("tree/files/c/a.txt", "abcd");
    Put("tree/lng/Enu.lng", "[Strings]\r\n");
    // gcab stores the files in the order given: here a setup-time file after a product file
    ASSERT_EQ(Shell("cd tree && gcab -c ../wrong.cab db.pdb files/c/a.txt lng/Enu.lng"), 0);
    const std::string cabinet = Get("wrong.cab");
    const std::string stub = "MZ" + std::string(998, '\0');
    const uint32_t size = uint32_t(stub.size() + cabinet.size() + 18);
    Put("wrong.exe", stub + cabinet + Trailer(size, 19 + 11, 4));
    TVelkpackResult r = List("wrong.exe");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("cabinet:  at byte 1000, 3 files\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("        19  "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  lng\\Enu.lng\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "velkpack list: " + Path("wrong.exe") +
                         ": \"lng\\Enu.lng\" comes after the product files (\"files\\c\\a.txt\"), "
                         "so setup.exe does not extract it when it prepares the package\n");
}

TEST_F(VelkpackListTest, UnsafeEntryNamesAreProblems) {
    Put("src/db.xml", "<package/>");
    Put("src/files/c/AAAAAAAA.txt", "x");
    ASSERT_EQ(Build("p.vkp", false).exitCode, 0);
    std::string package = Get("p.vkp");
    const size_t at = package.find("files\\c\\AAAAAAAA.txt");
    ASSERT_NE(at, std::string::npos);
    // still counted as a product file, so the trailer's sizes hold
    package.replace(at, 20, "files\\c\\..\\..\\ev.txt");
    Put("evil.vkp", package);
    EXPECT_EQ(OneProblem("evil.vkp"),
              "unsafe entry name \"files\\c\\..\\..\\ev.txt\": the name has "
              "a \"..\" part (or one made only of dots and blanks)");
}

TEST_F(VelkpackListTest, FilesThatCannotBeReadAreUsageErrors) {
    TVelkpackResult missing = List("missing.vkp");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("cannot open \"" + Path("missing.vkp") + "\""), std::string::npos)
        << missing.err;
    TVelkpackResult folder = Run("list '" + dir_ + "'");
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
}

} // namespace
