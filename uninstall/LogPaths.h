#pragma once

#include <string>
#include <string_view>

namespace velk {

// What the uninstaller may act on. The install log is plain text that anyone could have damaged,
// so every name taken from it is checked before it reaches the file system or the registry.
// Bytes are checked one by one: a trail byte of a double-byte character that looks like a
// separator or a forbidden character makes a path refused, never accepted.

// A full path of a file or folder below a drive root ("C:\App\a.dll") or a network share
// ("\\server\share\a.dll"): no relative, device ("\\?\", "\\.\", "CON") or stream path, no empty,
// "." or ".." level, no level ending in a dot or blank (the system would drop them), nothing
// longer than the system's path limit.
bool IsSafeLogPath(std::string_view path);

// A registry key path with one of the roots "HKCR", "HKCU", "HKLM", "HKU" spelled out and at
// least one key below it, without empty levels or control characters. A path whose root the
// registry helpers would only guess (as a key of HKCU) is refused.
bool IsSafeRegKeyPath(std::string_view path);

// A key directly below the system's list of installed programs: the uninstaller removes it
// whole, with whatever the product wrote into it.
bool IsUninstallEntryKey(std::string_view path);

// Is folder one of the folders that contain path (compared without regard to case)?
bool IsAncestorFolder(std::string_view folder, std::string_view path);

} // namespace velk
