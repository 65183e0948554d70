#include "install/ItemEvents.h"

#include "database/VKClasses.h"
#include "install/FileMatch.h"

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

bool ForEachComponent(TvkMainDatabase& db,
                      const std::function<bool(TvkComponent&, TXMLObject*)>& Body) {
    if (!db.Components)
        return true;
    for (int i = 0; i < db.Components->Count(); ++i) {
        TvkComponent& component = *db.Components->Items(i);
        if (!Body(component, ItemScope(db, component)))
            return false;
    }
    return true;
}

} // namespace velk
