// The standard wizard in packages built with velkpack.exe, run by the shipped setup.exe and
// driven from a thread of the test with window messages, as a user would press its buttons. The
// test plug-in beside it logs what the run did.
#include "harness/WinPackageTest.h"
#include "harness/WizardDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace {

using velk::test::AnswerBox;
using velk::test::ReadBytes;
using velk::test::TWizardDriver;
using velk::test::WaitUntil;

const char kCancelQuestion[] = "Do you want to stop the installation?";

// Waits for a dialog of setup.exe with the caption to be shown.
HWND WaitForWindow(const char* caption) {
    HWND window = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        window = FindWindowA("#32770", caption);
        return window && IsWindowVisible(window);
    })) << caption;
    return window;
}

// The wizard of the package "Wizard Test"; a page that does not come fails the test.
class TTestWizard : public TWizardDriver {
public:
    TTestWizard() : TWizardDriver("Wizard Test Setup") {}
    bool Page(const std::string& heading) {
        const bool shown = TWizardDriver::Page(heading);
        EXPECT_TRUE(shown) << "no page \"" << heading << "\"";
        return shown;
    }
};

// What an installation can leave behind: the files below the folders, and the names and values
// below the registry keys, one line each.
std::vector<std::string> Snapshot(const std::vector<std::string>& folders,
                                  const std::vector<std::pair<HKEY, std::string>>& keys) {
    std::vector<std::string> lines;
    std::function<void(const std::string&)> walk = [&](const std::string& folder) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            const std::string name = data.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            lines.push_back(path);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                walk(path);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    };
    for (const std::string& folder : folders)
        walk(folder);
    std::function<void(HKEY, const std::string&)> keyWalk = [&](HKEY root,
                                                                const std::string& path) {
        HKEY key;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        char name[512];
        BYTE value[1024];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, valueSize = sizeof value;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, value, &valueSize))
                break;
            lines.push_back(path + "\\" + name + "=" +
                            std::string(reinterpret_cast<char*>(value), valueSize));
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name;
            if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr))
                break;
            lines.push_back(path + "\\" + name + "\\");
            keyWalk(root, path + "\\" + name);
        }
        RegCloseKey(key);
    };
    for (const auto& [root, path] : keys)
        keyWalk(root, path);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The command line the uninstall entry of the product registers; "" when there is no entry.
std::string UninstallString(const std::string& product) {
    char command[1024] = {};
    DWORD size = sizeof command;
    if (RegGetValueA(
            HKEY_LOCAL_MACHINE,
            ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product).c_str(),
            "UninstallString", RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS)
        return "";
    return command;
}

// Presses a button of the version conflict question and waits for it to go.
void Answer(int button) {
    HWND box = WaitForWindow("File conflict");
    if (!box)
        return;
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
}

class WizardTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        CreateDirectoryA(Path("temp").c_str(), nullptr);
        SetEnvironmentVariableA("TMP", Path("temp").c_str());
        SetEnvironmentVariableA("TEMP", Path("temp").c_str());
        SetEnvironmentVariableA("VELK_PROBE_LOG", Path("probe.log").c_str());
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", Path("script.txt").c_str());
        Put("script.txt", "probe EV_FINISH getvar Reboot\n");
    }
    void TearDown() override {
        for (const char* name : {"TMP", "TEMP", "VELK_PROBE_LOG", "VELK_PROBE_SCRIPT"})
            SetEnvironmentVariableA(name, nullptr);
        TWinPackageTest::TearDown();
    }

    // The package: the wizard, then the test plug-in; mainXml's variables and selection, the
    // package's components, and its files.
    void Build(const std::string& variables, const std::string& selection,
               const std::string& components, const std::string& config = "") {
        Put("src\\main.xml", "<main><variables><var name=\"AppName\" value=\"Wizard Test\"/>"
                             "<var name=\"InstallPath\" value=\"" +
                                 Path("app") + "\"/>" + variables + "</variables>" + selection +
                                 "</main>");
        Put("src\\db.xml", "<package><plugins><plugin id=\"wizard\"><config>" + config +
                               "</config></plugin><plugin id=\"probe\"/></plugins><components>" +
                               components + "</components></package>");
        Put("src\\plugins\\1\\probe.dll", "");
        ASSERT_TRUE(CopyFileA(VELK_PROBE_DLL, Path("src\\plugins\\1\\probe.dll").c_str(), FALSE));
        velk::test::TProcessResult built;
        Start("\"" VELKPACK_EXE "\" build \"" + Path("src") + "\" -o \"" + Path("Test.exe") +
                  "\" --stub \"" VELK_SETUP_EXE "\" --wizard \"" VELK_WIZARD_DLL
                  "\" --uninstaller \"" VELK_UNINSTALL_EXE "\"",
              &built);
        ASSERT_EQ(built.exitCode, 0u) << built.err;
    }
    // Runs the package while the driver presses the wizard's buttons; the probe's log.
    std::string Run(const std::function<void()>& driver, const std::string& arguments = "") {
        DeleteFileA(Path("probe.log").c_str());
        std::thread user(driver);
        EXPECT_EQ(Start("\"" + Path("Test.exe") + "\" " + arguments, nullptr), 0u);
        user.join();
        return ReadBytes(Path("probe.log"));
    }
};

