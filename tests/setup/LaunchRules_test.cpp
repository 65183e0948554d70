// Which systems the variables SupportedOS and MinOSVersion admit.
#include <gtest/gtest.h>

#include "setup/LaunchRules.h"

namespace {

using velk::TLaunchVerdict;

TEST(LaunchRules, SystemsAreAdmittedByTheirTokensAndVersions) {
    const velk::TOSVersion xp = velk::DescribeOSVersion(2, 5, 1, 2600, "Service Pack 3");
    const velk::TOSVersion w2k = velk::DescribeOSVersion(2, 5, 0, 2195, "");
    const velk::TOSVersion nt4 = velk::DescribeOSVersion(2, 4, 0, 1381, "");
    const velk::TOSVersion w98 = velk::DescribeOSVersion(1, 4, 10, 0x040A08AE, " A ");
    const velk::TOSVersion w95 = velk::DescribeOSVersion(1, 4, 0, 950, "");
    const auto pass = TLaunchVerdict::Pass, no = TLaunchVerdict::UnsupportedSystem,
               old = TLaunchVerdict::SystemTooOld;
    const struct {
        const char* supported;
        const char* minimum;
        TLaunchVerdict xp, w2k, nt4, w98, w95;
    } cases[] = {
        {"", "", pass, pass, pass, pass, pass},
        {"NT", "", pass, pass, pass, no, no},
        {"XP", "", pass, no, no, no, no},
        {" 2k , Nt4 ", "", no, pass, pass, no, no},
        {"9X", "", no, no, no, pass, pass},
        {"95,ME", "", no, no, no, no, pass},
        {"98", "", no, no, no, pass, no},
        {",,", "", no, no, no, no, no},
        {"", "5", pass, pass, old, old, old},
        {"", "5.1", pass, old, old, old, old},
        {"", "4.0.1381", pass, pass, pass, pass, old},
        {"", "4.0.1382", pass, pass, old, pass, old},
        {"", "4.10.2222", pass, pass, old, pass, old},
        {"", "five.1", pass, old, old, pass, old}, // the major taken from each system
        {"", "5.1.2600.7", pass, old, old, old, old},
        {"", "99999999999", pass, pass, pass, pass, pass}, // no 32-bit number: the system's own
        {"XP", "6", old, no, no, no, no},
    };
    for (const auto& c : cases) {
        const TLaunchVerdict expected[] = {c.xp, c.w2k, c.nt4, c.w98, c.w95};
        const velk::TOSVersion* systems[] = {&xp, &w2k, &nt4, &w98, &w95};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(velk::CheckSystem(c.supported, c.minimum, *systems[i]), expected[i])
                << "\"" << c.supported << "\" \"" << c.minimum << "\" on "
                << systems[i]->Description;
    }
}

} // namespace
