// Runs velkpack plan on databases whose items carry conditions.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "tools/VelkpackRun.h"

namespace {

using nlohmann::json;
using velk_test::TVelkpackResult;

const char kDatabase[] = R"xml(<setup>
  <variables>
    <var name="Edition" value="basic"/>
    <var name="Pro" value="1" condition="%Edition% = pro"/>
  </variables>
  <components>
    <component id="core"/>
    <component id="tools" condition="%Pro% = 1"/>
    <component id="linux" condition="%OSPlatform% = ''"/>
    <component id="never" condition="FileExists('/no/such/file')"/>
  </components>
  <features>
    <feature id="base">
      <components><component id="core"/><component id="linux"/><component id="never"/></components>
    </feature>
    <feature id="pro" condition="%Pro%">
      <components><component id="tools"/></components>
    </feature>
  </features>
  <installtypes>
    <installtype id="lite"><features><feature id="base"/></features></installtype>
    <installtype id="full" default="1" condition="%Pro%">
      <features><feature id="base"/><feature id="pro"/></features>
    </installtype>
  </installtypes>
</setup>)xml";

class VelkpackPlanConditionsTest : public velk_test::TVelkpackTest {
protected:
    // "type: id:state ... | components", from the plan of the database with these flags.
    std::string Outline(const std::string& flags, const std::string& xml = kDatabase) {
        TVelkpackResult r = Run("plan --compact " + flags + " " + Write("main.xml", xml));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        if (r.exitCode != 0)
            return r.err;
        json plan = json::parse(r.out);
        std::string out;
        for (const json& t : plan["installtypes"])
            if (t["current"].get<bool>())
                out += t["id"].get<std::string>() + ":";
        for (const json& f : plan["features"])
            out += " " + f["id"].get<std::string>() + "=" + std::to_string(f["state"].get<int>());
        out += " |";
        for (const json& c : plan["components"])
            out += " " + c["id"].get<std::string>();
        return out;
    }
};

TEST_F(VelkpackPlanConditionsTest, ConditionsDecideOverVariables) {
    EXPECT_EQ(Outline(""), "lite: base=1 pro=0 | core linux");
    EXPECT_EQ(Outline("--var Edition=pro"), "full: base=1 pro=1 | core tools linux");
    EXPECT_EQ(Outline("--var Edition=pro --feature pro=0"), "full: base=1 pro=0 | core linux");
    // An inactive feature or install type cannot be chosen.
    TVelkpackResult r = Run("plan --type full --feature pro=1 " + Write("main.xml", kDatabase));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "velkpack plan: install type \"full\" cannot be selected\n"
                     "velkpack plan: feature \"pro\" cannot be selected\n");
}

TEST_F(VelkpackPlanConditionsTest, FailingConditionsEndThePlan) {
    TVelkpackResult r =
        Run("plan " + Write("m.xml", "<m><components><component id='a' condition='1 +* 2'/>"
                                     "</components></m>"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Syntax error.\r\nPosition 5.\n");
    EXPECT_EQ(r.out, "");
    r = Run("plan --var Loop=%Loop% " +
            Write("m.xml", "<m><components><component id='a' condition='%Loop%'/></components>"
                           "</m>"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Infinite reference in the string \"%Loop%\".\n");
    EXPECT_EQ(Run("plan --var " + Write("m.xml", "<m/>")).exitCode, 2);
}

} // namespace
