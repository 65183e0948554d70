// Runs velkpack plan on main databases and checks the selection it reports.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "tools/VelkpackRun.h"

namespace {

using nlohmann::json;
using velk_test::TVelkpackResult;

const char kDatabase[] = R"(<setup>
  <packages><package filename="extras"/><package filename="never"/></packages>
  <components>
    <component id="core"/><component id="ed" package="extras"/><component id="spell"/>
    <component id="view"/><component id="docs" package="EXTRAS"/>
  </components>
  <features>
    <feature id="base" required="1"><components><component id="core"/></components></feature>
    <feature id="tools">
      <features>
        <feature id="editor">
          <components><component id="ed"/></components>
          <features><feature id="spell"><components><component id="spell"/></components>
          </feature><feature id="grammar"/></features>
        </feature>
        <feature id="viewer"><components><component id="view"/></components></feature>
      </features>
    </feature>
    <feature id="docs"><components><component id="docs"/></components></feature>
  </features>
  <installtypes>
    <installtype id="minimal"><features><feature id="base"/></features></installtype>
    <installtype id="typical" default="1">
      <features><feature id="base"/><feature id="spell"/></features>
    </installtype>
  </installtypes>
</setup>)";

// id:state of every feature, in output order.
std::string States(const json& plan) {
    std::string out;
    for (const json& f : plan["features"])
        out += (out.empty() ? "" : " ") + f["id"].get<std::string>() + ":" +
               std::to_string(f["state"].get<int>());
    return out;
}

std::string Components(const json& plan) {
    std::string out;
    for (const json& c : plan["components"])
        out += (out.empty() ? "" : " ") + c["id"].get<std::string>() + "@" +
               c["package"].get<std::string>();
    return out;
}

class VelkpackPlanTest : public velk_test::TVelkpackTest {
protected:
    json Plan(const std::string& flags, const std::string& xml = kDatabase) {
        last_ = Run("plan " + flags + " " + Write("main.xml", xml));
        EXPECT_EQ(last_.exitCode, 0) << last_.err;
        return last_.exitCode == 0 ? json::parse(last_.out) : json();
    }
    TVelkpackResult last_;
};

TEST_F(VelkpackPlanTest, DefaultInstallTypeDecides) {
    json plan = Plan("");
    EXPECT_EQ(last_.err, "");
    EXPECT_EQ(States(plan), "base:1 tools:2 editor:2 spell:1 grammar:0 viewer:0 docs:0");
    EXPECT_EQ(plan["features"][0],
              json({{"id", "base"}, {"parent", nullptr}, {"state", 1}, {"required", true}}));
    EXPECT_EQ(plan["features"][3]["parent"], "editor");
    EXPECT_EQ(plan["installtypes"], json::parse(R"([{"id": "minimal", "current": false},
                                                    {"id": "typical", "current": true}])"));
    EXPECT_EQ(Components(plan), "core@setup ed@extras spell@setup");
}

TEST_F(VelkpackPlanTest, ChoicesApplyInTheirOrder) {
    json plan = Plan("--feature viewer=1 --type minimal --feature=docs=1 --feature grammar=1");
    EXPECT_EQ(States(plan), "base:1 tools:2 editor:2 spell:0 grammar:1 viewer:0 docs:1");
    EXPECT_EQ(plan["installtypes"][0]["current"], true);
    EXPECT_EQ(plan["installtypes"][1]["current"], false);
    EXPECT_EQ(Components(plan), "core@setup ed@extras docs@EXTRAS");
}

TEST_F(VelkpackPlanTest, RefusedChoicesAreReportedAndSkipped) {
    json plan = Plan("--feature base=0 --type none --feature ghost=1 --feature tools=1");
    EXPECT_EQ(last_.err, "velkpack plan: feature \"base\" cannot be deselected\n"
                         "velkpack plan: install type \"none\" cannot be selected\n"
                         "velkpack plan: feature \"ghost\" cannot be selected\n");
    EXPECT_EQ(States(plan), "base:1 tools:1 editor:1 spell:1 grammar:1 viewer:1 docs:0");
}

TEST_F(VelkpackPlanTest, WithoutInstallTypesEveryTopFeatureIsSelected) {
    std::string xml = kDatabase;
    xml.erase(xml.find("<installtypes>"),
              xml.find("</installtypes>") + 15 - xml.find("<installtypes>"));
    json plan = Plan("", xml);
    EXPECT_EQ(States(plan), "base:1 tools:1 editor:1 spell:1 grammar:1 viewer:1 docs:1");
    EXPECT_EQ(plan["installtypes"], json::array());
    EXPECT_EQ(Components(plan), "core@setup ed@extras spell@setup view@setup docs@EXTRAS");
}

TEST_F(VelkpackPlanTest, WithoutFeaturesEveryComponentIsTaken) {
    json plan = Plan("", "<m><components><component id='a'/><component id='b'/></components></m>");
    EXPECT_EQ(plan["features"], json::array());
    EXPECT_EQ(Components(plan), "a@setup b@setup");
}

TEST_F(VelkpackPlanTest, UnknownComponentOrPackageFails) {
    TVelkpackResult component =
        Run("plan " + Write("c.xml", "<m><features><feature id='f'><components><component "
                                     "id='lost'/></components></feature></features></m>"));
    EXPECT_EQ(component.exitCode, 1);
    EXPECT_EQ(component.err, "Component ID=\"lost\" not found!\n");
    EXPECT_EQ(component.out, "");

    TVelkpackResult package =
        Run("plan " + Write("p.xml", "<m><components><component id='a' package='gone'/>"
                                     "</components></m>"));
    EXPECT_EQ(package.exitCode, 1);
    EXPECT_EQ(package.err, "Can't find package \"gone\" in main database!\n");
}

TEST_F(VelkpackPlanTest, UsageMistakesExitWithTwo) {
    std::string path = Write("main.xml", kDatabase);
    EXPECT_EQ(Run("plan --feature spell " + path).exitCode, 2);
    EXPECT_EQ(Run("plan --feature spell=2 " + path).exitCode, 2);
    EXPECT_EQ(Run("plan " + path + " --type").exitCode, 2);
    EXPECT_EQ(Run("plan").exitCode, 2);
    EXPECT_EQ(Run("plan " + dir_ + "/none.xml").exitCode, 2);
    EXPECT_EQ(Run("plan " + Write("bad.xml", "<a></b>")).exitCode, 1);
    TVelkpackResult help = Run("plan --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--feature ID=0|1"), std::string::npos);
}

} // namespace
