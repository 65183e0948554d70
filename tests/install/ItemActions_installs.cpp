// The Windows half of the item-action test: installs packages built with velkpack.exe through
// the real setup.exe, with the test plug-in logging every event, and checks files, INI files,
// boxes and the install log. ItemActions_hostcheck.cpp then reads the registry and the shortcuts
// this left in the prefix from the Linux side.
#include "harness/DialogWatcher.h"
#include "harness/WinPackageTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velk::test::ReadBytes;
using velk::test::TDialogWatcher;

class ItemActionsTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        SetEnvironmentVariableA("VELK_PROBE_LOG", Path("probe.log").c_str());
        CreateDirectoryA("C:\\VelkItems", nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableA("VELK_PROBE_LOG", nullptr);
        TWinPackageTest::TearDown();
    }
    // A package whose one component "c" carries the item lists; files: {name, source path}.
    std::string Package(const std::string& name, const std::string& variables,
                        const std::string& items,
                        const std::vector<std::pair<std::string, std::string>>& files = {}) {
        const std::string src = name + "-src";
        Put(src + "\\main.xml",
            "<main><variables><var name=\"AppName\" value=\"Items\"/>"
            "<var name=\"InstallPath\" value=\"C:\\VelkItems\\" +
                name + "\"/>" + variables +
                "</variables><components><component id=\"c\"/></components><features>"
                "<feature id=\"f\" required=\"1\"><components><component id=\"c\"/></components>"
                "</feature></features></main>");
        Put(src + "\\db.xml", "<package><plugins><plugin id=\"probe\"/></plugins><components>"
                              "<component id=\"c\">" +
                                  items + "</component></components></package>");
        Put(src + "\\lng\\Enu.lng", "[Strings]\r\n");
        Put(src + "\\Uninstall.exe", "an uninstaller"); // asked for by Uninstall
        Put(src + "\\plugins\\0\\probe.dll", "");
        EXPECT_TRUE(CopyFileA(VELK_PROBE_DLL, Path(src + "\\plugins\\0\\probe.dll").c_str(), 0));
        for (const auto& [file, source] : files) {
            Put(src + "\\files\\c\\" + file, "");
            EXPECT_TRUE(CopyFileA(source.c_str(), Path(src + "\\files\\c\\" + file).c_str(), 0));
        }
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path(src) + "\" -o \"" + Path(name + ".exe") +
                  "\" --stub \"" VELK_SETUP_EXE "\"",
              &built);
        EXPECT_EQ(built.exitCode, 0u) << built.err;
        return Path(name + ".exe");
    }
    // Runs the package silently; the probe's log of the run.
    std::string Run(const std::string& exe) {
        DeleteFileA(Path("probe.log").c_str());
        EXPECT_EQ(Start("\"" + exe + "\" /S", nullptr), 0u) << "a box held the run";
        return ReadBytes(Path("probe.log"));
    }
    static std::vector<std::string> Section(const std::string& file, const char* section) {
        std::vector<char> buffer(32768);
        const DWORD size =
            GetPrivateProfileSectionA(section, buffer.data(), DWORD(buffer.size()), file.c_str());
        std::vector<std::string> lines;
        for (const char* p = buffer.data(); p < buffer.data() + size && *p; p += strlen(p) + 1)
            lines.emplace_back(p);
        return lines;
    }
    static std::string IniValue(const std::string& file, const char* section, const char* name) {
        char value[256];
        GetPrivateProfileStringA(section, name, "(none)", value, sizeof value, file.c_str());
        return value;
    }
};

void SetValue(const char* key, const char* name, const char* text) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, key, &handle), 0);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   DWORD(strlen(text) + 1));
    RegCloseKey(handle);
}

