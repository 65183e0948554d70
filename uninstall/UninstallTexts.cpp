#include "uninstall/UninstallTexts.h"

#include "platform/StrUtils.h"

namespace velk {
namespace {

const char* DefaultText(TUninstallText number) {
    switch (number) {
    case utCaption:
        return "Uninstall";
    case utConfirm:
        return "Do you want to remove the application and all of its components?";
    case utDone:
        return "The application was removed from your computer.";
    case utIncomplete:
        return "Some items could not be removed. You can remove them yourself.";
    case utRestart:
        return "Some files are in use. They will be removed when Windows restarts.";
    case utNoLog:
        return "Cannot read the install log \"%s\"!";
    }
    return "";
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::string UninstallText(const TInstallLog& log, TUninstallText number, const std::string& arg) {
    std::string text =
        ReplaceAll(LogValue(log.Strings, IntToStr(number), DefaultText(number)), "||", "\r\n");
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, arg);
    return text;
}

int32_t LogCharset(const TInstallLog& log) {
    return StrToIntDef(LogValue(log.Display, "Charset", ""), 1);
}

} // namespace velk
