/* The binary interface between the engine and its plug-in libraries: packed records of 32-bit
   little-endian fields, stdcall functions. Plain C, so that a plug-in written in C can use it. */
#ifndef VELK_PLUGIN_RECORDS_H
#define VELK_PLUGIN_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VK_ENGINE_VERSION 0x00020100
#define VK_RECORD_VERSION 0x00010000
#define VK_NAME_SIZE 261

#if defined(_WIN32)
#define VK_STDCALL __stdcall
#else
#define VK_STDCALL
#endif

typedef int32_t(VK_STDCALL* TVkEventProc)(int32_t messageId, const char* messageName, int32_t data,
                                          void* param);
typedef int32_t(VK_STDCALL* TVkGetMessageId)(int32_t pluginId, const char* name);
typedef int32_t(VK_STDCALL* TVkSendCommand)(int32_t pluginId, int32_t message, void* data,
                                            void* out, int32_t flag);
typedef int32_t(VK_STDCALL* TVkSendCommandByName)(int32_t pluginId, const char* name, void* data,
                                                  void* out, int32_t flag);

/* Events, engine to plug-ins. */
enum {
    EV_SETSTARTUPINFO = 1,
    EV_LOAD,
    EV_UNLOAD,
    EV_START,
    EV_FINISH,
    EV_SHOWDIALOGS,
    EV_LANGUAGECHANGED,
    EV_BEFOREINSTALL,
    EV_AFTERINSTALL,
    EV_BEFOREPROCESSITEMS,
    EV_AFTERPROCESSITEMS,
    EV_BEFOREPROCESSITEM,
    EV_AFTERPROCESSITEM,
    EV_PROCESSITEM,
    EV_FILEINSTALLPROGRESS,
    EV_FEATURESTATECHANGED,
    EV_INSTALLTYPECHANGED,
    EV_VERSIONCONFLICT,
    EV_GETPACKAGE,
    EV_CHECKLAUNCHCONDITIONS,
};

/* Commands, plug-ins to engine; 269 and 270 to 272 have no names. */
enum {
    CM_ABORTINSTALL = 256,
    CM_SUSPENDINSTALL,
    CM_RESUMEINSTALL,
    CM_PARSETEXT,
    CM_GETLANGUAGE,
    CM_SETLANGUAGE,
    CM_GETVARIABLE,
    CM_SETVARIABLE,
    CM_GETFEATURE,
    CM_GETFEATURESTATE,
    CM_SETFEATURESTATE,
    CM_GETINSTALLTYPE,
    CM_SETINSTALLTYPE,
    CM_GETCONFIGVALUE = 270,
    CM_GETCONFIGSECTIONS,
    CM_GETCONFIGKEYS,
};

#pragma pack(push, 1)

/* Filled by the plug-in's export GetPluginInfo. */
typedef struct TVkPluginInfo {
    uint32_t RecordVersion;
    uint32_t Reserved1;
    int32_t RequiredEngineVersion;
    char ID[VK_NAME_SIZE];
    char Reserved2[VK_NAME_SIZE];
    uint8_t Refused;
    char Reserved3[4623];
    TVkEventProc EventProc;
} TVkPluginInfo;

/* Valid only during EV_SETSTARTUPINFO. */
typedef struct TVkStartupInfo {
    uint32_t RecordVersion;
    uint32_t EngineVersion;
    int32_t PluginId;
    char ConfigFile[VK_NAME_SIZE];
    TVkGetMessageId GetMessageId;
    TVkSendCommand SendCommand;
    TVkSendCommandByName SendCommandByName;
} TVkStartupInfo;

/* Items of the installation, the pointer parameter of the item events; the item kind is in the
   high word of the numeric parameter. Texts are expanded and valid during the event. Action: 0
   add or install, 1 remove. */
enum {
    VK_ITEM_FILE,
    VK_ITEM_REGISTRY,
    VK_ITEM_INI,
    VK_ITEM_SHORTCUT,
    VK_ITEM_COMSERVER,
    VK_ITEM_FONT,
    VK_ITEM_APPLICATION
};

typedef struct TVkFileItem {
    const char* FileName;
    int32_t Size;
    int32_t Date; /* DOS date (high word) and time */
    int32_t Attributes;
    int32_t Action;
} TVkFileItem;

typedef struct TVkRegistryItem {
    const char* Key;
    const char* Name;
    const char* Value;
    int32_t Type; /* 0 text, 1 number, 2 binary */
    int32_t Action;
} TVkRegistryItem;

typedef struct TVkIniItem {
    const char* File;
    const char* Section;
    const char* Name;
    const char* Value;
    int32_t Action;
} TVkIniItem;

typedef struct TVkShortcutItem {
    const char* Name; /* without ".lnk" */
    const char* CmdLine;
    const char* Arg;
    const char* WorkDir;
    int32_t ShowCmd; /* 0 normal, 1 minimised, 2 maximised */
    const char* IconFile;
    int32_t Icon;
    int32_t Hotkey;
    const char* Description;
    int32_t Action;
} TVkShortcutItem;

/* COM servers and fonts. */
typedef struct TVkRegisteredFileItem {
    const char* FileName;
    int32_t Action;
} TVkRegisteredFileItem;

typedef struct TVkApplicationItem {
    const char* CmdLine;
    const char* Arg;
    const char* WorkDir;
    int32_t ShowCmd; /* 0 normal, 1 minimised, 2 maximised, 3 hidden */
    const char* Msg;
    int32_t When; /* 0 before install, 1 after install, 2 before uninstall, 3 after uninstall */
} TVkApplicationItem;

#pragma pack(pop)

typedef void(VK_STDCALL* TVkGetPluginInfo)(TVkPluginInfo* info);

#if defined(_WIN32) && !defined(_WIN64)
#ifdef __cplusplus
#define VK_ASSERT(condition) static_assert(condition, #condition)
#else
#define VK_ASSERT(condition) _Static_assert(condition, #condition)
#endif
VK_ASSERT(sizeof(TVkPluginInfo) == 5162);
VK_ASSERT(offsetof(TVkPluginInfo, RequiredEngineVersion) == 8);
VK_ASSERT(offsetof(TVkPluginInfo, ID) == 12);
VK_ASSERT(offsetof(TVkPluginInfo, Refused) == 534);
VK_ASSERT(offsetof(TVkPluginInfo, EventProc) == 5158);
VK_ASSERT(sizeof(TVkStartupInfo) == 285);
VK_ASSERT(offsetof(TVkStartupInfo, ConfigFile) == 12);
VK_ASSERT(offsetof(TVkStartupInfo, GetMessageId) == 273);
VK_ASSERT(offsetof(TVkStartupInfo, SendCommand) == 277);
VK_ASSERT(offsetof(TVkStartupInfo, SendCommandByName) == 281);
VK_ASSERT(sizeof(TVkFileItem) == 20);
VK_ASSERT(sizeof(TVkShortcutItem) == 40);
VK_ASSERT(sizeof(TVkApplicationItem) == 24);
#undef VK_ASSERT
#endif

#ifdef __cplusplus
}
#endif

#endif
