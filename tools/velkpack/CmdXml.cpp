#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "database/epXMLParser.h"
#include "tools/velkpack/CodePage.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/FileInput.h"
#include "tools/velkpack/JsonOutput.h"

namespace velk {
namespace {

const char kXmlUsage[] =
    "Usage: velkpack xml [OPTIONS] FILE\n"
    "\n"
    "Parses FILE with the installer's XML parser and prints the tree as JSON. Every node is an\n"
    "object with \"kind\" (\"element\", \"text\" or \"comment\"), \"name\", "
    "\"attributes\" ([name, value]\n"
    "pairs in document order), \"text\" and \"children\".\n"
    "\n"
    "Parser options are those of setup.exe unless changed:\n"
    "  --keep-text-spaces        keep white space inside text as written\n"
    "  --no-keep-value-spaces    collapse runs of blanks inside attribute values\n"
    "  --no-text-nodes           leave text nodes out of the tree\n"
    "  --no-comment-nodes        leave comment nodes out of the tree\n"
    "  --no-lower-case-names     keep element names as written\n"
    "Output:\n"
    "  --codepage N              code page of the file's texts: 1252 (default) or 28591\n"
    "  --compact                 print the JSON on one line\n"
    "  --help                    show this help\n"
    "\n"
    "Exit codes: 0 parsed, 1 XML syntax error (message on stderr), 2 bad usage or unreadable "
    "file.\n";

} // namespace

int RunXml(const std::vector<std::string>& args) {
    TXMLParserOptions options;
    options.KeepValueSpaces = true; // as setup.exe parses its databases
    TCodePage codePage = TCodePage::Windows1252;
    TJsonLayout layout = TJsonLayout::Pretty;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kXmlUsage, stdout);
            return kExitOk;
        } else if (arg == "--keep-text-spaces") {
            options.KeepTextSpaces = true;
        } else if (arg == "--no-keep-value-spaces") {
            options.KeepValueSpaces = false;
        } else if (arg == "--no-text-nodes") {
            options.NoTextNodes = true;
        } else if (arg == "--no-comment-nodes") {
            options.NoCommentNodes = true;
        } else if (arg == "--no-lower-case-names") {
            options.LowerCaseNames = false;
        } else if (arg == "--compact") {
            layout = TJsonLayout::Compact;
        } else if (arg == "--codepage" || arg.rfind("--codepage=", 0) == 0) {
            std::string number;
            if (arg != "--codepage")
                number = arg.substr(arg.find('=') + 1);
            else if (i + 1 < args.size())
                number = args[++i];
            else
                return UsageError("xml", "--codepage needs a code page number");
            if (!TryParseCodePage(number, codePage))
                return UsageError("xml", "unsupported code page \"" + number +
                                             "\" (supported: 1252, 28591)");
        } else {
            return UsageError("xml", "unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 1)
        return UsageError("xml", files.empty() ? "no FILE given" : "only one FILE can be given");

    std::string text;
    std::string error;
    if (!ReadWholeFile(files[0], text, error)) {
        std::fprintf(stderr, "velkpack xml: %s\n", error.c_str());
        return kExitUsage;
    }

    XMLParserOptions = options;
    TXMLTag root;
    try {
        root.Parse(text);
    } catch (const TXMLParserError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailed;
    }
    WriteJson(std::cout, TagToJson(root, codePage), layout);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

} // namespace velk
