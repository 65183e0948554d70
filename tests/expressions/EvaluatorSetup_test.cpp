#include "expressions/EvaluatorSetup.h"

#include <gtest/gtest.h>

#include <string>

#include "database/VKVariables.h"
#include "database/epXMLParser.h"

namespace velk {
namespace {

const char kDatabase[] = R"xml(<setup>
  <variables>
    <var name="Mode" value="full"/>
    <var name="Target" value="%Mode%-install" condition="Length(%Mode%) > 0"/>
    <var name="Loop" value="x" condition="%Loop% = x"/>
  </variables>
  <components>
    <component id="always"/>
    <component id="full" condition="%Mode% = full"/>
    <component id="lines"/>
    <component id="missing" condition="FileExists('/no/such/file')"/>
    <component id="broken" condition="1 +* 2"/>
    <component id="looping" condition="%Loop% = x"/>
  </components>
</setup>)xml";

class EvaluatorSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TXMLTag root;
        root.Parse(kDatabase);
        db.Merge(root);
        // Written over several lines: line feeds vanish, carriage returns are blanks.
        db.Components->FindByID("lines")->Condition =
            "%Mode% = full\r\nand\r\nLength(%Mode%)\n = 4";
        ConditionsEnabled = true;
    }
    void TearDown() override {
        ConditionsEnabled = false;
        DoneEvaluator();
    }
    bool Active(const char* id) { return db.Components->FindByID(id)->IsActive(); }

    TvkMainDatabase db{nullptr};
};

TEST_F(EvaluatorSetupTest, ConditionsCountOnlyWhileTheEvaluatorLives) {
    EXPECT_TRUE(Active("missing"));
    TvkEvaluator& ev = InitEvaluator(db);
    EXPECT_EQ(MainEvaluator, &ev);
    EXPECT_EQ(ev.DecimalSeparator, '.');
    EXPECT_TRUE(Active("always"));
    EXPECT_TRUE(Active("full"));
    EXPECT_TRUE(Active("lines"));
    EXPECT_FALSE(Active("missing"));
    SetVariable(&db, "Mode", "none");
    EXPECT_FALSE(Active("full"));
    EXPECT_FALSE(Active("lines"));
    DoneEvaluator();
    EXPECT_EQ(MainEvaluator, nullptr);
    EXPECT_TRUE(Active("missing"));
    EXPECT_TRUE(Active("broken"));
}

TEST_F(EvaluatorSetupTest, OperandsSeeTheDatabasesVariables) {
    TvkEvaluator& ev = InitEvaluator(db);
    ev.Expression = "%Target% & ':' & %Unknown% & '100%%'";
    EXPECT_EQ(ev.Evaluate(), "full-install:100%");
    // The variable's own condition decides whether it is seen.
    SetVariable(&db, "Mode", "");
    ev.Expression = "'[' & %Target% & ']'";
    EXPECT_EQ(ev.Evaluate(), "[]");
}

TEST_F(EvaluatorSetupTest, ErrorsReachTheCaller) {
    InitEvaluator(db);
    try {
        Active("broken");
        FAIL();
    } catch (const TepEvaluatorError& e) {
        EXPECT_STREQ(e.what(), "Syntax error.\r\nPosition 5.");
    }
    try {
        Active("looping");
        FAIL();
    } catch (const EVariableError& e) {
        EXPECT_STREQ(e.what(), "Infinite reference in the string \"%Loop%\".");
    }
    // Nothing is left half-done: the next conditions evaluate normally.
    EXPECT_TRUE(Active("full"));
    EXPECT_EQ(GetVariable(&db, "Target", ""), "full-install");
}

TEST_F(EvaluatorSetupTest, ASecondStartReplacesTheFirst) {
    TvkEvaluator& first = InitEvaluator(db);
    first.AnswerCache.Set("*q*", "1");
    TvkEvaluator& second = InitEvaluator(db);
    EXPECT_EQ(MainEvaluator, &second);
    EXPECT_EQ(second.AnswerCache.Find("*q*"), nullptr);
    EXPECT_EQ(second.Functions.Count(), 20);
    EXPECT_FALSE(Active("missing"));
}

} // namespace
} // namespace velk
