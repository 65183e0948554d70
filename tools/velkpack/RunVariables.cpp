#include "tools/velkpack/RunVariables.h"

#include <filesystem>
#include <system_error>

#include "database/VKPredefined.h"
#include "database/VKVariables.h"
#include "expressions/EvaluatorSetup.h"

namespace velk {

namespace {

std::string CurrentFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

} // namespace

bool TakeVarOption(const std::vector<std::string>& args, size_t& i, TVarSettings& vars,
                   std::string& error) {
    const std::string& arg = args[i];
    std::string setting;
    if (arg.rfind("--var=", 0) == 0) {
        setting = arg.substr(6);
    } else if (arg != "--var") {
        return false;
    } else if (i + 1 < args.size()) {
        setting = args[++i];
    } else {
        error = "--var needs NAME=VALUE";
        return true;
    }
    size_t eq = setting.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--var needs NAME=VALUE, not \"" + setting + "\"";
        return true;
    }
    vars.emplace_back(setting.substr(0, eq), setting.substr(eq + 1));
    return true;
}

TRunVariables::TRunVariables(TvkMainDatabase& db, const TXMLTag* root, const TVarSettings& vars) {
    InitEvaluator(db);
    ConditionsEnabled = true;
    TvkRunInfo run;
    run.SourceFolder = CurrentFolder();
    try {
        InitRuntimeVariables(db, run);
        if (root) {
            db.Variables->Clear();
            db.Merge(*root);
            InitRuntimeVariables(db, run);
        }
        for (const auto& v : vars)
            SetVariable(&db, v.first, v.second);
    } catch (...) {
        ConditionsEnabled = false;
        DoneEvaluator();
        throw;
    }
}

TRunVariables::~TRunVariables() {
    ConditionsEnabled = false;
    DoneEvaluator();
}

} // namespace velk
