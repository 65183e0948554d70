// Events raised on a worker thread and dispatched to a plug-in on the main thread, in one
// process, in the engine's situation: the main thread does nothing but wait for the worker.
// Three ways to wait: the host's WaitForWorker; a loop that pumps messages as soon as they come,
// so that every event travels as the main window's message; and ProcessMessages in a loop (with
// a tenth of the events: its pause makes it slow). Prints events per second for each run and
// each way's median.
//   plugin_wait_bench PROBE_DLL [COUNT] [RUNS]

#include "database/epXMLParser.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "plugins/VKPlugins.h"
#include "setup/MainWnd.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct TBurst {
    int Count = 0;
};

DWORD WINAPI RaiseBurst(void* argument) {
    const int count = static_cast<TBurst*>(argument)->Count;
    for (int i = 0; i < count; ++i)
        velk::RaiseEventByName("BURST", velk::AsData("from-worker"), nullptr, velk::TStopMode::All);
    return 0;
}

void WaitInHost(HANDLE thread) {
    velk::WaitForWorker(thread);
}

void WaitPumping(HANDLE thread) {
    MSG message;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
}

void WaitProcessingMessages(HANDLE thread) {
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
        velk::ProcessMessages();
}

struct TWay {
    const char* Name;
    void (*Wait)(HANDLE);
    int Divisor;
    std::vector<double> Rates;
};

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The events the receiver counted, from the line it logs when it is unloaded.
long ReceivedCount(const std::string& log) {
    std::ifstream in(log);
    const std::string key = "receiver muted BURST count=";
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: plugin_wait_bench PROBE_DLL [COUNT] [RUNS]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 50000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "velk-plugin-wait\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "plugins").c_str(), nullptr);
    CreateDirectoryA((folder + "plugins\\0").c_str(), nullptr);
    if (!CopyFileA(argv[1], (folder + "plugins\\0\\receiver.dll").c_str(), FALSE)) {
        std::fprintf(stderr, "bench: cannot copy %s\n", argv[1]);
        return 1;
    }
    std::ofstream(folder + "script.txt") << "receiver EV_LOAD mute BURST\n";
    const std::string log = folder + "probe.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VELK_PROBE_SCRIPT", (folder + "script.txt").c_str());
    SetEnvironmentVariableA("VELK_PROBE_LOG", log.c_str());

    velk::MainWindowHandle = velk::CreateMainWindow(GetModuleHandleA(nullptr));
    velk::TvkMainDatabase db(nullptr);
    velk::TXMLTag tree;
    tree.Parse("<package><plugins><plugin id=\"receiver\"/></plugins></package>");
    velk::TvkPackage& package = *db.Packages->AddNew();
    package.Merge(tree);
    package.Folder = folder;
    velk::InitPluginHost(db);
    if (velk::MainWindowHandle == nullptr || !velk::LoadPackagePlugins(package)) {
        std::fprintf(stderr, "bench: no main window or no plug-in\n");
        return 1;
    }

    TWay ways[] = {{"WaitForWorker", WaitInHost, 1, {}},
                   {"message pump", WaitPumping, 1, {}},
                   {"ProcessMessages", WaitProcessingMessages, 10, {}}};
    long expected = 0;
    for (int run = 0; run < runs; ++run)
        for (TWay& way : ways) {
            TBurst burst{count / way.Divisor};
            const double start = Seconds();
            HANDLE thread = CreateThread(nullptr, 0, RaiseBurst, &burst, 0, nullptr);
            way.Wait(thread);
            const double rate = burst.Count / (Seconds() - start);
            CloseHandle(thread);
            expected += burst.Count;
            way.Rates.push_back(rate);
            std::printf("run %d, %s: %d events, %.0f events/s\n", run + 1, way.Name, burst.Count,
                        rate);
        }
    velk::DonePluginHost();
    velk::DestroyMainWindow(velk::MainWindowHandle);
    const long received = ReceivedCount(log);
    if (received != expected) {
        std::fprintf(stderr, "bench: the receiver saw %ld of %ld events\n", received, expected);
        return 1;
    }
    for (TWay& way : ways) {
        std::sort(way.Rates.begin(), way.Rates.end());
        std::printf("%s: median %.0f events/s (%.0f to %.0f, %d runs)\n", way.Name,
                    way.Rates[way.Rates.size() / 2], way.Rates.front(), way.Rates.back(), runs);
    }
    return 0;
}
