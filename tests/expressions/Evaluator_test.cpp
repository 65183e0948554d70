#include "expressions/Evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "expressions/EvalOutcome.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

// A stand-in for the database's expansion: "%%" is "%", %Name% the value (empty when unknown),
// an unmatched "%" stays, "||" is CR LF.
std::string ExpandWith(const std::map<std::string, std::string>& vars, const std::string& text) {
    std::string r;
    size_t i = 0;
    while (i < text.size()) {
        size_t p = text.find('%', i);
        if (p == std::string::npos) {
            r.append(text, i, std::string::npos);
            break;
        }
        r.append(text, i, p - i);
        if (p + 1 < text.size() && text[p + 1] == '%') {
            r += '%';
            i = p + 2;
            continue;
        }
        size_t q = text.find('%', p + 1);
        if (q == std::string::npos) {
            r.append(text, p, std::string::npos);
            break;
        }
        auto found = vars.find(text.substr(p + 1, q - p - 1));
        if (found != vars.end())
            r += found->second;
        i = q + 1;
    }
    for (size_t p = r.find("||"); p != std::string::npos; p = r.find("||", p + 2))
        r.replace(p, 2, "\r\n");
    return r;
}

class TvkEvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ev.AddFunction("Two", 2, [](TvkEvaluator&, const TvkArguments& a) { return a[0] + a[1]; });
        // Count characters from the 1-based From: From defaults to 1, Count to 0.
        ev.AddFunction("Cut", 3, [](TvkEvaluator&, const TvkArguments& a) {
            int from = std::max(a.Int(1, 1), 1);
            int count = a.Int(2, 0);
            if (count <= 0 || size_t(from) > a[0].size())
                return std::string();
            return a[0].substr(size_t(from) - 1, size_t(count));
        });
        ev.AddFunction("Join", TepFunction::AnyCount, [](TvkEvaluator&, const TvkArguments& a) {
            std::string r;
            for (int i = 0; i < a.Count(); ++i)
                r += (i ? "|" : "") + a[i];
            return r;
        });
        ev.AddFunction("Count", 1, [this](TvkEvaluator&, const TvkArguments& a) {
            ++calls;
            return a[0];
        });
        ev.AddFunction("FileExists", 1, [](TvkEvaluator&, const TvkArguments& a) {
            return BoolText(a[0] == "C:\\Windows\\x.dll");
        });
        ev.AddFunction("Half", 1, [](TvkEvaluator& e, const TvkArguments& a) {
            return e.NumberText(e.ToNumber(a[0]) / 2);
        });
    }

    void UseVariables() {
        ev.VariableExpander = [this](const std::string& text) {
            ++expansions;
            return ExpandWith(vars, text);
        };
    }

    void ExpectTable(const std::vector<TExpressionCase>& cases) {
        for (const TExpressionCase& c : cases)
            EXPECT_EQ(Outcome(ev, c.Text), c.Expected) << "expression: " << c.Text;
    }

    std::string MathError(const std::string& text) {
        ev.Expression = text;
        try {
            ev.Evaluate();
        } catch (const EMathError& e) {
            return e.what();
        }
        return "no error";
    }

    TvkEvaluator ev;
    std::map<std::string, std::string> vars{
        {"A", "x"}, {"Win", "C:\\Windows"}, {"Empty", ""}, {"Pct", "50%"}, {"Num", "2"}};
    int calls = 0;
    int expansions = 0;
};

