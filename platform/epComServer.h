#pragma once

#include <string>

namespace velk {

// Registration of COM servers and type libraries. Every function answers false on any failure
// and never raises.

// Loads the library without the system's critical-error boxes and calls its "DllRegisterServer";
// true when that returns a success code. False when the library does not load or lacks the
// export. The library is released in every case.
bool RegisterDllServer(const std::string& FileName);
// Starts the program with "/REGSERVER", hidden, without waiting: true when it started.
bool RegisterExeServer(const std::string& FileName);
// As an in-process server, else, for an ".exe", as a local server.
bool RegisterServer(const std::string& FileName);
// Registers the type library of the file (a type library file or one embedded in a program
// image) under its full path, with the folder of the library's help file.
bool RegisterTypeLibrary(const std::string& FileName);
// As a server, else as a type library.
bool RegisterComFile(const std::string& FileName);

// The same in reverse, for the uninstaller. A program is started with "/UNREGSERVER", hidden,
// and waited for, so that it can be deleted next.
bool UnregisterDllServer(const std::string& FileName);
bool UnregisterExeServer(const std::string& FileName);
bool UnregisterServer(const std::string& FileName);
// Removes the registration of the file's type library (its identity, version and locale).
bool UnregisterTypeLibrary(const std::string& FileName);
bool UnregisterComFile(const std::string& FileName);

} // namespace velk
