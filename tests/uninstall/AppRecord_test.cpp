#include "uninstall/AppRecord.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(AppRecord, ReadsWhatSplitsOneWayAndRefusesTheRest) {
    using S = TAppShow;
    const struct {
        const char* text;
        bool parsed;
        TAppRecord expected;
    } cases[] = {
        {"'C:\\App\\tool.exe','/remove','C:\\App',1,'Closing the tool',1",
         true,
         {"C:\\App\\tool.exe", "/remove", "C:\\App", S::Normal, "Closing the tool", true}},
        {"'a.exe','','',0,'',0", true, {"a.exe", "", "", S::Hide, "", false}},
        {"'a.exe','','',2,'',1", true, {"a.exe", "", "", S::Maximized, "", true}},
        {"'a.exe','','',3,'',1", true, {"a.exe", "", "", S::Minimized, "", true}},
        // Commas and single quotes that leave one reading.
        {"'a.exe','x,y','it''s',1,'one, two',1",
         true,
         {"a.exe", "x,y", "it''s", S::Normal, "one, two", true}},
        {"'a.exe','','',1,'can't stop',1", true, {"a.exe", "", "", S::Normal, "can't stop", true}},
        {"'a.exe','','',4,'',1", false, {}},
        {"'a.exe','','',1,'',2", false, {}},
        {"'a.exe','','',1,''", false, {}},         // cut short
        {"'a.exe','','',1,'',", false, {}},        // cut short
        {"'a.exe','','',1,'", false, {}},          // cut short
        {"'a.exe','',1,'',1", false, {}},          // a text missing
        {"'a.exe','b','c','d',1,'',1", false, {}}, // a text too many
        {"'a.exe','','',1,'x',1,'',1", false, {}}, // two readings
        {"'','','',1,'',1", false, {}},            // no program
        {"a.exe,'','',1,'',1", false, {}},
        {"", false, {}},
        {"'", false, {}},
        {"''", false, {}},
    };
    for (const auto& c : cases) {
        TAppRecord record;
        ASSERT_EQ(ParseAppRecord(c.text, record), c.parsed) << c.text;
        if (!c.parsed)
            continue;
        EXPECT_EQ(record.CmdLine, c.expected.CmdLine) << c.text;
        EXPECT_EQ(record.Args, c.expected.Args) << c.text;
        EXPECT_EQ(record.WorkDir, c.expected.WorkDir) << c.text;
        EXPECT_EQ(record.Show, c.expected.Show) << c.text;
        EXPECT_EQ(record.Message, c.expected.Message) << c.text;
        EXPECT_EQ(record.Wait, c.expected.Wait) << c.text;
    }
}

} // namespace
} // namespace velk