TEST_F(TvkEvaluatorTest, Comparisons) {
    ExpectTable({
        {"1 = 1", "1"},
        {"abc = ABC", "0"},
        {"abc = abc", "1"},
        {"'a ' = 'a'", "0"},
        {"2 = 2.0", "0"},
        {"1 = 1.0", "0"},
        {"'' = ''", "1"},
        {"1 <> 2", "1"},
        {"x <> x", "0"},
        {"abc <> ABC", "1"},
        {"2 < 10", "1"},
        {"'2' < '10'", "1"},
        {"10 > 9", "1"},
        {"9 > 10", "0"},
        {"-1 < 0", "1"},
        {"1 < 1.0", "0"},
        {"1 > 1.0", "0"},
        {"1.5 < 1.25", "0"},
        {"1e2 > 99", "1"},
        {"' 2 ' < 3", "1"},
        {"a < b", "0"},
        {"b > a", "0"},
        {"a < 1", "1"},
        {"'' < 1", "1"},
        {"5.0.2195.1 = '5.0.2195.1'", "1"},
        {"5.0.2195.1 > 4", "0"},
        {"'0x10' > 1", "0"},
    });
}

TEST_F(TvkEvaluatorTest, Arithmetic) {
    ExpectTable({
        {"1 + 2", "3"},
        {"7 - 10", "-3"},
        {"2 * 3.5", "7"},
        {"1 / 2", "0.5"},
        {"10 / 4", "2.5"},
        {"1.50 + 0", "1.5"},
        {"1e3 + 1", "1001"},
        {"' 2 ' + 1", "3"},
        {"-2 * 3", "-6"},
        {"- -1", "-1"},
        {"1 - -1", "2"},
        {"+ '007'", "7"},
        {"-'-5'", "5"},
        {"2 / 3 * 3", "2"},
    });
}

TEST_F(TvkEvaluatorTest, NonNumbersCountAsZero) {
    ExpectTable({
        {"abc + 1", "1"},
        {"'' + 1", "1"},
        {"+abc", "0"},
        {"-'x'", "0"},
        {"'1,5' + 1", "1"},
        {"'1.5.1' * 2", "0"},
        {"'$10' + 0", "0"},
        {"'1e999' + 1", "1"},
    });
}

TEST_F(TvkEvaluatorTest, IntegersReadAsTheGeneralConversionReadsThem) {
    for (const char* text :
         {"0", "-0", "+0", "7", "007", "-12", "+12", " 5 ", "2147483648", "999999999999999",
          "-999999999999999", "9999999999999999", "123456789012345678901234567890"}) {
        double general = 1;
        ASSERT_TRUE(TryStrToFloat(text, general, '.')) << text;
        const double read = ev.ToNumber(text);
        EXPECT_EQ(read, general) << text;
        EXPECT_EQ(std::signbit(read), std::signbit(general)) << text;
    }
    for (const char* text : {"", "-", "+", "--1", "+-1", "1-", "1 2", "0x1F", "$1F", "1a", "1.5.1"})
        EXPECT_EQ(ev.ToNumber(text), 0) << text;
}

TEST_F(TvkEvaluatorTest, ResultsHaveAtMostFifteenSignificantDigits) {
    ExpectTable({
        {"1 / 3", "0.333333333333333"},
        {"2 / 3", "0.666666666666667"},
        {"1 / 7", "0.142857142857143"},
        {"0.1 + 0.2", "0.3"},
        {"123456789012345 + 0", "123456789012345"},
        {"1234567890123456 + 0", "1.23456789012346e+15"},
        {"100000 * 100000", "10000000000"},
        {"0.0001 * 1", "0.0001"},
        {"0.00001 * 1", "1e-05"},
        {"1e308 + 0", "1e+308"},
        // Never a negative zero.
        {"- 0", "0"},
        {"0 * -1", "0"},
        {"-(1 - 1)", "0"},
    });
}

TEST_F(TvkEvaluatorTest, ArithmeticWithoutFiniteResultFails) {
    EXPECT_EQ(MathError("1 / 0"), "Division by zero.");
    EXPECT_EQ(MathError("1 / x"), "Division by zero.");
    EXPECT_EQ(MathError("0 / 0"), "Division by zero.");
    EXPECT_EQ(MathError("1e308 * 10"), "Floating point overflow.");
    EXPECT_EQ(MathError("-1e308 - 1e308"), "Floating point overflow.");
    // Not caught inside the evaluator: the next evaluation starts clean.
    EXPECT_EQ(Outcome(ev, "1 + 1"), "2");
}

