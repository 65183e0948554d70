#include "database/VKClasses.h"

#include "platform/StrUtils.h"

namespace velk {

bool ConditionsEnabled = false;
TConditionEvaluator ConditionEvaluator = nullptr;

namespace {

template <size_t N> constexpr TEnumType EnumOf(const char* const (&names)[N]) {
    return TEnumType{names, static_cast<int>(N)};
}

// The name from (in any case) becomes to; any other name passes unchanged.
std::string Translate(const std::string& name, const char* from, const char* to) {
    return SameText(name, from) ? std::string(to) : name;
}

} // namespace

const TEnumType& EnumTypeOf(TvkFlag) {
    static const char* const names[] = {"dont_log", "no_version", "reg_server",
                                        "reg_font", "dont_ask",   "dont_overwrite",
                                        "external", "shared",     "dont_wait"};
    static const TEnumType type = EnumOf(names);
    return type;
}

const TEnumType& EnumTypeOf(TvkAction) {
    static const char* const names[] = {"add", "remove"};
    static const TEnumType type = EnumOf(names);
    return type;
}

const TEnumType& EnumTypeOf(TvkRegType) {
    static const char* const names[] = {"str", "int", "bin"};
    static const TEnumType type = EnumOf(names);
    return type;
}

const TEnumType& EnumTypeOf(TvkShowCmd) {
    static const char* const names[] = {"scNormal", "scMin", "scMax", "scHide"};
    static const TEnumType type = EnumOf(names);
    return type;
}

const TEnumType& EnumTypeOf(TvkWhenStart) {
    static const char* const names[] = {"after_install", "before_install", "before_uninstall",
                                        "after_uninstall"};
    static const TEnumType type = EnumOf(names);
    return type;
}

const TEnumType& EnumTypeOf(TvkVarType) {
    static const char* const names[] = {"vtNormal", "vtReg", "vtIni"};
    static const TEnumType type = EnumOf(names);
    return type;
}

// Condition and action objects

const TClassInfo& TvkConditionObject::StaticClass() {
    static const TClassInfo info("TvkConditionObject", &TXMLObject::StaticClass(),
                                 {Prop<&TvkConditionObject::Condition>("Condition")},
                                 Construct<TvkConditionObject>);
    return info;
}

const TClassInfo& TvkConditionObject::ClassType() const {
    return StaticClass();
}

bool TvkConditionObject::IsActive() const {
    if (!ConditionsEnabled || Condition.empty() || !ConditionEvaluator)
        return true;
    return ConditionEvaluator(Condition);
}

const TClassInfo& TvkActionObject::StaticClass() {
    static const TClassInfo info(
        "TvkActionObject", &TvkConditionObject::StaticClass(),
        {Prop<&TvkActionObject::Flags>("Flags"), Prop<&TvkActionObject::Action>("Action")},
        Construct<TvkActionObject>);
    return info;
}

const TClassInfo& TvkActionObject::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkFile::StaticClass() {
    static const TClassInfo info("TvkFile", &TvkActionObject::StaticClass(),
                                 {Prop<&TvkFile::Src>("Src"), Prop<&TvkFile::Dst>("Dst")},
                                 Construct<TvkFile>);
    return info;
}

const TClassInfo& TvkFile::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkReg::StaticClass() {
    static const TClassInfo info("TvkReg", &TvkActionObject::StaticClass(),
                                 {Prop<&TvkReg::Key>("Key"), Prop<&TvkReg::Param>("Param"),
                                  Prop<&TvkReg::Value>("Value"),
                                  Prop<&TvkReg::ParamType>("ParamType")},
                                 Construct<TvkReg>);
    return info;
}

const TClassInfo& TvkReg::ClassType() const {
    return StaticClass();
}

std::string TvkReg::XmlToPropName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "type", "ParamType");
}

std::string TvkReg::PropToXmlName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "ParamType", "type");
}

