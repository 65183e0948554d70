// The install functions over the real system under Wine: files with version resources, dates in
// the user's settings, the registry, and questions answered through the dialog watcher.
#include "expressions/InstallFunctions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/VKVariables.h"
#include "expressions/EvalOutcome.h"
#include "expressions/EvaluatorSetup.h"
#include "harness/DialogWatcher.h"
#include "platform/win/WindowsSupport.h"

namespace velk {
namespace {

using test::TDialogSeen;
using test::TDialogWatcher;

const char kKey[] = "Software\\VelkExprTest";

std::string ModuleFolder() {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n);
    return path.substr(0, path.find_last_of('\\'));
}

std::string LocaleText(LCTYPE type) {
    char buffer[80];
    int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, size_t(n - 1)) : std::string();
}

// Changes one regional setting of the user for the test's lifetime.
class TLocaleSetting {
public:
    TLocaleSetting(LCTYPE type, const char* value) : type_(type), saved_(LocaleText(type)) {
        EXPECT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, type, value));
    }
    ~TLocaleSetting() { ::SetLocaleInfoA(LOCALE_USER_DEFAULT, type_, saved_.c_str()); }

private:
    LCTYPE type_;
    std::string saved_;
};

class InstallFunctionsWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ev = &InitEvaluator(db);
        ConditionsEnabled = true;
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "velk-functions-" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(dir.c_str(), nullptr);
        SetVariable(&db, "Dir", dir);
        SetVariable(&db, "Here", ModuleFolder());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override {
        AskUserOwner = nullptr;
        ConditionsEnabled = false;
        DoneEvaluator();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        WIN32_FIND_DATAA data;
        HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileA((dir + "\\" + data.cFileName).c_str());
            while (::FindNextFileA(search, &data));
            ::FindClose(search);
        }
        ::RemoveDirectoryA((dir + "\\sub").c_str());
        ::RemoveDirectoryA(dir.c_str());
    }

    std::string Eval(const std::string& text) {
        try {
            return Outcome(*ev, text);
        } catch (const Exception& e) {
            return std::string("error: ") + e.what();
        }
    }
    void ExpectTable(const std::vector<TExpressionCase>& cases) {
        for (const TExpressionCase& c : cases)
            EXPECT_EQ(Eval(c.Text), c.Expected) << "expression: " << c.Text;
    }
    std::string File(const std::string& name, size_t size) {
        std::string path = dir + "\\" + name;
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string data(size, 'v');
        DWORD written = 0;
        ::WriteFile(file, data.data(), DWORD(size), &written, nullptr);
        ::CloseHandle(file);
        return path;
    }
    // Sets the last-write time of the file to the local time given.
    void Stamp(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
               WORD second) {
        SYSTEMTIME local = {year, month, 0, day, hour, minute, second, 0};
        FILETIME localTime, utc;
        ASSERT_TRUE(::SystemTimeToFileTime(&local, &localTime));
        ASSERT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
        HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc));
        ::CloseHandle(file);
    }
    void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void SetText(const char* name, DWORD type, const std::string& text) {
        SetValue(name, type, text.c_str(), DWORD(text.size() + 1));
    }

    TvkMainDatabase db{nullptr};
    TvkEvaluator* ev = nullptr;
    std::string dir;
};

TEST_F(InstallFunctionsWinTest, VersionsFromVersionResources) {
    ExpectTable({
        {"FileVersion('%Here%\\velk_expr_version_5_0_2195_1.exe')", "5.0.2195.1"},
        {"FileVersion('%Here%\\velk_expr_version_65535_65535_65535_65535.exe')",
         "65535.65535.65535.65535"},
        {"FileVersion('%Here%\\velk_expr_version_plain.exe')", "0"},
        {"FileVersion('%Here%\\none.exe')", "0"},
        {"CompareVersion(FileVersion('%Here%\\velk_expr_version_5_0_2195_1.exe'), '5.0') = 1", "1"},
        {"CompareVersion(FileVersion('%Here%\\velk_expr_version_5_0_2195_1.exe'), 5.0.2195.1)",
         "0"},
        {"CompareVersion(FileVersion('%Here%\\velk_expr_version_plain.exe'), '0.0.0.1')", "-1"},
    });
}

