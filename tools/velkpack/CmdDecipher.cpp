#include <cstdio>
#include <string>
#include <vector>

#include "database/epXMLParser.h"
#include "platform/DbCipher.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/FileInput.h"
#include "tools/velkpack/PackageDate.h"
#include "tools/velkpack/reader/HostFiles.h"

namespace velk {
namespace {

const char kDecipherUsage[] =
    "Usage: velkpack decipher FILE.pdb [--date YYYY-MM-DD] [--show-key]\n"
    "\n"
    "Deciphers an install database (db.pdb, main.pdb) as setup.exe does and prints its XML\n"
    "text. The key comes from a date: by default the file's own last-write date in local time,\n"
    "which is the date the cabinet records for it once setup.exe (or \"velkpack extract\") has\n"
    "extracted it.\n"
    "\n"
    "  --date DATE   decipher under this date instead (the package date of \"velkpack build\")\n"
    "  --show-key    first print on stderr the key text and the 32-byte key in hexadecimal\n"
    "  --help        show this help\n"
    "\n"
    "Exit codes: 0 deciphered to XML, 1 the text does not parse as XML (a wrong date, say;\n"
    "it is printed all the same), 2 bad usage or unreadable file.\n";

std::string HexText(const std::array<uint8_t, 32>& bytes) {
    std::string text;
    for (uint8_t byte : bytes)
        text += Format("%02x", unsigned(byte));
    return text;
}

// Why setup.exe could not load the text, or empty when it parses.
std::string ParseProblem(const std::string& text) {
    if (text.empty())
        return "the file is empty";
    XMLParserOptions = TXMLParserOptions();
    XMLParserOptions.KeepValueSpaces = true;
    TXMLTag root;
    try {
        root.Parse(text);
    } catch (const TXMLParserError& e) {
        return e.what();
    }
    return root.Name.empty() ? "the text holds no XML element" : "";
}

} // namespace

int RunDecipher(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::string date;
    bool showKey = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kDecipherUsage, stdout);
            return kExitOk;
        } else if (arg == "--show-key") {
            showKey = true;
        } else if (arg == "--date") {
            if (i + 1 >= args.size())
                return UsageError("decipher", "--date needs a date (YYYY-MM-DD)");
            date = args[++i];
        } else {
            return UsageError("decipher", "unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 1)
        return UsageError("decipher",
                          files.empty() ? "no FILE given" : "only one FILE can be given");
    TCalendarDate calendarDate;
    if (!date.empty() && !ParseIsoDate(date, calendarDate))
        return UsageError("decipher", "--date \"" + date + "\" is no date of the form YYYY-MM-DD");

    std::string cipherText;
    std::string error;
    if (!ReadWholeFile(files[0], cipherText, error)) {
        std::fprintf(stderr, "velkpack decipher: %s\n", error.c_str());
        return kExitUsage;
    }
    // setup.exe cuts the date-time to its whole days
    const int32_t daySerial =
        date.empty() ? int32_t(GetFileDate(files[0])) : DaySerialOf(calendarDate);
    if (showKey)
        std::fprintf(stderr, "key text: %s\nkey: %s\n", DatabaseKeyText(daySerial).c_str(),
                     HexText(DatabaseKey(daySerial)).c_str());
    const std::string text = DecipherBytes(cipherText, daySerial);
    SetBinaryStdout();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    const std::string problem = ParseProblem(text);
    if (problem.empty())
        return kExitOk;
    std::fprintf(stderr,
                 "velkpack decipher: %s: the text setup.exe would read does not parse as XML "
                 "(%s); is the date right? Day %d was used.\n",
                 files[0].c_str(), problem.c_str(), int(daySerial));
    return kExitFailed;
}

} // namespace velk
