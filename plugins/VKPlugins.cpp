#include "plugins/VKPlugins.h"

#include <cstring>

#include "platform/StrUtils.h"
#include "platform/epFileFind.h"
#include "platform/epFileUtils.h"
#include "platform/win/WindowsSupport.h"
#include "plugins/ErrorBox.h"
#include "plugins/EventCarrier.h"
#include "plugins/Msg.h"
#include "plugins/PlugImpl.h"

namespace velk {

namespace {

struct THost {
    TvkMainDatabase* Database = nullptr;
    DWORD MainThread = 0;
    std::unique_ptr<TPluginList> List;
    std::unique_ptr<TMsgStore> Store;
};

THost Host;

std::string FixedText(const char* text, size_t size) {
    return std::string(text, strnlen(text, size));
}

TvkPlugin* FindEntry(TvkPackage& package, std::string_view id) {
    for (TvkPlugin* entry : *package.Plugins)
        if (SameText(entry->ID, id))
            return entry;
    return nullptr;
}

// Loads one library for an entry; true when the entry is satisfied by it.
bool TryPlugin(TvkPackage& package, const std::string& path) {
    const TModuleHandle module = LoadLibraryQuiet(path);
    if (module == nullptr)
        return false;
    auto plugin = std::make_unique<TPlugin>();
    plugin->FileName = path;
    plugin->Module = module;
    plugin->Id = Host.List->Count() + 1;
    plugin->Package = &package;
    const auto getInfo = reinterpret_cast<TVkGetPluginInfo>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetPluginInfo")));
    TvkPlugin* entry = nullptr;
    if (getInfo != nullptr) {
        plugin->Info.RecordVersion = VK_RECORD_VERSION;
        getInfo(&plugin->Info);
        if (plugin->Info.RequiredEngineVersion <= VK_ENGINE_VERSION && plugin->Info.Refused == 0)
            entry = FindEntry(package, FixedText(plugin->Info.ID, sizeof plugin->Info.ID));
    }
    if (entry == nullptr || !entry->IsActive()) {
        FreeLibrary(module);
        return entry != nullptr;
    }
    plugin->Config = entry->Config.get();
    if (!entry->ConfigFile.empty()) {
        entry->ConfigFile = ExtractFilePath(path) + entry->ConfigFile;
        plugin->ConfigFile = entry->ConfigFile;
    }
    TPlugin& added = *plugin;
    Host.List->Add(std::move(plugin));

    TVkStartupInfo startup = {};
    startup.RecordVersion = VK_RECORD_VERSION;
    startup.EngineVersion = VK_ENGINE_VERSION;
    startup.PluginId = added.Id;
    std::strncpy(startup.ConfigFile, added.ConfigFile.c_str(), sizeof startup.ConfigFile - 1);
    startup.GetMessageId = PluginGetMessageId;
    startup.SendCommand = PluginSendCommand;
    startup.SendCommandByName = PluginSendCommandByName;
    SendToPlugin(added, EV_SETSTARTUPINFO, AsData(&startup), nullptr);
    if (SendToPlugin(added, EV_LOAD, 0, nullptr) != 0) {
        Host.List->Release(&added);
        return true;
    }
    SendToPlugin(added, EV_LANGUAGECHANGED, AsData(CurrentLanguage().c_str()), nullptr);
    return true;
}

bool LoadEntry(TvkPackage& package, const TvkPlugin& entry, const std::string& folder) {
    if (!entry.DebugDll.empty())
        return TryPlugin(package, entry.DebugDll);
    TSearchRecEx search;
    bool satisfied = false;
    for (int found = FindFirstEx(folder + "*.dll", faAnyFile, faDirectory | faVolumeID, search);
         found == 0 && !satisfied; found = FindNextEx(search))
        satisfied = TryPlugin(package, search.FullName);
    FindCloseEx(search);
    return satisfied;
}

int32_t DispatchHere(int32_t exceptId, int32_t number, int32_t data, void* param, TStopMode mode) {
    int32_t answer = 0;
    // By index: a plug-in's commands may raise nested events while this walk is under way.
    for (int i = 0; i < Host.List->Count(); ++i) {
        TPlugin& plugin = *Host.List->Items(i);
        if (plugin.Id == exceptId)
            continue;
        answer = SendToPlugin(plugin, number, data, param);
        if (mode == TStopMode::First && answer != 0)
            break;
    }
    return answer;
}

} // namespace

TPluginList::~TPluginList() {
    for (auto& plugin : items_)
        if (plugin->Module != nullptr)
            FreeLibrary(plugin->Module);
}

TPlugin* TPluginList::Find(int32_t id) const {
    for (const auto& plugin : items_)
        if (plugin->Id == id)
            return plugin.get();
    return nullptr;
}

void TPluginList::Unload(TPlugin* plugin) {
    SendToPlugin(*plugin, EV_UNLOAD, 0, nullptr);
    Release(plugin);
}

void TPluginList::Release(TPlugin* plugin) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (it->get() == plugin) {
            std::unique_ptr<TPlugin> owned = std::move(*it);
            items_.erase(it);
            FreeLibrary(owned->Module);
            return;
        }
}

