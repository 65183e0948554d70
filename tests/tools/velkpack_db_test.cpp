// Runs velkpack db on database files and checks what it reports of them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "tools/VelkpackRun.h"

namespace {

using nlohmann::json;
using velk_test::TVelkpackResult;

// Elements as name[attr=value,...](children); db output holds no text or comment nodes.
std::string Dump(const json& node) {
    std::string out = node["name"];
    if (!node["attributes"].empty()) {
        out += "[";
        bool first = true;
        for (const json& pair : node["attributes"]) {
            out +=
                (first ? "" : ",") + pair[0].get<std::string>() + "=" + pair[1].get<std::string>();
            first = false;
        }
        out += "]";
    }
    if (!node["children"].empty()) {
        out += "(";
        bool first = true;
        for (const json& child : node["children"]) {
            EXPECT_EQ(child["kind"], "element");
            out += (first ? "" : " ") + Dump(child);
            first = false;
        }
        out += ")";
    }
    return out;
}

class VelkpackDbTest : public velk_test::TVelkpackTest {
protected:
    std::string Understood(const std::string& xml, const std::string& flags = "") {
        TVelkpackResult r = Run("db " + flags + " " + Write("db.xml", xml));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r.exitCode == 0 ? Dump(json::parse(r.out)) : "";
    }
};

TEST_F(VelkpackDbTest, MainDatabaseShowsWhatTheEngineKept) {
    EXPECT_EQ(Understood(R"(<Main Version="3" extra="x">
      <!-- comments and text go -->
      <variables><var name="Dir" value="  C:\a  b " TYPE="Reg" unknown="1"/></variables>
      <components><component id="c1" package="p" condition="1"><files><file src="x"/></files>
      </component></components>
      <features><feature id="f" required="true"><features><feature id="g" required="1"/>
      </features><depends/></feature></features>
      <installtypes><installtype id="t" default="yes"/></installtypes>
      <strays><var name="no"/></strays>
      <packages><package filename="p"><components/></package></packages>
    </Main>)"),
              "main[version=3]("
              "components(component[condition=1,id=c1,name=c1,package=p](files(file[action=add,"
              "src=x]))) "
              "features(feature[id=f](features(feature[id=g,required=1]))) "
              "installtypes(installtype[id=t]) "
              "packages(package[filename=p]) "
              "variables(var[name=Dir,value=C:\\a  b,type=reg]))");
}

TEST_F(VelkpackDbTest, PackageDatabaseLoadsIntoAPackage) {
    const std::string xml = R"(<db filename="extras">
      <components><component id="c"><registry><reg key="k" type="BIN" flags="shared,nope"/>
      </registry><shortcuts><shortcut name="s" showcmd="Min" hotkey="$10"/></shortcuts>
      </component></components>
      <plugins><plugin id="ui"><config><paramgroup name="g"><param name="a" value="1"/>
      </paramgroup></config></plugin></plugins>
      <fileinfos><fileinfo name="a.dll" size="10" version="1.0.0.0"/></fileinfos>
    </db>)";
    EXPECT_EQ(Understood(xml, "--package"),
              "db[filename=extras]("
              "components(component[id=c,name=c](registry(reg[action=add,flags=shared,key=k,"
              "type=bin]) shortcuts(shortcut[action=add,hotkey=16,name=s,showcmd=min]))) "
              "fileinfos(fileinfo[name=a.dll,size=10,version=1.0.0.0]) "
              "plugins(plugin[id=ui](config(paramgroup[name=g](param[name=a,value=1])))))");
    // As a main database only the parts both kinds share are understood.
    EXPECT_EQ(Understood(xml), "db(components(component[id=c,name=c](registry(reg[action=add,"
                               "flags=shared,key=k,type=bin]) shortcuts(shortcut[action=add,"
                               "hotkey=16,name=s,showcmd=min]))))");
}

TEST_F(VelkpackDbTest, TextsAreConvertedFromTheCodePage) {
    TVelkpackResult r = Run("db --compact " + Write("a.xml", "<m version='caf\xe9 \x80'/>"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["attributes"][0][1], "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
    TVelkpackResult latin1 = Run("db --codepage=28591 " + dir_ + "/a.xml");
    EXPECT_EQ(json::parse(latin1.out)["attributes"][0][1], "caf\xc3\xa9 \xc2\x80");
}

TEST_F(VelkpackDbTest, ErrorsPrintTheEngineMessage) {
    TVelkpackResult syntax = Run("db " + Write("bad.xml", "<m>\n<components x=1/></m>"));
    EXPECT_EQ(syntax.exitCode, 1);
    EXPECT_EQ(syntax.err,
              "Opening quote character (single or double) expected. Line 2, position 15.\n");
    EXPECT_EQ(syntax.out, "");

    TVelkpackResult conversion =
        Run("db --package " +
            Write("size.xml", "<p><fileinfos><fileinfo size='big'/></fileinfos></p>"));
    EXPECT_EQ(conversion.exitCode, 1);
    EXPECT_EQ(conversion.err, "'big' is not a valid integer value\n");
    EXPECT_EQ(conversion.out, "");

    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<features><feature>";
    TVelkpackResult nested = Run("db " + Write("deep.xml", "<m>" + deep));
    EXPECT_EQ(nested.exitCode, 1);
    EXPECT_EQ(nested.err, "XML elements are nested more than 256 levels deep\n");
}

TEST_F(VelkpackDbTest, UsageMistakesAndUnreadableFilesExitWithTwo) {
    EXPECT_EQ(Run("db").exitCode, 2);
    EXPECT_EQ(Run("db --bogus " + Write("a.xml", "<a/>")).exitCode, 2);
    EXPECT_EQ(Run("db --codepage 437 " + dir_ + "/a.xml").exitCode, 2);
    EXPECT_EQ(Run("db " + dir_ + "/a.xml " + dir_ + "/a.xml").exitCode, 2);
    TVelkpackResult missing = Run("db " + dir_ + "/missing.xml");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("missing.xml"), std::string::npos) << missing.err;
    TVelkpackResult help = Run("db --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--package"), std::string::npos);
}

} // namespace
