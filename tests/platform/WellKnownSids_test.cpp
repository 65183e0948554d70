// The compact codes of well-known security identifiers.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/WellKnownSids.h"

namespace {

TEST(WellKnownSids, CodesSpellTheirIdentifiers) {
    EXPECT_EQ(velk::SidCodeText(velk::SidAdmins), "S-1-5-32-544");
    EXPECT_EQ(velk::SidCodeText(0x1205), "S-1-5-18");
    EXPECT_EQ(velk::SidCodeText(0x01F42005), "S-1-5-32-500");
    EXPECT_EQ(velk::DecodeSidCode(0x1205).SubAuthorityCount, 1);
    const std::pair<const char*, const char*> named[] = {
        {"Everyone", "S-1-1-0"},    {"CreatorGroup", "S-1-3-1"},    {"System", "S-1-5-18"},
        {"Admins", "S-1-5-32-544"}, {"Replicator", "S-1-5-32-552"}, {"Logon", "S-1-5-5"}};
    for (const auto& [name, sid] : named) {
        const velk::TWellKnownSid* found = nullptr;
        for (const velk::TWellKnownSid& entry : velk::WellKnownSids)
            if (std::string(entry.Name) == name)
                found = &entry;
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(velk::SidCodeText(found->Code), sid) << name;
    }
    std::set<uint32_t> codes;
    for (const velk::TWellKnownSid& entry : velk::WellKnownSids)
        codes.insert(entry.Code);
    EXPECT_EQ(codes.size(), 26u) << "no two names share an identifier";
}

} // namespace
