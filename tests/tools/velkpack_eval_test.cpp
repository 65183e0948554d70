// Runs velkpack eval and checks results, variables, errors and questions on a terminal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/VelkpackRun.h"

namespace {

using velk_test::TVelkpackResult;

const char kDatabase[] = R"(<setup>
  <variables>
    <var name="AppName" value="Demo"/>
    <var name="Target" value="%ProgramFiles%\%AppName%"/>
    <var name="Edition" value="pro" condition="%AppName% = Demo"/>
    <var name="Edition" value="basic"/>
    <var name="LangID" value="FRA"/>
  </variables>
</setup>)";

class VelkpackEvalTest : public velk_test::TVelkpackTest {
protected:
    // The result line of a successful evaluation.
    std::string Eval(const std::string& args) {
        TVelkpackResult r = Run("eval " + args + " </dev/null");
        EXPECT_EQ(r.exitCode, 0) << args << ": " << r.err;
        EXPECT_EQ(r.err, "") << args;
        if (r.out.empty() || r.out.back() != '\n')
            return "<no line: " + r.out + ">";
        return r.out.substr(0, r.out.size() - 1);
    }
    // What a failing evaluation reports.
    std::string Failure(const std::string& args) {
        TVelkpackResult r = Run("eval " + args + " </dev/null");
        EXPECT_EQ(r.exitCode, 1) << args;
        EXPECT_EQ(r.out, "") << args;
        return r.err;
    }
    // Runs velkpack with its standard input and error on a terminal that types answer.
    std::string OnTerminal(const std::string& expression, const std::string& answer,
                           std::string& result) {
        int pipeOut[2];
        EXPECT_EQ(pipe(pipeOut), 0);
        int terminal = -1;
        pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            dup2(pipeOut[1], STDOUT_FILENO);
            close(pipeOut[0]);
            execl(VELKPACK_PATH, VELKPACK_PATH, "eval", expression.c_str(), nullptr);
            _exit(127);
        }
        close(pipeOut[1]);
        EXPECT_EQ(write(terminal, answer.data(), answer.size()), ssize_t(answer.size()));
        std::string seen;
        char buffer[512];
        ssize_t n;
        while ((n = read(terminal, buffer, sizeof buffer)) > 0)
            seen.append(buffer, size_t(n));
        while ((n = read(pipeOut[0], buffer, sizeof buffer)) > 0)
            result.append(buffer, size_t(n));
        close(pipeOut[0]);
        close(terminal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
        return seen;
    }
};

TEST_F(VelkpackEvalTest, PrintsTheResult) {
    EXPECT_EQ(Eval("'1 + 2'"), "3");
    EXPECT_EQ(Eval("'-1 - 1'"), "-2");
    EXPECT_EQ(Eval("'2 < 10 and not 0'"), "1");
    EXPECT_EQ(Eval("\"''\""), "");
    EXPECT_EQ(Eval("'CompareVersion(\"1.10\", \"1.9\")'"), "1");
    EXPECT_EQ(Eval("-- '-5 * 2'"), "-10");
    EXPECT_EQ(Eval("'Iif(%ParamStr% = \"\", \"none\", \"some\")'"), "none");
}

TEST_F(VelkpackEvalTest, VariablesOfTheSystemTheDatabaseAndTheCommandLine) {
    setenv("VELK_EVAL_ENV", "from environment", 1);
    EXPECT_EQ(Eval("'%velk_eval_env%'"), "from environment");
    unsetenv("VELK_EVAL_ENV");
    EXPECT_EQ(Eval("'%LangID%'"), "ENU");
    EXPECT_EQ(Eval("\"'[%Windows%][%System%][%OSPlatform%][%OSVersion%][%Desktop%]'\""),
              "[][][][][]");
    EXPECT_EQ(Eval("'%CommonFiles%'"), "\\Program Files\\Common Files");
    char folder[4096];
    ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
    EXPECT_EQ(Eval("'%SourcePath%'"), folder);
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    EXPECT_EQ(Eval("'%Date%'"), std::to_string(local.tm_mon + 1) + "/" +
                                    std::to_string(local.tm_mday) + "/" +
                                    std::to_string(local.tm_year + 1900));

    std::string db = Write("main.xml", kDatabase);
    EXPECT_EQ(Eval("\"'%Target% %Edition%'\" --db " + db), "\\Program Files\\Demo pro");
    // The database's own value of a run-time variable gives way to the system's.
    EXPECT_EQ(Eval("'%LangID%' --db " + db), "ENU");
    EXPECT_EQ(Eval("\"'%Target% %Edition%'\" --db=" + db + " --var AppName=Other"),
              "\\Program Files\\Other basic");
    EXPECT_EQ(Eval("'%A%%B%' --var A=1 --var=B=%A%2 --var A=3"), "332");
    EXPECT_EQ(Eval("'%Empty%.' --var Empty="), ".");
    EXPECT_EQ(Eval("'%Eq%' --var Eq=a=b"), "a=b");
}

