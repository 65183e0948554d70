#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/VKClasses.h"
#include "platform/epUtils.h"
#include "plugins/MsgStore.h"
#include "plugins/PluginRecords.h"

namespace velk {

// The main window's private message that carries an event raised on another thread to the main
// thread: wParam is the marshalling record.
constexpr uint32_t PluginEventMessage = 0x5911;

// One loaded plug-in library.
struct TPlugin {
    std::string FileName;
    TModuleHandle Module = nullptr;
    TVkPluginInfo Info = {};
    std::string ConfigFile;
    const TvkPluginSimpleConfig* Config = nullptr; // of its database entry, not owned
    int32_t Id = 0;                                // 0 is the engine itself
    TvkPackage* Package = nullptr;                 // whose list named it, not owned
};

// The loaded plug-ins in load order; frees those it still holds.
class TPluginList {
public:
    TPluginList() = default;
    TPluginList(const TPluginList&) = delete;
    TPluginList& operator=(const TPluginList&) = delete;
    ~TPluginList();

    int Count() const { return int(items_.size()); }
    TPlugin* Items(int index) const { return items_[size_t(index)].get(); }
    TPlugin* Find(int32_t id) const;
    void Add(std::unique_ptr<TPlugin> plugin) { items_.push_back(std::move(plugin)); }
    // Sends EV_UNLOAD, releases the library and forgets the plug-in.
    void Unload(TPlugin* plugin);
    // Releases the library without telling the plug-in.
    void Release(TPlugin* plugin);

private:
    std::vector<std::unique_ptr<TPlugin>> items_;
};

enum class TStopMode : uint8_t { All, First };

// Records the calling thread as the main thread and starts with no plug-ins and the built-in
// message names; db is the database commands act on.
void InitPluginHost(TvkMainDatabase& db);
// Unloads what is left.
void DonePluginHost();

TvkMainDatabase* PluginDatabase();
TMsgStore& MessageStore();
TPluginList& Plugins();
bool IsMainThread();

// Loads the plug-ins that the package's Plugins list names; false after the "Plug-in loading
// error" box when an entry finds no plug-in.
bool LoadPackagePlugins(TvkPackage& package);
// Last loaded first.
void UnloadAll();

// Calls the plug-ins in load order, on the main thread whichever thread asks, skipping exceptId.
// All: every plug-in, the last answer. First: up to the first non-zero answer, 0 when none.
int32_t DispatchEvent(int32_t exceptId, int32_t number, int32_t data, void* param, TStopMode mode);
int32_t RaiseEvent(int32_t number, int32_t data, void* param, TStopMode mode);
int32_t RaiseEventByName(std::string_view name, int32_t data, void* param, TStopMode mode);
int32_t SendToPlugin(TPlugin& plugin, int32_t number, int32_t data, void* param);

// The main window's handling of PluginEventMessage: the dispatch's answer.
intptr_t ServeMarshalledEvent(uintptr_t record);

// How the main thread waits for a worker thread (the installation's file phase): until the
// thread ends it serves the events raised on other threads, handed over without the window
// message, and dispatches its window messages (a quit message is dropped). An event raised while
// the main thread is inside a window message or inside another thread's event, where a plug-in
// may run a modal loop of its own, takes the main window's message instead, which that loop
// serves. True when the thread ended; false when its handle cannot be waited on. On any other
// thread it only waits.
bool WaitForWorker(void* thread);

// Around a long step without progress of its own: the user-interface plug-in shows the text.
void ShowStatusText(const std::string& text);
void HideStatusText();

// EV_GETPACKAGE: a folder the plug-ins offer for a missing package or cabinet file.
bool AskPackageFolder(const std::string& fileName, std::string& folder);

inline int32_t AsData(const void* pointer) {
    return int32_t(reinterpret_cast<intptr_t>(pointer));
}

} // namespace velk