const char kFeatures[] =
    "<components><component id=\"core\"/><component id=\"docs\"/></components>"
    "<features><feature id=\"base\" name=\"Base\" required=\"1\"><components>"
    "<component id=\"core\"/></components></feature><feature id=\"docs\" name=\"Docs\">"
    "<components><component id=\"docs\"/></components></feature></features><installtypes>"
    "<installtype id=\"full\" name=\"Full\" default=\"1\"><features><feature id=\"base\"/>"
    "<feature id=\"docs\"/></features></installtype><installtype id=\"mini\" name=\"Minimal\">"
    "<features><feature id=\"base\"/></features></installtype></installtypes>";
const char kFeatureFiles[] =
    "<component id=\"core\"><files><file src=\"a.txt\" dst=\"%InstallPath%\\a.txt\"/></files>"
    "</component><component id=\"docs\"><files><file src=\"d.txt\" dst=\"%InstallPath%\\d.txt\"/>"
    "</files></component>";

TEST_F(WizardTest, CancelOnTheFirstPageInstallsNothingAndSilentRunsShowNoPage) {
    Put("src\\files\\core\\a.txt", "core");
    Put("src\\files\\docs\\d.txt", "docs");
    Build("", kFeatures, kFeatureFiles);
    std::string log = Run([] {
        TTestWizard wizard;
        if (wizard.Page("Welcome") && wizard.Press(IDCANCEL))
            AnswerBox(wizard.Frame(), IDYES);
    });
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=0"), std::string::npos) << log;
    EXPECT_EQ(log.find("EV_BEFOREINSTALL"), std::string::npos) << log;
    EXPECT_FALSE(Exists("app"));

    // A run with /S that stopped on a page would be ended after two minutes with another code.
    for (const char* silent : {"/S", "-s"}) {
        RemoveDirectoryA(Path("app").c_str());
        log = Run([] {}, silent);
        EXPECT_NE(log.find("probe ev 5 EV_FINISH data=1"), std::string::npos) << log;
        EXPECT_EQ(ReadBytes(Path("app\\d.txt")), "docs") << silent;
        DeleteFileA(Path("app\\a.txt").c_str());
        DeleteFileA(Path("app\\d.txt").c_str());
    }
}

