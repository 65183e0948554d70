#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The command line: the one written to "UninstallString" ("Uninstall.exe" "LOG"), with "/S" or
// "-s" for no questions and no report; or the clean-up run that removes the uninstaller after
// the uninstall: "/cleanup:HANDLE" "PROGRAM" "FOLDER"..., where HANDLE is the uninstall process
// it waits for, PROGRAM the uninstaller to delete and each FOLDER a folder to remove when empty.
struct TUninstallArgs {
    std::string LogPath; // the arguments that are no switches, joined by blanks: a log path
                         // with blanks arrives whole even unquoted
    bool Silent = false;
    bool Cleanup = false;
    uint32_t WaitHandle = 0;
    std::vector<std::string> CleanupPaths; // PROGRAM, then the folders
};

// False for an unknown switch or a clean-up run without a program.
bool ParseUninstallArgs(const std::vector<std::string>& args, TUninstallArgs& parsed);

// The command line of the clean-up run of program.
std::string CleanupCommandLine(const std::string& program, uint32_t waitHandle,
                               const std::vector<std::string>& paths);

} // namespace velk
