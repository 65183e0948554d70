#include "platform/epIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace velk {
namespace {

using Strings = std::vector<std::string>;

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-ini.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/test.ini";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void WriteBytes(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string ReadBytes() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::unique_ptr<TepIniFile> Open(bool readOnly = false, bool stripQuotes = true,
                                     bool skipComments = true, bool keyLinesOnly = true,
                                     bool trimSpaces = true) {
        return std::make_unique<TepIniFile>(path_, readOnly, skipComments, keyLinesOnly, trimSpaces,
                                            stripQuotes);
    }
    static Strings Saved(const TepIniFile& ini) {
        Strings s;
        ini.SaveToStrings(s);
        return s;
    }

    std::string dir_, path_;
};

TEST_F(IniFileTest, LoadNormalisesTheText) {
    WriteBytes("orphan=dropped\r\n"
               "  [ Name ]  \r\n"
               "key \t=\t value\r\n"
               "; a comment=1\r\n"
               "no equals sign\r\n"
               "[Name\r\n"
               "\x1A\r\n"
               "\r\n"
               "=  value\r\n"
               "\t\r\n"
               "[Empty]\r\n"
               "[ name ]\r\n"
               "lost=1\r\n"
               "[Other]\r"
               "a=1\n\r"
               "\x1A");
    auto ini = Open();
    Strings sections;
    ini->ReadSections(sections);
    EXPECT_EQ(sections, (Strings{" Name ", "Empty", "Other"}));
    EXPECT_EQ(Saved(*ini),
              (Strings{"[ Name ]", "key=value", "=  value", "", "[Other]", "a=1", ""}));
    EXPECT_FALSE(ini->Modified());
    EXPECT_EQ(ini->ReadString(" NAME ", "KEY", "d"), "value");
    EXPECT_EQ(ini->ReadString(" Name ", "", "d"), "  value");
    EXPECT_EQ(ini->ReadString("Name", "key", "d"), "d");
}

TEST_F(IniFileTest, OptionsChangeWhatLoadKeeps) {
    WriteBytes("[S]\r\n; c=1\r\nplain\r\nk = v\r\nq1='a b'\r\nq2=\"a b\"\r\nq3='\r\nq4='a b\"\r\n"
               "q5=''\r\n");
    auto all = Open(false, true);
    EXPECT_EQ(Saved(*all),
              (Strings{"[S]", "k=v", "q1=a b", "q2=a b", "q3='", "q4='a b\"", "q5=", ""}));
    all.reset();
    auto none = Open(false, false, false, false, false);
    EXPECT_EQ(Saved(*none), (Strings{"[S]", "; c=1", "plain", "k = v", "q1='a b'", "q2=\"a b\"",
                                     "q3='", "q4='a b\"", "q5=''", ""}));
    EXPECT_EQ(none->ReadString("s", "k ", "d"), " v");
    Strings keys;
    none->ReadSection("S", keys);
    EXPECT_EQ(keys, (Strings{"; c", "", "k ", "q1", "q2", "q3", "q4", "q5"}));
}

TEST_F(IniFileTest, DuplicateSectionsKeepTheFirstOnly) {
    WriteBytes("[A]\r\nx=1\r\n[b]\r\ny=2\r\n[a]\r\nx=9\r\nz=3\r\n[B]\r\n[A]\r\nw=4\r\n");
    auto ini = Open();
    Strings sections;
    ini->ReadSections(sections);
    EXPECT_EQ(sections, (Strings{"A", "b"}));
    EXPECT_EQ(ini->ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini->ReadString("A", "z", "none"), "none");
    ini->WriteString("b", "y", "5");
    ini.reset();
    EXPECT_EQ(ReadBytes(), "[A]\r\nx=1\r\n\r\n[b]\r\ny=5\r\n\r\n");
}

TEST_F(IniFileTest, ReadsConvertValues) {
    WriteBytes("[N]\r\nempty=\r\nhex=0x1F\r\nHEX2=0X1f\r\ndollar=$1F\r\nbad=12abc\r\nneg=-7\r\n"
               "zero=0\r\n");
    auto ini = Open(true);
    EXPECT_EQ(ini->ReadString("n", "EMPTY", "default"), "");
    EXPECT_EQ(ini->ReadString("n", "missing", "default"), "default");
    EXPECT_EQ(ini->ReadString("missing", "empty", "default"), "default");
    EXPECT_EQ(ini->ReadInteger("N", "hex", 5), 31);
    EXPECT_EQ(ini->ReadInteger("N", "hex2", 5), 31);
    EXPECT_EQ(ini->ReadInteger("N", "dollar", 5), 31);
    EXPECT_EQ(ini->ReadInteger("N", "bad", 5), 5);
    EXPECT_EQ(ini->ReadInteger("N", "empty", 5), 5);
    EXPECT_EQ(ini->ReadInteger("N", "neg", 5), -7);
    EXPECT_TRUE(ini->ReadBool("N", "neg", false));
    EXPECT_FALSE(ini->ReadBool("N", "zero", true));
    EXPECT_TRUE(ini->ReadBool("N", "missing", true));
    EXPECT_FALSE(ini->ReadBool("N", "missing", false));
}

TEST_F(IniFileTest, WritesKeepPositionsAndWriteBackNormalised) {
    WriteBytes("; header\r\n[App]\r\nName = Old\r\nSize=1\r\n\r\n[Other]\r\nx=1\r\n");
    auto ini = Open();
    ini->WriteString("APP", "Name", "Old");
    EXPECT_FALSE(ini->Modified()) << "an identical line is no change";
    ini->WriteString("app", "NAME", "New");
    EXPECT_TRUE(ini->Modified());
    ini->WriteInteger("App", "Count", -3);
    ini->WriteBool("New", "Flag", true);
    ini->WriteString("Other", "x", "1");
    ini.reset();
    EXPECT_EQ(ReadBytes(), "[App]\r\nNAME=New\r\nSize=1\r\nCount=-3\r\n\r\n"
                           "[Other]\r\nx=1\r\n\r\n[New]\r\nFlag=1\r\n\r\n");
}

