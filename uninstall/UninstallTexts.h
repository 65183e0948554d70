#pragma once

#include <string>

#include "uninstall/InstallLog.h"

namespace velk {

// The uninstaller's texts, numbered as in the language file's "Uninstall.Strings" section that
// the installer copies into the log's "Strings" section.
enum TUninstallText {
    utCaption = 1,    // caption of every box
    utConfirm = 2,    // the question before anything is removed
    utDone = 3,       // everything was removed
    utIncomplete = 4, // some items stayed
    utRestart = 5,    // some files go at the next restart
    utNoLog = 6,      // the log cannot be read; "%s" is its path
};

// A text from the log, "||" standing for a line break, or the English default when the log has
// none; "%s" takes arg.
std::string UninstallText(const TInstallLog& log, TUninstallText number,
                          const std::string& arg = {});

// The "Display" settings: the character set the texts are written in (1, the default set, when
// missing or not a number).
int32_t LogCharset(const TInstallLog& log);

} // namespace velk
