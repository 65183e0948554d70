#pragma once

#include <string>

namespace velk {

// Reads the whole file as bytes. On failure returns false and sets error to a sentence that
// names the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& data, std::string& error);

} // namespace velk