TEST_F(IniFileTest, ShorterWriteBackCutsTheFile) {
    WriteBytes("[A]\r\nlong=" + std::string(500, 'v') + "\r\n[B]\r\nk=v\r\n");
    auto ini = Open();
    ini->EraseSection("a");
    ini->UpdateFile();
    EXPECT_FALSE(ini->Modified());
    EXPECT_EQ(ReadBytes(), "[B]\r\nk=v\r\n\r\n");
    ini->WriteString("", "", "");
    ini->WriteString("B", "k", "w");
    ini->WriteString("", "", "");
    EXPECT_EQ(ReadBytes(), "[B]\r\nk=w\r\n\r\n");
}

TEST_F(IniFileTest, EmptyKeyErasesAndDeleteKeyCreatesAnUnwrittenSection) {
    WriteBytes("[A]\r\nk=1\r\n[B]\r\nk=2\r\n");
    auto ini = Open();
    ini->WriteString("a", "", "ignored");
    ini->DeleteKey("Fresh", "k");
    ini->DeleteKey("B", "missing");
    Strings sections;
    ini->ReadSections(sections);
    EXPECT_EQ(sections, (Strings{"B", "Fresh"}));
    ini->DeleteKey("b", "K");
    EXPECT_EQ(Saved(*ini), Strings{});
    ini.reset();
    EXPECT_EQ(ReadBytes(), "");
}

TEST_F(IniFileTest, SectionValuesMergeWithTheCallersDefaults) {
    WriteBytes("[S]\r\na=1\r\nB=2\r\n");
    auto ini = Open();
    Strings values{"b=default", "c=3", "C=dup", "d"};
    ini->ReadSectionValues("s", values);
    EXPECT_EQ(values, (Strings{"a=1", "B=2", "c=3", "d"}));
    Strings untouched{"x=1"};
    ini->ReadSectionValues("missing", untouched);
    EXPECT_EQ(untouched, Strings{"x=1"});

    Strings keys{"kept"};
    ini->ReadSection("S", keys);
    EXPECT_EQ(keys, (Strings{"kept", "a", "B"}));

    ini->WriteSectionValues("S", {"a=9", "=lost", "", "e", "f=x=y"});
    EXPECT_EQ(Saved(*ini), (Strings{"[S]", "a=9", "B=2", "e=", "f=x=y", ""}));
}

TEST_F(IniFileTest, LookupsStartWhereThePreviousOneEnded) {
    WriteBytes("[A]\r\nk=a\r\n[B]\r\nk=b\r\n[C]\r\nk=c\r\n");
    auto ini = Open(true);
    EXPECT_EQ(ini->CurrentSection(), 0);
    EXPECT_EQ(ini->ReadString("C", "k", ""), "c");
    EXPECT_EQ(ini->CurrentSection(), 2);
    EXPECT_EQ(ini->ReadString("A", "k", ""), "a");
    EXPECT_EQ(ini->CurrentSection(), 0);
    EXPECT_EQ(ini->ReadString("B", "k", ""), "b");
    EXPECT_EQ(ini->ReadString("missing", "k", "d"), "d");
    EXPECT_EQ(ini->CurrentSection(), 0) << "a failed scan ends just before where it started";

    TSectionList list;
    for (const char* name : {"x", "y", "z"})
        list.Add(name);
    EXPECT_EQ(list.IndexOf("Z"), 2);
    EXPECT_EQ(list.LastIndex, 2);
    EXPECT_EQ(list.IndexOf("x"), 0);
    EXPECT_EQ(list.IndexOf("none"), -1);
    EXPECT_EQ(list.LastIndex, 0);
    list.IndexOf("y");
    list.Delete(2);
    EXPECT_EQ(list.LastIndex, 0);
}

TEST_F(IniFileTest, AnsiLettersMatchWithoutRegardToCase) {
    WriteBytes("[\xC9t\xE9]\r\n\xE0=1\r\n");
    auto ini = Open(true);
    EXPECT_EQ(ini->ReadString("\xE9T\xC9", "\xC0", ""), "1");
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedWhenWritten) {
    std::string nested = dir_ + "/sub/dir/new.ini";
    {
        TepIniFile ro(nested, true, true, true, true, true);
        ro.WriteString("S", "k", "v");
        EXPECT_EQ(ro.Handle(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(nested)) << "a read-only object never writes";
    {
        TepIniFile rw(nested, false, true, true, true, true);
        EXPECT_EQ(rw.Handle(), 0);
        rw.WriteString("S", "k", "v");
    }
    std::ifstream in(nested, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(IniFileTest, WritableObjectKeepsItsHandleAndReadOnlyDoesNot) {
    WriteBytes("[S]\r\nk=v\r\n");
    auto rw = Open(false);
    EXPECT_GT(rw->Handle(), 0);
    auto ro = Open(true);
    EXPECT_EQ(ro->Handle(), 0);
    rw->SetFileName("");
    EXPECT_EQ(rw->Handle(), 0);
    EXPECT_EQ(rw->Sections().Count(), 0);
    rw->WriteString("S", "k", "v");
    rw->UpdateFile();
    EXPECT_FALSE(rw->Modified()) << "a nameless object has nowhere to write";
}

} // namespace
} // namespace velk