// Cancel on each page before the installation asks first: No stays on the page, Yes ends the run.
TEST_F(WizardTest, CancelOnEveryPageAsksAndYesEndsTheRunWithNothingInstalled) {
    Put("src\\presetup\\license.txt", "Terms");
    Put("src\\files\\core\\a.txt", "core");
    Put("src\\files\\docs\\d.txt", "docs");
    Build("<var name=\"Uninstall\" value=\"1\"/><var name=\"AppID\" value=\"VelkCancelled\"/>",
          kFeatures, kFeatureFiles,
          "<paramgroup name=\"Wizard\"><param name=\"License\" value=\"license.txt\"/>"
          "</paramgroup>");
    const std::string pages[] = {"Welcome", "License agreement", "Choose components",
                                 "Choose the destination folder", "Ready to install"};
    for (const std::string& cancelled : pages) {
        std::string asked[2];
        const std::string log = Run([&] {
            TTestWizard wizard;
            for (const std::string& page : pages) {
                if (!wizard.Page(page))
                    return;
                if (page == cancelled)
                    break;
                if (page == "License agreement")
                    wizard.Press(IDC_ACCEPT);
                wizard.Press(IDC_NEXT);
            }
            wizard.Press(IDCANCEL);
            asked[0] = AnswerBox(wizard.Frame(), IDNO);
            // The second question can only come from a wizard still on the page.
            if (wizard.Page(cancelled) && wizard.Press(IDCANCEL))
                asked[1] = AnswerBox(wizard.Frame(), IDYES);
        });
        EXPECT_EQ(asked[0], kCancelQuestion) << cancelled;
        EXPECT_EQ(asked[1], kCancelQuestion) << cancelled;
        EXPECT_NE(log.find("probe ev 5 EV_FINISH data=0"), std::string::npos) << log;
        EXPECT_EQ(log.find("EV_BEFOREINSTALL"), std::string::npos) << log;
        EXPECT_FALSE(Exists("app")) << cancelled;
        EXPECT_EQ(UninstallString("VelkCancelled"), "") << cancelled;
    }
}

// The probe holds the run in the middle of a large file (the files of the setup itself, skipped,
// are done at once) until the question has been answered, so that the stop comes while the file
// is being written however fast the machine is.
TEST_F(WizardTest, CancelDuringTheInstallationStopsItInTheMiddleOfAFile) {
    std::string noise(6 << 20, '\0');
    std::mt19937 random(1);
    for (char& byte : noise)
        byte = char(random());
    Put("src\\files\\c\\big.bin", noise);
    Put("script.txt", "probe EV_FILEINSTALLPROGRESS hold " + Path("release") + " 10 90\n");
    Build("<var name=\"Uninstall\" value=\"1\"/><var name=\"AppID\" value=\"VelkStopped\"/>",
          "<components><component id=\"c\"/></components>",
          "<component id=\"c\"><files><file src=\"big.bin\" dst=\"%InstallPath%\\big.bin\"/>"
          "</files><registry><reg key=\"HKCU\\Software\\VelkStopped\" param=\"N\" value=\"1\"/>"
          "</registry></component>");
    std::string asked[2];
    bool halfWritten = false, goesOnAfterNo = false, cancelGoneAfterYes = false;
    const std::string log = Run([&] {
        TTestWizard wizard;
        for (const char* page : {"Welcome", "Choose the destination folder", "Ready to install"})
            if (wizard.Page(page))
                wizard.Press(IDC_NEXT);
        HWND progress = WaitForWindow("Installing Wizard Test");
        if (progress && WaitUntil([&] {
                return ReadBytes(Path("probe.log")).find("probe hold") != std::string::npos;
            })) {
            halfWritten = Exists("app\\big.bin");
            HWND cancel = GetDlgItem(progress, IDCANCEL);
            PostMessageA(cancel, BM_CLICK, 0, 0);
            asked[0] = AnswerBox(progress, IDNO);
            goesOnAfterNo = IsWindowEnabled(cancel);
            PostMessageA(cancel, BM_CLICK, 0, 0);
            asked[1] = AnswerBox(progress, IDYES);
            cancelGoneAfterYes = !IsWindowEnabled(cancel);
        }
        Put("release", "");
    });
    EXPECT_EQ(asked[0], kCancelQuestion);
    EXPECT_EQ(asked[1], kCancelQuestion);
    EXPECT_TRUE(halfWritten);
    EXPECT_TRUE(goesOnAfterNo);
    EXPECT_TRUE(cancelGoneAfterYes);
    EXPECT_NE(log.find("probe hold data="), std::string::npos) << log;
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=0"), std::string::npos) << log;
    // Neither the registry phase nor anything after the installation ran.
    EXPECT_EQ(log.find("EV_BEFOREPROCESSITEMS data=65536"), std::string::npos) << log;
    EXPECT_EQ(log.find("EV_AFTERINSTALL"), std::string::npos) << log;
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelkStopped", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(UninstallString("VelkStopped"), "");
    EXPECT_FALSE(Exists("app\\big.bin"));
    // Only the log of what had been done stays.
    for (const std::string& name : velk::test::FolderEntries(Path("app\\")))
        EXPECT_EQ(lstrcmpiA(name.c_str(), "install.log"), 0) << name;
}

