#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "database/VKClasses.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/DatabaseInput.h"

namespace velk {
namespace {

const char kDbUsage[] =
    "Usage: velkpack db [OPTIONS] FILE\n"
    "\n"
    "Loads the install database FILE as setup.exe does (parsed with its options, merged into\n"
    "the main database object) and prints what the engine understood: the object written back\n"
    "into a new tree, as the JSON of \"velkpack xml\". Unknown attributes and elements do not\n"
    "appear; values appear as the engine stores them.\n"
    "\n"
    "  --package         load FILE as a package database (db.pdb) instead of the main one\n"
    "  --codepage N      code page of the file's texts: 1252 (default) or 28591\n"
    "  --compact         print the JSON on one line\n"
    "  --help            show this help\n"
    "\n"
    "Exit codes: 0 loaded, 1 XML syntax error or a value the engine cannot convert (message\n"
    "on stderr), 2 bad usage or unreadable file.\n";

} // namespace

int RunDb(const std::vector<std::string>& args) {
    bool package = false;
    TJsonOptions output;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kDbUsage, stdout);
            return kExitOk;
        } else if (arg == "--package") {
            package = true;
        } else if (TakeJsonOption(args, i, output, error)) {
            if (!error.empty())
                return UsageError("db", error);
        } else {
            return UsageError("db", "unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 1)
        return UsageError("db", files.empty() ? "no FILE given" : "only one FILE can be given");

    TXMLTag root;
    if (int code = ParseDatabaseFile("db", files[0], root))
        return code;
    std::unique_ptr<TXMLObject> database;
    if (package)
        database = std::make_unique<TvkPackage>(nullptr);
    else
        database = std::make_unique<TvkMainDatabase>(nullptr);
    try {
        database->Merge(root);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailed;
    }
    TXMLTag written;
    written.SetName(root.Name);
    database->AssignTo(written);
    return PrintJson(TagToJson(written, output.CodePage), output);
}

} // namespace velk
