// The language store over real files and the system's locales.
#include "database/VKVariables.h"
#include "harness/WinPackageTest.h"
#include "platform/StrUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "plugins/Msg.h"

#include <gtest/gtest.h>

namespace {

class LanguageStoreTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        velk::TvkPackage& main = *db_.Packages->AddNew();
        main.Folder = Path("pkg\\");
        Put("pkg\\lng\\Enu.lng", "// English\r\n[Strings]\r\nLanguageName=English\r\n"
                                 "14=Your operating system version is too old.||Version %s or "
                                 "newer is needed for %AppName%.\r\n"
                                 "11=Cannot install file \"%s\"!\r\n20=%s, %s and %s\r\n");
        Put("pkg\\lng\\Deu.lng", "");
        Put("pkg\\lng\\Fra.lng", std::string("\0\xff[Strings\r\n=1\r\n[]\r\n12\r\n", 22));
        Put("pkg\\lng\\Xyz.lng", "[Strings]\r\nLanguageName=Xylophone\r\n12=xyz text\r\n");
        Put("work\\Enu.lng", "[Strings]\r\n12=from the work folder\r\n");
        velk::SetVariable(&db_, "AppName", "Probe App");
        velk::InitLanguages(db_, Path("work\\"));
    }
    void TearDown() override {
        velk::DoneLanguages();
        velk::FlushIniFiles();
        TWinPackageTest::TearDown();
    }
    velk::TvkMainDatabase db_{nullptr};
};

TEST_F(LanguageStoreTest, ListNamesFromWindowsThenFromTheFilesThenTheCode) {
    velk::SetVariable(&db_, "Languages", "enu, Xyz ,deu,qqq,fra");
    velk::BuildLanguageList();
    const std::vector<std::string> expected = {"ENU=English (United States)", "XYZ=Xylophone",
                                               "DEU=German (Germany)", "QQQ=QQQ",
                                               "FRA=French (France)"};
    EXPECT_EQ(velk::LanguageList(), expected);

    velk::SetVariable(&db_, "Languages", " , ");
    velk::BuildLanguageList();
    EXPECT_EQ(velk::LanguageList(), std::vector<std::string>{"ENU=English (USA)"});

    velk::SetVariable(&db_, "Languages", "xyz,deu");
    velk::BuildLanguageList();
    velk::SetVariable(&db_, "AutoSelectLanguage", "0");
    EXPECT_EQ(velk::ChooseStartLanguage(), 0);
}

TEST_F(LanguageStoreTest, ActivationPicksTheFileOrTheWorkFolderFallbackAndNeverFails) {
    const struct {
        const char* Code;
        const char* File;
        const char* Message12;
    } cases[] = {
        {"xyz", "pkg\\lng\\XYZ.lng", "xyz text"},
        {"DEU", "pkg\\lng\\DEU.lng", ""}, // empty file
        {"fra", "pkg\\lng\\FRA.lng", ""}, // not INI text at all
        {"QQQ", "work\\Enu.lng", "from the work folder"},
    };
    for (const auto& c : cases) {
        velk::ActivateLanguage(c.Code);
        EXPECT_EQ(velk::CurrentLanguage(), velk::UpperCase(c.Code));
        EXPECT_TRUE(velk::SameText(velk::LanguageFile(), Path(c.File))) << velk::LanguageFile();
        EXPECT_EQ(velk::GetVariable(&db_, "LangID", ""), velk::UpperCase(c.Code));
        EXPECT_EQ(velk::GetMessageText(12), c.Message12) << c.Code;
        EXPECT_EQ(velk::GetMessageText(99), "") << c.Code;
        EXPECT_EQ(velk::MessageTitle, "Probe App");
    }
    velk::FlushIniFiles(); // the cache would go on serving the file
    ASSERT_TRUE(DeleteFileA(Path("work\\Enu.lng").c_str()));
    velk::ActivateLanguage("QQQ");
    EXPECT_EQ(velk::GetMessageText(12), "") << "no file at all: empty messages";
    EXPECT_EQ(velk::GetText("Strings", "12", "fallback"), "fallback");
}

TEST_F(LanguageStoreTest, MessagesAreExpandedAndFormattedWithExactlyTheArgumentsGiven) {
    velk::ActivateLanguage("ENU");
    EXPECT_EQ(velk::GetMessageText(14, {"5.0"}),
              "Your operating system version is too old.\r\nVersion 5.0 or newer is needed for "
              "Probe App.");
    EXPECT_EQ(velk::GetMessageText(11, {"C:\\100%AppName%\\a.dll"}),
              "Cannot install file \"C:\\100%AppName%\\a.dll\"!");
    EXPECT_EQ(velk::GetMessageText(20, {"one"}), "one, %s and %s");
    EXPECT_EQ(velk::GetMessageText(20), "%s, %s and %s");
    EXPECT_EQ(velk::GetText("Strings", "LanguageName", ""), "English");
}

TEST_F(LanguageStoreTest, CharsetsOfKnownLanguagesAndTheDefaultOtherwise) {
    const struct {
        const char* Code;
        int32_t Charset;
    } cases[] = {{"ENU", 0}, {"rus", 204}, {"ELL", 161}, {"JPN", 128}, {"QQQ", 1}, {"", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(velk::LanguageCharset(c.Code), c.Charset) << c.Code;
}

} // namespace