// Texts of the wizard's configuration in two languages; the change comes while the features page
// is shown (the probe changes the language when the type Minimal is chosen) and reaches the pages
// already passed as well as those still to come. Back and Next keep the licence accepted, the
// type and the folder; Reboot, set during the installation, brings the restart offer.
TEST_F(WizardTest, TheWizardFollowsALanguageChangeOnEveryPageAndKeepsWhatWasChosen) {
    Put("src\\presetup\\license.txt", "Terms");
    Put("src\\files\\core\\a.txt", "core");
    Put("src\\files\\docs\\d.txt", "docs");
    Put("script.txt", "probe EV_INSTALLTYPECHANGED=mini setlang xyz\n"
                      "probe EV_AFTERINSTALL setvar Reboot 1\n"
                      "probe EV_FINISH getvar Reboot\n");
    const char* const keys[] = {
        "Back",        "Next",         "Cancel",      "Install",    "Finish",        "WelcomeTitle",
        "WelcomeText", "LicenseTitle", "LicenseText", "Accept",     "FeaturesTitle", "InstallType",
        "FolderTitle", "FolderText",   "Browse",      "ReadyTitle", "ReadyText",     "FinishTitle",
        "FinishText",  "RestartText",  "Restart"};
    auto text = [](const std::string& key, const std::string& language) {
        return key + " (" + language + ")";
    };
    std::string config =
        "<paramgroup name=\"Wizard\"><param name=\"License\" value=\"license.txt\"/></paramgroup>";
    for (const char* language : {"ENU", "XYZ"}) {
        config += std::string("<paramgroup name=\"Texts.") + language + "\">";
        for (const char* key : keys)
            config +=
                std::string("<param name=\"") + key + "\" value=\"" + text(key, language) + "\"/>";
        config += "</paramgroup>";
    }
    Build("<var name=\"Languages\" value=\"enu, xyz\"/><var name=\"AutoSelectLanguage\" "
          "value=\"0\"/>",
          kFeatures, kFeatureFiles, config);
    struct TPageTexts {
        const char* Title;
        std::vector<std::pair<int, const char*>> Controls;
    };
    const TPageTexts welcome{"WelcomeTitle", {{IDC_TEXT, "WelcomeText"}}};
    const TPageTexts license{"LicenseTitle", {{IDC_TEXT, "LicenseText"}, {IDC_ACCEPT, "Accept"}}};
    const TPageTexts features{"FeaturesTitle", {{IDC_TYPELABEL, "InstallType"}}};
    const TPageTexts folder{"FolderTitle", {{IDC_TEXT, "FolderText"}, {IDC_BROWSE, "Browse"}}};
    const TPageTexts ready{"ReadyTitle", {{IDC_TEXT, "ReadyText"}, {IDC_NEXT, "Install"}}};
    const TPageTexts finish{
        "FinishTitle",
        {{IDC_TEXT, "FinishText"}, {IDC_RESTARTTEXT, "RestartText"}, {IDC_RESTART, "Restart"}}};
    const std::string chosen = Path("chosen");
    const std::string log = Run([&] {
        TTestWizard wizard;
        // The page in the language; Back, Cancel and Next as the page has them.
        auto shown = [&](const TPageTexts& page, const char* language) {
            if (!wizard.Page(text(page.Title, language)))
                return false;
            for (const auto& [control, key] : page.Controls)
                EXPECT_EQ(wizard.Text(control), text(key, language)) << page.Title;
            EXPECT_EQ(wizard.Text(IDC_BACK), text("Back", language)) << page.Title;
            EXPECT_EQ(wizard.Text(IDCANCEL), text("Cancel", language)) << page.Title;
            if (&page != &ready) {
                EXPECT_EQ(wizard.Text(IDC_NEXT),
                          text(&page == &finish ? "Finish" : "Next", language))
                    << page.Title;
            }
            return true;
        };
        if (!shown(welcome, "ENU") || !wizard.Press(IDC_NEXT) || !shown(license, "ENU"))
            return;
        wizard.Press(IDC_ACCEPT);
        if (!wizard.Press(IDC_NEXT) || !shown(features, "ENU"))
            return;
        wizard.Choose(IDC_TYPES, 1);
        if (!shown(features, "XYZ"))
            return;
        for (const TPageTexts* page : {&license, &welcome}) {
            wizard.Press(IDC_BACK);
            if (!shown(*page, "XYZ"))
                return;
        }
        wizard.Press(IDC_NEXT);
        shown(license, "XYZ");
        EXPECT_TRUE(wizard.Enabled(IDC_NEXT));
        wizard.Press(IDC_NEXT);
        shown(features, "XYZ");
        EXPECT_EQ(wizard.Text(IDC_TYPES), "Minimal");
        wizard.Press(IDC_NEXT);
        if (!shown(folder, "XYZ"))
            return;
        wizard.Type(IDC_FOLDER, chosen);
        wizard.Press(IDC_NEXT);
        shown(ready, "XYZ");
        wizard.Press(IDC_BACK);
        shown(folder, "XYZ");
        EXPECT_EQ(wizard.Text(IDC_FOLDER), chosen);
        wizard.Press(IDC_NEXT);
        shown(ready, "XYZ");
        wizard.Press(IDC_NEXT);
        if (!shown(finish, "XYZ"))
            return;
        EXPECT_TRUE(IsWindowVisible(wizard.Control(IDC_RESTART)));
        EXPECT_EQ(SendMessageA(wizard.Control(IDC_RESTART), BM_GETCHECK, 0, 0), BST_CHECKED);
        wizard.Press(IDC_RESTART);
        wizard.Press(IDC_NEXT);
    });
    EXPECT_NE(log.find("probe setlang result=0"), std::string::npos) << log;
    EXPECT_NE(log.find("probe getvar size=2 result=0 text=[0]"), std::string::npos) << log;
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=1"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(chosen + "\\a.txt"), "core");
    EXPECT_FALSE(Exists("chosen\\d.txt"));
    EXPECT_FALSE(Exists("app"));
}