constexpr const char* FullItems = R"(
  <files><file src="marker.exe" dst="%InstallPath%\marker.exe"/></files>
  <registry>
    <reg key="HKCU\Software\VelkItems\Deep\Er" param="Text" value="%InstallPath%"/>
    <reg key="HKCU\Software\VelkItems\Deep\Er\" param="Number" value="4294967295" type="int"/>
    <reg key="HKCU\Software\VelkItems\Deep\Er" param="Answer" value="42" type="int"/>
    <reg key="HKCU\Software\VelkItems\Deep\Er" param="Bytes" value="01ab ff" type="bin"/>
    <reg key="HKCU\Software\VelkItems\Deep\Er" value="default"/>
    <reg key="HKCU\Software\VelkItems\Old" param="Over" value="new"/>
    <reg key="HKCU\Software\VelkItems\Old" param="Kept" value="new" flags="dont_overwrite"/>
    <reg key="HKCU\Software\VelkItems\Quiet\Sub" param="Q" value="q" flags="dont_log"/>
    <reg key="HKCU\Software\VelkItems\Old" param="Gone" action="remove"/>
    <reg key="HKCU\Software\VelkItems\Old\Doomed" action="remove"/>
    <reg key="HKCU\Software\VelkItems\Off" param="Off" value="x" condition="0"/>
  </registry>
  <inifiles>
    <ini file="%InstallPath%\new.ini" section="S" param="A" value="1"/>
    <ini file="%InstallPath%\old.ini" section="S" param="B" value="2"/>
    <ini file="%InstallPath%\old.ini" section="S" param="Kept" value="new" flags="dont_overwrite"/>
    <ini file="%InstallPath%\old.ini" section="S" param="Seen" value="yes" condition="%Written% = 42"/>
    <ini file="%InstallPath%\old.ini" section="S" param="Unseen" value="no" condition="%Written% = 41"/>
    <ini file="%InstallPath%\old.ini" section="S" param="Quiet" value="q" flags="dont_log"/>
  </inifiles>
  <shortcuts>
    <shortcut name="%InstallPath%\Menu\Full" cmdline='"%InstallPath%\marker.exe"'
              arg='"quoted arg"' workdir="%InstallPath%" showcmd="max"
              iconfile="%InstallPath%\marker.exe" icon="1" hotkey="$0641"
              description="Full shortcut"/>
    <shortcut name="%InstallPath%\Quiet\Q" cmdline="%InstallPath%\marker.exe" showcmd="min"
              flags="dont_log"/>
  </shortcuts>
  <runapps>
    <runapp cmdline="%Marker%" arg="%Scratch%\before.txt" workdir="%Scratch%" whenstart="before_install"/>
    <runapp cmdline="%InstallPath%\marker.exe" arg="after.txt" workdir="%InstallPath%" showcmd="hide"/>
    <runapp cmdline="%InstallPath%\marker.exe" arg="a b" whenstart="before_uninstall" showcmd="min" msg="Bye"/>
    <runapp cmdline="x.exe" whenstart="before_uninstall" flags="dont_wait"/>
    <runapp cmdline="y.exe" workdir="%InstallPath%" whenstart="after_uninstall" showcmd="max"/>
  </runapps>)";

