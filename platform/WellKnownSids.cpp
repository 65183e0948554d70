#include "platform/WellKnownSids.h"

namespace velk {

namespace {

constexpr uint32_t Code(uint32_t authority, uint32_t first, uint32_t second = 0) {
    return authority | first << 8 | second << 16;
}

} // namespace

const TWellKnownSid WellKnownSids[26] = {
    {"Everyone", Code(1, 0)},
    {"Local", Code(2, 0)},
    {"CreatorOwner", Code(3, 0)},
    {"CreatorGroup", Code(3, 1)},
    {"Dialup", Code(5, 1)},
    {"Network", Code(5, 2)},
    {"Batch", Code(5, 3)},
    {"Interactive", Code(5, 4)},
    {"Service", Code(5, 6)},
    {"Anonymous", Code(5, 7)},
    {"Logon", Code(5, 5)},
    {"System", Code(5, 18)},
    {"Admin", Code(5, 32, 500)},
    {"Guest", Code(5, 32, 501)},
    {"DomainAdmins", Code(5, 32, 512)},
    {"DomainUsers", Code(5, 32, 513)},
    {"DomainGuests", Code(5, 32, 514)},
    {"Admins", Code(5, 32, 544)},
    {"Users", Code(5, 32, 545)},
    {"Guests", Code(5, 32, 546)},
    {"PowerUsers", Code(5, 32, 547)},
    {"AccountOps", Code(5, 32, 548)},
    {"SystemOps", Code(5, 32, 549)},
    {"PrintOps", Code(5, 32, 550)},
    {"BackupOps", Code(5, 32, 551)},
    {"Replicator", Code(5, 32, 552)},
};

TSidParts DecodeSidCode(uint32_t code) {
    TSidParts parts;
    parts.Authority = uint8_t(code & 0xFF);
    parts.SubAuthorities[0] = code >> 8 & 0xFF;
    parts.SubAuthorities[1] = code >> 16;
    parts.SubAuthorityCount = parts.SubAuthorities[1] == 0 ? 1 : 2;
    return parts;
}

std::string SidCodeText(uint32_t code) {
    const TSidParts parts = DecodeSidCode(code);
    std::string text = "S-1-" + std::to_string(parts.Authority);
    for (int i = 0; i < parts.SubAuthorityCount; ++i)
        text += "-" + std::to_string(parts.SubAuthorities[i]);
    return text;
}

} // namespace velk