// Licence, install type, a folder typed and kept across Back and Next, and the restart declined.
TEST_F(WizardTest, ThePagesInstallWhatWasChosenWhereItWasChosen) {
    Put("src\\presetup\\license.txt", "Terms\nof use");
    Put("src\\files\\core\\a.txt", "core");
    Put("src\\files\\docs\\d.txt", "docs");
    Build("<var name=\"Reboot\" value=\"1\"/>", kFeatures, kFeatureFiles,
          "<paramgroup name=\"Wizard\"><param name=\"License\" value=\"license.txt\"/>"
          "</paramgroup><paramgroup name=\"Texts\"><param name=\"ReadyText\" "
          "value=\"Into [%InstallPath%]\"/></paramgroup>");
    const std::string chosen = Path("chosen");
    std::string seen;
    const std::string log = Run([&] {
        TTestWizard wizard;
        if (!wizard.Page("Welcome"))
            return;
        wizard.Press(IDC_NEXT);
        if (!wizard.Page("License agreement"))
            return;
        EXPECT_EQ(wizard.Text(IDC_LICENSE), "Terms\r\nof use");
        EXPECT_FALSE(wizard.Enabled(IDC_NEXT));
        wizard.Press(IDC_ACCEPT);
        EXPECT_TRUE(wizard.Press(IDC_NEXT));
        if (!wizard.Page("Choose components"))
            return;
        HWND tree = wizard.Control(IDC_TREE);
        // the state image of a feature: 1 unchecked, 2 checked
        auto shown = [&](HTREEITEM item) {
            return SendMessageA(tree, TVM_GETITEMSTATE, WPARAM(item), TVIS_STATEIMAGEMASK) >> 12;
        };
        auto base = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        auto docs = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(base)));
        EXPECT_EQ(wizard.Text(IDC_TYPES), "Full");
        EXPECT_EQ(shown(base), 2);
        EXPECT_EQ(shown(docs), 2);
        wizard.Choose(IDC_TYPES, 1);
        EXPECT_EQ(shown(base), 2);
        EXPECT_EQ(shown(docs), 1);
        wizard.Press(IDC_NEXT);
        if (!wizard.Page("Choose the destination folder"))
            return;
        EXPECT_EQ(wizard.Text(IDC_FOLDER), Path("app"));
        wizard.Type(IDC_FOLDER, chosen + "\\");
        wizard.Press(IDC_NEXT);
        if (!wizard.Page("Ready to install"))
            return;
        EXPECT_EQ(wizard.Text(IDC_TEXT), "Into [" + chosen + "]");
        wizard.Press(IDC_BACK);
        wizard.Page("Choose the destination folder");
        wizard.Press(IDC_BACK);
        wizard.Page("Choose components");
        EXPECT_EQ(wizard.Text(IDC_TYPES), "Minimal");
        wizard.Press(IDC_NEXT);
        wizard.Page("Choose the destination folder");
        EXPECT_EQ(wizard.Text(IDC_FOLDER), chosen + "\\");
        wizard.Press(IDC_NEXT);
        wizard.Page("Ready to install");
        EXPECT_EQ(wizard.Text(IDC_NEXT), "&Install");
        wizard.Press(IDC_NEXT);
        if (!wizard.Page("Installation complete"))
            return;
        EXPECT_TRUE(IsWindowVisible(wizard.Control(IDC_RESTART)));
        EXPECT_EQ(SendMessageA(wizard.Control(IDC_RESTART), BM_GETCHECK, 0, 0), BST_CHECKED);
        wizard.Press(IDC_RESTART);
        wizard.Press(IDC_NEXT);
    });
    EXPECT_NE(log.find("probe getvar size=2 result=0 text=[0]"), std::string::npos) << log;
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=1"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(chosen + "\\a.txt"), "core");
    EXPECT_FALSE(Exists("chosen\\d.txt"));
    EXPECT_FALSE(Exists("app"));
}

