#pragma once

#include <cstdint>

namespace velk {

// A plug-in's command: the engine's own commands, else a named message relayed to the other
// plug-ins. pluginId names the sender (0 or unknown: the engine's main database).
int32_t HandleCommand(int32_t pluginId, int32_t message, void* data, void* out, int32_t flag);

} // namespace velk