TEST_F(ItemActionsTest, EveryKindTakesEffectAndIsLoggedAsItsFlagsSay) {
    SetValue("Software\\VelkItems\\Old", "Over", "old");
    SetValue("Software\\VelkItems\\Old", "Kept", "old");
    SetValue("Software\\VelkItems\\Old", "Gone", "old");
    SetValue("Software\\VelkItems\\Old\\Doomed", "", "old");
    CreateDirectoryA("C:\\VelkItems\\full", nullptr);
    velk::test::WriteBytes("C:\\VelkItems\\full\\old.ini", "[S]\r\nKept=old\r\n");
    const std::string exe =
        Package("full",
                "<var name=\"Uninstall\" value=\"1\"/><var name=\"Marker\" value=\"" VELK_MARKER_EXE
                "\"/><var name=\"Scratch\" value=\"" +
                    dir_ +
                    "\"/><var name=\"Written\" vartype=\"reg\" "
                    "regkey=\"HKCU\\Software\\VelkItems\\Deep\\Er\""
                    " regparam=\"Answer\" defvalue=\"0\"/>",
                FullItems, {{"marker.exe", VELK_MARKER_EXE}});
    const std::string events = Run(exe);

    EXPECT_EQ(ReadBytes(Path("before.txt")), dir_);
    EXPECT_EQ(ReadBytes("C:\\VelkItems\\full\\after.txt"), "C:\\VelkItems\\full");
    const std::string oldIni = "C:\\VelkItems\\full\\old.ini";
    EXPECT_EQ(Section(oldIni, "S"),
              (std::vector<std::string>{"Kept=old", "B=2", "Seen=yes", "Quiet=q"}));
    EXPECT_EQ(IniValue("C:\\VelkItems\\full\\new.ini", "S", "A"), "1");
    EXPECT_NE(GetFileAttributesA("C:\\VelkItems\\full\\Quiet\\Q.lnk"), INVALID_FILE_ATTRIBUTES);

    const std::string log = "C:\\VelkItems\\full\\install.log";
    const std::string key = "HKCU\\Software\\VelkItems\\Deep\\Er\\";
    EXPECT_EQ(Section(log, "CreateKeys"), (std::vector<std::string>{
                                              "HKCU\\Software\\VelkItems\\Deep=",
                                              "HKCU\\Software\\VelkItems\\Deep\\Er=",
                                              // the uninstall entry, with the uninstaller there
                                              "HKLM\\SOFTWARE\\Microsoft\\Windows\\"
                                              "CurrentVersion\\Uninstall\\App=",
                                          }));
    EXPECT_EQ(Section(log, "AddReg"),
              (std::vector<std::string>{key + "'Text'=C:\\VelkItems\\full",
                                        key + "'Number'=4294967295", key + "'Answer'=42",
                                        key + "'Bytes'=01ab ff", key + "''=default"}));
    EXPECT_EQ(Section(log, "AddIni"), (std::vector<std::string>{"A=1", "B=2", "Seen=yes"}));
    EXPECT_EQ(Section(log, "CopyFiles"),
              (std::vector<std::string>{"C:\\VelkItems\\full\\marker.exe=",
                                        "C:\\VelkItems\\full\\new.ini="}));
    EXPECT_EQ(Section(log, "CreateDirs"), (std::vector<std::string>{"C:\\VelkItems\\full\\Menu="}));
    EXPECT_EQ(Section(log, "Shortcuts"),
              (std::vector<std::string>{"C:\\VelkItems\\full\\Menu\\Full.lnk="}));
    EXPECT_EQ(Section(log, "PreRunApp"),
              (std::vector<std::string>{"0='C:\\VelkItems\\full\\marker.exe','a b','',3,'Bye',1",
                                        "1='x.exe','','',1,'',0"}));
    EXPECT_EQ(Section(log, "RunApp"),
              (std::vector<std::string>{"2='y.exe','','C:\\VelkItems\\full',2,'',1"}));

    // The plug-ins hear of every item acted on, and of none left alone or passed over.
    for (
        const char* line : {
            "EV_AFTERPROCESSITEM data=65536 "
            "param=kind1,HKCU\\Software\\VelkItems\\Old,Over,new,0,0",
            "EV_AFTERPROCESSITEM data=65536 param=kind1,HKCU\\Software\\VelkItems\\Old,Gone,,0,1",
            "EV_AFTERPROCESSITEM data=65536 param=kind1,HKCU\\Software\\VelkItems\\Deep\\Er,"
            "Bytes,01ab ff,2,0",
            "EV_AFTERPROCESSITEM data=131072 param=kind2,C:\\VelkItems\\full\\old.ini,S,Seen,yes,0",
            "EV_AFTERPROCESSITEM data=196608 param=kind3,C:\\VelkItems\\full\\Menu\\Full,"
            "\"C:\\VelkItems\\full\\marker.exe\",\"quoted arg\",C:\\VelkItems\\full,2,"
            "C:\\VelkItems\\full\\marker.exe,1,1601,Full shortcut,0",
            "EV_AFTERPROCESSITEM data=393216 param=kind6,C:\\VelkItems\\full\\marker.exe,after.txt,"
            "C:\\VelkItems\\full,3,,1",
            "EV_AFTERPROCESSITEM data=393216 param=kind6,y.exe,,C:\\VelkItems\\full,2,,3",
        })
        EXPECT_NE(events.find(line), std::string::npos) << line << "\n" << events;
    for (const char* absent : {"EV_AFTERPROCESSITEM data=65536 param=kind1,"
                               "HKCU\\Software\\VelkItems\\Old,Kept",
                               "Unseen", "VelkItems\\Off"})
        EXPECT_EQ(events.find(absent), std::string::npos) << absent;
}

