#include "expressions/InstallFunctions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

#include "database/VKVariables.h"
#include "expressions/EvalOutcome.h"
#include "expressions/EvaluatorSetup.h"
#include "platform/epAskUser.h"

namespace velk {
namespace {

struct TQuestion {
    std::string Caption;
    std::string Text;
    TAskIcon Icon;
    TAskButtons Buttons;
    TWindowHandle Owner;
};

std::vector<TQuestion> questions;
bool nextAnswer = true;

bool FakeAsk(TWindowHandle owner, const std::string& caption, const std::string& text,
             TAskIcon icon, TAskButtons buttons) {
    questions.push_back({caption, text, icon, buttons, owner});
    return nextAnswer;
}

TWindowHandle FakeOwner() {
    return reinterpret_cast<TWindowHandle>(0x1234);
}

class InstallFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ev = &InitEvaluator(db);
        ConditionsEnabled = true;
        savedAsk = AskUserHandler;
        AskUserHandler = FakeAsk;
        questions.clear();
        nextAnswer = true;
        char pattern[] = "/tmp/velk-functions-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetVariable(&db, "Dir", dir);
    }
    void TearDown() override {
        AskUserHandler = savedAsk;
        AskUserOwner = nullptr;
        ConditionsEnabled = false;
        DoneEvaluator();
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    std::string Eval(const std::string& text) {
        try {
            return Outcome(*ev, text);
        } catch (const Exception& e) {
            return std::string("error: ") + e.what();
        }
    }
    void ExpectTable(const std::vector<TExpressionCase>& cases) {
        for (const TExpressionCase& c : cases)
            EXPECT_EQ(Eval(c.Text), c.Expected) << "expression: " << c.Text;
    }
    std::string File(const std::string& name, const std::string& content) {
        std::string path = dir + "/" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        return path;
    }

    TvkMainDatabase db{nullptr};
    TvkEvaluator* ev = nullptr;
    TAskUserFunction savedAsk = nullptr;
    std::string dir;
};

TEST_F(InstallFunctionsTest, RegisteredInTheirOrderWithTheirArgumentCounts) {
    const struct {
        const char* Name;
        int Args;
    } expected[] = {{"Iif", 3},
                    {"FilePath", 1},
                    {"FileName", 1},
                    {"NormalPath", 1},
                    {"FileVersion", 1},
                    {"FileDate", 1},
                    {"FileExists", 1},
                    {"FolderExists", 1},
                    {"CompareVersion", 2},
                    {"CompareDate", 2},
                    {"CompareText", 2},
                    {"RegKeyExists", 1},
                    {"RegParamExists", 2},
                    {"RegParam", 3},
                    {"AskUser", 4},
                    {"SubStr", 3},
                    {"FindSubStr", 3},
                    {"Length", 1},
                    {"FileSize", 1},
                    {"Round", 1}};
    ASSERT_EQ(ev->Functions.Count(), 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(ev->Functions.Items(i).Name, expected[i].Name);
        EXPECT_EQ(ev->Functions.Items(i).ArgCount, expected[i].Args) << expected[i].Name;
        EXPECT_EQ(ev->Functions.Items(i).Index, i);
    }
    ExpectTable({
        {"Iif(1, 2)", "#9"},
        {"Iif(1, 2, 3, 4)", "#15"},
        {"Length()", "#8"},
        {"Round(1, 2)", "#11"},
        {"AskUser('a', 'b', 0)", "#20"},
        {"FilePath 'x'", "#10"},
    });
}

TEST_F(InstallFunctionsTest, TextFunctions) {
    ExpectTable({
        {"Iif(1, 'a', 'b')", "a"},
        {"Iif(0, 'a', 'b')", "b"},
        {"Iif('', 'a', 'b')", "b"},
        {"Iif('0.0', 'a', 'b')", "a"},
        {"Iif(2 > 1 and 'x' = 'x', 'yes', 'no')", "yes"},
        {"SubStr('abcdef', 2, 3)", "bcd"},
        {"SubStr('abcdef', 0, 2)", "ab"},
        {"SubStr('abcdef', -5, 2)", "ab"},
        {"SubStr('abcdef', 5, 10)", "ef"},
        {"SubStr('abcdef', 7, 1)", ""},
        {"SubStr('abcdef', 2, 0)", ""},
        {"SubStr('abcdef', 2, -1)", ""},
        {"SubStr('abc', x, y)", ""},
        {"SubStr('abc', x, 2)", "ab"},
        {"SubStr('abc', 2.0, 2)", "ab"},
        {"SubStr('abc', '$2', 2)", "ab"},
        {"SubStr('', 1, 1)", ""},
        {"FindSubStr('Hello', 'LL', 1)", "3"},
        {"FindSubStr('Hello', 'l', 4)", "4"},
        {"FindSubStr('Hello', 'l', 5)", "0"},
        {"FindSubStr('Hello', '', 1)", "0"},
        {"FindSubStr('', 'a', 1)", "0"},
        {"FindSubStr('Hello', 'h', 0)", "1"},
        {"FindSubStr('Hello', 'o', -3)", "5"},
        {"FindSubStr('Hello', 'o', x)", "5"},
        {"FindSubStr('Hello', 'lo', 99)", "0"},
        {"FindSubStr('Hello', 'Hello!', 1)", "0"},
        {"FindSubStr('caf\xE9 CAF\xC9', '\xC9', 1)", "4"},
        {"FindSubStr('a\xFF', '\x9F', 1)", "2"},
        {"Length('')", "0"},
        {"Length('abc')", "3"},
        {"Length('\xE9t\xE9')", "3"},
        {"Length(12.50)", "5"},
        {"Length('a||b')", "4"},
        {"CompareText('abc', 'ABC')", "0"},
        {"CompareText('abc', 'ABD')", "-1"},
        {"CompareText('b', 'A')", "1"},
        {"CompareText('', 'a')", "-1"},
        {"CompareVersion('1.2.3', '1.2.3.0')", "0"},
        {"CompareVersion('2', '10')", "-1"},
        {"CompareVersion('1.10', '1.9')", "1"},
        {"CompareVersion(5.0, 5.0.0.0)", "0"},
        {"CompareVersion('1..2', '1.2')", "0"},
        {"CompareVersion('1.x.3', '1.0.3')", "0"},
        {"CompareVersion('32768.0', '1.0')", "-1"},
        {"CompareVersion('', '0')", "0"},
    });
}

TEST_F(InstallFunctionsTest, PathFunctions) {
    ExpectTable({
        {"FilePath('C:\\App\\x.dll')", "C:\\App"},
        {"FilePath('C:\\x.dll')", "C:"},
        {"FilePath('x.dll')", ""},
        {"FilePath('C:x.dll')", "C:"},
        {"FilePath('\\\\srv\\share\\x')", "\\\\srv\\share"},
        {"FilePath('C:\\App\\')", "C:\\App"},
        {"FileName('C:\\App\\x.dll')", "x.dll"},
        {"FileName('C:x.dll')", "x.dll"},
        {"FileName('C:\\App\\')", ""},
        {"FileName('x')", "x"},
        {"NormalPath('')", ""},
        {"NormalPath('C:\\')", "C:\\"},
        {"NormalPath('C:\\App')", "C:\\App\\"},
        {"NormalPath('C:')", "C:\\"},
    });
}

TEST_F(InstallFunctionsTest, RoundsHalvesToEven) {
    ExpectTable({
        {"Round('2.5')", "2"},
        {"Round('3.5')", "4"},
        {"Round('-2.5')", "-2"},
        {"Round('-3.5')", "-4"},
        {"Round('0.5')", "0"},
        {"Round('-0.5')", "0"},
        {"Round('-0.4')", "0"},
        {"Round('1.4999')", "1"},
        {"Round('2.5000001')", "3"},
        {"Round(' 7.6 ')", "8"},
        {"Round('1e3')", "1000"},
        {"Round('abc')", "0"},
        {"Round('')", "0"},
        {"Round('2,5')", "0"},
        {"Round(10 / 4)", "2"},
        {"Round(-7)", "-7"},
        {"Round('1e20')", "100000000000000000000"},
        {"Round('4503599627370497')", "4503599627370497"},
    });
    ev->DecimalSeparator = ',';
    ExpectTable({{"Round('2,5')", "2"}, {"Round('3,5')", "4"}, {"Round('2.5')", "0"}});
}

TEST_F(InstallFunctionsTest, FileFunctions) {
    std::string data = File("data.bin", std::string(1234, 'x'));
    File("data2.bin", "");
    mkdir((dir + "/sub").c_str(), 0755);
    ExpectTable({
        {"FileExists('%Dir%/data.bin')", "1"},
        {"FileExists('%Dir%/none')", "0"},
        {"FileExists('%Dir%/sub')", "0"},
        {"FileExists('')", "0"},
        {"FolderExists('%Dir%/sub')", "1"},
        {"FolderExists('%Dir%/data.bin')", "0"},
        {"FolderExists('%Dir%/none')", "0"},
        {"FileSize('%Dir%/data.bin')", "1234"},
        {"FileSize('%Dir%/data2.bin')", "0"},
        {"FileSize('%Dir%/none')", "-1"},
        {"FileSize('%Dir%/nofolder/x')", "-1"},
        {"FileSize('%Dir%/data.b?n')", "1234"},
        {"FileSize('%Dir%/*.none')", "-1"},
        {"FileSize('')", "-1"},
        {"FileVersion('%Dir%/data.bin')", "0"},
        {"FileVersion('%Dir%/none')", "0"},
        {"FileDate('%Dir%/none')", "12/30/1899 00:00:00"},
    });
    // Relative names are taken against the current folder.
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    EXPECT_EQ(Eval("FileSize('data.bin')"), "1234");
    EXPECT_EQ(Eval("FileSize('*.bin')"), "1234");
    EXPECT_EQ(Eval("FileSize('sub')"), Eval("FileSize('%Dir%/sub')"));
    ASSERT_EQ(chdir(saved), 0);
}

TEST_F(InstallFunctionsTest, FileDateIsLocalTimeToTwoSeconds) {
    std::string path = File("dated", "x");
    std::tm local = {};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 43;
    local.tm_isdst = -1;
    utimbuf times = {};
    times.actime = times.modtime = std::mktime(&local);
    ASSERT_EQ(utime(path.c_str(), &times), 0);
    EXPECT_EQ(Eval("FileDate('%Dir%/dated')"), "03/07/2021 09:05:42");
    EXPECT_EQ(Eval("CompareDate(FileDate('%Dir%/dated'), '3/7/2021 9:05:42')"), "0");
    EXPECT_EQ(Eval("CompareDate(FileDate('%Dir%/dated'), '03/07/2021')"), "1");
}

TEST_F(InstallFunctionsTest, CompareDateReadsTheFixedForm) {
    ExpectTable({
        {"CompareDate('12/31/2020', '01/01/2021')", "-1"},
        {"CompareDate('1/1/2021', '01/01/2021')", "0"},
        {"CompareDate('01/02/2021', '02/01/2021')", "-1"},
        {"CompareDate('03/01/2021 10:00', '03/01/2021 9:59:59')", "1"},
        {"CompareDate('03/01/2021 00:00:00', '03/01/2021')", "0"},
        {"CompareDate('03/01/2021 12:00 AM', '03/01/2021')", "0"},
        {"CompareDate('03/01/2021 1:00 PM', '03/01/2021 13:00')", "0"},
        {"CompareDate('2/29/2020', '3/1/2020')", "-1"},
        {"CompareDate('1/1/1800', '1/1/1900')", "-1"},
        {"CompareDate('1/1/1800 12:00', '1/1/1800 10:00')", "1"},
    });
    const char* const invalid[] = {"2021-01-01", "13/01/2021",     "02/30/2021",  "2/29/2021",
                                   "01.01.2021", "1/1/2021 25:00", "1/1/2021 10", "",
                                   "x",          "1/1/2021 junk",  "1/1/12345"};
    for (const char* text : invalid)
        EXPECT_EQ(Eval(std::string("CompareDate('") + text + "', '1/1/2021')"),
                  std::string("error: '") + text + "' is not a valid date and time")
            << text;
    EXPECT_EQ(Eval("CompareDate('1/1/2021', 'bad')"), "error: 'bad' is not a valid date and time");
}

TEST_F(InstallFunctionsTest, RegistryIsEmptyOnLinux) {
    ExpectTable({
        {"RegKeyExists('HKLM\\Software')", "0"},
        {"RegParamExists('HKLM\\Software', 'X')", "0"},
        {"RegParam('HKLM\\Software\\None', 'X', 'def')", "def"},
    });
    EXPECT_EQ(Eval("RegParam('HKLM\\Software\\None', 'X', '%Dir%')"), dir);
}

TEST_F(InstallFunctionsTest, AskUserAsksOncePerTextAndMapsIconsAndButtons) {
    EXPECT_EQ(Eval("AskUser('Setup', 'Continue?', 1, 1)"), "1");
    EXPECT_EQ(Eval("AskUser('Other', 'CONTINUE?', 3, 2)"), "1");
    nextAnswer = false;
    EXPECT_EQ(Eval("AskUser('Setup', 'continue?', 0, 0) = 1"), "1");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Caption, "Setup");
    EXPECT_EQ(questions[0].Text, "Continue?");
    EXPECT_EQ(questions[0].Owner, nullptr);

