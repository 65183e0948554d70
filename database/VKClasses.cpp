#include "database/VKClasses.h"

#include <cstddef>

#include "platform/StrUtils.h"

namespace velk {

bool ConditionsEnabled = false;
TConditionEvaluator ConditionEvaluator = nullptr;

namespace {

// The name from (in any case) becomes to; any other name passes unchanged.
std::string Translate(const std::string& name, const char* from, const char* to) {
    return SameText(name, from) ? std::string(to) : name;
}

constexpr const char* kFlagNames[] = {"dont_log", "no_version", "reg_server",
                                      "reg_font", "dont_ask",   "dont_overwrite",
                                      "external", "shared",     "dont_wait"};
constexpr const char* kActionNames[] = {"add", "remove"};
constexpr const char* kRegTypeNames[] = {"str", "int", "bin"};
constexpr const char* kShowCmdNames[] = {"scNormal", "scMin", "scMax", "scHide"};
constexpr const char* kWhenStartNames[] = {"after_install", "before_install", "before_uninstall",
                                           "after_uninstall"};
constexpr const char* kVarTypeNames[] = {"vtNormal", "vtReg", "vtIni"};

void SetComponentID(TXMLObject& obj, std::string_view id) {
    static_cast<TvkComponent&>(obj).SetID(id);
}

// Through the assignment that keeps the variables' name index current.
void SetVariableName(TXMLObject& obj, std::string_view name) {
    static_cast<TvkVariable&>(obj).Name = name;
}

} // namespace

const TEnumType TvkFlagType = EnumTypeFrom(kFlagNames);
const TEnumType TvkActionType = EnumTypeFrom(kActionNames);
const TEnumType TvkRegTypeType = EnumTypeFrom(kRegTypeNames);
const TEnumType TvkShowCmdType = EnumTypeFrom(kShowCmdNames);
const TEnumType TvkWhenStartType = EnumTypeFrom(kWhenStartNames);
const TEnumType TvkVarTypeType = EnumTypeFrom(kVarTypeNames);

// Published properties, found in the objects by offset. These classes have virtual functions,
// which makes offsetof conditionally supported; GCC supports it for classes without virtual
// bases, and every class here has single, non-virtual inheritance.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

// Where the component keeps its ID, which only SetID may change.
struct TvkComponentLayout {
    static constexpr size_t IDOffset = offsetof(TvkComponent, id_);
};

namespace {

constexpr TPropInfo kConditionOwn[] = {VELK_PROPERTY(TvkConditionObject, Condition)};
constexpr auto kConditionProps = SortProperties(kNoProperties, kConditionOwn);

constexpr TPropInfo kActionOwn[] = {VELK_PROPERTY(TvkActionObject, Flags),
                                    VELK_PROPERTY(TvkActionObject, Action)};
constexpr auto kActionProps = SortProperties(kConditionProps, kActionOwn);

constexpr TPropInfo kFileOwn[] = {VELK_PROPERTY(TvkFile, Src), VELK_PROPERTY(TvkFile, Dst)};
constexpr auto kFileProps = SortProperties(kActionProps, kFileOwn);

constexpr TPropInfo kRegOwn[] = {VELK_PROPERTY(TvkReg, Key), VELK_PROPERTY(TvkReg, Param),
                                 VELK_PROPERTY(TvkReg, Value), VELK_PROPERTY(TvkReg, ParamType)};
constexpr auto kRegProps = SortProperties(kActionProps, kRegOwn);

constexpr TPropInfo kIniOwn[] = {VELK_PROPERTY(TvkIni, IniFile), VELK_PROPERTY(TvkIni, Section),
                                 VELK_PROPERTY(TvkIni, Param), VELK_PROPERTY(TvkIni, Value)};
constexpr auto kIniProps = SortProperties(kActionProps, kIniOwn);

constexpr TPropInfo kShortcutOwn[] = {
    VELK_PROPERTY(TvkShortcut, Name),     VELK_PROPERTY(TvkShortcut, CmdLine),
    VELK_PROPERTY(TvkShortcut, Arg),      VELK_PROPERTY(TvkShortcut, WorkDir),
    VELK_PROPERTY(TvkShortcut, IconFile), VELK_PROPERTY(TvkShortcut, Description),
    VELK_PROPERTY(TvkShortcut, ShowCmd),  VELK_PROPERTY(TvkShortcut, Icon),
    VELK_PROPERTY(TvkShortcut, Hotkey)};
constexpr auto kShortcutProps = SortProperties(kActionProps, kShortcutOwn);

constexpr TPropInfo kRunAppOwn[] = {
    VELK_PROPERTY(TvkRunApp, CmdLine), VELK_PROPERTY(TvkRunApp, Arg),
    VELK_PROPERTY(TvkRunApp, WorkDir), VELK_PROPERTY(TvkRunApp, Msg),
    VELK_PROPERTY(TvkRunApp, ShowCmd), VELK_PROPERTY(TvkRunApp, WhenStart)};
constexpr auto kRunAppProps = SortProperties(kActionProps, kRunAppOwn);

constexpr TPropInfo kComponentOwn[] = {
    TPropInfo("ID", TvkComponentLayout::IDOffset, TPropStorage::String, SetComponentID),
    VELK_PROPERTY(TvkComponent, Name),
    VELK_PROPERTY(TvkComponent, Package),
    VELK_PROPERTY(TvkComponent, Files),
    VELK_PROPERTY(TvkComponent, Registry),
    VELK_PROPERTY(TvkComponent, IniFiles),
    VELK_PROPERTY(TvkComponent, Shortcuts),
    VELK_PROPERTY(TvkComponent, RunApps)};
constexpr auto kComponentProps = SortProperties(kConditionProps, kComponentOwn);

constexpr TPropInfo kFeatureOwn[] = {
    VELK_PROPERTY(TvkFeature, ID),          VELK_PROPERTY(TvkFeature, Name),
    VELK_PROPERTY(TvkFeature, Description), VELK_PROPERTY(TvkFeature, Required),
    VELK_PROPERTY(TvkFeature, Features),    VELK_PROPERTY(TvkFeature, Depends),
    VELK_PROPERTY(TvkFeature, Components)};
constexpr auto kFeatureProps = SortProperties(kConditionProps, kFeatureOwn);

constexpr TPropInfo kInstallTypeOwn[] = {
    VELK_PROPERTY(TvkInstallType, ID),          VELK_PROPERTY(TvkInstallType, Name),
    VELK_PROPERTY(TvkInstallType, Description), VELK_PROPERTY(TvkInstallType, Default),
    VELK_PROPERTY(TvkInstallType, Custom),      VELK_PROPERTY(TvkInstallType, Features)};
constexpr auto kInstallTypeProps = SortProperties(kConditionProps, kInstallTypeOwn);

constexpr TPropInfo kVariableOwn[] = {
    TPropInfo("Name", offsetof(TvkVariable, Name), TPropStorage::String, SetVariableName),
    VELK_PROPERTY(TvkVariable, Value),
    VELK_PROPERTY(TvkVariable, DefValue),
    VELK_PROPERTY(TvkVariable, RegKey),
    VELK_PROPERTY(TvkVariable, RegParam),
    VELK_PROPERTY(TvkVariable, IniFile),
    VELK_PROPERTY(TvkVariable, IniSection),
    VELK_PROPERTY(TvkVariable, IniParam),
    VELK_PROPERTY(TvkVariable, VarType)};
constexpr auto kVariableProps = SortProperties(kConditionProps, kVariableOwn);

constexpr TPropInfo kParamOwn[] = {VELK_PROPERTY(TvkParam, Name), VELK_PROPERTY(TvkParam, Value)};
constexpr auto kParamProps = SortProperties(kNoProperties, kParamOwn);

constexpr TPropInfo kParamGroupOwn[] = {VELK_PROPERTY(TvkParamGroup, Name)};
constexpr auto kParamGroupProps = SortProperties(kNoProperties, kParamGroupOwn);

constexpr TPropInfo kSimpleConfigOwn[] = {VELK_PROPERTY(TvkPluginSimpleConfig, ParamGroup)};
constexpr auto kSimpleConfigProps = SortProperties(kNoProperties, kSimpleConfigOwn);

constexpr TPropInfo kPluginOwn[] = {
    VELK_PROPERTY(TvkPlugin, ID), VELK_PROPERTY(TvkPlugin, ConfigFile),
    VELK_PROPERTY(TvkPlugin, DebugDll), VELK_PROPERTY(TvkPlugin, Config)};
constexpr auto kPluginProps = SortProperties(kConditionProps, kPluginOwn);

constexpr TPropInfo kFileInfoOwn[] = {
    VELK_PROPERTY(TvkFileInfo, Name), VELK_PROPERTY(TvkFileInfo, Size),
    VELK_PROPERTY(TvkFileInfo, Version), VELK_PROPERTY(TvkFileInfo, FontName)};
constexpr auto kFileInfoProps = SortProperties(kNoProperties, kFileInfoOwn);

constexpr TPropInfo kPackageOwn[] = {
    VELK_PROPERTY(TvkPackage, FileName), VELK_PROPERTY(TvkPackage, Components),
    VELK_PROPERTY(TvkPackage, Plugins), VELK_PROPERTY(TvkPackage, Variables),
    VELK_PROPERTY(TvkPackage, FileInfos)};
constexpr auto kPackageProps = SortProperties(kNoProperties, kPackageOwn);

constexpr TPropInfo kMainDatabaseOwn[] = {
    VELK_PROPERTY(TvkMainDatabase, Version),  VELK_PROPERTY(TvkMainDatabase, Variables),
    VELK_PROPERTY(TvkMainDatabase, Packages), VELK_PROPERTY(TvkMainDatabase, Components),
    VELK_PROPERTY(TvkMainDatabase, Features), VELK_PROPERTY(TvkMainDatabase, InstallTypes)};
constexpr auto kMainDatabaseProps = SortProperties(kNoProperties, kMainDatabaseOwn);

} // namespace

#pragma GCC diagnostic pop

// Condition and action objects

const TClassInfo TvkConditionObject::Info("TvkConditionObject", &TXMLObject::StaticClass(),
                                          kConditionProps, Construct<TvkConditionObject>);

const TClassInfo& TvkConditionObject::ClassType() const {
    return StaticClass();
}

bool TvkConditionObject::IsActive() const {
    if (!ConditionsEnabled || Condition.empty() || !ConditionEvaluator)
        return true;
    return ConditionEvaluator(Condition);
}

const TClassInfo TvkActionObject::Info("TvkActionObject", &TvkConditionObject::StaticClass(),
                                       kActionProps, Construct<TvkActionObject>);

const TClassInfo& TvkActionObject::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkFile::Info("TvkFile", &TvkActionObject::StaticClass(), kFileProps,
                               Construct<TvkFile>);

const TClassInfo& TvkFile::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkReg::Info("TvkReg", &TvkActionObject::StaticClass(), kRegProps,
                              Construct<TvkReg>);

const TClassInfo& TvkReg::ClassType() const {
    return StaticClass();
}

std::string TvkReg::XmlToPropName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "type", "ParamType");
}