const TClassInfo& TvkIni::StaticClass() {
    static const TClassInfo info("TvkIni", &TvkActionObject::StaticClass(),
                                 {Prop<&TvkIni::IniFile>("IniFile"),
                                  Prop<&TvkIni::Section>("Section"), Prop<&TvkIni::Param>("Param"),
                                  Prop<&TvkIni::Value>("Value")},
                                 Construct<TvkIni>);
    return info;
}

const TClassInfo& TvkIni::ClassType() const {
    return StaticClass();
}

std::string TvkIni::XmlToPropName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "file", "IniFile");
}

std::string TvkIni::PropToXmlName(const std::string& name, bool isElement) const {
    return isElement ? name : Translate(name, "IniFile", "file");
}

const TClassInfo& TvkShortcut::StaticClass() {
    static const TClassInfo info(
        "TvkShortcut", &TvkActionObject::StaticClass(),
        {Prop<&TvkShortcut::Name>("Name"), Prop<&TvkShortcut::CmdLine>("CmdLine"),
         Prop<&TvkShortcut::Arg>("Arg"), Prop<&TvkShortcut::WorkDir>("WorkDir"),
         Prop<&TvkShortcut::IconFile>("IconFile"), Prop<&TvkShortcut::Description>("Description"),
         Prop<&TvkShortcut::ShowCmd>("ShowCmd"), Prop<&TvkShortcut::Icon>("Icon"),
         Prop<&TvkShortcut::Hotkey>("Hotkey")},
        Construct<TvkShortcut>);
    return info;
}

const TClassInfo& TvkShortcut::ClassType() const {
    return StaticClass();
}

std::string TvkShortcut::EnumPrefix(const std::string& propName) const {
    return SameText(propName, "ShowCmd") ? "sc" : "";
}

const TClassInfo& TvkRunApp::StaticClass() {
    static const TClassInfo info(
        "TvkRunApp", &TvkActionObject::StaticClass(),
        {Prop<&TvkRunApp::CmdLine>("CmdLine"), Prop<&TvkRunApp::Arg>("Arg"),
         Prop<&TvkRunApp::WorkDir>("WorkDir"), Prop<&TvkRunApp::Msg>("Msg"),
         Prop<&TvkRunApp::ShowCmd>("ShowCmd"), Prop<&TvkRunApp::WhenStart>("WhenStart")},
        Construct<TvkRunApp>);
    return info;
}

const TClassInfo& TvkRunApp::ClassType() const {
    return StaticClass();
}

std::string TvkRunApp::EnumPrefix(const std::string& propName) const {
    return SameText(propName, "ShowCmd") ? "sc" : "";
}

// Action lists

const TClassInfo& TvkFiles::StaticClass() {
    static const TClassInfo info("TvkFiles", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkFiles>);
    return info;
}

const TClassInfo& TvkFiles::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkRegistry::StaticClass() {
    static const TClassInfo info("TvkRegistry", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkRegistry>);
    return info;
}

const TClassInfo& TvkRegistry::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkIniFiles::StaticClass() {
    static const TClassInfo info("TvkIniFiles", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkIniFiles>);
    return info;
}

const TClassInfo& TvkIniFiles::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkShortcuts::StaticClass() {
    static const TClassInfo info("TvkShortcuts", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkShortcuts>);
    return info;
}

const TClassInfo& TvkShortcuts::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkRunApps::StaticClass() {
    static const TClassInfo info("TvkRunApps", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkRunApps>);
    return info;
}

const TClassInfo& TvkRunApps::ClassType() const {
    return StaticClass();
}

// Components, features and install types

const TClassInfo& TvkComponent::StaticClass() {
    static const TClassInfo info(
        "TvkComponent", &TvkConditionObject::StaticClass(),
        {TPropInfo::String(
             "ID",
             [](const TXMLObject& o) -> const std::string& {
                 return static_cast<const TvkComponent&>(o).id_;
             },
             [](TXMLObject& o, std::string v) {
                 static_cast<TvkComponent&>(o).SetID(std::move(v));
             }),
         Prop<&TvkComponent::Name>("Name"), Prop<&TvkComponent::Package>("Package"),
         Prop<&TvkComponent::Files>("Files"), Prop<&TvkComponent::Registry>("Registry"),
         Prop<&TvkComponent::IniFiles>("IniFiles"), Prop<&TvkComponent::Shortcuts>("Shortcuts"),
         Prop<&TvkComponent::RunApps>("RunApps")},
        Construct<TvkComponent>);
    return info;
}

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

