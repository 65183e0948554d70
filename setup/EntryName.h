#pragma once

#include <string>
#include <string_view>

namespace velk {

// Cabinet entry names are untrusted: a name is safe to join to a folder when it is relative and
// stays inside that folder on Windows as on Linux (backslash and "/" both separate). Empty for a
// safe name, otherwise why it is not: a ".." part (or one of dots and blanks only, which Windows
// reads alike), a drive or stream colon, a leading or doubled separator, a control character.
std::string UnsafeEntryNameReason(std::string_view name);

} // namespace velk
