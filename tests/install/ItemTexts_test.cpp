// The texts the item actions build: parent keys, deferred registrations, font values and the
// uninstaller's application records.
#include "install/ItemTexts.h"

#include <gtest/gtest.h>

namespace {

using namespace velk;

TEST(ItemTextsTest, ParentKeyPathSkipsQuotedParts) {
    const struct {
        const char* Key;
        const char* Parent;
    } cases[] = {
        {"HKLM\\Software\\Firm", "HKLM\\Software"},
        {"HKLM", "HKLM"},
        {"HKCU\\A\\\"x\\y\"", "HKCU\\A"},
        {"HKCU\\A\\'x\\y'\\B", "HKCU\\A\\'x\\y'"},
        {"HKCU\\'it\"s\\b'", "HKCU"},
        {"HKCU\\a\"b", "HKCU\\a\"b"}, // a quote that never closes hides every backslash
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParentKeyPath(c.Key), c.Parent) << c.Key;
}

TEST(ItemTextsTest, DeferredRegistrationAndFontValues) {
    EXPECT_EQ(DeferredRegistrationCommand("C:\\WINDOWS\\system32\\", "C:\\App\\x.dll"),
              "C:\\WINDOWS\\system32\\regsvr32.exe /s \"C:\\App\\x.dll\"");
    EXPECT_EQ(DeferredRegistrationCommand("C:\\Sys", "C:\\App\\Server.EXE"),
              "\"C:\\App\\Server.EXE\" /REGSERVER");
    EXPECT_EQ(FontRegistryValue("C:\\Windows\\Fonts", "c:\\windows\\fonts\\a.ttf"), "a.ttf");
    EXPECT_EQ(FontRegistryValue("C:\\Windows\\Fonts\\", "C:\\Windows\\Fonts\\Sub\\a.ttf"),
              "C:\\Windows\\Fonts\\Sub\\a.ttf");
}

TEST(ItemTextsTest, ApplicationRecords) {
    EXPECT_EQ(ApplicationLogRecord("C:\\a.exe", "/x", "C:\\", TvkShowCmd::scMin, "Bye", true),
              "'C:\\a.exe','/x','C:\\',3,'Bye',1");
    EXPECT_EQ(ApplicationLogRecord("b", "", "", TvkShowCmd::scMax, "", false), "'b','','',2,'',0");
    EXPECT_EQ(ApplicationLogRecord("c", "", "", TvkShowCmd::scHide, "", true), "'c','','',0,'',1");
    EXPECT_EQ(ApplicationLogRecord("d", "", "", TvkShowCmd::scNormal, "", true),
              "'d','','',1,'',1");
    const TvkWhenStart moments[] = {TvkWhenStart::BeforeInstall, TvkWhenStart::AfterInstall,
                                    TvkWhenStart::BeforeUninstall, TvkWhenStart::AfterUninstall};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(ApplicationRecordWhen(moments[i]), i);
}

} // namespace
