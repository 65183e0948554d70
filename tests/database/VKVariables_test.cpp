#include "database/VKVariables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "database/epXMLParser.h"
#include "platform/epRegIni.h"

namespace velk {
namespace {

const char kMain[] = R"(<setup>
  <variables>
    <var name="A" value="%B%\x"/>
    <var name="B" value="C:"/>
    <var name="Self" value="%Self%"/>
    <var name="Ping" value="%Pong%"/>
    <var name="Pong" value="[%Ping%]"/>
    <var name="Pct" value="100%%"/>
    <var name="Lines" value="one||two"/>
    <var name="Shared" value="main"/>
    <var name="Hidden" value="off" condition="no"/>
    <var name="Hidden" value="on" condition="yes"/>
    <var name="Num" value="2"/>
    <var name="Word" value="yes"/>
    <var name="Hex" value="$10"/>
    <var name="Reg" type="reg" regkey="HKLM\Software\None" regparam="X" defvalue="%B%\def"/>
    <var name="Ini" type="ini" iniparam="Key" inisection="Sec" defvalue="none"/>
  </variables>
  <packages>
    <package filename="pkg">
      <variables><var name="Shared" value="package %B%"/><var name="Own" value="mine"/></variables>
    </package>
  </packages>
</setup>)";

// Conditions of this test are "yes" or anything else.
bool YesCondition(const std::string& condition) {
    return condition == "yes";
}

// A condition that holds when its expansion in this database is not empty.
TvkMainDatabase* conditionScope = nullptr;
bool ExpandedCondition(const std::string& condition) {
    return !ExpandVariables(conditionScope, condition).empty();
}

class VariablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        TXMLTag root;
        root.Parse(kMain);
        db.Merge(root);
        package = db.Packages->Items(0);
        ConditionsEnabled = true;
        ConditionEvaluator = YesCondition;
    }
    void TearDown() override {
        ConditionsEnabled = false;
        ConditionEvaluator = nullptr;
        std::remove(iniPath.c_str());
    }

    std::string Expand(const std::string& text) { return ExpandVariables(&db, text); }
    std::string ErrorOf(const std::string& text) {
        try {
            Expand(text);
        } catch (const EVariableError& e) {
            return e.what();
        }
        return "no error";
    }

    TvkMainDatabase db{nullptr};
    TvkPackage* package = nullptr;
    std::string iniPath;
};

// Chain0 .. Chain<depth - 1>, each naming the next one; the last is "end". "%Chain1%" is the
// deepest nesting the expansion allows.
void AddChain(TvkMainDatabase& db) {
    for (int i = 0; i < MaxExpansionDepth - 1; ++i)
        SetVariable(&db, "Chain" + std::to_string(i), "%Chain" + std::to_string(i + 1) + "%");
    SetVariable(&db, "Chain" + std::to_string(MaxExpansionDepth - 1), "end");
}

// Variables V0 .. V<levels - 1>, each naming the next one three times; the last is "x".
void AddFanOut(TvkMainDatabase& db, const std::string& prefix, int levels) {
    for (int i = 0; i + 1 < levels; ++i) {
        std::string next = "%" + prefix + std::to_string(i + 1) + "%";
        SetVariable(&db, prefix + std::to_string(i), next + next + next);
    }
    SetVariable(&db, prefix + std::to_string(levels - 1), "x");
}

std::string Repeat(const std::string& text, size_t times) {
    std::string result;
    for (size_t i = 0; i < times; ++i)
        result += text;
    return result;
}