std::string TvkReg::PropToXmlName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "ParamType", "type");
}

const TClassInfo TvkIni::Info("TvkIni", &TvkActionObject::StaticClass(), kIniProps,
                              Construct<TvkIni>);

const TClassInfo& TvkIni::ClassType() const {
    return StaticClass();
}

std::string TvkIni::XmlToPropName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "file", "IniFile");
}

std::string TvkIni::PropToXmlName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "IniFile", "file");
}

const TClassInfo TvkShortcut::Info("TvkShortcut", &TvkActionObject::StaticClass(), kShortcutProps,
                                   Construct<TvkShortcut>);

const TClassInfo& TvkShortcut::ClassType() const {
    return StaticClass();
}

std::string TvkShortcut::EnumPrefix(const std::string& propName) const {
    return SameText(propName, "ShowCmd") ? "sc" : "";
}

const TClassInfo TvkRunApp::Info("TvkRunApp", &TvkActionObject::StaticClass(), kRunAppProps,
                                 Construct<TvkRunApp>);

const TClassInfo& TvkRunApp::ClassType() const {
    return StaticClass();
}

std::string TvkRunApp::EnumPrefix(const std::string& propName) const {
    return SameText(propName, "ShowCmd") ? "sc" : "";
}

// Action lists

const TClassInfo TvkFiles::Info("TvkFiles", &TXMLObjectList::StaticClass(), kNoProperties,
                                Construct<TvkFiles>, &TvkFile::StaticClass(), "file");

