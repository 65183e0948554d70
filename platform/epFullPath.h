#pragma once

#include <string>

namespace velk {

// The full form of a path, relative ones taken against the current folder; the path unchanged
// when the system cannot form one.
std::string ExpandFileName(const std::string& path);

} // namespace velk