const TClassInfo& TvkComponents::StaticClass() {
    static const TClassInfo info("TvkComponents", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkComponents>);
    return info;
}

const TClassInfo& TvkComponents::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkFeature::StaticClass() {
    static const TClassInfo info(
        "TvkFeature", &TvkConditionObject::StaticClass(),
        {Prop<&TvkFeature::ID>("ID"), Prop<&TvkFeature::Name>("Name"),
         Prop<&TvkFeature::Description>("Description"), Prop<&TvkFeature::Required>("Required"),
         Prop<&TvkFeature::Features>("Features"), Prop<&TvkFeature::Depends>("Depends"),
         Prop<&TvkFeature::Components>("Components")},
        Construct<TvkFeature>);
    return info;
}

const TClassInfo& TvkFeature::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkFeatures::StaticClass() {
    static const TClassInfo info("TvkFeatures", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkFeatures>);
    return info;
}

const TClassInfo& TvkFeatures::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkInstallType::StaticClass() {
    static const TClassInfo info(
        "TvkInstallType", &TvkConditionObject::StaticClass(),
        {Prop<&TvkInstallType::ID>("ID"), Prop<&TvkInstallType::Name>("Name"),
         Prop<&TvkInstallType::Description>("Description"),
         Prop<&TvkInstallType::Default>("Default"), Prop<&TvkInstallType::Custom>("Custom"),
         Prop<&TvkInstallType::Features>("Features")},
        Construct<TvkInstallType>);
    return info;
}

const TClassInfo& TvkInstallType::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkInstallTypes::StaticClass() {
    static const TClassInfo info("TvkInstallTypes", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkInstallTypes>);
    return info;
}

const TClassInfo& TvkInstallTypes::ClassType() const {
    return StaticClass();
}

// Variables

const TClassInfo& TvkVariable::StaticClass() {
    static const TClassInfo info(
        "TvkVariable", &TvkConditionObject::StaticClass(),
        {Prop<&TvkVariable::Name>("Name"), Prop<&TvkVariable::Value>("Value"),
         Prop<&TvkVariable::DefValue>("DefValue"), Prop<&TvkVariable::RegKey>("RegKey"),
         Prop<&TvkVariable::RegParam>("RegParam"), Prop<&TvkVariable::IniFile>("IniFile"),
         Prop<&TvkVariable::IniSection>("IniSection"), Prop<&TvkVariable::IniParam>("IniParam"),
         Prop<&TvkVariable::VarType>("VarType")},
        Construct<TvkVariable>);
    return info;
}

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

const TClassInfo& TvkVariables::StaticClass() {
    static const TClassInfo info("TvkVariables", &TXMLParamList::StaticClass(), {},
                                 Construct<TvkVariables>);
    return info;
}

const TClassInfo& TvkVariables::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkVariables::ParamClass() const {
    return TvkVariable::StaticClass();
}

// Plug-ins and their inline configuration

const TClassInfo& TvkParam::StaticClass() {
    static const TClassInfo info("TvkParam", &TXMLObject::StaticClass(),
                                 {Prop<&TvkParam::Name>("Name"), Prop<&TvkParam::Value>("Value")},
                                 Construct<TvkParam>);
    return info;
}

const TClassInfo& TvkParam::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkParamGroup::StaticClass() {
    static const TClassInfo info("TvkParamGroup", &TXMLObjectList::StaticClass(),
                                 {Prop<&TvkParamGroup::Name>("Name")}, Construct<TvkParamGroup>);
    return info;
}

