#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/epXMLObject.h"

namespace velk {

// The install database: what to install (components and their actions), how it is offered
// (features, install types), variables, plug-ins and the packages that carry the content.

// While off, every condition counts as true; start-up turns it on once variables exist.
extern bool ConditionsEnabled;
// The expression evaluator's truth value of a condition; null until one is installed.
using TConditionEvaluator = bool (*)(const std::string& condition);
extern TConditionEvaluator ConditionEvaluator;

class TvkConditionObject : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // Whether the object takes part; the condition is evaluated anew on every call.
    bool IsActive() const;

    std::string Condition;
};

enum class TvkFlag : uint8_t {
    DontLog,
    NoVersion,
    RegServer,
    RegFont,
    DontAsk,
    DontOverwrite,
    External,
    Shared,
    DontWait
};
using TvkFlags = TEnumSet<TvkFlag, uint16_t>;
const TEnumType& EnumTypeOf(TvkFlag);

enum class TvkAction : uint8_t { Add, Remove };
const TEnumType& EnumTypeOf(TvkAction);

enum class TvkRegType : uint8_t { Str, Int, Bin };
const TEnumType& EnumTypeOf(TvkRegType);

enum class TvkShowCmd : uint8_t { scNormal, scMin, scMax, scHide };
const TEnumType& EnumTypeOf(TvkShowCmd);

enum class TvkWhenStart : uint8_t { AfterInstall, BeforeInstall, BeforeUninstall, AfterUninstall };
const TEnumType& EnumTypeOf(TvkWhenStart);

enum class TvkVarType : uint8_t { vtNormal, vtReg, vtIni };
const TEnumType& EnumTypeOf(TvkVarType);

// Base of the install actions a component carries.
class TvkActionObject : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    TvkFlags Flags;
    TvkAction Action = TvkAction::Add;
};

class TvkFile : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string Src;
    std::string Dst;
};

// The attribute "type" holds ParamType.
class TvkReg : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;

    std::string Key;
    std::string Param;
    std::string Value;
    TvkRegType ParamType = TvkRegType::Str;
};

// The attribute "file" holds IniFile.
class TvkIni : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;

    std::string IniFile;
    std::string Section;
    std::string Param;
    std::string Value;
};

class TvkShortcut : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    std::string EnumPrefix(const std::string& propName) const override;

    std::string Name;
    std::string CmdLine;
    std::string Arg;
    std::string WorkDir;
    std::string IconFile;
    std::string Description;
    TvkShowCmd ShowCmd = TvkShowCmd::scNormal;
    int32_t Icon = 0;
    int32_t Hotkey = 0;
};

class TvkRunApp : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    std::string EnumPrefix(const std::string& propName) const override;

    std::string CmdLine;
    std::string Arg;
    std::string WorkDir;
    std::string Msg;
    TvkShowCmd ShowCmd = TvkShowCmd::scNormal;
    TvkWhenStart WhenStart = TvkWhenStart::AfterInstall;
};

inline constexpr char kFileTag[] = "file";
inline constexpr char kRegTag[] = "reg";
inline constexpr char kIniTag[] = "ini";
inline constexpr char kShortcutTag[] = "shortcut";
inline constexpr char kRunAppTag[] = "runapp";
inline constexpr char kComponentTag[] = "component";
inline constexpr char kFeatureTag[] = "feature";
inline constexpr char kInstallTypeTag[] = "installtype";
inline constexpr char kVarTag[] = "var";
inline constexpr char kPluginTag[] = "plugin";
inline constexpr char kFileInfoTag[] = "fileinfo";
inline constexpr char kPackageTag[] = "package";
inline constexpr char kParamGroupTag[] = "paramgroup";
inline constexpr char kParamTag[] = "param";

class TvkFiles : public TXMLListOf<TvkFile, kFileTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

class TvkRegistry : public TXMLListOf<TvkReg, kRegTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

class TvkIniFiles : public TXMLListOf<TvkIni, kIniTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

class TvkShortcuts : public TXMLListOf<TvkShortcut, kShortcutTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

class TvkRunApps : public TXMLListOf<TvkRunApp, kRunAppTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

// In the main database a stub (identity, display, package); in a package database the actions.
class TvkComponent : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    const std::string& ID() const { return id_; }
    // A new ID also becomes the Name while there is none.
    void SetID(std::string_view id);

    std::string Name;
    // FileName of the package with the content; empty for the setup program's own package.
    std::string Package;
    std::unique_ptr<TvkFiles> Files;
    std::unique_ptr<TvkRegistry> Registry;
    std::unique_ptr<TvkIniFiles> IniFiles;
    std::unique_ptr<TvkShortcuts> Shortcuts;
    std::unique_ptr<TvkRunApps> RunApps;

    // Run time: taken for installation.
    bool Selected = false;

private:
    std::string id_;
};

class TvkComponents : public TXMLListOf<TvkComponent, kComponentTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

class TvkFeatures;

class TvkFeature : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // 0 not selected, 1 selected, 2 selected with only some sub-features selected.
    int State() const { return Selected ? (Partial ? 2 : 1) : 0; }
    // Selects or deselects an active feature and its whole active sub-tree.
    void SetSelected(bool value);
    // Brings the state in line with the sub-features and returns it; 0 when inactive.
    int UpdateState();

    std::string ID;
    std::string Name;
    std::string Description;
    bool Required = false;
    std::unique_ptr<TvkFeatures> Features;
    // References to other features by ID; kept, not acted on.
    std::unique_ptr<TvkFeatures> Depends;
    // References to main database components by ID.
    std::unique_ptr<TvkComponents> Components;

    bool Selected = false;
    bool Partial = false;
};

