#include "platform/epShell.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"

namespace velk {

const TPredefinedFolder PredefinedFolders[PredefinedFolderCount] = {
    {"Desktop", 16, NoFallbackFolder},     {"Fonts", 20, NoFallbackFolder},
    {"NetHood", 19, NoFallbackFolder},     {"Personal", 5, NoFallbackFolder},
    {"ProgramsMenu", 2, NoFallbackFolder}, {"Recent", 8, NoFallbackFolder},
    {"SendTo", 9, NoFallbackFolder},       {"StartMenu", 11, NoFallbackFolder},
    {"StartupMenu", 7, NoFallbackFolder},  {"Templates", 21, NoFallbackFolder},
    {"CommonStartMenu", 22, 11},           {"CommonProgramsMenu", 23, 2},
    {"CommonStartupMenu", 24, 7},          {"CommonDesktop", 25, 16},
};

bool IsDirectRunFile(std::string_view fileName) {
    // A shortcut (".lnk") is no program the system can start: the shell resolves it.
    std::string ext = LowerCase(ExtractFileExt(fileName));
    return ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif";
}

std::string DirectRunCommandLine(std::string_view fileName, std::string_view params) {
    return Trim(Format("\"%s\" %s", UnquoteText(fileName).c_str(), std::string(params).c_str()));
}

std::string RunStartFolder(std::string_view folder) {
    return Trim(UnquoteText(Trim(folder)));
}

} // namespace velk
