// COM servers that take their place only at the next restart: registered at the next logon
// through RunOnce values of their own.
#include "install/ItemActions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win/WindowsSupport.h"

namespace {

TEST(ComServersTest, ServersInPlaceOnlyAfterTheRestartRegisterAtTheNextLogon) {
    velk::TvkMainDatabase db(nullptr);
    ASSERT_TRUE(velk::RegisterComServers(
        db, {{"C:\\App\\a.dll", false, true}, {"C:\\App\\b.EXE", false, false}}));
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, KEY_READ,
                            &key),
              0);
    std::set<std::string> commands;
    char name[256], data[1024];
    for (DWORD i = 0, nameSize = sizeof name, dataSize = sizeof data;
         RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                       &dataSize) == 0;
         ++i, nameSize = sizeof name, dataSize = sizeof data) {
        const std::string text(name);
        ASSERT_EQ(text.substr(0, 3), "Reg");
        EXPECT_EQ(text.find_first_not_of("0123456789", 3), std::string::npos) << text;
        commands.insert(data);
    }
    RegCloseKey(key);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(commands,
              (std::set<std::string>{std::string(system) + "\\regsvr32.exe /s \"C:\\App\\a.dll\"",
                                     "\"C:\\App\\b.EXE\" /REGSERVER"}));
}

} // namespace