const TClassInfo& TvkParamGroup::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkPluginSimpleConfig::StaticClass() {
    static const TClassInfo info("TvkPluginSimpleConfig", &TXMLObjectList::StaticClass(),
                                 {Prop<&TvkPluginSimpleConfig::ParamGroup>("ParamGroup")},
                                 Construct<TvkPluginSimpleConfig>);
    return info;
}

const TClassInfo& TvkPluginSimpleConfig::ClassType() const {
    return StaticClass();
}

TvkPlugin::TvkPlugin(TXMLObject* owner)
    : TvkConditionObject(owner), Config(std::make_unique<TvkPluginSimpleConfig>(this)) {}

const TClassInfo& TvkPlugin::StaticClass() {
    static const TClassInfo info(
        "TvkPlugin", &TvkConditionObject::StaticClass(),
        {Prop<&TvkPlugin::ID>("ID"), Prop<&TvkPlugin::ConfigFile>("ConfigFile"),
         Prop<&TvkPlugin::DebugDll>("DebugDll"), Prop<&TvkPlugin::Config>("Config")},
        Construct<TvkPlugin>);
    return info;
}

const TClassInfo& TvkPlugin::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkPlugins::StaticClass() {
    static const TClassInfo info("TvkPlugins", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkPlugins>);
    return info;
}

const TClassInfo& TvkPlugins::ClassType() const {
    return StaticClass();
}

// Packages and the main database

const TClassInfo& TvkFileInfo::StaticClass() {
    static const TClassInfo info(
        "TvkFileInfo", &TXMLObject::StaticClass(),
        {Prop<&TvkFileInfo::Name>("Name"), Prop<&TvkFileInfo::Size>("Size"),
         Prop<&TvkFileInfo::Version>("Version"), Prop<&TvkFileInfo::FontName>("FontName")},
        Construct<TvkFileInfo>);
    return info;
}

const TClassInfo& TvkFileInfo::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkFileInfos::StaticClass() {
    static const TClassInfo info("TvkFileInfos", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkFileInfos>);
    return info;
}

const TClassInfo& TvkFileInfos::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkPackage::StaticClass() {
    static const TClassInfo info(
        "TvkPackage", &TXMLObject::StaticClass(),
        {Prop<&TvkPackage::FileName>("FileName"), Prop<&TvkPackage::Components>("Components"),
         Prop<&TvkPackage::Plugins>("Plugins"), Prop<&TvkPackage::Variables>("Variables"),
         Prop<&TvkPackage::FileInfos>("FileInfos")},
        Construct<TvkPackage>);
    return info;
}

const TClassInfo& TvkPackage::ClassType() const {
    return StaticClass();
}

const TClassInfo& TvkPackages::StaticClass() {
    static const TClassInfo info("TvkPackages", &TXMLObjectList::StaticClass(), {},
                                 Construct<TvkPackages>);
    return info;
}

const TClassInfo& TvkPackages::ClassType() const {
    return StaticClass();
}

TvkMainDatabase::TvkMainDatabase(TXMLObject* owner)
    : TXMLObject(owner), Variables(std::make_unique<TvkVariables>(this)),
      Packages(std::make_unique<TvkPackages>(this)) {}

const TClassInfo& TvkMainDatabase::StaticClass() {
    static const TClassInfo info("TvkMainDatabase", &TXMLObject::StaticClass(),
                                 {Prop<&TvkMainDatabase::Version>("Version"),
                                  Prop<&TvkMainDatabase::Variables>("Variables"),
                                  Prop<&TvkMainDatabase::Packages>("Packages"),
                                  Prop<&TvkMainDatabase::Components>("Components"),
                                  Prop<&TvkMainDatabase::Features>("Features"),
                                  Prop<&TvkMainDatabase::InstallTypes>("InstallTypes")},
                                 Construct<TvkMainDatabase>);
    return info;
}

const TClassInfo& TvkMainDatabase::ClassType() const {
    return StaticClass();
}

} // namespace velk
