#include "expressions/InstallFunctions.h"

#include <cmath>

#include "database/epXMLParser.h"
#include "platform/StrUtils.h"
#include "platform/epAskUser.h"
#include "platform/epDateTime.h"
#include "platform/epFileFind.h"
#include "platform/epFileUtils.h"
#include "platform/epFullPath.h"
#include "platform/epLocale.h"
#include "platform/epRegIni.h"
#include "platform/epUtils2.h"

namespace velk {

TWindowHandle (*AskUserOwner)() = nullptr;

namespace {

using TArgs = const TvkArguments&;

std::string Sign(int value) {
    return value < 0 ? "-1" : value > 0 ? "1" : "0";
}

std::string Iif(TvkEvaluator&, TArgs a) {
    return IsTrue(a[0]) ? a[1] : a[2];
}

std::string FilePath(TvkEvaluator&, TArgs a) {
    return ExcludeTrailingBackslash(ExtractFilePath(a[0]));
}

std::string FileName(TvkEvaluator&, TArgs a) {
    return ExtractFileName(a[0]);
}

std::string NormalPath(TvkEvaluator&, TArgs a) {
    return IncludeTrailingBackslash(a[0]);
}

std::string FileVersion(TvkEvaluator&, TArgs a) {
    std::string version;
    return GetFileVersionText(a[0], version) ? version : "0";
}

// "mm/dd/yyyy hh:mm:ss" with the user's separators; a missing file has the zero date.
std::string FileDate(TvkEvaluator&, TArgs a) {
    TLocalTime t = DecodeDateTime(GetFileDate(a[0]));
    char date = UserDateSeparator();
    char time = UserTimeSeparator();
    return Format("%.2d%c%.2d%c%.4d %.2d%c%.2d%c%.2d", t.Month, date, t.Day, date, t.Year, t.Hour,
                  time, t.Minute, time, t.Second);
}

std::string FileExistsFunction(TvkEvaluator&, TArgs a) {
    return BoolText(FileExists(a[0]));
}

std::string FolderExists(TvkEvaluator&, TArgs a) {
    return BoolText(DirectoryExists(a[0]));
}

std::string CompareVersion(TvkEvaluator&, TArgs a) {
    return Sign(CompareVersionText(a[0], a[1]));
}

// A date in the fixed month/day/year form, whatever the user's settings.
TDateTime DateArgument(const std::string& text, int currentYear) {
    TDateTime value = 0;
    if (!TryStrToDateTimeMDY(text, currentYear, value))
        throw EConvertError(Format("'%s' is not a valid date and time", text.c_str()));
    return value;
}

std::string CompareDate(TvkEvaluator&, TArgs a) {
    int year = Now().Year;
    TDateTime d1 = DateArgument(a[0], year);
    TDateTime d2 = DateArgument(a[1], year);
    return Sign(d1 < d2 ? -1 : d1 > d2 ? 1 : 0);
}

std::string CompareTextFunction(TvkEvaluator&, TArgs a) {
    return Sign(CompareTextLocale(a[0], a[1]));
}

std::string RegKeyExistsFunction(TvkEvaluator&, TArgs a) {
    return BoolText(RegKeyExists(a[0]));
}

std::string RegParamExists(TvkEvaluator&, TArgs a) {
    return BoolText(RegValueExists(a[0], a[1]));
}

std::string RegParam(TvkEvaluator&, TArgs a) {
    return ReadRegString(a[0], a[1], a[2]);
}

// Asked once per text for the whole run, whatever the caption, icon and buttons of later calls.
std::string AskUser(TvkEvaluator& evaluator, TArgs a) {
    std::string key = "*" + a[1] + "*";
    if (const std::string* answer = evaluator.AnswerCache.Find(key))
        return *answer;
    int32_t icon = a.Int(2, 0);
    int32_t buttons = a.Int(3, 0);
    TAskIcon askIcon = icon >= 0 && icon <= 3 ? TAskIcon(icon) : TAskIcon::None;
    TAskButtons askButtons = buttons == 1   ? TAskButtons::YesNo
                             : buttons == 2 ? TAskButtons::OkCancel
                                            : TAskButtons::Ok;
    TWindowHandle owner = AskUserOwner ? AskUserOwner() : nullptr;
    std::string answer = BoolText(AskUserHandler(owner, a[0], a[1], askIcon, askButtons));
    evaluator.AnswerCache.Set(key, answer);
    return answer;
}

std::string SubStr(TvkEvaluator&, TArgs a) {
    const std::string& s = a[0];
    int64_t from = a.Int(1, 1);
    int64_t count = a.Int(2, 0);
    if (from < 1)
        from = 1;
    if (count <= 0 || from > int64_t(s.size()))
        return {};
    return s.substr(size_t(from - 1), size_t(count));
}

std::string FindSubStr(TvkEvaluator&, TArgs a) {
    int64_t start = a.Int(2, 1);
    if (start < 1)
        start = 1;
    if (a[0].empty() || a[1].empty() || start > int64_t(a[0].size()))
        return "0";
    size_t at = AnsiUpperCase(a[0]).find(AnsiUpperCase(a[1]), size_t(start - 1));
    return at == std::string::npos ? "0" : IntToStr(int64_t(at) + 1);
}

std::string Length(TvkEvaluator&, TArgs a) {
    return IntToStr(int64_t(a[0].size()));
}

// The first file or folder the path matches, wildcards allowed.
std::string FileSize(TvkEvaluator&, TArgs a) {
    TSearchRecEx rec;
    if (FindFirstEx(ExpandFileName(a[0]), faAnyFile, 0, rec) != 0)
        return "-1";
    int32_t size = rec.Size;
    FindCloseEx(rec);
    return IntToStr(size);
}

// Halves go to the even neighbour.
std::string Round(TvkEvaluator& evaluator, TArgs a) {
    double x = evaluator.ToNumber(a[0]);
    double r = std::floor(x);
    double fraction = x - r;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0))
        r += 1;
    // Adding zero turns a negative zero into "0".
    return Format("%.0f", r + 0.0);
}

struct TFunctionDef {
    const char* Name;
    int ArgCount;
    std::string (*Handler)(TvkEvaluator&, TArgs);
};

// The order is the function numbering and must not change.
const TFunctionDef kFunctions[] = {
    {"Iif", 3, Iif},
    {"FilePath", 1, FilePath},
    {"FileName", 1, FileName},
    {"NormalPath", 1, NormalPath},
    {"FileVersion", 1, FileVersion},
    {"FileDate", 1, FileDate},
    {"FileExists", 1, FileExistsFunction},
    {"FolderExists", 1, FolderExists},
    {"CompareVersion", 2, CompareVersion},
    {"CompareDate", 2, CompareDate},
    {"CompareText", 2, CompareTextFunction},
    {"RegKeyExists", 1, RegKeyExistsFunction},
    {"RegParamExists", 2, RegParamExists},
    {"RegParam", 3, RegParam},
    {"AskUser", 4, AskUser},
    {"SubStr", 3, SubStr},
    {"FindSubStr", 3, FindSubStr},
    {"Length", 1, Length},
    {"FileSize", 1, FileSize},
    {"Round", 1, Round},
};

} // namespace

void RegisterInstallFunctions(TvkEvaluator& evaluator) {
    for (const TFunctionDef& f : kFunctions)
        evaluator.AddFunction(f.Name, f.ArgCount, f.Handler);
}

} // namespace velk
