#include "plugins/CtrlHandler.h"

#include "database/VKVariables.h"
#include "platform/epRegIni.h"
#include "plugins/InstallControl.h"
#include "plugins/LanguageList.h"
#include "plugins/Msg.h"
#include "plugins/PluginProtocol.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

std::string Text(const void* data) {
    return data ? std::string(static_cast<const char*>(data)) : std::string();
}

TBlockField OptionalText(const std::string* text) {
    return text ? TBlockField::Str(*text) : TBlockField::None();
}

int32_t Block(const std::vector<TBlockField>& fields, void* out) {
    return PutBlock(fields, static_cast<uint8_t*>(out), uint32_t(AsData(out)));
}

int32_t LanguageBlock(const std::string& code, void* out) {
    const std::vector<std::string>& list = LanguageList();
    const int index = code.empty() ? (list.empty() ? -1 : 0) : FindLanguage(list, code);
    if (index < 0)
        return 0;
    const std::string& line = list[size_t(index)];
    const std::string next =
        size_t(index) + 1 < list.size() ? LanguageCode(list[size_t(index) + 1]) : "";
    return Block({TBlockField::Str(LanguageCode(line)), TBlockField::Str(LanguageDisplayName(line)),
                  OptionalText(next.empty() ? nullptr : &next)},
                 out);
}

int32_t FeatureBlock(const TvkMainDatabase& db, const std::string& id, void* out) {
    TvkFeature* parent = nullptr;
    TvkFeature* next = nullptr;
    const TvkFeature* f = db.Features ? db.Features->FindFeature(id, &parent, &next) : nullptr;
    if (f == nullptr)
        return 0;
    return Block({TBlockField::Str(f->ID), TBlockField::Str(f->Name),
                  TBlockField::Str(f->Description), TBlockField::Num(f->Required ? -1 : 0),
                  OptionalText(parent ? &parent->ID : nullptr),
                  OptionalText(next ? &next->ID : nullptr)},
                 out);
}

int32_t InstallTypeBlock(const TvkMainDatabase& db, const std::string& id, void* out) {
    TvkInstallType* next = nullptr;
    const TvkInstallType* t =
        db.InstallTypes ? db.InstallTypes->FindInstallType(id, &next) : nullptr;
    if (t == nullptr)
        return 0;
    return Block({TBlockField::Str(t->ID), TBlockField::Str(t->Name),
                  TBlockField::Str(t->Description), TBlockField::Num(t->Custom ? -1 : 0),
                  OptionalText(next ? &next->ID : nullptr)},
                 out);
}

// The sender's configuration: its file when it has one, else its database entry's Config.
int32_t ConfigValue(const TPlugin* sender, const void* data, void* out) {
    if (sender == nullptr || data == nullptr)
        return 0;
    const auto* texts = static_cast<const char* const*>(data);
    const std::string section = Text(texts[0]), key = Text(texts[1]), def = Text(texts[2]);
    if (!sender->ConfigFile.empty())
        return PutText(IniReadString(sender->ConfigFile, section, key, def),
                       static_cast<char*>(out));
    if (sender->Config != nullptr)
        return PutText(sender->Config->GetParam(section, key, def), static_cast<char*>(out));
    return 0;
}

int32_t ConfigSections(const TPlugin* sender, void* out) {
    std::vector<std::string> names;
    if (sender != nullptr && !sender->ConfigFile.empty())
        IniReadSections(sender->ConfigFile, names);
    else if (sender != nullptr && sender->Config != nullptr)
        names = sender->Config->GroupNames();
    return PutText(JoinLines(names), static_cast<char*>(out));
}

int32_t ConfigKeys(const TPlugin* sender, const std::string& section, void* out) {
    if (sender == nullptr || sender->Config == nullptr)
        return 0;
    std::vector<std::string> names;
    if (!sender->ConfigFile.empty())
        IniReadSection(sender->ConfigFile, section, names);
    else
        names = sender->Config->ParamNames(section);
    return PutText(JoinLines(names), static_cast<char*>(out));
}

} // namespace

int32_t HandleCommand(int32_t pluginId, int32_t message, void* data, void* out, int32_t flag) {
    TvkMainDatabase* db = PluginDatabase();
    if (db == nullptr)
        return 0;
    const TPlugin* sender = pluginId != 0 ? Plugins().Find(pluginId) : nullptr;
    TXMLObject* scope = sender ? static_cast<TXMLObject*>(sender->Package) : db;
    const std::string text = Text(data);
    switch (message) {
    case CM_ABORTINSTALL:
        RequestAbort();
        return 0;
    case CM_SUSPENDINSTALL:
        SuspendInstallWorker();
        return 0;
    case CM_RESUMEINSTALL:
        ResumeInstallWorker();
        return 0;
    case CM_PARSETEXT:
        return PutText(ExpandVariables(scope, text), static_cast<char*>(out));
    case CM_GETLANGUAGE:
        return LanguageBlock(text, out);
    case CM_SETLANGUAGE:
        if (!text.empty())
            ActivateLanguage(text);
        return 0;
    case CM_GETVARIABLE:
        return text.empty() ? 0 : PutText(GetVariable(scope, text, ""), static_cast<char*>(out));
    case CM_SETVARIABLE:
        if (!text.empty())
            SetVariable(scope, text, Text(out));
        return 0;
    case CM_GETFEATURE:
        return FeatureBlock(*db, text, out);
    case CM_GETFEATURESTATE: {
        const TvkFeature* f =
            db->Features && !text.empty() ? db->Features->FindFeature(text) : nullptr;
        return f ? f->State() : 0;
    }
    case CM_SETFEATURESTATE:
        return !text.empty() && db->SetFeatureSelected(text, AsData(out) == 1) ? 0 : -1;
    case CM_GETINSTALLTYPE:
        return InstallTypeBlock(*db, text, out);
    case CM_SETINSTALLTYPE:
        return !text.empty() && db->SelectInstallType(text) ? 0 : -1;
    case CM_GETCONFIGVALUE:
        return ConfigValue(sender, data, out);
    case CM_GETCONFIGSECTIONS:
        return ConfigSections(sender, out);
    case CM_GETCONFIGKEYS:
        return ConfigKeys(sender, text, out);
    default:
        if (sender == nullptr || MessageStore().NameOf(message) == nullptr)
            return 0;
        return DispatchEvent(pluginId, message, AsData(data), out,
                             flag != 0 ? TStopMode::All : TStopMode::First);
    }
}

} // namespace velk
