// The host in this process with a copy of the test plug-in: events from other threads served by
// the engine's own message pump, the engine's named commands, the owner of the error box.
#include "database/epXMLParser.h"
#include "harness/DialogWatcher.h"
#include "harness/WinPackageTest.h"
#include "platform/epUtils.h"
#include "plugins/ErrorBox.h"
#include "plugins/VKPlugins.h"
#include "setup/MainWnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

namespace {

class PluginHostInProcessTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        SetEnvironmentVariableA("VELK_PROBE_LOG", Path("probe.log").c_str());
        SetEnvironmentVariableA("VELK_PROBE_SCRIPT", Path("script.txt").c_str());
        velk::MainWindowHandle = velk::CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(velk::MainWindowHandle, nullptr);
        owner_ = CreateWindowExA(0, "STATIC", "Dialogs", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        velk::DonePluginHost();
        DestroyWindow(owner_);
        velk::DestroyMainWindow(velk::MainWindowHandle);
        velk::MainWindowHandle = nullptr;
        for (const char* name : {"VELK_PROBE_LOG", "VELK_PROBE_SCRIPT"})
            SetEnvironmentVariableA(name, nullptr);
        TWinPackageTest::TearDown();
    }
    // Loads alpha, the test plug-in, as the package's only plug-in, with the script.
    void Load(const std::string& script) {
        Put("script.txt", script);
        Put("pkg\\plugins\\0\\alpha.dll", "");
        ASSERT_TRUE(CopyFileA(VELK_PROBE_DLL, Path("pkg\\plugins\\0\\alpha.dll").c_str(), FALSE));
        velk::TXMLTag tree;
        tree.Parse("<package><plugins><plugin id=\"alpha\"/></plugins></package>");
        velk::TvkPackage& package = *db_.Packages->AddNew();
        package.Merge(tree);
        package.Folder = Path("pkg\\");
        velk::InitPluginHost(db_);
        ASSERT_TRUE(velk::LoadPackagePlugins(package));
        ASSERT_EQ(velk::Plugins().Count(), 1);
    }
    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        std::istringstream in(velk::test::Text(velk::test::ReadBytes(Path("probe.log"))));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    velk::TvkMainDatabase db_{nullptr};
    HWND owner_ = nullptr;
};

TEST_F(PluginHostInProcessTest, EventsFromOtherThreadsAreServedOnTheMainThreadWhileItPumps) {
    Load("alpha PING answer 2\n");
    std::atomic<int> finished{0};
    std::atomic<int32_t> answers{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 25; ++i)
                answers += velk::RaiseEventByName("PING", velk::AsData("x"), nullptr,
                                                  velk::TStopMode::All);
            ++finished;
        });
    while (finished < 2)
        velk::ProcessMessages();
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(answers, 100);
    const std::vector<std::string> log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "alpha ev 4096 PING data=x param=00000000 main=1"),
              50)
        << ::testing::PrintToString(log);
}

TEST_F(PluginHostInProcessTest, StatusTextsAndTheErrorBoxOwnedByThePluginsActiveWindow) {
    Load("alpha CM_GETACTIVEWINDOW answer " + std::to_string(reinterpret_cast<intptr_t>(owner_)) +
         "\n");
    velk::ShowStatusText("Removing references...");
    velk::HideStatusText();
    velk::test::TDialogWatcher watcher("Probe error", IDOK, 20000);
    velk::ErrorBox("Probe error", "Something failed.");
    const velk::test::TDialogSeen& box = watcher.Result();
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Owner, owner_);
    EXPECT_EQ(box.Text, "Something failed.");
    EXPECT_EQ(box.Icon, "stop");
    velk::UnloadAll();
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 5u);
    const std::vector<std::string> tail(log.end() - 5, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "alpha ev 4096 CM_SHOWSTATUSTEXT data=Removing references... "
                        "param=000002ee main=1",
                        "alpha ev 4097 CM_HIDESTATUSTEXT data=(nil) param=00000000 main=1",
                        "alpha ev 4098 CM_GETACTIVEWINDOW data=(nil) param=00000000 main=1",
                        "alpha ev 3 EV_UNLOAD data=0 param=00000000 main=1", "alpha detach"}));
}

} // namespace
