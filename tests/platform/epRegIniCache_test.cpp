#include "platform/epRegIni.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace velk {
namespace {

using Strings = std::vector<std::string>;

// Works in a scratch folder made current, so that relative names, which the cache upper-cases
// whole, stay inside it on a case-sensitive file system.
class IniCacheTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-inicache.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        FlushIniFiles();
        IniStripQuotes = true;
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir_;
    std::filesystem::path old_;
};

TEST_F(IniCacheTest, NewFileAndFoldersAreCreatedUnderTheUpperCasedName) {
    EXPECT_TRUE(IniWriteString("sub/dir/app.ini", "S", "k", "v"));
    EXPECT_EQ(IniReadString("SUB/Dir/App.ini", "s", "K", "d"), "v");
    EXPECT_FALSE(std::filesystem::exists("SUB/DIR/APP.INI")) << "nothing written before a flush";
    FlushIniFiles();
    EXPECT_EQ(ReadBytes("SUB/DIR/APP.INI"), "[S]\r\nk=v\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists("sub"));
}

TEST_F(IniCacheTest, WritableRequestReplacesReadOnlyObject) {
    WriteBytes("A.INI", "[S]\r\nk=1\r\n");
    TepIniFile* ro = GetIniFile("./a.ini", true);
    EXPECT_TRUE(ro->ReadOnly());
    EXPECT_EQ(IniReadString("./a.ini", "S", "k", ""), "1");
    WriteBytes("A.INI", "[S]\r\nk=2\r\n");
    EXPECT_EQ(IniReadString("./a.ini", "S", "k", ""), "1") << "served from memory";

    TepIniFile* rw = GetIniFile("./A.ini", false);
    EXPECT_FALSE(rw->ReadOnly());
    EXPECT_EQ(IniReadString("./a.ini", "S", "k", ""), "2") << "reloaded from disk";
    EXPECT_EQ(GetIniFile("./a.INI", true), rw) << "a writable object serves readers too";
}

TEST_F(IniCacheTest, DropAndWriteWithEmptyKeyFlushOneFile) {
    IniWriteString("./one.ini", "S", "k", "1");
    IniWriteString("./two.ini", "S", "k", "2");
    IniWriteString("./one.ini", "", "", "");
    EXPECT_EQ(ReadBytes("ONE.INI"), "[S]\r\nk=1\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists("TWO.INI"));
    DropIniFile("./Two.Ini");
    EXPECT_EQ(ReadBytes("TWO.INI"), "[S]\r\nk=2\r\n\r\n");
    WriteBytes("TWO.INI", "[S]\r\nk=changed\r\n");
    EXPECT_EQ(IniReadString("./two.ini", "S", "k", ""), "changed") << "dropped means reloaded";
    IniWriteString("./one.ini", "S", "", "");
    EXPECT_EQ(IniReadString("./one.ini", "S", "k", "gone"), "gone");
}

TEST_F(IniCacheTest, SettingsApplyToFilesCreatedAfterwards) {
    WriteBytes("Q.INI", "[S]\r\nk='quoted'\r\n");
    WriteBytes("R.INI", "[S]\r\nk='quoted'\r\n");
    EXPECT_EQ(IniReadString("./q.ini", "S", "k", ""), "quoted");
    IniStripQuotes = false;
    EXPECT_EQ(IniReadString("./q.ini", "S", "k", ""), "quoted");
    EXPECT_EQ(IniReadString("./r.ini", "S", "k", ""), "'quoted'");
}

TEST_F(IniCacheTest, FreeFunctionsReadThroughTheCache) {
    WriteBytes("F.INI", "[A]\r\nn=$10\r\nbad=1x\r\n[B]\r\nx=1\r\n");
    EXPECT_EQ(IniReadInteger("./f.ini", "A", "n", 0), 16);
    EXPECT_EQ(IniReadInteger("./f.ini", "A", "bad", -4), -4);
    EXPECT_EQ(IniReadInteger("./f.ini", "A", "missing", -4), -4);
    Strings s{"old"};
    IniReadSections("./f.ini", s);
    EXPECT_EQ(s, (Strings{"A", "B"}));
    IniReadSection("./f.ini", "a", s);
    EXPECT_EQ(s, (Strings{"A", "B", "n", "bad"}));
    Strings values{"x=default", "y=2"};
    IniReadSectionValues("./f.ini", "B", values);
    EXPECT_EQ(values, (Strings{"x=1", "y=2"}));

    IniWriteSectionValues("./f.ini", "B", {"x=5", "=erase?", "z"});
    EXPECT_TRUE(FlushIniFiles().empty());
    EXPECT_EQ(ReadBytes("F.INI"), "[A]\r\nn=$10\r\nbad=1x\r\n\r\n[B]\r\nx=5\r\nz=\r\n\r\n");
}

TEST_F(IniCacheTest, FlushNamesTheFilesWhoseChangesCouldNotBeWritten) {
    // A folder that cannot be made: its would-be parent is a file.
    WriteBytes("PLAIN", "");
    IniWriteString("./plain/a.ini", "S", "k", "lost");
    IniWriteString("./b.ini", "S", "k", "kept");
    EXPECT_EQ(FlushIniFiles(), (Strings{"./PLAIN/A.INI"}));
    EXPECT_EQ(ReadBytes("B.INI"), "[S]\r\nk=kept\r\n\r\n");
}

TEST_F(IniCacheTest, SpellingsOfOnePathAreIndependentObjects) {
    // On Linux a bare name stays relative to the current folder: the same file as "./X.INI".
    WriteBytes("X.INI", "[S]\r\nk=1\r\n");
    EXPECT_EQ(GetIniFile("x.ini", true)->FileName(), "X.INI");
    IniWriteString("x.ini", "S", "k", "bare");
    EXPECT_EQ(IniReadString("./x.ini", "S", "k", ""), "1");
    IniWriteString("./x.ini", "S", "k", "relative");
    EXPECT_EQ(IniReadString("x.ini", "S", "k", ""), "bare");
}

} // namespace
} // namespace velk
