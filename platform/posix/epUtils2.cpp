#include "platform/epUtils2.h"

namespace velk {

// No system service reads version resources here: the program image is read directly.
bool GetFileVersion(const std::string& fileName, uint32_t& ms, uint32_t& ls) {
    return ReadImageFileVersion(ReadFileToString(fileName), ms, ls);
}

} // namespace velk
