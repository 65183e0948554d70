#pragma once

#include <string>
#include <vector>

#include "database/epXMLParser.h"
#include "tools/velkpack/JsonOutput.h"

namespace velk {

// Shared by the commands that load an install database and print what the engine made of it.

struct TJsonOptions {
    TCodePage CodePage = TCodePage::Windows1252;
    TJsonLayout Layout = TJsonLayout::Pretty;
};

// Takes the output option at args[i] ("--codepage N", "--codepage=N" or "--compact"), moving i
// past a separate value. Returns false when args[i] is no output option; error is set when it is
// one but its value is missing or unsupported.
bool TakeJsonOption(const std::vector<std::string>& args, size_t& i, TJsonOptions& options,
                    std::string& error);

// Reads the file and parses it as setup.exe parses its databases. Returns kExitOk, or reports
// the failure on stderr and returns kExitUsage (unreadable file) or kExitFailed (syntax error).
int ParseDatabaseFile(const char* command, const std::string& path, TXMLTag& root);

// Prints value on stdout; kExitFailed when stdout cannot take it.
int PrintJson(const TJson& value, const TJsonOptions& options);

} // namespace velk