TEST_F(TvkEvaluatorTest, UserDecimalSeparator) {
    ev.DecimalSeparator = ',';
    ExpectTable({
        {"'1,5' + '1,5'", "3"},
        {"'1,25' * 2", "2,5"},
        {"'0,1' + '0,2'", "0,3"},
        {"1 / 4", "0,25"},
        {"'1,5e1' + 0", "15"},
        {"'1.5' + 0", "0"},
        {"'1,5' < '1,25'", "0"},
        {"'1,5' > 1", "1"},
        {"Half(3)", "1,5"},
        // Unquoted, the separator is the argument separator.
        {"1,5 + 0", "#2"},
    });
}

TEST_F(TvkEvaluatorTest, ConcatenationAndTruth) {
    ExpectTable({
        {"'a' & 'b'", "ab"},
        {"a & ' ' & b", "a b"},
        {"1 & 2", "12"},
        {"1 and 0", "0"},
        {"1 and 'x'", "1"},
        {"0.0 and 'false'", "1"},
        {"'no' and 00", "1"},
        {"'' or 0", "0"},
        {"'' or 'a'", "1"},
        {"not 0", "1"},
        {"not ''", "1"},
        {"not 'no'", "0"},
        {"not 1 = 0", "1"},
        {"not not 1", "#8"},
        {"1 not 2", "#8"},
        {"& 1", "#4"},
        {"* 2", "#4"},
        {"/ 2", "#4"},
    });
}

TEST_F(TvkEvaluatorTest, PrecedenceKeepsTwoPendingOperators) {
    ExpectTable({
        {"1 + 2 * 3 - 4", "3"},      {"1 * 2 + 3 * 4", "14"},     {"8 - 2 - 1", "5"},
        {"8 / 2 / 2", "2"},          {"1 = 2 + 3 * 4", "0"},      {"20 = 2 + 3 * 4", "1"},
        {"14 = 1 * 2 + 3 * 4", "0"}, {"20 = 1 * 2 + 3 * 4", "1"}, {"14 = (1 * 2 + 3 * 4)", "1"},
        {"1 & 2 + 3", "15"},         {"1 + 2 & 3", "33"},         {"'1' & '0' = 10", "1"},
        {"1 < 2 = 1", "1"},          {"0 or 0 and 0 = 0", "1"},   {"1 = 1 and 2 = 2", "1"},
        {"1 = 1 and 2 = 3", "0"},    {"1 = 2 or 2 = 2", "1"},     {"1 + 6 / 2", "4"},
        {"5 > 2 + 4", "0"},          {"1 = 2 <> 0", "0"},         {"0 = 2 > 3", "0"},
        {"1 = 3 < 2", "1"},
    });
}

TEST_F(TvkEvaluatorTest, WordAndOperatorCharacters) {
    ExpectTable({
        {"100% = '100%'", "1"},
        {"%a% = %b%", "0"},
        {"%a%", "%a%"},
        {"a.b = 'a.b'", "1"},
        {"1 % 2", "#3"},
        {"1 +* 2", "#5"},
        {"FileExists(%System%\\x.dll)", "#21"},
        {"FileExists(C:\\Windows\\x.dll)", "#15"},
        {"FileExists('C:\\Windows\\x.dll')", "1"},
        {"FileExists(\"C:\\Windows\\y.dll\")", "0"},
    });
}