// The whole run without a mouse: keys go to the control with the focus in the wizard's thread,
// as the keyboard would send them, so each Tab must land where the tab order says. The type
// changed with the arrow key makes the probe ask which window owns the engine's boxes.
TEST_F(WizardTest, TheKeyboardAloneGoesThroughThePagesInTheirTabOrder) {
    Put("src\\presetup\\license.txt", "Terms");
    Put("src\\files\\core\\a.txt", "core");
    Put("src\\files\\docs\\d.txt", "docs");
    Put("script.txt", "probe EV_INSTALLTYPECHANGED=mini send CM_GETACTIVEWINDOW 0 x\n"
                      "probe EV_BEFOREINSTALL getvar InstallPath\n");
    Build("", kFeatures, kFeatureFiles,
          "<paramgroup name=\"Wizard\"><param name=\"License\" value=\"license.txt\"/>"
          "</paramgroup>");
    const std::string typed = Path("typed");
    HWND frame = nullptr;
    const std::string log = Run([&] {
        TTestWizard wizard;
        auto focus = [&] {
            GUITHREADINFO info = {sizeof info, 0, {}, {}, {}, {}, {}, {}, {}};
            return GetGUIThreadInfo(GetWindowThreadProcessId(wizard.Frame(), nullptr), &info)
                       ? info.hwndFocus
                       : nullptr;
        };
        auto focused = [&](int id) {
            const bool there = WaitUntil([&] { return focus() == wizard.Control(id); }, 5000);
            EXPECT_TRUE(there) << "focus not on " << id << " but on " << GetDlgCtrlID(focus());
            return there;
        };
        auto key = [&](WPARAM code) {
            HWND target = focus();
            PostMessageA(target, WM_KEYDOWN, code, 1);
            PostMessageA(target, WM_KEYUP, code, 0xC0000001);
        };
        // Tab after Tab, the focus on each control in turn.
        auto tabs = [&](std::initializer_list<int> order) {
            for (int id : order) {
                key(VK_TAB);
                if (!focused(id))
                    return false;
            }
            return true;
        };
        if (!wizard.Page("Welcome") || !focused(IDC_NEXT))
            return;
        frame = wizard.Frame();
        key(VK_RETURN);
        // Next waits for the licence to be accepted, so the check box has the focus.
        if (!wizard.Page("License agreement") || !focused(IDC_ACCEPT) ||
            !tabs({IDC_BACK, IDCANCEL, IDC_LICENSE, IDC_ACCEPT}))
            return;
        key(VK_SPACE);
        EXPECT_TRUE(WaitUntil([&] { return wizard.Enabled(IDC_NEXT); }, 5000));
        key(VK_RETURN);
        if (!wizard.Page("Choose components") || !focused(IDC_NEXT) ||
            !tabs({IDCANCEL, IDC_TYPES, IDC_TREE, IDC_BACK, IDC_NEXT, IDCANCEL, IDC_TYPES}))
            return;
        key(VK_DOWN);
        EXPECT_TRUE(WaitUntil([&] { return wizard.Text(IDC_TYPES) == "Minimal"; }, 5000));
        key(VK_RETURN);
        if (!wizard.Page("Choose the destination folder") || !focused(IDC_NEXT) ||
            !tabs({IDCANCEL, IDC_FOLDER}))
            return;
        for (char c : typed)
            PostMessageA(focus(), WM_CHAR, static_cast<unsigned char>(c), 1);
        EXPECT_TRUE(WaitUntil([&] { return wizard.Text(IDC_FOLDER) == typed; }, 5000));
        EXPECT_TRUE(tabs({IDC_BROWSE, IDC_BACK, IDC_NEXT}));
        key(VK_RETURN);
        if (!wizard.Page("Ready to install") || !focused(IDC_NEXT))
            return;
        key(VK_ESCAPE);
        EXPECT_EQ(AnswerBox(wizard.Frame(), IDNO), kCancelQuestion);
        if (!focused(IDC_NEXT))
            return;
        key(VK_RETURN);
        if (wizard.Page("Installation complete") && focused(IDC_NEXT))
            key(VK_RETURN);
    });
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(log.find("probe send CM_GETACTIVEWINDOW result=" +
                       std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(frame))) +
                       "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("text=[" + typed + "]"), std::string::npos) << log;
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=1"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(typed + "\\a.txt"), "core");
    EXPECT_FALSE(Exists("typed\\d.txt"));
    EXPECT_FALSE(Exists("app"));
}

