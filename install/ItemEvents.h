#pragma once

#include <cstdint>
#include <functional>

#include "database/VKClasses.h"
#include "plugins/PluginRecords.h"

namespace velk {

// The kinds of items the installation acts on, one kind per phase.
enum class TItemKind : int32_t {
    Files = VK_ITEM_FILE,
    Registry = VK_ITEM_REGISTRY,
    Ini = VK_ITEM_INI,
    Shortcuts = VK_ITEM_SHORTCUT,
    ComServers = VK_ITEM_COMSERVER,
    Fonts = VK_ITEM_FONT,
    Applications = VK_ITEM_APPLICATION,
};

// The numeric parameter of phase and item events: the kind in the high word.
inline int32_t KindParameter(TItemKind kind) {
    return int32_t(uint32_t(kind) << 16);
}

// A phase: asks the plug-ins first (an answer skips it and keeps success), then runs Body, whose
// result becomes the success, and announces its end. Runs nothing when success is already false.
bool RunPhase(TItemKind kind, bool success, const std::function<bool()>& Body);

// Asks the plug-ins before an item; true when one of them vetoes it.
bool ItemVetoed(TItemKind kind, void* record);
// Announces an item that was acted on.
void ItemDone(TItemKind kind, void* record);

// Calls Body for each component of the run, in order, with the scope its items' texts expand
// against; stops at the first false and answers it.
bool ForEachComponent(TvkMainDatabase& db,
                      const std::function<bool(TvkComponent&, TXMLObject*)>& Body);

// Calls Process for each active item of one list of every component, in order, with the scope its
// texts expand against; stops at the first false and answers it.
template <typename TList, typename TProcess>
bool ForEachActiveItem(TvkMainDatabase& db, TLazyList<TList> TvkComponent::*list,
                       TProcess Process) {
    return ForEachComponent(db, [&](TvkComponent& component, TXMLObject* scope) {
        const TLazyList<TList>& items = component.*list;
        if (!items)
            return true;
        for (int i = 0; i < items->Count(); ++i)
            if (items->Items(i)->IsActive() && !Process(*items->Items(i), scope))
                return false;
        return true;
    });
}

} // namespace velk