TEST_F(VariablesTest, Expansion) {
    const struct {
        const char* Text;
        const char* Expected;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"100%%", "100%"},
        {"%%%%", "%%"},
        {"%%B%%", "%B%"},
        {"50%", "50%"},
        {"50% of %B%", "50B%"},
        {"%B% and 50%", "C: and 50%"},
        {"%Unknown%", ""},
        {"<%Unknown%>", "<>"},
        {"%%", "%"},
        {"%", "%"},
        {"%B%%B%", "C:C:"},
        {"%b%", "C:"},
        {"%A%", "C:\\x"},
        {"%Pct%", "100%"},
        {"%Pct%%B%", "100%C:"},
        {"line1||line2", "line1\r\nline2"},
        {"%Lines%", "one\r\ntwo"},
        {"a|||b", "a\r\n|b"},
        {"|%B%|", "|C:|"},
        {"%Hidden%", "on"},
        {"%Reg%", "C:\\def"},
        {"%%Self%%", "%Self%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(c.Text), c.Expected) << c.Text;
}

TEST_F(VariablesTest, ReferenceLoopsEndInAnErrorAndLeaveNoDepthBehind) {
    EXPECT_EQ(ErrorOf("%Self%"), "Infinite reference in the string \"%Self%\".");
    EXPECT_EQ(ErrorOf("x %Ping% y"), "Infinite reference in the string \"[%Ping%]\".");
    // A loop reached through a variable's condition ends the same way.
    conditionScope = &db;
    ConditionEvaluator = ExpandedCondition;
    TvkVariable* circular = db.Variables->AddNew();
    circular->Name = "Circular";
    circular->Condition = "%Circular%";
    EXPECT_EQ(ErrorOf("%Circular%"), "Infinite reference in the string \"%Circular%\".");
    ConditionEvaluator = YesCondition;
    // Every level was given back: the deepest legal nesting still expands.
    AddChain(db);
    EXPECT_EQ(Expand("%Chain1%"), "end");
    EXPECT_EQ(ErrorOf("%Chain0%"), "Infinite reference in the string \"end\".");
}

TEST_F(VariablesTest, ReferencesThatFanOutEndInAnErrorAndLeaveNothingBehind) {
    // 3^29 references: without a limit this would not end in any useful time.
    AddFanOut(db, "V", 30);
    EXPECT_EQ(ErrorOf("<%V0%>"), "Too many references in the string \"<%V0%>\".");
    EXPECT_EQ(ErrorOf("%V1%"), "Too many references in the string \"%V1%\".");
    // The last seven levels make 1 + 3 + ... + 729 references and expand in full.
    EXPECT_EQ(Expand("%V23%"), std::string(729, 'x'));
    // Every level was given back: the deepest legal nesting still expands.
    AddChain(db);
    EXPECT_EQ(Expand("%Chain1%"), "end");
}

TEST_F(VariablesTest, TheReferenceLimitCountsEveryReferenceOfOneExpansion) {
    // "%Many%" makes one reference, and Many's value the rest up to the limit.
    SetVariable(&db, "Many", Repeat("%B%", MaxExpansionReferences - 1));
    EXPECT_EQ(Expand("%Many%"), Repeat("C:", MaxExpansionReferences - 1));
    EXPECT_EQ(ErrorOf("%Many%%B%"), "Too many references in the string \"%Many%%B%\".");
    // The next expansion counts afresh.
    EXPECT_EQ(Expand("%Many%"), Repeat("C:", MaxExpansionReferences - 1));
}

TEST_F(VariablesTest, ReferencesMadeByConditionsCountWithTheExpansionThatAsked) {
    AddFanOut(db, "F", 30);
    conditionScope = &db;
    ConditionEvaluator = ExpandedCondition;
    TvkVariable* guarded = db.Variables->AddNew();
    guarded->Name = "Guarded";
    guarded->Value = "seen";
    guarded->Condition = "%F0%";
    EXPECT_EQ(ErrorOf("[%Guarded%]"), "Too many references in the string \"[%Guarded%]\".");
    guarded->Condition = "%F25%";
    EXPECT_EQ(Expand("[%Guarded%]"), "[seen]");
}

TEST_F(VariablesTest, TextReferencedInOneExpansionIsLimited) {
    const size_t quarter = MaxExpansionText / 4;
    SetVariable(&db, "Big", std::string(quarter, 'a'));
    EXPECT_EQ(Expand("%Big%%Big%%Big%%Big%").size(), MaxExpansionText);
    EXPECT_EQ(ErrorOf("%Big%%Big%%Big%%Big%%B%"),
              "Too much text referenced in the string \"%Big%%Big%%Big%%Big%%B%\".");
    // Text read deeper down counts too: two Twices bring in four quarters and their own text.
    SetVariable(&db, "Twice", "%Big%%Big%");
    EXPECT_EQ(ErrorOf("%Twice%%Twice%"),
              "Too much text referenced in the string \"%Twice%%Twice%\".");
    // The caller's own text is not counted.
    const std::string large(MaxExpansionText + 1, 'b');
    EXPECT_EQ(Expand(large + "%B%"), large + "C:");
}

TEST_F(VariablesTest, ScopeErrors) {
    EXPECT_THROW(ExpandVariables(nullptr, "%B%"), EVariableError);
    EXPECT_EQ(ExpandVariables(nullptr, "no reference"), "no reference");
    try {
        GetVariable(nullptr, "B", "");
        FAIL();
    } catch (const EVariableError& e) {
        EXPECT_STREQ(e.what(), "Package database was not assigned.");
    }
    try {
        SetVariable(db.Variables.get(), "B", "x");
        FAIL();
    } catch (const EVariableError& e) {
        EXPECT_STREQ(e.what(), "Wrong class has been specified.");
    }
    EXPECT_THROW(GetVariable(db.Variables->Items(0), "B", ""), EVariableError);
}

TEST_F(VariablesTest, PackageScopeSeesItsOwnFirst) {
    EXPECT_EQ(GetVariable(package, "Shared", ""), "package C:");
    EXPECT_EQ(GetVariable(&db, "Shared", ""), "main");
    EXPECT_EQ(GetVariable(package, "Own", ""), "mine");
    EXPECT_EQ(GetVariable(&db, "Own", "none"), "none");
    EXPECT_EQ(GetVariable(package, "A", ""), "C:\\x");
    EXPECT_EQ(ExpandVariables(package, "%Own%-%Shared%"), "mine-package C:");

    // Setting a visible package variable changes it there; a new name goes to the main database.
    SetVariable(package, "Own", "changed");
    EXPECT_EQ(package->Variables->Items(1)->Value, "changed");
    int before = db.Variables->Count();
    SetVariable(package, "Fresh", "%B%!");
    ASSERT_EQ(db.Variables->Count(), before + 1);
    TvkVariable* fresh = db.Variables->Items(before);
    EXPECT_EQ(fresh->Name, "Fresh");
    EXPECT_EQ(fresh->Value, "%B%!");
    EXPECT_EQ(fresh->VarType, TvkVarType::vtNormal);
    EXPECT_EQ(fresh->Condition, "");
    EXPECT_EQ(package->Variables->Count(), 2);
    EXPECT_EQ(GetVariable(&db, "fresh", ""), "C:!");
}

TEST_F(VariablesTest, PackageWithoutDatabaseKeepsWhatIsSet) {
    TvkPackage loose(nullptr);
    EXPECT_EQ(GetVariable(&loose, "B", "dflt"), "dflt");
    SetVariable(&loose, "Mine", "kept");
    ASSERT_TRUE(loose.Variables);
    EXPECT_EQ(GetVariable(&loose, "Mine", ""), "kept");
}

TEST_F(VariablesTest, DefaultsAndConversions) {
    EXPECT_EQ(GetVariable(&db, "Missing", "%B%\\dflt"), "C:\\dflt");
    EXPECT_EQ(GetVariableInt(&db, "Num", 7), 2);
    EXPECT_EQ(GetVariableInt(&db, "Word", 7), 7);
    EXPECT_EQ(GetVariableInt(&db, "Missing", -3), -3);
    EXPECT_EQ(GetVariableInt(&db, "Hex", 0), 16);
    EXPECT_TRUE(GetVariableBool(&db, "Num", false));
    EXPECT_TRUE(GetVariableBool(&db, "Word", true));
    EXPECT_FALSE(GetVariableBool(&db, "Word", false));
    EXPECT_FALSE(GetVariableBool(&db, "Missing", false));
    SetVariableInt(&db, "Num", 0);
    EXPECT_FALSE(GetVariableBool(&db, "Num", true));
    SetVariableBool(&db, "Flag", true);
    EXPECT_EQ(GetVariable(&db, "Flag", ""), "1");
    SetVariableBool(&db, "Flag", false);
    EXPECT_EQ(GetVariable(&db, "Flag", ""), "0");
    SetVariableInt(&db, "Neg", -42);
    EXPECT_EQ(GetVariable(&db, "Neg", ""), "-42");
}

TEST_F(VariablesTest, FolderVariables) {
    const struct {
        const char* Path;
        const char* Stored;
    } cases[] = {
        {" C:\\Temp\\ ", "C:\\Temp"},
        {"C:\\", "C:"},
        {"C:\\\\", "C:\\"},
        {"\tD:\\x\r\n", "D:\\x"},
        {"", ""},
        {"\\", ""},
        {"%B%\\dir\\", "%B%\\dir"},
        {"rel\\a b", "rel\\a b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetFolderVariable(&db, "Folder", c.Path).Value, c.Stored) << c.Path;
}

TEST_F(VariablesTest, ConditionsChooseAmongNamesakes) {
    EXPECT_EQ(GetVariable(&db, "Hidden", ""), "on");
    SetVariable(&db, "Hidden", "set");
    EXPECT_EQ(db.Variables->Items(8)->Value, "off");
    EXPECT_EQ(db.Variables->Items(9)->Value, "set");
    db.Variables->Items(9)->Condition = "no";
    EXPECT_EQ(GetVariable(&db, "Hidden", "none"), "none");
    // Neither is visible: a third one is created.
    int before = db.Variables->Count();
    SetVariable(&db, "Hidden", "new");
    EXPECT_EQ(db.Variables->Count(), before + 1);
    EXPECT_EQ(GetVariable(&db, "Hidden", ""), "new");
}

TEST_F(VariablesTest, ValuesByType) {
    // "reg" and "ini" values come from their source; Value is set but not used.
    SetVariable(&db, "Reg", "ignored");
    EXPECT_EQ(db.Variables->FindParam("Reg")->Value, "ignored");
    EXPECT_EQ(GetVariable(&db, "Reg", ""), "C:\\def");

    TvkVariable* ini = db.Variables->FindParam("Ini");
    EXPECT_EQ(GetVariable(&db, "Ini", ""), "none");
    // The INI cache opens files under their upper-cased names, folders included.
    iniPath = "VELK-VARS-" + std::to_string(getpid()) + ".INI";
    std::FILE* f = std::fopen(iniPath.c_str(), "w");
    std::fputs("[Sec]\r\nKey=%B%\\from ini\r\n", f);
    std::fclose(f);
    ini->IniFile = iniPath;
    EXPECT_EQ(GetVariable(&db, "Ini", ""), "C:\\from ini");
    DropIniFile(iniPath);
}

TEST_F(VariablesTest, PredefinedMarks) {
    SetPredefined(db, "B", "D:");
    SetPredefinedFolder(db, "NewFolder", " E:\\x\\ ");
    EXPECT_TRUE(db.Variables->FindParam("B")->Predefined);
    EXPECT_EQ(db.Variables->FindParam("B")->Value, "D:");
    EXPECT_EQ(GetVariable(&db, "A", ""), "D:\\x");
    TvkVariable* folder = db.Variables->FindParam("NewFolder");
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->Predefined);
    EXPECT_EQ(folder->Value, "E:\\x");
    EXPECT_FALSE(db.Variables->FindParam("A")->Predefined);
    // The one marked is the one visible now.
    SetPredefined(db, "Hidden", "p");
    EXPECT_FALSE(db.Variables->Items(8)->Predefined);
    EXPECT_TRUE(db.Variables->Items(9)->Predefined);
}

} // namespace
} // namespace velk
