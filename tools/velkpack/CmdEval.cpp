#include <cstdio>
#include <string>
#include <vector>

#include "expressions/Evaluator.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/DatabaseInput.h"
#include "tools/velkpack/RunVariables.h"

namespace velk {
namespace {

const char kEvalUsage[] =
    "Usage: velkpack eval [OPTIONS] EXPR\n"
    "\n"
    "Evaluates the condition expression EXPR with the installer's evaluator and prints its\n"
    "result. Variables are those setup.exe defines (environment, folders, date, system,\n"
    "SourcePath as the current folder, LangID ENU, empty ParamStr), then the variables of the\n"
    "database, then the --var settings. Texts pass through byte for byte.\n"
    "On Linux what needs Windows is empty: the Windows, system and shell folders, OSPlatform\n"
    "and OSVersion; the registry is empty, file functions see the local file system, and\n"
    "AskUser asks on the terminal (no terminal answers no).\n"
    "\n"
    "  --db FILE          load the main install database FILE first\n"
    "  --var NAME=VALUE   set variable NAME (repeatable; applied in order)\n"
    "  --help             show this help\n"
    "\n"
    "Exit codes: 0 evaluated, 1 the expression, a condition or a variable failed, or the\n"
    "database is wrong (exact message on stderr), 2 bad usage or unreadable file.\n";

} // namespace

int RunEval(const std::vector<std::string>& args) {
    std::vector<std::string> expressions;
    std::string dbPath;
    TVarSettings vars;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || arg[1] != '-') {
            expressions.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            std::fputs(kEvalUsage, stdout);
            return kExitOk;
        } else if (arg == "--db" || arg.rfind("--db=", 0) == 0) {
            if (arg != "--db")
                dbPath = arg.substr(5);
            else if (i + 1 < args.size())
                dbPath = args[++i];
            if (dbPath.empty())
                return UsageError("eval", "--db needs a FILE");
        } else if (TakeVarOption(args, i, vars, error)) {
            if (!error.empty())
                return UsageError("eval", error);
        } else {
            return UsageError("eval", "unknown option \"" + arg + "\"");
        }
    }
    if (expressions.size() != 1)
        return UsageError("eval",
                          expressions.empty() ? "no EXPR given" : "only one EXPR can be given");

    TXMLTag root;
    if (!dbPath.empty())
        if (int code = ParseDatabaseFile("eval", dbPath, root))
            return code;
    TvkMainDatabase db(nullptr);
    db.Packages->AddNew()->FileName = "setup";
    std::string result;
    try {
        TRunVariables run(db, dbPath.empty() ? nullptr : &root, vars);
        MainEvaluator->Expression = expressions[0];
        result = MainEvaluator->Evaluate();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailed;
    }
    std::fwrite(result.data(), 1, result.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

} // namespace velk
