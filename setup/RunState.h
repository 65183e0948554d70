#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/VKClasses.h"
#include "platform/epUtils.h"

namespace velk {

// The state of one run of the setup program; one exists per process.
struct TRunState {
    std::string SetupPath;
    void* LoaderModule = nullptr;       // setup.exe, which keeps the icon and other resources
    std::vector<std::string> Arguments; // after the program's own path
    bool Silent = false;
    std::string WorkFolder;    // always with a trailing backslash
    std::string ScratchFolder; // inside the work folder, with a trailing backslash
    bool RebootRequest = false;
    bool InstallResult = false;
    std::string SavedCurrentFolder;
    TWindowHandle MainWindow = nullptr; // hidden; carries plug-in events to the main thread
    // The one install database; its first package is the setup program itself.
    std::unique_ptr<TvkMainDatabase> Database;
};

} // namespace velk
