#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/VKClasses.h"

namespace velk {

// Texts and numbers the item actions build from their items, apart from the system calls.

// The key above a registry key path: up to the last backslash outside a quoted part (a double or
// single quote opens one that the same character closes), scanning from the end; the path itself
// when it has no such backslash.
std::string_view ParentKeyPath(std::string_view key);

// The command that registers a COM server at the next logon: regsvr32.exe of the system folder,
// silent, for libraries; the program's own switch for an ".exe".
std::string DeferredRegistrationCommand(const std::string& systemFolder, const std::string& path);

// What a font's registry value holds: the file name alone for a file in the fonts folder, the
// full path for any other.
std::string FontRegistryValue(const std::string& fontsFolder, const std::string& path);

// The When number of an application item's record.
int32_t ApplicationRecordWhen(TvkWhenStart when);
// The record the uninstaller reads for a program to run around uninstalling.
std::string ApplicationLogRecord(const std::string& cmdLine, const std::string& arg,
                                 const std::string& workDir, TvkShowCmd show,
                                 const std::string& msg, bool wait);

} // namespace velk
