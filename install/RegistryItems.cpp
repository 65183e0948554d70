#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "install/ItemTexts.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epRegIniKey.h"
#include "plugins/ErrorBox.h"

namespace velk {

namespace {

// Creates the missing keys of the path from the top down, logging each.
void CreateKeyLogged(std::string_view path) {
    const std::string key = ExcludeTrailingBackslash(path);
    if (RegKeyExists(key))
        return;
    const std::string_view parent = ParentKeyPath(key);
    if (parent.size() != key.size())
        CreateKeyLogged(parent);
    if (TRegKey::Create(ParseRegPath(key)).IsOpen())
        InstallLog().Write(TLogSection::CreateKeys, key);
}

bool WriteValue(const TvkReg& item, const std::string& key, const std::string& name,
                const std::string& value) {
    switch (item.ParamType) {
    case TvkRegType::Int:
        return WriteRegInteger(key, name, StrToDWordDef(value, 0));
    case TvkRegType::Bin:
        return WriteRegBinaryHex(key, name, value);
    case TvkRegType::Str:
        break;
    }
    return WriteRegString(key, name, value);
}

// False when the value could not be written.
bool ProcessItem(TvkReg& item, TXMLObject* scope) {
    const std::string key = ExpandVariables(scope, item.Key);
    const std::string name = ExpandVariables(scope, item.Param);
    const std::string value = ExpandVariables(scope, item.Value);
    const bool remove = item.Action == TvkAction::Remove;
    const int32_t type = item.ParamType == TvkRegType::Int   ? 1
                         : item.ParamType == TvkRegType::Bin ? 2
                                                             : 0;
    TVkRegistryItem record = {key.c_str(), name.c_str(), value.c_str(), type, remove ? 1 : 0};
    if (ItemVetoed(TItemKind::Registry, &record))
        return true;
    if (remove) {
        if (!name.empty() && RegValueExists(key, name))
            DeleteRegValue(key, name);
        else if (name.empty() && RegKeyExists(key))
            DeleteRegKey(key, false);
        ItemDone(TItemKind::Registry, &record);
        return true;
    }
    const bool existed = RegValueExists(key, name);
    if (existed && item.Flags.Contains(TvkFlag::DontOverwrite))
        return true;
    const bool logged = !item.Flags.Contains(TvkFlag::DontLog);
    if (logged)
        CreateKeyLogged(key);
    if (!WriteValue(item, key, name, value)) {
        ErrorBox("Registry error", "Error during changing the registry data!");
        return false;
    }
    if (!existed && logged)
        InstallLog().Write(TLogSection::AddReg, IncludeTrailingBackslash(key) + "'" + name + "'",
                           value);
    ItemDone(TItemKind::Registry, &record);
    return true;
}

} // namespace

bool InstallRegistryItems(TvkMainDatabase& db) {
    return ForEachActiveItem(db, &TvkComponent::Registry, ProcessItem);
}

} // namespace velk