    // A refusal is remembered as well.
    EXPECT_EQ(Eval("AskUser('Setup', 'Other question', 0, 0)"), "0");
    nextAnswer = true;
    EXPECT_EQ(Eval("AskUser('Setup', 'Other question', 0, 0)"), "0");
    ASSERT_EQ(questions.size(), 2u);

    const struct {
        const char* Icon;
        const char* Buttons;
        TAskIcon ExpectedIcon;
        TAskButtons ExpectedButtons;
    } cases[] = {
        {"0", "0", TAskIcon::Information, TAskButtons::Ok},
        {"1", "1", TAskIcon::Question, TAskButtons::YesNo},
        {"2", "2", TAskIcon::Warning, TAskButtons::OkCancel},
        {"3", "3", TAskIcon::Error, TAskButtons::Ok},
        {"4", "-1", TAskIcon::None, TAskButtons::Ok},
        {"-1", "x", TAskIcon::None, TAskButtons::Ok},
        {"x", "'2'", TAskIcon::Information, TAskButtons::OkCancel},
        {"'$3'", "1.0", TAskIcon::Information, TAskButtons::Ok},
    };
    int n = 0;
    for (const auto& c : cases) {
        questions.clear();
        std::string text = "q" + std::to_string(n++);
        Eval("AskUser('c', '" + text + "', " + c.Icon + ", " + c.Buttons + ")");
        ASSERT_EQ(questions.size(), 1u) << text;
        EXPECT_EQ(questions[0].Icon, c.ExpectedIcon) << c.Icon;
        EXPECT_EQ(questions[0].Buttons, c.ExpectedButtons) << c.Buttons;
    }

