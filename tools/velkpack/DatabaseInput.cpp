#include "tools/velkpack/DatabaseInput.h"

#include <cstdio>
#include <iostream>

#include "tools/velkpack/Commands.h"
#include "tools/velkpack/FileInput.h"

namespace velk {

bool TakeJsonOption(const std::vector<std::string>& args, size_t& i, TJsonOptions& options,
                    std::string& error) {
    const std::string& arg = args[i];
    if (arg == "--compact") {
        options.Layout = TJsonLayout::Compact;
        return true;
    }
    if (arg != "--codepage" && arg.rfind("--codepage=", 0) != 0)
        return false;
    std::string number;
    if (arg != "--codepage") {
        number = arg.substr(arg.find('=') + 1);
    } else if (i + 1 < args.size()) {
        number = args[++i];
    } else {
        error = "--codepage needs a code page number";
        return true;
    }
    if (!TryParseCodePage(number, options.CodePage))
        error = "unsupported code page \"" + number + "\" (supported: 1252, 28591)";
    return true;
}

int ParseDatabaseFile(const char* command, const std::string& path, TXMLTag& root) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(path, text, error)) {
        std::fprintf(stderr, "velkpack %s: %s\n", command, error.c_str());
        return kExitUsage;
    }
    XMLParserOptions = TXMLParserOptions();
    XMLParserOptions.KeepValueSpaces = true;
    try {
        root.Parse(text);
    } catch (const TXMLParserError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailed;
    }
    return kExitOk;
}

int PrintJson(const TJson& value, const TJsonOptions& options) {
    WriteJson(std::cout, value, options.Layout);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

} // namespace velk