void InitPluginHost(TvkMainDatabase& db) {
    Host.Database = &db;
    Host.MainThread = GetCurrentThreadId();
    Host.List = std::make_unique<TPluginList>();
    Host.Store = std::make_unique<TMsgStore>();
}

void DonePluginHost() {
    UnloadAll();
    Host.List.reset();
    Host.Store.reset();
    Host.Database = nullptr;
}

TvkMainDatabase* PluginDatabase() {
    return Host.Database;
}

TMsgStore& MessageStore() {
    return *Host.Store;
}

TPluginList& Plugins() {
    return *Host.List;
}

bool IsMainThread() {
    return GetCurrentThreadId() == Host.MainThread;
}

bool LoadPackagePlugins(TvkPackage& package) {
    if (!package.Plugins)
        return true;
    const std::string base = package.Folder + "plugins";
    for (int i = 0; i < package.Plugins->Count(); ++i) {
        const TvkPlugin& entry = *package.Plugins->Items(i);
        if (!LoadEntry(package, entry, Format("%s\\%d\\", base.c_str(), i))) {
            ErrorBox("Plug-in loading error",
                     Format("Cannot load \"%s\" plug-in!", entry.ID.c_str()));
            return false;
        }
    }
    return true;
}

void UnloadAll() {
    if (!Host.List)
        return;
    while (Host.List->Count() > 0)
        Host.List->Unload(Host.List->Items(Host.List->Count() - 1));
}

int32_t SendToPlugin(TPlugin& plugin, int32_t number, int32_t data, void* param) {
    const char* name = Host.Store->NameOf(number);
    if (name == nullptr || plugin.Info.EventProc == nullptr)
        return 0;
    return plugin.Info.EventProc(number, name, data, param);
}

int32_t DispatchEvent(int32_t exceptId, int32_t number, int32_t data, void* param, TStopMode mode) {
    // Nobody to ask: no need to trouble the main thread.
    if (!Host.List || Host.List->Count() == 0)
        return 0;
    if (IsMainThread())
        return DispatchHere(exceptId, number, data, param, mode);
    const TMarshalRecord record = {exceptId, number, data, param, mode == TStopMode::First};
    int32_t answer = 0;
    if (CarryToWaitingMainThread(record, answer))
        return answer;
    if (MainWindowHandle == nullptr)
        return 0;
    // Sent, not posted: the record lives on this thread's stack.
    return int32_t(
        SendMessageA(MainWindowHandle, PluginEventMessage, reinterpret_cast<WPARAM>(&record), 0));
}

int32_t RaiseEvent(int32_t number, int32_t data, void* param, TStopMode mode) {
    return DispatchEvent(0, number, data, param, mode);
}

int32_t RaiseEventByName(std::string_view name, int32_t data, void* param, TStopMode mode) {
    if (!Host.Store)
        return 0;
    return RaiseEvent(Host.Store->IdOf(name), data, param, mode);
}

intptr_t ServeMarshalledEvent(uintptr_t address) {
    const auto* record = reinterpret_cast<const TMarshalRecord*>(address);
    if (record == nullptr || !Host.List)
        return 0;
    return DispatchHere(record->ExceptId, record->Number, record->Data, record->Param,
                        record->StopFirst ? TStopMode::First : TStopMode::All);
}

void ShowStatusText(const std::string& text) {
    constexpr intptr_t kStatusParam = 750;
    RaiseEventByName("CM_SHOWSTATUSTEXT", AsData(text.c_str()),
                     reinterpret_cast<void*>(kStatusParam), TStopMode::First);
}

void HideStatusText() {
    RaiseEventByName("CM_HIDESTATUSTEXT", 0, nullptr, TStopMode::First);
}

bool AskPackageFolder(const std::string& fileName, std::string& folder) {
    char buffer[MAX_PATH] = {};
    std::strncpy(buffer, folder.c_str(), sizeof buffer - 1);
    if (RaiseEvent(EV_GETPACKAGE, AsData(fileName.c_str()), buffer, TStopMode::First) == 0)
        return false;
    folder = FixedText(buffer, sizeof buffer);
    return true;
}

} // namespace velk
