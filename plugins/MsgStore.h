#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "plugins/PluginRecords.h"

namespace velk {

// The registry of message names: the built-in events and commands, and the names plug-ins
// introduce at run time, numbered from 4096 in order of first use for the rest of the run.
class TMsgStore {
public:
    // The number of the name (case ignored), registered when new.
    int32_t IdOf(std::string_view name);
    // The name of the number; null when it has none.
    const char* NameOf(int32_t id) const;

private:
    struct TEntry {
        std::string Name;
        int32_t Id;
    };
    // The run-time names; the built-in ones are a fixed table. A deque: the name a plug-in is
    // called with stays valid while a command it sends registers further names.
    std::deque<TEntry> entries_;
    int32_t counter_ = 4095;
};

} // namespace velk
