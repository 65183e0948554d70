#pragma once

#include <string>

namespace velk {

// Registration of COM servers.

// Loads the library without the system's critical-error boxes and calls its "DllRegisterServer";
// true when that returns a success code. False when the library does not load or lacks the
// export. The library is released in every case.
bool RegisterDllServer(const std::string& FileName);

} // namespace velk
