#pragma once

#include <cstdint>

#include "plugins/PluginRecords.h"

namespace velk {

// The host functions handed to plug-ins in their startup record. Foreign code calls them: no
// exception leaves them, a failure gives the command's failure value.
int32_t VK_STDCALL PluginGetMessageId(int32_t pluginId, const char* name);
int32_t VK_STDCALL PluginSendCommand(int32_t pluginId, int32_t message, void* data, void* out,
                                     int32_t flag);
int32_t VK_STDCALL PluginSendCommandByName(int32_t pluginId, const char* name, void* data,
                                           void* out, int32_t flag);

} // namespace velk