    // Texts are expanded; the owner is whoever is named at the time of asking.
    questions.clear();
    AskUserOwner = FakeOwner;
    SetVariable(&db, "App", "Demo");
    Eval("AskUser('%App% Setup', 'Line 1||Line 2 (100%%)', 0, 0)");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Caption, "Demo Setup");
    EXPECT_EQ(questions[0].Text, "Line 1\r\nLine 2 (100%)");
    EXPECT_EQ(questions[0].Owner, FakeOwner());
}

TEST_F(InstallFunctionsTest, UnusedBranchesStillAsk) {
    EXPECT_EQ(Eval("Iif(1, 'kept', AskUser('c', 'unused branch', 0, 0))"), "kept");
    EXPECT_EQ(Eval("0 and AskUser('c', 'right side', 0, 0)"), "0");
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].Text, "right side");
}

TEST_F(InstallFunctionsTest, FunctionResultsAreExpandedOnceMore) {
    SetVariable(&db, "Name", "value");
    EXPECT_EQ(Eval("SubStr('x%%Name%%', 2, 6)"), "value");
    EXPECT_EQ(Eval("RegParam('HKCU\\None', 'x', '%%Name%%')"), "value");
    EXPECT_EQ(Eval("Length('%%')"), "1");
}

} // namespace
} // namespace velk
