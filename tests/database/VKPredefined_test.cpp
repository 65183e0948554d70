#include "database/VKPredefined.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "database/VKVariables.h"
#include "database/epXMLParser.h"

namespace velk {
namespace {

// The names the system defines after the environment, in the order it defines them.
const std::vector<std::string> kSystemNames = {"BootDrive",
                                               "Windows",
                                               "System",
                                               "Desktop",
                                               "Fonts",
                                               "NetHood",
                                               "Personal",
                                               "ProgramsMenu",
                                               "Recent",
                                               "SendTo",
                                               "StartMenu",
                                               "StartupMenu",
                                               "Templates",
                                               "CommonStartMenu",
                                               "CommonProgramsMenu",
                                               "CommonStartupMenu",
                                               "CommonDesktop",
                                               "ProgramFiles",
                                               "CommonFiles",
                                               "ApplicationData",
                                               "Office97",
                                               "Office2000",
                                               "BDE",
                                               "Delphi",
                                               "Date",
                                               "IIS-WWWRoot",
                                               "IIS-Scripts",
                                               "SourcePath",
                                               "OSPlatform",
                                               "OSVersion",
                                               "LangID",
                                               "QuickLaunch",
                                               "ParamStr"};

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class PredefinedTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("velk_test_b", "second", 1);
        setenv("VELK_TEST_A", "%Windows%first", 1);
        setenv("VELK_TEST_EMPTY", "", 1);
        run.SourceFolder = " /opt/setup folder\\ ";
        run.Arguments = {"/s", "two words", "x"};
        run.LangID = "DEU";
    }
    void TearDown() override {
        unsetenv("velk_test_b");
        unsetenv("VELK_TEST_A");
        unsetenv("VELK_TEST_EMPTY");
    }

    std::string Get(const char* name) { return GetVariable(&db, name, "<none>"); }
    std::string Raw(const char* name) {
        TvkVariable* v = db.Variables->FindParam(name);
        return v ? v->Value : "<none>";
    }

    TvkMainDatabase db{nullptr};
    TvkRunInfo run;
};

TEST_F(PredefinedTest, EnvironmentComesFirstInNameOrderThenTheSystemsOwn) {
    InitRuntimeVariables(db, run);
    std::vector<std::string> names;
    for (TvkVariable* v : *db.Variables) {
        EXPECT_TRUE(v->Predefined) << v->Name;
        names.push_back(v->Name);
    }
    ASSERT_GE(names.size(), kSystemNames.size());
    size_t environment = names.size() - kSystemNames.size();
    EXPECT_EQ(std::vector<std::string>(names.begin() + long(environment), names.end()),
              kSystemNames);
    for (size_t i = 1; i < environment; ++i)
        EXPECT_LE(Upper(names[i - 1]), Upper(names[i])) << names[i - 1] << " / " << names[i];
    EXPECT_EQ(Raw("velk_test_b"), "second");
    EXPECT_EQ(Raw("VELK_TEST_EMPTY"), "");
    // Values are kept as they are and expand when read.
    EXPECT_EQ(Raw("VELK_TEST_A"), "%Windows%first");
    EXPECT_EQ(Get("VELK_TEST_A"), "first");
}

TEST_F(PredefinedTest, WithoutWindowsFoldersAreEmptyAndDefaultsResolveLate) {
    InitRuntimeVariables(db, run);
    EXPECT_EQ(Get("Windows"), "");
    EXPECT_EQ(Get("System"), "");
    EXPECT_EQ(Get("Desktop"), "");
    EXPECT_EQ(Get("CommonDesktop"), "");
    EXPECT_EQ(Get("BootDrive"), "");
    EXPECT_EQ(Raw("ProgramFiles"), "%BootDrive%\\Program Files");
    EXPECT_EQ(Raw("CommonFiles"), "%ProgramFiles%\\Common Files");
    EXPECT_EQ(Raw("BDE"), "%CommonFiles%\\Borland Shared\\BDE");
    EXPECT_EQ(Raw("Delphi"), "C:");
    EXPECT_EQ(Raw("IIS-Scripts"), "%IIS-WWWRoot%\\scripts");
    EXPECT_EQ(Raw("QuickLaunch"), "%ApplicationData%\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_EQ(Get("BDE"), "\\Program Files\\Common Files\\Borland Shared\\BDE");
    EXPECT_EQ(Get("IIS-Scripts"), "\\wwwroot\\scripts");
    EXPECT_EQ(Get("Office2000"), "\\Program Files\\Microsoft Office\\Office");
    // A folder defined later changes what the earlier defaults give.
    SetVariable(&db, "BootDrive", "E:");
    SetVariable(&db, "Windows", "E:\\Win");
    EXPECT_EQ(Get("CommonFiles"), "E:\\Program Files\\Common Files");
    EXPECT_EQ(Get("QuickLaunch"),
              "E:\\Win\\Application Data\\Microsoft\\Internet Explorer\\Quick Launch");
}

TEST_F(PredefinedTest, RunTimeVariables) {
    InitRuntimeVariables(db, run);
    EXPECT_EQ(Raw("SourcePath"), "/opt/setup folder");
    EXPECT_EQ(Raw("OSPlatform"), "");
    EXPECT_EQ(Raw("OSVersion"), "");
    EXPECT_EQ(Raw("LangID"), "DEU");
    EXPECT_EQ(Raw("ParamStr"), "/s \"two words\" x");
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    EXPECT_EQ(Raw("Date"), std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) +
                               "/" + std::to_string(local.tm_year + 1900));
}

TEST_F(PredefinedTest, SecondRunOverwritesDatabaseVariablesAndAppendsTheRest) {
    InitRuntimeVariables(db, run);
    int first = db.Variables->Count();
    db.Variables->Clear();
    TXMLTag root;
    root.Parse(R"(<m><variables><var name="AppName" value="App"/>
                  <var name="langid" value="FRA"/><var name="Windows" value="X:\"/>
                  </variables></m>)");
    db.Merge(root);
    run.LangID = "ENU";
    InitRuntimeVariables(db, run);
    EXPECT_EQ(db.Variables->Count(), first + 1);
    ASSERT_EQ(db.Variables->Items(0)->Name, "AppName");
    EXPECT_FALSE(db.Variables->Items(0)->Predefined);
    EXPECT_EQ(db.Variables->Items(1)->Name, "langid");
    EXPECT_EQ(db.Variables->Items(1)->Value, "ENU");
    EXPECT_TRUE(db.Variables->Items(1)->Predefined);
    EXPECT_EQ(db.Variables->Items(2)->Value, "");
    EXPECT_TRUE(db.Variables->Items(2)->Predefined);
}

TEST(JoinParamStr, QuotesArgumentsWithBlanks) {
    const struct {
        std::vector<std::string> Args;
        const char* Joined;
    } cases[] = {
        {{}, ""},
        {{"/s"}, "/s"},
        {{"a", "b"}, "a b"},
        {{"C:\\Program Files\\x"}, "\"C:\\Program Files\\x\""},
        {{"a", "", "b"}, "a  b"},
        {{"tab\there"}, "tab\there"},
        {{" lead", "trail "}, "\" lead\" \"trail \""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinParamStr(c.Args), c.Joined);
}

} // namespace
} // namespace velk