// Three files older than the ones on disk: keep the first, replace the second and all after it.
TEST_F(WizardTest, TheConflictQuestionAnswersAsPressed) {
    std::string components = "<component id=\"core\"><files>";
    for (const char* name : {"a.exe", "b.exe", "c.exe"}) {
        Put(std::string("src\\files\\core\\") + name, "");
        ASSERT_TRUE(CopyFileA(VELK_FIXTURES "\\velk_install_v1.exe",
                              Path(std::string("src\\files\\core\\") + name).c_str(), FALSE));
        Put(std::string("app\\") + name, "");
        ASSERT_TRUE(CopyFileA(VELK_FIXTURES "\\velk_install_v2.exe",
                              Path(std::string("app\\") + name).c_str(), FALSE));
        components +=
            std::string("<file src=\"") + name + "\" dst=\"%InstallPath%\\" + name + "\"/>";
    }
    Build("", "<components><component id=\"core\"/></components>",
          components + "</files></component>");
    const std::string v1 = ReadBytes(VELK_FIXTURES "\\velk_install_v1.exe");
    const std::string v2 = ReadBytes(VELK_FIXTURES "\\velk_install_v2.exe");
    ASSERT_NE(v1, v2);
    Run([] {
        TTestWizard wizard;
        for (const char* page : {"Welcome", "Choose the destination folder", "Ready to install"})
            if (wizard.Page(page))
                wizard.Press(IDC_NEXT);
        Answer(IDC_KEEP);
        Answer(IDC_REPLACEALL);
        if (wizard.Page("Installation complete"))
            wizard.Press(IDC_NEXT);
    });
    EXPECT_TRUE(ReadBytes(Path("app\\a.exe")) == v2);
    EXPECT_TRUE(ReadBytes(Path("app\\b.exe")) == v1);
    EXPECT_TRUE(ReadBytes(Path("app\\c.exe")) == v1);
}