TEST_F(VelkpackEvalTest, SystemFunctionsSeeLinux) {
    std::string file = Write("data.txt", "12345");
    EXPECT_EQ(Eval("\"FileExists('" + file + "') & FileSize('" + dir_ + "/*.txt')\""), "15");
    EXPECT_EQ(Eval("\"FolderExists('" + dir_ + "')\""), "1");
    EXPECT_EQ(Eval("\"RegParam('HKLM\\Software\\X', 'v', 'dflt') & RegKeyExists('HKCU')\""),
              "dflt0");
    // Without a terminal nobody answers.
    EXPECT_EQ(Eval("\"AskUser('Setup', 'Go on?', 1, 1)\""), "0");
}

TEST_F(VelkpackEvalTest, ErrorsPrintTheirExactMessage) {
    EXPECT_EQ(Failure("'1 +* 2'"), "Syntax error.\r\nPosition 5.\n");
    EXPECT_EQ(Failure("'%Self%' --var Self=%Self%"),
              "Infinite reference in the string \"%Self%\".\n");
    EXPECT_EQ(Failure("\"CompareDate('bad', '1/1/2020')\""),
              "'bad' is not a valid date and time\n");
    EXPECT_EQ(Failure("'1 / 0'"), "Division by zero.\n");
    std::string db = Write("broken.xml", "<m><variables><var name='X' value='1' "
                                         "condition='Iif(1, 2)'/></variables></m>");
    EXPECT_EQ(Failure("'%X%' --db " + db), "Syntax error.\r\nPosition 9.\n");
    EXPECT_EQ(Failure("x --db " + Write("bad.xml", "<a></b>")).empty(), false);
}

TEST_F(VelkpackEvalTest, UsageMistakesExitWithTwo) {
    EXPECT_EQ(Run("eval").exitCode, 2);
    EXPECT_EQ(Run("eval 1 2").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --var").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --var NoValue").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --var =x").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --db").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --db " + dir_ + "/none.xml").exitCode, 2);
    EXPECT_EQ(Run("eval 1 --frobnicate").exitCode, 2);
    TVelkpackResult help = Run("eval --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--var NAME=VALUE"), std::string::npos);
    EXPECT_NE(Run("--help").out.find("eval"), std::string::npos);
}

TEST_F(VelkpackEvalTest, AskUserOnATerminalAsksOncePerText) {
    std::string result;
    std::string seen = OnTerminal(
        "AskUser('Setup', 'Go on?', 1, 1) & AskUser('Other', 'GO ON?', 0, 2)", "y\n", result);
    EXPECT_EQ(result, "11\n") << seen;
    EXPECT_NE(seen.find("Setup"), std::string::npos) << seen;
    EXPECT_NE(seen.find("Go on?"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("Other"), std::string::npos) << seen;

    result.clear();
    OnTerminal("AskUser('Setup', 'Go on?', 1, 1)", "n\n", result);
    EXPECT_EQ(result, "0\n");
    result.clear();
    OnTerminal("AskUser('Setup', 'Go on?', 1, 2)", "ok\n", result);
    EXPECT_EQ(result, "1\n");
    result.clear();
    OnTerminal("AskUser('Setup', 'Go on?', 1, 2)", "cancel\n", result);
    EXPECT_EQ(result, "0\n");
}

} // namespace
