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
    // Loads copies of the test plug-in (alpha alone unless told) as the package's plug-ins, with
    // the script.
    void Load(const std::string& script, const std::vector<std::string>& ids = {"alpha"}) {
        Put("script.txt", script);
        std::string list;
        for (size_t i = 0; i < ids.size(); ++i) {
            const std::string dll = "pkg\\plugins\\" + std::to_string(i) + "\\" + ids[i] + ".dll";
            Put(dll, "");
            ASSERT_TRUE(CopyFileA(VELK_PROBE_DLL, Path(dll).c_str(), FALSE));
            list += "<plugin id=\"" + ids[i] + "\"/>";
        }
        velk::TXMLTag tree;
        tree.Parse("<package><plugins>" + list + "</plugins></package>");
        velk::TvkPackage& package = *db_.Packages->AddNew();
        package.Merge(tree);
        package.Folder = Path("pkg\\");
        velk::InitPluginHost(db_);
        ASSERT_TRUE(velk::LoadPackagePlugins(package));
        ASSERT_EQ(velk::Plugins().Count(), int(ids.size()));
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

struct TWorkerJob {
    int32_t Asked = 0;
    int32_t Nested = -1;
};

std::atomic<bool> ticked{false};

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ticked = true;
}

DWORD WINAPI RaiseFromWorker(void* argument) {
    auto& job = *static_cast<TWorkerJob*>(argument);
    for (int i = 0; i < 40; ++i) {
        job.Asked +=
            velk::RaiseEventByName("ASK", velk::AsData("n"), nullptr, velk::TStopMode::First);
        // Until the box below, only the wait itself can dispatch the timer's message.
        while (i == 10 && !ticked)
            Sleep(1);
        if (i == 20)
            job.Nested = velk::RaiseEventByName("NEST", 0, nullptr, velk::TStopMode::First);
    }
    return 7;
}

TEST_F(PluginHostInProcessTest, WaitForWorkerServesTheWorkersEventsAndNestedLoopsOnTheMainThread) {
    // alpha's answer to NEST comes after its own thread relayed PING to beta while alpha pumped,
    // and after its message box was pressed.
    Load("alpha ASK answer 3\nalpha NEST thread PING 5\nalpha NEST box Nested\n"
         "alpha NEST answer 9\nbeta PING answer 2\n",
         {"alpha", "beta"});
    velk::test::TDialogWatcher watcher("Probe box", IDOK, 20000);
    TWorkerJob job;
    ASSERT_NE(SetTimer(nullptr, 0, 1, Tick), 0u);
    HANDLE worker = CreateThread(nullptr, 0, RaiseFromWorker, &job, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(velk::WaitForWorker(worker));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(worker);
    EXPECT_FALSE(velk::WaitForWorker(nullptr));
    EXPECT_EQ(watcher.Result().Pressed, IDOK);
    EXPECT_EQ(job.Asked, 120);
    EXPECT_EQ(job.Nested, 9);
    const std::vector<std::string> log = Log();
    const auto lines = [&](const std::string& prefix) {
        return std::count_if(log.begin(), log.end(),
                             [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    };
    EXPECT_EQ(lines("alpha ev 4096 ASK data=n param=00000000 main=1"), 40);
    EXPECT_EQ(lines("beta ev 4096 ASK data="), 0);
    EXPECT_EQ(lines("beta ev 4098 PING data=from-thread param=00000000 main=1"), 5);
    EXPECT_EQ(lines("alpha thread PING count=5 answers=10 "), 1);
    EXPECT_EQ(lines("alpha box result=1"), 1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find(" main=0") != std::string::npos;
                            }),
              0)
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