// The programs the uninstaller runs leave their marker beside the package, where the snapshot
// does not look; the one before the removal starts in the installation folder, still there.
TEST_F(WizardTest, EveryItemKindInstalledThroughTheWizardIsUndoneByTheUninstaller) {
    Put("src\\files\\c\\a.txt", "file");
    Put("src\\files\\c\\shared.dll", "shared");
    Put("src\\files\\c\\server.dll", "");
    ASSERT_TRUE(CopyFileA(VELK_COM_SERVER, Path("src\\files\\c\\server.dll").c_str(), FALSE));
    Put("src\\files\\c\\VelkRtSans.ttf", velk::test::RenamedFont("VelkRt"));
    SetEnvironmentVariableA("VELK_COMSERVER_MARKER", Path("com.log").c_str());
    Build("<var name=\"Uninstall\" value=\"1\"/><var name=\"AppID\" value=\"VelkRoundTrip\"/>",
          "<components><component id=\"c\"/></components>",
          "<component id=\"c\"><files><file src=\"*.txt\" dst=\"%InstallPath%\\data\\*.*\"/>"
          "<file src=\"shared.dll\" dst=\"%InstallPath%\\shared.dll\" flags=\"shared\"/>"
          "<file src=\"server.dll\" dst=\"%InstallPath%\\server.dll\" flags=\"reg_server\"/>"
          "<file src=\"VelkRtSans.ttf\" dst=\"%Fonts%\\VelkRtSans.ttf\" flags=\"reg_font\"/>"
          "</files><registry><reg key=\"HKCU\\Software\\VelkRoundTrip\\Deep\" param=\"S\" "
          "value=\"text\"/><reg key=\"HKCU\\Software\\VelkRoundTrip\" param=\"N\" value=\"7\" "
          "paramtype=\"int\"/></registry><inifiles><ini file=\"%InstallPath%\\app.ini\" "
          "section=\"S\" param=\"K\" value=\"V\"/></inifiles><shortcuts><shortcut "
          "name=\"" +
              Path("links") +
              "\\Data\" cmdline=\"%InstallPath%\\data\\a.txt\"/></shortcuts><runapps>"
              "<runapp cmdline=\"" VELK_MARKER_EXE "\" arg=\"" +
              Path("before.txt") +
              "\" workdir=\"%InstallPath%\" whenstart=\"before_uninstall\" showcmd=\"hide\"/>"
              "<runapp cmdline=\"" VELK_MARKER_EXE "\" arg=\"" +
              Path("after.txt") +
              "\" whenstart=\"after_uninstall\" showcmd=\"hide\"/></runapps></component>");
    char windows[MAX_PATH];
    ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::vector<std::pair<HKEY, std::string>> keys = {
        {HKEY_CURRENT_USER, "Software\\VelkRoundTrip"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"}};
    const std::vector<std::string> folders = {Path("app"), Path("links"),
                                              std::string(windows) + "\\Fonts"};
    const std::vector<std::string> before = Snapshot(folders, keys);
    const std::string log = Run([] {
        TTestWizard wizard;
        for (const char* page : {"Welcome", "Choose the destination folder", "Ready to install",
                                 "Installation complete"})
            if (wizard.Page(page)) {
                // Reboot was never asked for: no restart is offered.
                if (std::string(page) == "Installation complete") {
                    EXPECT_FALSE(IsWindowVisible(wizard.Control(IDC_RESTART)));
                }
                wizard.Press(IDC_NEXT);
            }
    });
    EXPECT_NE(log.find("probe ev 5 EV_FINISH data=1"), std::string::npos) << log;
    const std::vector<std::string> installed = Snapshot(folders, keys);
    EXPECT_EQ(installed.size(), before.size() + 17) << ::testing::PrintToString(installed);
    EXPECT_NE(std::find(installed.begin(), installed.end(),
                        std::string(windows) + "\\Fonts\\VelkRtSans.ttf"),
              installed.end());
    EXPECT_EQ(ReadBytes(Path("com.log")), "registered\n");
    EXPECT_FALSE(Exists("before.txt") || Exists("after.txt"));

    const std::string command = UninstallString("VelkRoundTrip");
    ASSERT_NE(command, "");
    EXPECT_EQ(Start(command + " /S", nullptr), 0u);
    // the uninstaller's own copy finishes the folder after it has ended
    WaitUntil([&] { return Snapshot(folders, keys) == before; });
    EXPECT_EQ(Snapshot(folders, keys), before);
    EXPECT_EQ(ReadBytes(Path("com.log")), "registered\nunregistered\n");
    EXPECT_EQ(ReadBytes(Path("before.txt")), Path("app"));
    EXPECT_TRUE(Exists("after.txt"));
    SetEnvironmentVariableA("VELK_COMSERVER_MARKER", nullptr);
}

} // namespace