const TClassInfo& TvkFiles::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkRegistry::Info("TvkRegistry", &TXMLObjectList::StaticClass(), kNoProperties,
                                   Construct<TvkRegistry>, &TvkReg::StaticClass(), "reg");

const TClassInfo& TvkRegistry::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkIniFiles::Info("TvkIniFiles", &TXMLObjectList::StaticClass(), kNoProperties,
                                   Construct<TvkIniFiles>, &TvkIni::StaticClass(), "ini");

const TClassInfo& TvkIniFiles::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkShortcuts::Info("TvkShortcuts", &TXMLObjectList::StaticClass(), kNoProperties,
                                    Construct<TvkShortcuts>, &TvkShortcut::StaticClass(),
                                    "shortcut");

const TClassInfo& TvkShortcuts::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkRunApps::Info("TvkRunApps", &TXMLObjectList::StaticClass(), kNoProperties,
                                  Construct<TvkRunApps>, &TvkRunApp::StaticClass(), "runapp");

const TClassInfo& TvkRunApps::ClassType() const {
    return StaticClass();
}

// Components, features and install types

const TClassInfo TvkComponent::Info("TvkComponent", &TvkConditionObject::StaticClass(),
                                    kComponentProps, Construct<TvkComponent>);

const TClassInfo& TvkComponent::ClassType() const {
    return StaticClass();
}