TEST_F(TvkEvaluatorTest, RegisteredFunctions) {
    ExpectTable({
        {"Two(a, b)", "ab"},
        {"two(1,2) = 12", "1"},
        {"Two(Two(1, 2), 3)", "123"},
        {"Two(1 + 1, 2 * 2) + 1", "25"},
        {"Cut('abcdef', 2, 3)", "bcd"},
        {"Cut('abc', x, y)", ""},
        {"Cut('abc', x, 2)", "ab"},
        {"Cut('abc', -5, 9)", "abc"},
        {"Cut('abcdef', ' 2', '2')", "bc"},
        {"Cut('abcdef', '$2', 2)", "ab"},
        {"Cut('abcdef', 0x2, 2)", "ab"},
        {"Cut('abcdef', 2, 99999999999)", ""},
        {"Join(a)", "a"},
        {"Join(a, b, c)", "a|b|c"},
        {"Join(Join(a, b), '', c)", "a|b||c"},
        {"not FileExists('C:\\Windows\\x.dll')", "0"},
    });
}

TEST_F(TvkEvaluatorTest, WrongArgumentCountsAreSyntaxErrors) {
    ExpectTable({
        {"Two(1)", "#6"},
        {"Two(1, 2, 3)", "#12"},
        {"Two(1, )", "#8"},
        {"Two()", "#5"},
        {"Cut('abc', 1)", "#13"},
        {"Join()", "#6"},
        {"Join(a,,b)", "#8"},
        {"Two 1, 2", "#5"},
    });
}

TEST_F(TvkEvaluatorTest, EveryArgumentAndBothSidesAreEvaluated) {
    EXPECT_EQ(Outcome(ev, "0 and Count(1)"), "0");
    EXPECT_EQ(Outcome(ev, "1 or Count(1)"), "1");
    EXPECT_EQ(Outcome(ev, "Two(Count(a), Count(b))"), "ab");
    EXPECT_EQ(calls, 4);
}

TEST_F(TvkEvaluatorTest, FunctionWithoutImplementationFails) {
    ev.Functions.Add("Raw", 1);
    EXPECT_EQ(Outcome(ev, "Raw(1)"), "error: Function \"Raw\" has no implementation.");
}

TEST_F(TvkEvaluatorTest, OperandsPassThroughTheVariableExpansion) {
    UseVariables();
    ExpectTable({
        {"%A% = x", "1"},
        {"'%A%!' = 'x!'", "1"},
        {"'%A%' & %A%", "xx"},
        {"%Missing% = ''", "1"},
        {"'' = %Empty%", "1"},
        {"%Num% * 3", "6"},
        {"%Pct%", "50%"},
        {"'100%%'", "100%"},
        {"'a||b'", "a\r\nb"},
        {"FileExists('%Win%\\x.dll')", "1"},
        {"Cut(%A%, 1, 1)", "x"},
        // Results of parentheses and calls are operands too: expanded once more.
        {"'%%A%%'", "%A%"},
        {"('%%A%%')", "x"},
        {"Join('%%A%%')", "x"},
    });
}

TEST_F(TvkEvaluatorTest, ExpansionIsIdentityWithoutExpander) {
    ExpectTable({
        {"%A% = x", "0"},
        {"'%%'", "%%"},
        {"'a||b'", "a||b"},
    });
}

TEST_F(TvkEvaluatorTest, ExpanderSeesEachOperandOnce) {
    UseVariables();
    EXPECT_EQ(Outcome(ev, "1 + 2"), "3");
    EXPECT_EQ(expansions, 2);
    EXPECT_EQ(Outcome(ev, "(1) + Two(a, b)"), "1");
    EXPECT_EQ(expansions, 2 + 5);
}

TEST_F(TvkEvaluatorTest, ExpansionErrorsPropagateUnchanged) {
    ev.VariableExpander = [](const std::string& text) -> std::string {
        if (text == "%Self%")
            throw Exception("Infinite reference in the string \"%Self%\".");
        return text;
    };
    ev.Expression = "1 = 1 and %Self% = 1";
    try {
        ev.Evaluate();
        FAIL() << "no error";
    } catch (const TepEvaluatorError& e) {
        FAIL() << "turned into a syntax error: " << e.what();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Infinite reference in the string \"%Self%\".");
    }
}