class TvkFeatures : public TXMLListOf<TvkFeature, kFeatureTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    TvkFeature* FirstActive(int from) const;
    // Depth-first search of the active tree for id (empty: the first active feature). parent
    // receives the feature whose list holds the result (untouched when that is this list); next
    // receives the following active feature in pre-order, or null.
    TvkFeature* FindFeature(std::string_view id, TvkFeature** parent = nullptr,
                            TvkFeature** next = nullptr) const;
    // Updates every feature and returns 0 or 1 when all agree, else 2; 0 when empty.
    int CombinedState() const;
};

class TvkInstallType : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string ID;
    std::string Name;
    std::string Description;
    bool Default = false;
    bool Custom = false;
    // References to features by ID.
    std::unique_ptr<TvkFeatures> Features;
};

class TvkInstallTypes : public TXMLListOf<TvkInstallType, kInstallTypeTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    TvkInstallType* FirstActive(int from) const;
    // The first active install type named id (empty: the first active one); next receives the
    // first active one after it, or null.
    TvkInstallType* FindInstallType(std::string_view id, TvkInstallType** next = nullptr) const;
};

// The attribute "type" holds VarType.
class TvkVariable : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;
    std::string EnumPrefix(const std::string& propName) const override;
    // Predefined variables are never written, so never copied either.
    bool CanSave(const TXMLTag& tag) const override;

    std::string Name;
    std::string Value;
    std::string DefValue;
    std::string RegKey;
    std::string RegParam;
    std::string IniFile;
    std::string IniSection;
    std::string IniParam;
    TvkVarType VarType = TvkVarType::vtNormal;

    // Run time: created by the system itself.
    bool Predefined = false;
};

class TvkVariables : public TXMLListOf<TvkVariable, kVarTag, TXMLParamList> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
    const TClassInfo& ParamClass() const override;
    // The first active variable named name (ignoring case), or null.
    TvkVariable* FindParam(std::string_view name) const override;
};

class TvkParam : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string Name;
    std::string Value;
};

class TvkParamGroup : public TXMLListOf<TvkParam, kParamTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string Name;
};

// Inline configuration of a plug-in without a configuration file.
class TvkPluginSimpleConfig : public TXMLListOf<TvkParamGroup, kParamGroupTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // Value of param name in group (names ignoring case), or def.
    std::string GetParam(std::string_view group, std::string_view name, std::string_view def) const;
    std::vector<std::string> GroupNames() const;
    // Names of the group's params; empty when there is no such group.
    std::vector<std::string> ParamNames(std::string_view group) const;

    // Published but never filled: a list reads child elements as items only.
    std::unique_ptr<TvkParamGroup> ParamGroup;
};

class TvkPlugin : public TvkConditionObject {
public:
    // Every plug-in has a Config, empty without a "config" element.
    explicit TvkPlugin(TXMLObject* owner);
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string ID;
    std::string ConfigFile;
    std::string DebugDll;
    std::unique_ptr<TvkPluginSimpleConfig> Config;
};

class TvkPlugins : public TXMLListOf<TvkPlugin, kPluginTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;
};

// Facts about one file of a package, below its "files\" folder.
class TvkFileInfo : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    std::string Name;
    int32_t Size = 0;
    std::string Version;
    std::string FontName;
};

class TvkFileInfos : public TXMLListOf<TvkFileInfo, kFileInfoTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // The first entry whose Name equals name ignoring case, or null.
    TvkFileInfo* FindFileInfo(std::string_view name) const;
};

class TvkPackage : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // Package name without extension: the key components name their package by.
    std::string FileName;
    std::unique_ptr<TvkComponents> Components;
    std::unique_ptr<TvkPlugins> Plugins;
    std::unique_ptr<TvkVariables> Variables;
    std::unique_ptr<TvkFileInfos> FileInfos;

    // Run time, from locating and preparing the package file.
    std::string FilePath;
    std::string Folder; // with a trailing backslash
    bool Needed = false;
    bool Prepared = false;
    uint32_t PresetupSize = 0;
    uint32_t FilesSize = 0;
};

class TvkPackages : public TXMLListOf<TvkPackage, kPackageTag> {
public:
    using TXMLListOf::TXMLListOf;
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // The first package whose FileName equals name ignoring case, or null.
    TvkPackage* FindPackage(std::string_view name) const;
};

// The root of the main database. It is created with its Variables and Packages lists; the
// other lists appear when a document is loaded.
class TvkMainDatabase : public TXMLObject {
public:
    explicit TvkMainDatabase(TXMLObject* owner);
    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    // Makes the active install type id current: deselects every feature, selects the ones it
    // names and reports the change. False (and nothing changed) for an unknown or inactive id.
    bool SelectInstallType(std::string_view id);
    // Selects or deselects feature id (a required one stays selected); true when its selection
    // now equals value.
    bool SetFeatureSelected(std::string_view id, bool value);

    std::string Version;
    std::unique_ptr<TvkVariables> Variables;
    std::unique_ptr<TvkPackages> Packages;
    std::unique_ptr<TvkComponents> Components;
    std::unique_ptr<TvkFeatures> Features;
    std::unique_ptr<TvkInstallTypes> InstallTypes;

    std::function<void(TvkInstallType&)> OnInstallTypeChange;
    // Called for every feature whose state changes.
    std::function<void(TvkFeature&)> OnFeatureChange;
};

} // namespace velk