TEST_F(ItemActionsTest, AFailedComServerOnlyShowsItsBoxAndALockedIniFileFailsThePhase) {
    CreateDirectoryA("C:\\VelkItems\\broken", nullptr);
    velk::test::WriteBytes("C:\\VelkItems\\broken\\locked.ini", "[S]\r\n");
    HANDLE lock = CreateFileA("C:\\VelkItems\\broken\\locked.ini", GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::string exe = Package("broken", "", R"(
      <files><file src="fails.dll" dst="%InstallPath%\fails.dll" flags="reg_server"/></files>
      <registry><reg key="HKCU\Software\VelkItems\Broken" param="After" value="1"/></registry>
      <inifiles><ini file="%InstallPath%\locked.ini" section="S" param="A" value="1"/></inifiles>
      <shortcuts><shortcut name="%InstallPath%\Never" cmdline="x.exe"/></shortcuts>)",
                                    {{"fails.dll", VELK_FAILING_SERVER}});
    TDialogWatcher com("COM server registering error", IDOK, 60000);
    TDialogWatcher ini("Ini file error", IDOK, 60000);
    const std::string events = Run(exe);
    CloseHandle(lock);
    EXPECT_EQ(com.Result().Text, "Cannot register COM server!\r\rAfter install try to register "
                                 "it manually:\rregsvr32.exe \"C:\\VelkItems\\broken\\fails.dll\"");
    EXPECT_EQ(ini.Result().Text, "Error during changing the ini file!");
    EXPECT_NE(events.find("EV_AFTERPROCESSITEM data=262144 param=kind4,"
                          "C:\\VelkItems\\broken\\fails.dll,0"),
              std::string::npos)
        << events;
    char value[8] = {};
    LONG size = sizeof value;
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, "Software\\VelkItems\\Broken", value, &size), 0);
    // The shortcut phase never starts.
    EXPECT_EQ(events.find("EV_BEFOREPROCESSITEMS data=196608"), std::string::npos) << events;
    EXPECT_EQ(GetFileAttributesA("C:\\VelkItems\\broken\\Never.lnk"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ItemActionsTest, AValueThatCannotBeWrittenEndsTheRegistryPhase) {
    const std::string tooLong(300, 'k');
    const std::string exe = Package("regfail", "",
                                    R"(
      <registry>
        <reg key="HKCU\Software\VelkItems\Fail" param="Before" value="1"/>
        <reg key="HKCU\Software\VelkItems\Fail\)" +
                                        tooLong + R"(" param="X" value="1"/>
        <reg key="HKCU\Software\VelkItems\Fail" param="After" value="1"/>
      </registry>
      <inifiles><ini file="%InstallPath%\x.ini" section="S" param="A" value="1"/></inifiles>)");
    TDialogWatcher box("Registry error", IDOK, 60000);
    const std::string events = Run(exe);
    EXPECT_EQ(box.Result().Text, "Error during changing the registry data!");
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\VelkItems\\Fail", &key), 0);
    EXPECT_EQ(RegQueryValueExA(key, "Before", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_NE(RegQueryValueExA(key, "After", nullptr, nullptr, nullptr, nullptr), 0);
    RegCloseKey(key);
    EXPECT_EQ(events.find("EV_BEFOREPROCESSITEMS data=131072"), std::string::npos) << events;
}

TEST_F(ItemActionsTest, IniChangesThatCannotBeWrittenOutFailThePhase) {
    velk::test::WriteBytes("C:\\VelkItems\\blocker", "a file, not a folder");
    const std::string exe = Package("unwritable", "", R"(
      <inifiles><ini file="C:\VelkItems\blocker\sub\x.ini" section="S" param="A" value="1"/></inifiles>
      <shortcuts><shortcut name="%InstallPath%\Never" cmdline="x.exe"/></shortcuts>)");
    TDialogWatcher ini("Ini file error", IDOK, 60000);
    const std::string events = Run(exe);
    EXPECT_EQ(ini.Result().Text, "Error during changing the ini file!");
    EXPECT_EQ(events.find("EV_BEFOREPROCESSITEMS data=196608"), std::string::npos) << events;
}

TEST_F(ItemActionsTest, AFontIsRegisteredAndAShortcutWithoutAFolderFails) {
    velk::test::WriteBytes("C:\\VelkItems\\blocker", "a file, not a folder");
    const std::string fontData = velk::test::RenamedFont("VelkIt");
    ASSERT_GT(fontData.size(), 100000u);
    velk::test::WriteBytes(Path("VelkItSans.ttf"), fontData);
    const std::string exe = Package("fonts", "<var name=\"Uninstall\" value=\"1\"/>", R"(
      <files><file src="VelkItSans.ttf" dst="%Fonts%\VelkItSans.ttf" flags="reg_font"/></files>
      <shortcuts><shortcut name="C:\VelkItems\blocker\sub\s" cmdline="%Windows%\notepad.exe"/></shortcuts>)",
                                    {{"VelkItSans.ttf", Path("VelkItSans.ttf")}});
    TDialogWatcher link("Shortcut creation error", IDOK, 60000);
    Run(exe);
    EXPECT_EQ(link.Result().Text,
              "Error creating shortcut \"C:\\VelkItems\\blocker\\sub\\s.lnk\".");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string font = std::string(windows) + "\\Fonts\\VelkItSans.ttf";
    EXPECT_EQ(ReadBytes(font), fontData);
    const std::string log = "C:\\VelkItems\\fonts\\install.log";
    EXPECT_EQ(Section(log, "RegFonts"),
              (std::vector<std::string>{"VelkIt Sans (TrueType)=" + font}));
    EXPECT_EQ(Section(log, "CopyFiles"), (std::vector<std::string>{font + "="}));

    // Again: found registered under its name with " (TrueType)", its file is replaced in place.
    TDialogWatcher again("Shortcut creation error", IDOK, 60000);
    Run(exe);
    again.Result();
    std::vector<std::string> fonts;
    for (const std::string& name : velk::test::FolderEntries(std::string(windows) + "\\Fonts\\"))
        if (name.rfind("VelkIt", 0) == 0)
            fonts.push_back(name);
    EXPECT_EQ(fonts, (std::vector<std::string>{"VelkItSans.ttf"}));
    EXPECT_EQ(Section(log, "RegFonts"),
              (std::vector<std::string>{"VelkIt Sans (TrueType)=" + font}));
}

} // namespace
