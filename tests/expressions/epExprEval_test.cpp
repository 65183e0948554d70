#include "expressions/epExprEval.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expressions/EvalOutcome.h"

namespace velk {
namespace {

// Writes out how it was asked to apply operators and functions, so that grouping, argument lists
// and operand checks show in the result: binary "(a op b)", unary "(op a)", calls "f[a,b]".
class TraceEvaluator : public TepEvaluator {
public:
    TraceEvaluator() {
        Operators.Add("+", okUnary | okBinary, 3);
        Operators.Add("-", okUnary | okBinary, 3);
        Operators.Add("*", okBinary, 4);
        Operators.Add("=", okBinary, 2);
        Operators.Add("<>", okBinary, 2);
        Operators.Add("and", okBinary, 1);
        Operators.Add("or", okBinary, 0);
        Operators.Add("not", okUnary, 5);
        Functions.Add("f", 1);
        Functions.Add("g", 2);
        Functions.Add("h", TepFunction::AnyCount);
        Functions.Add("now", 0);
    }

    std::vector<std::string> Checked;

protected:
    bool CheckOperand(std::string& operand) override {
        Checked.push_back(operand);
        return operand != "bad";
    }
    std::string DoOperator(const TepOperator& op, bool binary, const std::string& left,
                           const std::string& right) override {
        return binary ? "(" + left + " " + op.Name + " " + right + ")"
                      : "(" + op.Name + " " + right + ")";
    }
    std::string DoFunction(const TepFunction& function,
                           const std::vector<std::string>& args) override {
        std::string r = function.Name + "[";
        for (size_t i = 0; i < args.size(); ++i)
            r += (i ? "," : "") + args[i];
        return r + "]";
    }
};

void ExpectTable(const std::vector<TExpressionCase>& cases) {
    for (const TExpressionCase& c : cases) {
        TraceEvaluator ev;
        EXPECT_EQ(Outcome(ev, c.Text), c.Expected) << "expression: " << c.Text;
    }
}

TEST(EvaluatorGrouping, AtMostTwoPendingBinaryOperators) {
    ExpectTable({
        {"1 + 2", "(1 + 2)"},
        {"1 + 2 * 3 - 4", "((1 + (2 * 3)) - 4)"},
        {"1 * 2 + 3 * 4", "((1 * 2) + (3 * 4))"},
        {"1 + 2 * 3 * 4", "(1 + ((2 * 3) * 4))"},
        {"8 - 2 - 1", "((8 - 2) - 1)"},
        {"1 = 2 + 3 * 4", "(1 = ((2 + 3) * 4))"},
        {"a or b and c = d", "(a or ((b and c) = d))"},
        {"a or b and c = d + e", "(a or (((b and c) = d) + e))"},
        {"a or b = c and d", "(a or ((b = c) and d))"},
        {"a and b or c", "((a and b) or c)"},
        {"a or b and c", "(a or (b and c))"},
        {"a = b and c = d", "((a = b) and (c = d))"},
        {"a = b and c = d or e = f", "(((a = b) and (c = d)) or (e = f))"},
        {"a <> b or c", "((a <> b) or c)"},
        {"1 + 2 = 3 * 4", "((1 + 2) = (3 * 4))"},
        {"(1 = 2) + 3 * 4", "((1 = 2) + (3 * 4))"},
        {"1 = (2 + 3 * 4)", "(1 = (2 + (3 * 4)))"},
    });
}

TEST(EvaluatorGrouping, UnaryOperatorTakesTheNextOperandOnly) {
    ExpectTable({
        {"-2 * 3", "((- 2) * 3)"},
        {"not a = b", "((not a) = b)"},
        {"not a and b", "((not a) and b)"},
        {"1 + -2", "(1 + (- 2))"},
        {"1 - - 2", "(1 - (- 2))"},
        {"1 * -2 + 3", "((1 * (- 2)) + 3)"},
        {"- -1", "(- 1)"},
        {"-+1", "#3"},
        {"not -1", "(- 1)"},
        {"not (a)", "(not a)"},
        {"NOT a", "(not a)"},
        {"'not' a", "(not a)"},
        {"not not 1", "#8"},
        {"- not 1", "#6"},
        {"* 2", "#4"},
        {"* 2 + 1", "#4"},
        {"1 not 2", "#8"},
        {"1 not 2 + 3", "#12"},
        {"1 + not", "(1 + not)"},
        {"1 + -", "1"},
    });
}

TEST(EvaluatorScanner, OperatorRuns) {
    ExpectTable({
        {"1<>2", "(1 <> 2)"},
        {"1 <> 2", "(1 <> 2)"},
        {"1+2", "(1 + 2)"},
        {"1 +* 2", "#5"},
        {"1 +-2", "#5"},
        {"1 <= 2", "#5"},
        {"1 and2", "(1 and 2)"},
        {"a AND b", "(a and b)"},
        {"a Or b", "(a or b)"},
        {"a andb c", "#7"},
        {"a b c", "#4"},
        {"a b", "a"},
        {"1 2", "#3"},
        {"1\t= 1", "#2"},
        {"1 = \t1", "#5"},
        {"1 ! 2", "#4"},
        {"1 +", "1"},
        {"1 + ", "1"},
        {"1 + 2 *", "(1 + 2)"},
        {"1 +*", "1"},
        {"not", "not"},
        {"1 + and", "(1 + and)"},
        // Runs of blanks move the position as single ones do.
        {"  1   =   2  ", "(1 = 2)"},
        {"1   +*   2", "#7"},
        {"f   (a)", "f[a]"},
        {"g(a ,   b   )", "g[a,b]"},
    });
}

TEST(EvaluatorLookup, NamesAreFoundInAnyCaseAndTheFirstRegisteredWins) {
    TepFunctionList functions;
    functions.Add("Alpha", 1);
    functions.Add("beta", 1);
    functions.Add("ALPHA", 2);
    functions.Add("Alps", 1);
    functions.Add("\xE9t\xE9", 1);
    functions.Add("", 0);
    const struct {
        const char* Word;
        int Index; // -1: not found
    } cases[] = {
        {"alpha", 0},     {"ALPHA", 0},     {"aLPS", 3}, {"Beta", 1}, {"BETA", 1},
        {"\xC9T\xC9", 4}, {"\xE9T\xC9", 4}, {"", 5},     {"Alp", -1}, {"Alphas", -1},
        {"lpha", -1},     {"gamma", -1},    {"b", -1},
    };
    for (const auto& c : cases) {
        const TepFunction* found = functions.Find(c.Word);
        EXPECT_EQ(found ? found->Index : -1, c.Index) << c.Word;
    }
    TepOperatorList operators;
    operators.Add("<", okBinary, 2);
    operators.Add("<>", okBinary, 2);
    operators.Add("and", okBinary, 1);
    EXPECT_EQ(operators.Find("<>")->Index, 1);
    EXPECT_EQ(operators.Find("<")->Index, 0);
    EXPECT_EQ(operators.Find("AnD")->Index, 2);
    EXPECT_EQ(operators.Find("<="), nullptr);
}

TEST(EvaluatorScanner, ParenthesesAndEnds) {
    ExpectTable({
        {"", ""},
        {"   ", ""},
        {"a", "a"},
        {"  a  ", "a"},
        {"(1 + 2) * 3", "((1 + 2) * 3)"},
        {"((1))", "1"},
        {"(1 + 2", "(1 + 2)"},
        {"((1 + 2) * (3", "((1 + 2) * 3)"},
        {"1) junk", "1"},
        {"1 + 2) * 3", "(1 + 2)"},
        {"(", ""},
        {"()", "#2"},
        {"(1 + )", "#6"},
        {"1 + ()", "#6"},
        {"(1) (2)", "#5"},
        {")", "#1"},
        {"(1, 2)", "#3"},
        {"1, 2", "#2"},
        {"a(1)", "#2"},
    });
}

TEST(EvaluatorScanner, QuotedRuns) {
    ExpectTable({
        {"'a b'", "a b"},
        {"\"a b\"", "a b"},
        {"\"it\"\"s\"", "it\"s"},
        {"\"it's\"", "its"},
        {"'it''s'", "it's"},
        {"'it\"s'", "its"},
        {"\"a'\"", "a'"},
        {"\"ab\"cd", "abcd"},
        {"ab'cd'", "abcd"},
        {"'a'\"b\"", "ab"},
        {"''", ""},
        {"'' = a", "( = a)"},
        {"a = ''", "(a = )"},
        {"'''' = a", "(' = a)"},
        {"'(1 + 2)'", "(1 + 2)"},
        {"'a, b'", "a, b"},
        {"'unterminated", "unterminated"},
        {"'a' 'b'", "#5"},
        {"'1 +* 2' = x", "(1 +* 2 = x)"},
        {"'' 'x'", "#4"},
    });
}

TEST(EvaluatorFunctions, ArgumentLists) {
    ExpectTable({
        {"f(1)", "f[1]"},
        {"F(1)", "f[1]"},
        {"'f'(1)", "f[1]"},
        {"f (1)", "f[1]"},
        {"f(1 + 2 * 3)", "f[(1 + (2 * 3))]"},
        {"g(1, 2)", "g[1,2]"},
        {"g( 1 ,2 )", "g[1,2]"},
        {"h(1)", "h[1]"},
        {"h(1, 2, 3)", "h[1,2,3]"},
        {"g(f(1), h(2, 3 + 4))", "g[f[1],h[2,(3 + 4)]]"},
        {"f(f(f(x)))", "f[f[f[x]]]"},
        {"not f(1)", "(not f[1])"},
        {"-f(1) * 2", "((- f[1]) * 2)"},
        {"1 + f(2) * 3", "(1 + (f[2] * 3))"},
        {"f((1))", "f[1]"},
        {"f('')", "f[]"},
        {"g('', '')", "g[,]"},
        {"now ", "now[]"},
        // A word that ends the text is an operand, whatever it names.
        {"now", "now"},
        {"1 + now", "(1 + now)"},
        {"now + 1", "(now[] + 1)"},
        {"NOW = 1", "(now[] = 1)"},
        {"1 + f", "(1 + f)"},
        {"f", "f"},
        {"f(1", "f[1]"},
        {"g(1, f(2", "g[1,f[2]]"},
    });
}

TEST(EvaluatorFunctions, MalformedCallsFailAtTheRightPosition) {
    ExpectTable({
        {"f()", "#3"},
        {"g(1)", "#4"},
        {"g(1, 2, 3)", "#10"},
        {"f(1, 2)", "#7"},
        {"h(1,,2)", "#5"},
        {"h(,1)", "#3"},
        {"h(1,)", "#5"},
        {"f 1", "#3"},
        {"f + 1", "#3"},
        {"now()", "#4"},
        {"f(1 +* 2)", "#7"},
        {"f((1, 2))", "#5"},
        {"g(1, 2 2)", "#8"},
        {"f(", "#3"},
        {"g(1,", "#5"},
        {"g(1", "#4"},
        {"f(1) g(2)", "#7"},
    });
}

TEST(EvaluatorErrors, MessageNamesTheLineAndPosition) {
    TraceEvaluator ev;
    ev.Expression = "1 +* 2";
    try {
        ev.Evaluate();
        FAIL() << "no error";
    } catch (const TepEvaluatorError& e) {
        EXPECT_STREQ(e.what(), "Syntax error.\r\nPosition 5.");
    }
    // A failed evaluation leaves nothing behind for the next one.
    EXPECT_EQ(Outcome(ev, "1 + 2"), "(1 + 2)");
}

TEST(EvaluatorOperands, EveryOperandIsCheckedBeforeUse) {
    TraceEvaluator ev;
    EXPECT_EQ(Outcome(ev, "now - a + (b) * f(c)"), "((now[] - a) + (b * f[c]))");
    EXPECT_EQ(ev.Checked, (std::vector<std::string>{"now[]", "a", "b", "b", "c", "f[c]"}));

    ev.Checked.clear();
    EXPECT_EQ(Outcome(ev, "not 'x y'"), "(not x y)");
    EXPECT_EQ(ev.Checked, std::vector<std::string>{"x y"});
}

TEST(EvaluatorOperands, RejectedOperandIsASyntaxError) {
    ExpectTable({
        {"bad", "#4"},
        {"1 + bad", "#8"},
        {"bad + 1", "#4"},
        {"f(bad)", "#6"},
        {"'bad'", "#6"},
        {"(bad)", "#5"},
    });
}

// Rewrites every operand to upper case and applies "+" as text concatenation, to show that the
// rewritten text is what the operators receive.
class RewritingEvaluator : public TraceEvaluator {
protected:
    bool CheckOperand(std::string& operand) override {
        for (char& c : operand)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return true;
    }
};

TEST(EvaluatorOperands, RewrittenOperandIsUsed) {
    RewritingEvaluator ev;
    EXPECT_EQ(Outcome(ev, "a + 'b c'"), "(A + B C)");
    EXPECT_EQ(Outcome(ev, "f(x)"), "F[X]");
}

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

TEST(EvaluatorNesting, DeepNestingEndsInAnError) {
    const int most = TepEvaluator::MaxNesting - 1;
    TraceEvaluator ev;
    EXPECT_EQ(Outcome(ev, Repeat("(", most) + "1" + Repeat(")", most)), "1");
    EXPECT_EQ(Outcome(ev, Repeat("(", most + 1) + "1" + Repeat(")", most + 1)),
              "error: Expression is nested too deeply.\r\nPosition 256.");
    EXPECT_EQ(Outcome(ev, Repeat("f(", most) + "1"), Repeat("f[", most) + "1" + Repeat("]", most));
    EXPECT_EQ(Outcome(ev, "1 + " + Repeat("f(", most + 1)),
              "error: Expression is nested too deeply.\r\nPosition 516.");
    // Far beyond the limit: an error, not a stack overflow.
    EXPECT_EQ(Outcome(ev, Repeat("(", 200000)),
              "error: Expression is nested too deeply.\r\nPosition 256.");
    EXPECT_EQ(Outcome(ev, Repeat("not h(1, -f(", 100000)),
              "error: Expression is nested too deeply.\r\nPosition 1536.");
    // The counter is back at zero after the errors.
    EXPECT_EQ(Outcome(ev, Repeat("(", most) + "x"), "x");
}

} // namespace
} // namespace velk
