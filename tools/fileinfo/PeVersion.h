#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// The fixed file version of a Windows program or library, read from its version resource
// without the system: two 32-bit numbers, (major << 16) + minor and (release << 16) + build.
struct TPeVersion {
    uint32_t MS = 0;
    uint32_t LS = 0;
};

// False for anything that is not a PE image with a readable version resource.
bool ReadPeVersion(std::string_view image, TPeVersion& version);
// "%d.%d.%d.%d", or empty when the image has no version.
std::string PeVersionText(std::string_view image);

} // namespace velk