void TvkComponent::SetID(std::string_view id) {
    if (id == id_)
        return;
    id_.assign(id.data(), id.size());
    if (Name.empty())
        Name = id_;
}

const TClassInfo TvkComponents::Info("TvkComponents", &TXMLObjectList::StaticClass(), kNoProperties,
                                     Construct<TvkComponents>, &TvkComponent::StaticClass(),
                                     "component");

const TClassInfo& TvkComponents::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkFeature::Info("TvkFeature", &TvkConditionObject::StaticClass(), kFeatureProps,
                                  Construct<TvkFeature>);

const TClassInfo& TvkFeature::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkFeatures::Info("TvkFeatures", &TXMLObjectList::StaticClass(), kNoProperties,
                                   Construct<TvkFeatures>, &TvkFeature::StaticClass(), "feature");

const TClassInfo& TvkFeatures::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkInstallType::Info("TvkInstallType", &TvkConditionObject::StaticClass(),
                                      kInstallTypeProps, Construct<TvkInstallType>);

const TClassInfo& TvkInstallType::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkInstallTypes::Info("TvkInstallTypes", &TXMLObjectList::StaticClass(),
                                       kNoProperties, Construct<TvkInstallTypes>,
                                       &TvkInstallType::StaticClass(), "installtype");

const TClassInfo& TvkInstallTypes::ClassType() const {
    return StaticClass();
}

