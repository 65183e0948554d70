#include <cstdio>
#include <string>
#include <vector>

#include "database/VKSelection.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/DatabaseInput.h"
#include "tools/velkpack/RunVariables.h"

namespace velk {
namespace {

const char kPlanUsage[] =
    "Usage: velkpack plan [OPTIONS] FILE\n"
    "\n"
    "Loads the main install database FILE as setup.exe does, applies its default selection,\n"
    "then the choices given here in their order, selects the components as setup.exe does\n"
    "after its dialogs, and prints the outcome as JSON:\n"
    "  \"features\": [{\"id\", \"parent\", \"state\", \"required\"}, ...] depth first; state 0 is\n"
    "      not selected, 1 selected, 2 partly selected; parent is null at the top\n"
    "  \"installtypes\": [{\"id\", \"current\"}, ...]\n"
    "  \"components\": [{\"id\", \"package\"}, ...] the components kept, in database order\n"
    "Components without a package belong to the setup program, named \"setup\" here.\n"
    "Conditions are evaluated as setup.exe evaluates them, over the variables it defines, those\n"
    "of the database and the --var settings (see \"velkpack eval --help\").\n"
    "\n"
    "  --type ID         make install type ID current\n"
    "  --feature ID=0|1  deselect (0) or select (1) feature ID\n"
    "  --var NAME=VALUE  set variable NAME before the selection (repeatable)\n"
    "  --codepage N      code page of the file's texts: 1252 (default) or 28591\n"
    "  --compact         print the JSON on one line\n"
    "  --help            show this help\n"
    "\n"
    "A choice the database refuses (an unknown or inactive install type or feature, or\n"
    "deselecting a required feature) is reported on stderr and the plan goes on.\n"
    "Exit codes: 0 planned, 1 XML syntax error, unconvertible value, a condition or variable\n"
    "that fails, or a feature naming an unknown component or a component naming an unknown\n"
    "package (message on stderr), 2 bad usage or unreadable file.\n";

// The setup program's base name, which components without a package are given.
const char kSetupName[] = "setup";

struct TChoice {
    bool InstallType;
    std::string ID;
    bool Value;
};

// The value of option name at args[i]: after "=" in the same argument or the next argument.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
}

bool IsOption(const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
}

void AddFeatures(const TvkFeatures& list, const TvkFeature* parent, TCodePage codePage,
                 TJson& out) {
    for (const TvkFeature* f : list) {
        out.push_back({{"id", ToUtf8(f->ID, codePage)},
                       {"parent", parent ? TJson(ToUtf8(parent->ID, codePage)) : TJson()},
                       {"state", f->State()},
                       {"required", f->Required}});
        AddFeatures(*f->Features, f, codePage, out);
    }
}

TJson Plan(const TvkMainDatabase& db, const TvkInstallType* current, TCodePage codePage) {
    TJson features = TJson::array();
    AddFeatures(*db.Features, nullptr, codePage, features);
    TJson types = TJson::array();
    for (const TvkInstallType* t : *db.InstallTypes)
        types.push_back({{"id", ToUtf8(t->ID, codePage)}, {"current", t == current}});
    TJson components = TJson::array();
    for (const TvkComponent* c : *db.Components)
        components.push_back(
            {{"id", ToUtf8(c->ID(), codePage)}, {"package", ToUtf8(c->Package, codePage)}});
    return {{"features", features}, {"installtypes", types}, {"components", components}};
}

} // namespace

int RunPlan(const std::vector<std::string>& args) {
    TJsonOptions output;
    std::vector<TChoice> choices;
    TVarSettings vars;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        std::string value;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kPlanUsage, stdout);
            return kExitOk;
        } else if (IsOption(arg, "--type")) {
            if (!TakeValue(args, i, "--type", value))
                return UsageError("plan", "--type needs an install type ID");
            choices.push_back({true, value, true});
        } else if (IsOption(arg, "--feature")) {
            if (!TakeValue(args, i, "--feature", value))
                return UsageError("plan", "--feature needs ID=0 or ID=1");
            size_t eq = value.rfind('=');
            std::string state = eq == std::string::npos ? "" : value.substr(eq + 1);
            if (state != "0" && state != "1")
                return UsageError("plan", "--feature needs ID=0 or ID=1, not \"" + value + "\"");
            choices.push_back({false, value.substr(0, eq), state == "1"});
        } else if (TakeVarOption(args, i, vars, error)) {
            if (!error.empty())
                return UsageError("plan", error);
        } else if (TakeJsonOption(args, i, output, error)) {
            if (!error.empty())
                return UsageError("plan", error);
        } else {
            return UsageError("plan", "unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 1)
        return UsageError("plan", files.empty() ? "no FILE given" : "only one FILE can be given");

    TXMLTag root;
    if (int code = ParseDatabaseFile("plan", files[0], root))
        return code;
    TvkMainDatabase db(nullptr);
    TvkPackage* setup = db.Packages->AddNew();
    setup->FileName = kSetupName;
    setup->Needed = true;
    const TvkInstallType* current = nullptr;
    db.OnInstallTypeChange = [&current](TvkInstallType& t) { current = &t; };
    try {
        TRunVariables run(db, &root, vars);
        ApplyDefaultSelection(db);
        for (const TChoice& choice : choices) {
            if (choice.InstallType) {
                if (!db.SelectInstallType(choice.ID))
                    std::fprintf(stderr, "velkpack plan: install type \"%s\" cannot be selected\n",
                                 choice.ID.c_str());
            } else if (!db.SetFeatureSelected(choice.ID, choice.Value)) {
                std::fprintf(stderr, "velkpack plan: feature \"%s\" cannot be %s\n",
                             choice.ID.c_str(), choice.Value ? "selected" : "deselected");
            }
        }
        TSelectionError error;
        if (!SelectComponents(db, kSetupName, error)) {
            std::fprintf(stderr, "%s\n", error.Text.c_str());
            return kExitFailed;
        }
        return PrintJson(Plan(db, current, output.CodePage), output);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailed;
    }
}

} // namespace velk
