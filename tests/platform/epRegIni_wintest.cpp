#include "platform/epRegIni.h"

#include <gtest/gtest.h>

#include "harness/FaultInjection.h"
#include "platform/win/epRegIniApi.h"

namespace velk {
namespace {

using test::SweepFaults;
using test::TTableRestore;

const std::string Base = "HKCU\\Software\\VelkTest";

// What the system's own "reg.exe query" prints for one value, blanks collapsed:
// "Name REG_SZ text".
std::string RegExeQuery(const std::string& key, const std::string& name) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return "<no pipe>";
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string commandLine = "reg.exe query \"" + key + "\" /v \"" + name + "\"";
    BOOL started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    std::string output;
    char buffer[512];
    DWORD n;
    while (started && ::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
        output.append(buffer, n);
    ::CloseHandle(readEnd);
    if (!started)
        return "<not started>";
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    std::string line;
    size_t start = output.find("    " + name + "    ");
    if (start == std::string::npos)
        return "<not listed>";
    for (size_t i = start; i < output.size() && output[i] != '\r' && output[i] != '\n'; ++i)
        if (output[i] != ' ' || (!line.empty() && line.back() != ' '))
            line += output[i];
    return line;
}

class RegIniWinTest : public testing::Test {
protected:
    void SetUp() override {
        key_ = Base + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override { DeleteRegKey(Base, true); }
    std::string key_;
};

TEST_F(RegIniWinTest, ValuesOfEachTypeAsTextAndAsTheSystemSeesThem) {
    ASSERT_TRUE(WriteRegString(key_, "Sz", "plain text"));
    const char expand[] = "%WINDIR%\\x";
    ASSERT_TRUE(WriteRegValue(key_, "Expand", RegTypeExpandSz, sizeof expand, expand));
    ASSERT_TRUE(WriteRegInteger(key_, "Dword", -1));
    ASSERT_TRUE(WriteRegBinaryHex(key_, "Bin", "01 ab F"));
    const uint8_t three[] = {0x01, 0xAB, 0xFF};
    ASSERT_TRUE(WriteRegBinary(key_, "Three", three, 3));
    ASSERT_TRUE(WriteRegBinary(key_, "Empty", nullptr, 0));
    const char multi[] = "a\0b\0";
    ASSERT_TRUE(WriteRegValue(key_, "Multi", RegTypeMultiSz, sizeof multi, multi));

    EXPECT_EQ(GetRegValueType(key_, "Sz"), RegTypeSz);
    EXPECT_EQ(GetRegValueType(key_, "Dword"), RegTypeDWord);
    EXPECT_EQ(GetRegValueType(key_, "Bin"), RegTypeBinary);
    EXPECT_EQ(GetRegValueType(key_, "Missing"), RegTypeNone);
    EXPECT_EQ(GetRegValueType(key_ + "\\Missing", "Sz"), RegTypeNone);

    EXPECT_EQ(ReadRegString(key_, "Sz", "d"), "plain text");
    EXPECT_EQ(ReadRegString(key_, "Expand", "d"), expand);
    EXPECT_EQ(ReadRegString(key_, "Dword", "d"), "-1");
    EXPECT_EQ(ReadRegString(key_, "Bin", "d"), "01AB");
    EXPECT_EQ(ReadRegString(key_, "Three", "d"), "01ABFF");
    EXPECT_EQ(ReadRegString(key_, "Empty", "d"), "");
    EXPECT_EQ(ReadRegString(key_, "Multi", "d"), "d");
    EXPECT_EQ(ReadRegString(key_, "Missing", "d"), "d");

    std::string full = "HKEY_CURRENT_USER\\Software\\VelkTest\\" +
                       std::string(testing::UnitTest::GetInstance()->current_test_info()->name());
    EXPECT_EQ(RegExeQuery(full, "Sz"), "Sz REG_SZ plain text");
    EXPECT_EQ(RegExeQuery(full, "Expand"), "Expand REG_EXPAND_SZ %WINDIR%\\x");
    EXPECT_EQ(RegExeQuery(full, "Dword"), "Dword REG_DWORD 0xffffffff");
    EXPECT_EQ(RegExeQuery(full, "Bin"), "Bin REG_BINARY 01AB");
}

TEST_F(RegIniWinTest, StringsUpTo4095CharactersAndRawIntegers) {
    ASSERT_TRUE(WriteRegString(key_, "Fits", std::string(4095, 'a')));
    ASSERT_TRUE(WriteRegString(key_, "Long", std::string(4096, 'b')));
    EXPECT_EQ(ReadRegString(key_, "Fits", "d"), std::string(4095, 'a'));
    EXPECT_EQ(ReadRegString(key_, "Long", "d"), "d");
    const char noZero[] = {'x', 'y'};
    ASSERT_TRUE(WriteRegValue(key_, "NoZero", RegTypeSz, 2, noZero));
    EXPECT_EQ(ReadRegString(key_, "NoZero", "d"), "xy");

    ASSERT_TRUE(WriteRegString(key_, "Ab", "ab"));
    ASSERT_TRUE(WriteRegString(key_, "Abcd", "abcd"));
    ASSERT_TRUE(WriteRegInteger(key_, "Num", 123456));
    EXPECT_EQ(ReadRegInteger(key_, "Ab", -5), 0x006261);
    EXPECT_EQ(ReadRegInteger(key_, "Abcd", -5), -5);
    EXPECT_EQ(ReadRegInteger(key_, "Num", -5), 123456);
    EXPECT_EQ(ReadRegInteger(key_, "Missing", -5), -5);

    std::vector<uint8_t> data;
    ASSERT_TRUE(WriteRegBinaryHex(key_, "Bin", "de ad be ef"));
    ASSERT_TRUE(ReadRegBinary(key_, "Bin", data));
    EXPECT_EQ(data, (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(ReadRegInteger(key_, "Bin", 0), int32_t(0xEFBEADDE));
    EXPECT_FALSE(ReadRegBinary(key_, "Missing", data));
    EXPECT_EQ(ReadRegBinaryHex(key_, "Missing", "d"), "d");
}

TEST_F(RegIniWinTest, PathSpellings) {
    ASSERT_TRUE(WriteRegString("hkcu\\Software\\VelkTest\\Spell\\", "v", "1"));
    EXPECT_EQ(ReadRegString("HKCU\\Software\\VelkTest\\Spell", "v", ""), "1");
    EXPECT_EQ(ReadRegString("Software\\VelkTest\\Spell", "v", ""), "1");
    EXPECT_TRUE(RegKeyExists("Software\\VelkTest\\Spell\\"));
    EXPECT_FALSE(RegKeyExists("HKLM\\Software\\VelkTest\\Spell"));

    ASSERT_TRUE(WriteRegString("HKEY_LOCAL_MACHINE\\Software\\VelkTest", "v", "2"));
    EXPECT_EQ(ReadRegString("HKCU\\HKEY_LOCAL_MACHINE\\Software\\VelkTest", "v", ""), "2");
    EXPECT_TRUE(DeleteRegKey("HKEY_LOCAL_MACHINE", true));

    ASSERT_TRUE(WriteRegString("HKCU", "VelkRootValue", "root"));
    EXPECT_EQ(ReadRegString("hkcu\\", "VelkRootValue", ""), "root");
    EXPECT_TRUE(RegValueExists("HKCU", "VelkRootValue"));
    EXPECT_TRUE(DeleteRegValue("HKCU", "VelkRootValue"));
    EXPECT_FALSE(RegValueExists("HKCU", "VelkRootValue"));
    EXPECT_FALSE(DeleteRegValue("HKCU", "VelkRootValue"));

    ASSERT_TRUE(WriteRegString(key_, "", "default value"));
    EXPECT_EQ(ReadRegString(key_, "", "d"), "default value");
}

TEST_F(RegIniWinTest, KeysAreListedAndDeletedRecursively) {
    for (const char* sub : {"\\B\\C", "\\D", "\\A:B\\E"})
        ASSERT_TRUE(WriteRegInteger(key_ + sub, "v", 1));
    std::vector<std::string> names{"stale"};
    EnumRegKeys(key_, names);
    EXPECT_EQ(names, (std::vector<std::string>{"A:B", "B", "D"}));

    EXPECT_FALSE(DeleteRegKey(key_, false)) << "a key with subkeys is refused";
    EXPECT_TRUE(RegKeyExists(key_ + "\\B\\C"));
    EXPECT_TRUE(DeleteRegKey(key_ + "\\A:B", true));
    EXPECT_TRUE(RegKeyExists(key_ + "\\B")) << "a colon in a key name is no separator";
    EXPECT_TRUE(DeleteRegKey(key_ + "\\", true));
    EXPECT_FALSE(RegKeyExists(key_));
    EXPECT_FALSE(DeleteRegKey(key_, true));

    EXPECT_FALSE(DeleteRegKey("", true));
    EXPECT_FALSE(DeleteRegKey("HKCU\\", true));
    EXPECT_TRUE(RegKeyExists("HKCU\\Software")) << "a whole hive is never emptied";
}

TEST_F(RegIniWinTest, OnlyAKeyWithoutSubkeysAndValuesIsEmpty) {
    ASSERT_TRUE(WriteRegInteger(key_ + "\\Sub\\Deep", "v", 1));
    ASSERT_TRUE(WriteRegString(key_ + "\\Default", "", ""));
    ASSERT_TRUE(WriteRegString(key_ + "\\Empty\\Gone", "v", "x"));
    ASSERT_TRUE(DeleteRegKey(key_ + "\\Empty\\Gone", true));
    const struct {
        const char* sub;
        bool empty;
    } cases[] = {{"", false},          {"\\Sub", false},  {"\\Sub\\Deep", false},
                 {"\\Default", false}, {"\\Empty", true}, {"\\Missing", false}};
    for (const auto& c : cases)
        EXPECT_EQ(RegKeyIsEmpty(key_ + c.sub), c.empty) << c.sub;
}

TEST_F(RegIniWinTest, UniqueValueNamesAvoidExistingOnes) {
    std::string first = MakeUniqueRegValueName(key_, "Val");
    ASSERT_TRUE(WriteRegString(key_, first, "x"));
    std::string second = MakeUniqueRegValueName(key_, "Val");
    EXPECT_NE(first, second);
    EXPECT_EQ(second.rfind("Val", 0), 0u);
    EXPECT_FALSE(RegValueExists(key_, second));
}

// Keys opened or created and not yet closed; counted outside the fault plan, which must never
// make a close fail.
int OpenKeys = 0;
decltype(TRegistryApi::RegOpenKeyExA) PlannedOpen = nullptr;
decltype(TRegistryApi::RegCreateKeyExA) PlannedCreate = nullptr;
decltype(TRegistryApi::RegCloseKey) RealClose = nullptr;

LONG WINAPI CountingOpen(HKEY root, LPCSTR name, DWORD options, REGSAM sam, PHKEY key) {
    LONG rc = PlannedOpen(root, name, options, sam, key);
    OpenKeys += rc == ERROR_SUCCESS;
    return rc;
}
LONG WINAPI CountingCreate(HKEY root, LPCSTR name, DWORD reserved, LPSTR cls, DWORD options,
                           REGSAM sam, LPSECURITY_ATTRIBUTES sa, PHKEY key, LPDWORD disposition) {
    LONG rc = PlannedCreate(root, name, reserved, cls, options, sam, sa, key, disposition);
    OpenKeys += rc == ERROR_SUCCESS;
    return rc;
}
LONG WINAPI CountingClose(HKEY key) {
    --OpenKeys;
    return RealClose(key);
}

// Runs setup without faults and without counting its calls.
template <typename Setup> void Unplanned(Setup setup) {
    int failAt = test::FaultPlan.FailAt;
    test::FaultPlan.FailAt = 0;
    setup();
    test::FaultPlan.Calls = 0;
    test::FaultPlan.FailAt = failAt;
    OpenKeys = 0;
}

class RegFaultTest : public RegIniWinTest {
protected:
    void SetUp() override {
        RegIniWinTest::SetUp();
        VELK_FAULT_SLOT(RegistryApi, RegOpenKeyExA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegCreateKeyExA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegQueryValueExA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegSetValueExA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegDeleteValueA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegDeleteKeyA)::Install(ERROR_ACCESS_DENIED);
        VELK_FAULT_SLOT(RegistryApi, RegEnumKeyExA)::Install(ERROR_ACCESS_DENIED);
        PlannedOpen = RegistryApi.RegOpenKeyExA;
        PlannedCreate = RegistryApi.RegCreateKeyExA;
        RealClose = RegistryApi.RegCloseKey;
        RegistryApi.RegOpenKeyExA = CountingOpen;
        RegistryApi.RegCreateKeyExA = CountingCreate;
        RegistryApi.RegCloseKey = CountingClose;
    }
    void TearDown() override {
        restore_.reset();
        RegIniWinTest::TearDown();
    }

    std::unique_ptr<TTableRestore<TRegistryApi>> restore_ =
        std::make_unique<TTableRestore<TRegistryApi>>(RegistryApi);
};

TEST_F(RegFaultTest, WritesEitherHappenOrFail) {
    SweepFaults(
        [&] {
            Unplanned([&] { DeleteRegValue(key_, "v"); });
            return WriteRegString(key_, "v", "text");
        },
        [&](int n, bool written, bool) {
            EXPECT_EQ(OpenKeys, 0) << "call " << n;
            EXPECT_EQ(ReadRegString(key_, "v", "none"), written ? "text" : "none") << n;
        });
}

TEST_F(RegFaultTest, ReadsGiveTheValueOrTheDefault) {
    ASSERT_TRUE(WriteRegString(key_, "s", "text"));
    ASSERT_TRUE(WriteRegBinaryHex(key_, "b", "0102"));
    ASSERT_TRUE(WriteRegInteger(key_, "i", 7));
    for (auto [name, value] : {std::pair{"s", "text"}, {"b", "0102"}, {"i", "7"}})
        SweepFaults(
            [&, name = name] {
                Unplanned([] {});
                return ReadRegString(key_, name, "99");
            },
            [&, value = value](int n, const std::string& text, bool failed) {
                EXPECT_EQ(OpenKeys, 0) << "call " << n;
                EXPECT_EQ(text, failed ? "99" : value) << n;
            });
}

TEST_F(RegFaultTest, RecursiveDeleteCanBeFinishedAfterAFailure) {
    int runs = SweepFaults(
        [&] {
            Unplanned([&] {
                for (const char* sub : {"\\a\\b", "\\a\\c", "\\d"})
                    WriteRegInteger(key_ + sub, "v", 1);
            });
            return DeleteRegKey(key_, true);
        },
        [&](int n, bool deleted, bool) {
            EXPECT_EQ(OpenKeys, 0) << "call " << n;
            EXPECT_NE(RegKeyExists(key_), deleted) << n;
            EXPECT_TRUE(deleted || DeleteRegKey(key_, true)) << n;
        });
    EXPECT_GT(runs, 10);
}

} // namespace
} // namespace velk
