#include "install/ItemEvents.h"

#include "plugins/MsgStore.h"
#include "plugins/VKPlugins.h"

namespace velk {

bool RunPhase(TItemKind kind, bool success, const std::function<bool()>& Body) {
    if (!success)
        return false;
    if (RaiseEvent(EV_BEFOREPROCESSITEMS, KindParameter(kind), nullptr, TStopMode::First) != 0)
        return true;
    success = Body();
    RaiseEvent(EV_AFTERPROCESSITEMS, KindParameter(kind), nullptr, TStopMode::All);
    return success;
}

bool ItemVetoed(TItemKind kind, void* record) {
    return RaiseEvent(EV_BEFOREPROCESSITEM, KindParameter(kind), record, TStopMode::First) != 0;
}

void ItemDone(TItemKind kind, void* record) {
    RaiseEvent(EV_AFTERPROCESSITEM, KindParameter(kind), record, TStopMode::All);
}

} // namespace velk