TEST_F(TvkEvaluatorTest, ConditionsSpanningLines) {
    UseVariables();
    EXPECT_TRUE(ev.EvaluateCondition("1 =\r\n1"));
    EXPECT_TRUE(ev.EvaluateCondition("%A%\r\n= x and\r\n%Num% > 1"));
    EXPECT_TRUE(ev.EvaluateCondition("1\n= 1"));
    EXPECT_TRUE(ev.EvaluateCondition("'a\r\nb' = 'a b'"));
    EXPECT_FALSE(ev.EvaluateCondition("1 =\r\n2"));
    EXPECT_THROW(ev.EvaluateCondition("1 =\t1"), TepEvaluatorError);
}

TEST_F(TvkEvaluatorTest, TruthOfTheResult) {
    EXPECT_FALSE(ev.EvaluateCondition(""));
    EXPECT_FALSE(ev.EvaluateCondition("0"));
    EXPECT_FALSE(ev.EvaluateCondition("''"));
    EXPECT_FALSE(ev.EvaluateCondition("1 - 1"));
    EXPECT_TRUE(ev.EvaluateCondition("'0.0'"));
    EXPECT_TRUE(ev.EvaluateCondition("'00'"));
    EXPECT_TRUE(ev.EvaluateCondition("false"));
    EXPECT_TRUE(ev.EvaluateCondition("no"));
    EXPECT_TRUE(ev.EvaluateCondition("' '"));
    EXPECT_TRUE(ev.EvaluateCondition("-1"));
}

TEST_F(TvkEvaluatorTest, ConditionCallbackUsesTheRunsEvaluator) {
    EXPECT_TRUE(EvaluateCondition("0"));
    MainEvaluator = &ev;
    EXPECT_FALSE(EvaluateCondition("0"));
    EXPECT_TRUE(EvaluateCondition("1 =\r\n1"));
    MainEvaluator = nullptr;
}

// Looking a variable up may evaluate the variable's own condition on the same evaluator while
// the outer expression is half read.
TEST_F(TvkEvaluatorTest, ReentrantEvaluation) {
    ev.VariableExpander = [this](const std::string& text) {
        if (text.find('%') != std::string::npos && !ev.EvaluateCondition("2 > 1 and 'y' <> ''"))
            return std::string("hidden");
        return ExpandWith(vars, text);
    };
    EXPECT_EQ(Outcome(ev, "%A% = x and %Num% + 1 = 3"), "1");
    EXPECT_EQ(Outcome(ev, "Two(%A%, %A%) & (%Num%)"), "xx2");
}

TEST_F(TvkEvaluatorTest, EndlessReentranceEndsInAnError) {
    ev.VariableExpander = [this](const std::string& text) {
        ev.EvaluateCondition(text);
        return text;
    };
    EXPECT_EQ(Outcome(ev, "1"), "error: Expression is nested too deeply.\r\nPosition 1.");
    ev.VariableExpander = nullptr;
    EXPECT_EQ(Outcome(ev, "((1))"), "1");
}

TEST(TvkAnswerCache, KeysIgnoreCase) {
    TvkAnswerCache cache;
    EXPECT_EQ(cache.Find("*Continue?*"), nullptr);
    cache.Set("*Continue?*", "1");
    cache.Set("*a=b*", "0");
    cache.Set("*\xE9t\xE9*", "1");
    ASSERT_NE(cache.Find("*CONTINUE?*"), nullptr);
    EXPECT_EQ(*cache.Find("*CONTINUE?*"), "1");
    ASSERT_NE(cache.Find("*A=B*"), nullptr);
    EXPECT_EQ(*cache.Find("*A=B*"), "0");
    EXPECT_EQ(cache.Find("*a*"), nullptr);
    ASSERT_NE(cache.Find("*\xC9T\xC9*"), nullptr);
    cache.Set("*continue?*", "0");
    EXPECT_EQ(*cache.Find("*Continue?*"), "0");
}

} // namespace
} // namespace velk
