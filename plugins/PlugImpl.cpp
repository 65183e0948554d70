#include "plugins/PlugImpl.h"

#include <exception>

#include "plugins/CtrlHandler.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

// The answer a command gives when it cannot be carried out.
int32_t FailureOf(int32_t message) {
    return message == CM_SETFEATURESTATE || message == CM_SETINSTALLTYPE ? -1 : 0;
}

int32_t Command(int32_t pluginId, int32_t message, void* data, void* out, int32_t flag) {
    try {
        return HandleCommand(pluginId, message, data, out, flag);
    } catch (...) {
        return FailureOf(message);
    }
}

} // namespace

int32_t VK_STDCALL PluginGetMessageId(int32_t, const char* name) {
    try {
        return name == nullptr ? 0 : MessageStore().IdOf(name);
    } catch (...) {
        return 0;
    }
}

int32_t VK_STDCALL PluginSendCommand(int32_t pluginId, int32_t message, void* data, void* out,
                                     int32_t flag) {
    return Command(pluginId, message, data, out, flag);
}

int32_t VK_STDCALL PluginSendCommandByName(int32_t pluginId, const char* name, void* data,
                                           void* out, int32_t flag) {
    const int32_t message = PluginGetMessageId(pluginId, name);
    return message == 0 ? 0 : Command(pluginId, message, data, out, flag);
}

} // namespace velk
