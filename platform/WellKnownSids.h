#pragma once

// Well-known security identifiers in their compact 32-bit code: bits 0-7 the identifier
// authority (the last byte of its six), bits 8-15 the first sub-authority, bits 16-31 the
// second, 0 meaning none. 0x02202005 is S-1-5-32-544.

#include <cstdint>
#include <string>

namespace velk {

constexpr uint32_t SidAdmins = 0x02202005;

struct TSidParts {
    uint8_t Authority = 0;
    int SubAuthorityCount = 0;
    uint32_t SubAuthorities[2] = {0, 0};
};

TSidParts DecodeSidCode(uint32_t code);
// "S-1-5-32-544".
std::string SidCodeText(uint32_t code);

struct TWellKnownSid {
    const char* Name;
    uint32_t Code;
};
// Everyone, Local, CreatorOwner, ... Replicator, in their customary order.
extern const TWellKnownSid WellKnownSids[26];

} // namespace velk
