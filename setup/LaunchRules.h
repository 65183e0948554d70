#pragma once

// The built-in launch conditions on the running system, from the variables SupportedOS and
// MinOSVersion: which one a system fails.

#include <string>

#include "platform/epUtils.h"

namespace velk {

enum class TLaunchVerdict { Pass, UnsupportedSystem, SystemTooOld };

// SupportedOS: comma-separated tokens, any case ("NT", "NT4", "2K", "XP" on the NT family; "9X",
// "95", "98", "ME" on the 9x family); empty admits every system. MinOSVersion: "major.minor.build",
// a missing or non-numeric field standing for the running system's own value; empty admits
// every version.
TLaunchVerdict CheckSystem(const std::string& supportedOS, const std::string& minOSVersion,
                           const TOSVersion& os);

} // namespace velk