// Variables

const TClassInfo TvkVariable::Info("TvkVariable", &TvkConditionObject::StaticClass(),
                                   kVariableProps, Construct<TvkVariable>);

const TClassInfo& TvkVariable::ClassType() const {
    return StaticClass();
}

std::string TvkVariable::XmlToPropName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "type", "VarType");
}

std::string TvkVariable::PropToXmlName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "VarType", "type");
}

std::string TvkVariable::EnumPrefix(const std::string& propName) const {
    return SameText(propName, "VarType") ? "vt" : "";
}

bool TvkVariable::CanSave(const TXMLTag&) const {
    return !Predefined;
}

const TClassInfo TvkVariables::Info("TvkVariables", &TXMLParamList::StaticClass(), kNoProperties,
                                    Construct<TvkVariables>, &TvkVariable::StaticClass(), "var");

const TClassInfo& TvkVariables::ClassType() const {
    return StaticClass();
}

// Plug-ins and their inline configuration

const TClassInfo TvkParam::Info("TvkParam", &TXMLObject::StaticClass(), kParamProps,
                                Construct<TvkParam>);

const TClassInfo& TvkParam::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkParamGroup::Info("TvkParamGroup", &TXMLObjectList::StaticClass(),
                                     kParamGroupProps, Construct<TvkParamGroup>,
                                     &TvkParam::StaticClass(), "param");

const TClassInfo& TvkParamGroup::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkPluginSimpleConfig::Info("TvkPluginSimpleConfig",
                                             &TXMLObjectList::StaticClass(), kSimpleConfigProps,
                                             Construct<TvkPluginSimpleConfig>,
                                             &TvkParamGroup::StaticClass(), "paramgroup");

const TClassInfo& TvkPluginSimpleConfig::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkPlugin::Info("TvkPlugin", &TvkConditionObject::StaticClass(), kPluginProps,
                                 Construct<TvkPlugin>);

const TClassInfo& TvkPlugin::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkPlugins::Info("TvkPlugins", &TXMLObjectList::StaticClass(), kNoProperties,
                                  Construct<TvkPlugins>, &TvkPlugin::StaticClass(), "plugin");

const TClassInfo& TvkPlugins::ClassType() const {
    return StaticClass();
}

// Packages and the main database

const TClassInfo TvkFileInfo::Info("TvkFileInfo", &TXMLObject::StaticClass(), kFileInfoProps,
                                   Construct<TvkFileInfo>);

const TClassInfo& TvkFileInfo::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkFileInfos::Info("TvkFileInfos", &TXMLObjectList::StaticClass(), kNoProperties,
                                    Construct<TvkFileInfos>, &TvkFileInfo::StaticClass(),
                                    "fileinfo");

const TClassInfo& TvkFileInfos::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkPackage::Info("TvkPackage", &TXMLObject::StaticClass(), kPackageProps,
                                  Construct<TvkPackage>);

const TClassInfo& TvkPackage::ClassType() const {
    return StaticClass();
}

const TClassInfo TvkPackages::Info("TvkPackages", &TXMLObjectList::StaticClass(), kNoProperties,
                                   Construct<TvkPackages>, &TvkPackage::StaticClass(), "package");

const TClassInfo& TvkPackages::ClassType() const {
    return StaticClass();
}

TvkMainDatabase::TvkMainDatabase(TXMLObject* owner) : TXMLObject(owner) {
    Variables.Set(TvkVariables::StaticClass().Create(this));
    Packages.Set(TvkPackages::StaticClass().Create(this));
}

const TClassInfo TvkMainDatabase::Info("TvkMainDatabase", &TXMLObject::StaticClass(),
                                       kMainDatabaseProps, Construct<TvkMainDatabase>);

const TClassInfo& TvkMainDatabase::ClassType() const {
    return StaticClass();
}

} // namespace velk