TEST_F(InstallFunctionsWinTest, FilesAndFolders) {
    File("a.txt", 1234);
    File("b.txt", 10);
    File("c.dat", 0);
    ::CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    ExpectTable({
        {"FileExists('%Dir%\\a.txt')", "1"},
        {"FileExists('%Dir%\\A.TXT')", "1"},
        {"FileExists('%Dir%\\sub')", "0"},
        {"FileExists('%Dir%\\none')", "0"},
        {"FolderExists('%Dir%\\sub')", "1"},
        {"FolderExists('%Dir%\\sub\\')", "1"},
        {"FolderExists('%Dir%\\a.txt')", "0"},
        {"FolderExists('%Dir%\\none')", "0"},
        {"FileSize('%Dir%\\a.txt')", "1234"},
        {"FileSize('%Dir%\\c.dat')", "0"},
        {"FileSize('%Dir%\\a.*')", "1234"},
        {"FileSize('%Dir%\\?.dat')", "0"},
        {"FileSize('%Dir%\\sub')", "0"},
        {"FileSize('%Dir%\\*.none')", "-1"},
        {"FileSize('%Dir%\\none\\*.*')", "-1"},
        {"FilePath('%Dir%\\a.txt') = '%Dir%'", "1"},
        {"FileName('%Dir%\\a.txt')", "a.txt"},
    });
    // A relative name is taken against the current folder.
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.c_str()));
    EXPECT_EQ(Eval("FileSize('b.txt')"), "10");
    EXPECT_EQ(Eval("FileSize('sub\\..\\b.txt')"), "10");
    ::SetCurrentDirectoryA(saved);
}

TEST_F(InstallFunctionsWinTest, FileDateInTheUsersSeparators) {
    std::string path = File("dated.txt", 1);
    Stamp(path, 2021, 3, 7, 9, 5, 43);
    {
        TLocaleSetting date(LOCALE_SDATE, "/");
        TLocaleSetting time(LOCALE_STIME, ":");
        EXPECT_EQ(Eval("FileDate('%Dir%\\dated.txt')"), "03/07/2021 09:05:42");
        EXPECT_EQ(Eval("CompareDate(FileDate('%Dir%\\dated.txt'), '3/7/2021 9:05')"), "1");
        EXPECT_EQ(Eval("FileDate('%Dir%\\none.txt')"), "12/30/1899 00:00:00");
    }
    TLocaleSetting date(LOCALE_SDATE, ".");
    TLocaleSetting time(LOCALE_STIME, "-");
    EXPECT_EQ(Eval("FileDate('%Dir%\\dated.txt')"), "03.07.2021 09-05-42");
    // The fixed form is read whatever the settings say, and they stay as they were.
    EXPECT_EQ(Eval("CompareDate('3/7/2021', '03/06/2021 23:59:59')"), "1");
    EXPECT_EQ(Eval("CompareDate(FileDate('%Dir%\\dated.txt'), '3/7/2021')"),
              "error: '03.07.2021 09-05-42' is not a valid date and time");
    EXPECT_EQ(LocaleText(LOCALE_SDATE), ".");
    EXPECT_EQ(LocaleText(LOCALE_STIME), "-");
}

TEST_F(InstallFunctionsWinTest, TextsCompareInTheUsersCollation) {
    ExpectTable({
        {"CompareText('abc', 'ABC')", "0"},
        {"CompareText('a', 'B')", "-1"},
        {"CompareText('Zebra', 'apple')", "1"},
        {"CompareText('\xC9T\xC9', '\xE9t\xE9')", "0"},
        {"CompareText('\xE9', 'f')", "-1"},
        {"CompareText('e', '\xE9')", "-1"},
        {"CompareText('', '')", "0"},
    });
}

TEST_F(InstallFunctionsWinTest, NumbersInTheUsersDecimalSeparator) {
    TLocaleSetting decimal(LOCALE_SDECIMAL, ",");
    ev = &InitEvaluator(db);
    ExpectTable({{"Round('2,5')", "2"},
                 {"Round('3,5')", "4"},
                 {"Round('2.5')", "0"},
                 {"'1,5' + 1", "2,5"}});
}

TEST_F(InstallFunctionsWinTest, RegistryValuesOfEachType) {
    SetText("Sz", REG_SZ, "plain text");
    SetText("Expand", REG_EXPAND_SZ, "%SystemRoot%\\x");
    SetText("Percent", REG_SZ, "50%% of %Here%");
    const BYTE binary[] = {0xDE, 0xAD, 0x01};
    SetValue("Bin", REG_BINARY, binary, sizeof binary);
    DWORD number = 42;
    SetValue("Dword", REG_DWORD, &number, sizeof number);
    number = 0xFFFFFFFF;
    SetValue("Minus", REG_DWORD, &number, sizeof number);
    SetValue("Multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetText("", REG_SZ, "default value");
    SetText("Fits", REG_SZ, std::string(4095, 'f'));
    SetText("Long", REG_SZ, std::string(4096, 'l'));
    ExpectTable({
        {"RegKeyExists('HKCU\\Software\\VelkExprTest')", "1"},
        {"RegKeyExists('hkcu\\Software\\VelkExprTest\\')", "1"},
        {"RegKeyExists('Software\\VelkExprTest')", "1"},
        {"RegKeyExists('HKLM\\Software')", "1"},
        {"RegKeyExists('HKCU\\Software\\VelkExprTest\\None')", "0"},
        {"RegParamExists('HKCU\\Software\\VelkExprTest', 'Sz')", "1"},
        {"RegParamExists('HKCU\\Software\\VelkExprTest', 'sz')", "1"},
        {"RegParamExists('HKCU\\Software\\VelkExprTest', 'None')", "0"},
        {"RegParamExists('HKCU\\Software\\None', 'Sz')", "0"},
        {"RegParamExists('HKCU\\Software\\VelkExprTest', '')", "1"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Sz', 'd')", "plain text"},
        {"RegParam('HKCU\\Software\\VelkExprTest', '', 'd')", "default value"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Bin', 'd')", "DEAD01"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Dword', 'd')", "42"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Minus', 'd')", "-1"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Multi', 'd')", "d"},
        {"Length(RegParam('HKCU\\Software\\VelkExprTest', 'Fits', 'd'))", "4095"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'Long', 'd')", "d"},
        {"RegParam('HKCU\\Software\\VelkExprTest', 'None', 'def')", "def"},
        {"RegParam('HKLM\\Software\\None', 'X', 'def')", "def"},
    });
    // What the registry holds is expanded once more, like any function's result.
    EXPECT_EQ(Eval("RegParam('HKCU\\Software\\VelkExprTest', 'Percent', 'd')"),
              "50% of " + ModuleFolder());
    EXPECT_EQ(Eval("RegParam('HKCU\\Software\\VelkExprTest', 'Expand', 'd')"), "\\x");
}

TEST_F(InstallFunctionsWinTest, AskUserShowsOneBoxPerText) {
    {
        TDialogWatcher watcher("Velk ask", IDYES, 10000);
        EXPECT_EQ(Eval("AskUser('Velk ask', 'Proceed?||Really?', 1, 1)"), "1");
        const TDialogSeen& seen = watcher.Result();
        ASSERT_TRUE(seen.Found);
        EXPECT_EQ(seen.Text, "Proceed?\r\nReally?");
        EXPECT_EQ(seen.Icon, "question");
        EXPECT_EQ(seen.Buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(seen.Owner, nullptr);
    }
    {
        // The same text in other letters is answered from memory: no box appears.
        TDialogWatcher watcher("Velk ask", IDNO, 2000);
        EXPECT_EQ(Eval("AskUser('Velk ask', 'PROCEED?||REALLY?', 3, 2)"), "1");
        EXPECT_FALSE(watcher.Result().Found);
    }
    const struct {
        const char* Icon;
        const char* Buttons;
        int Press;
        const char* IconSeen;
        std::vector<int> ButtonsSeen;
        const char* Answer;
    } cases[] = {
        {"0", "0", IDOK, "information", {IDOK}, "1"},
        {"2", "2", IDCANCEL, "exclamation", {IDOK, IDCANCEL}, "0"},
        {"3", "2", IDOK, "stop", {IDOK, IDCANCEL}, "1"},
        {"1", "1", IDNO, "question", {IDYES, IDNO}, "0"},
        {"7", "9", IDOK, "none", {IDOK}, "1"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string caption = "Velk case " + std::to_string(n++);
        TDialogWatcher watcher(caption, c.Press, 10000);
        EXPECT_EQ(Eval("AskUser('" + caption + "', '" + caption + " text', " + c.Icon + ", " +
                       c.Buttons + ")"),
                  c.Answer)
            << caption;
        const TDialogSeen& seen = watcher.Result();
        ASSERT_TRUE(seen.Found) << caption;
        EXPECT_EQ(seen.Icon, c.IconSeen) << caption;
        EXPECT_EQ(seen.Buttons, c.ButtonsSeen) << caption;
    }
}

HWND askOwner = nullptr;
TWindowHandle AskOwner() {
    return askOwner;
}

TEST_F(InstallFunctionsWinTest, AskUserIsOwnedByTheNamedWindow) {
    askOwner = ::CreateWindowExA(0, "STATIC", "Velk owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(askOwner, nullptr);
    AskUserOwner = AskOwner;
    TDialogWatcher watcher("Velk owned", IDOK, 10000);
    EXPECT_EQ(Eval("AskUser('Velk owned', 'Owned?', 0, 0)"), "1");
    EXPECT_EQ(watcher.Result().Owner, askOwner);
    ::DestroyWindow(askOwner);
}

} // namespace
} // namespace velk
