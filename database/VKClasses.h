#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
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
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // Whether the object takes part; the condition is evaluated anew on every call.
    bool IsActive() const;

    TRareString Condition;

private:
    static const TClassInfo Info;
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
extern const TEnumType TvkFlagType;
constexpr const TEnumType& EnumTypeOf(TvkFlag) {
    return TvkFlagType;
}

enum class TvkAction : uint8_t { Add, Remove };
extern const TEnumType TvkActionType;
constexpr const TEnumType& EnumTypeOf(TvkAction) {
    return TvkActionType;
}

enum class TvkRegType : uint8_t { Str, Int, Bin };
extern const TEnumType TvkRegTypeType;
constexpr const TEnumType& EnumTypeOf(TvkRegType) {
    return TvkRegTypeType;
}

enum class TvkShowCmd : uint8_t { scNormal, scMin, scMax, scHide };
extern const TEnumType TvkShowCmdType;
constexpr const TEnumType& EnumTypeOf(TvkShowCmd) {
    return TvkShowCmdType;
}

enum class TvkWhenStart : uint8_t { AfterInstall, BeforeInstall, BeforeUninstall, AfterUninstall };
extern const TEnumType TvkWhenStartType;
constexpr const TEnumType& EnumTypeOf(TvkWhenStart) {
    return TvkWhenStartType;
}

enum class TvkVarType : uint8_t { vtNormal, vtReg, vtIni };
extern const TEnumType TvkVarTypeType;
constexpr const TEnumType& EnumTypeOf(TvkVarType) {
    return TvkVarTypeType;
}

// Base of the install actions a component carries.
class TvkActionObject : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    TvkFlags Flags;
    TvkAction Action = TvkAction::Add;

private:
    static const TClassInfo Info;
};

class TvkFile : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string Src;
    std::string Dst;

private:
    static const TClassInfo Info;
};

// The attribute "type" holds ParamType.
class TvkReg : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;

    std::string Key;
    std::string Param;
    std::string Value;
    TvkRegType ParamType = TvkRegType::Str;

private:
    static const TClassInfo Info;
};

// The attribute "file" holds IniFile.
class TvkIni : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;

    std::string IniFile;
    std::string Section;
    std::string Param;
    std::string Value;

private:
    static const TClassInfo Info;
};

class TvkShortcut : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
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

private:
    static const TClassInfo Info;
};

class TvkRunApp : public TvkActionObject {
public:
    using TvkActionObject::TvkActionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;
    std::string EnumPrefix(const std::string& propName) const override;

    std::string CmdLine;
    std::string Arg;
    std::string WorkDir;
    std::string Msg;
    TvkShowCmd ShowCmd = TvkShowCmd::scNormal;
    TvkWhenStart WhenStart = TvkWhenStart::AfterInstall;

private:
    static const TClassInfo Info;
};

// Lists name their item class and item element in their TClassInfo.

class TvkFiles : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkFile)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

class TvkRegistry : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkReg)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

class TvkIniFiles : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkIni)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

class TvkShortcuts : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkShortcut)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

class TvkRunApps : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkRunApp)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

// In the main database a stub (identity, display, package); in a package database the actions.
// Most components are stubs or references, so their action lists are created on first use.
class TvkComponent : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    const std::string& ID() const { return id_; }
    // A new ID also becomes the Name while there is none.
    void SetID(std::string_view id);

    std::string Name;
    // FileName of the package with the content; empty for the setup program's own package.
    std::string Package;
    TLazyList<TvkFiles> Files{this};
    TLazyList<TvkRegistry> Registry{this};
    TLazyList<TvkIniFiles> IniFiles{this};
    TLazyList<TvkShortcuts> Shortcuts{this};
    TLazyList<TvkRunApps> RunApps{this};

    // Run time: taken for installation.
    bool Selected = false;

private:
    friend struct TvkComponentLayout;
    static const TClassInfo Info;

    std::string id_;
};

class TvkComponents : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkComponent)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

class TvkFeatures;

class TvkFeature : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
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
    TOwned<TvkFeatures> Features;
    // References to other features by ID; kept, not acted on.
    TOwned<TvkFeatures> Depends;
    // References to main database components by ID.
    TOwned<TvkComponents> Components;
    bool Required = false;

    bool Selected = false;
    bool Partial = false;

private:
    static const TClassInfo Info;
};

class TvkFeatures : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkFeature)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    TvkFeature* FirstActive(int from) const;
    // Depth-first search of the active tree for id (empty: the first active feature). parent
    // receives the feature whose list holds the result (untouched when that is this list); next
    // receives the following active feature in pre-order, or null.
    TvkFeature* FindFeature(std::string_view id, TvkFeature** parent = nullptr,
                            TvkFeature** next = nullptr) const;
    // Updates every feature and returns 0 or 1 when all agree, else 2; 0 when empty.
    int CombinedState() const;

private:
    static const TClassInfo Info;
};

class TvkInstallType : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string ID;
    std::string Name;
    std::string Description;
    // References to features by ID.
    TOwned<TvkFeatures> Features;
    bool Default = false;
    bool Custom = false;

private:
    static const TClassInfo Info;
};

class TvkInstallTypes : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkInstallType)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    TvkInstallType* FirstActive(int from) const;
    // The first active install type named id (empty: the first active one); next receives the
    // first active one after it, or null.
    TvkInstallType* FindInstallType(std::string_view id, TvkInstallType** next = nullptr) const;

private:
    static const TClassInfo Info;
};

// The name of a variable. Once the name index of TvkVariables has taken it in, every assignment
// is counted, so that the index notices the rename; the string's other modifiers are closed.
class TvkVariableName : public std::string {
public:
    TvkVariableName() = default;
    TvkVariableName(const TvkVariableName&) = delete;
    TvkVariableName& operator=(const TvkVariableName& name) {
        return *this = static_cast<const std::string&>(name);
    }
    template <class T> TvkVariableName& operator=(T&& name) {
        std::string::operator=(std::forward<T>(name));
        if (indexed_)
            ++renames_;
        return *this;
    }

private:
    friend class TvkVariables;

    using std::string::append;
    using std::string::assign;
    using std::string::clear;
    using std::string::erase;
    using std::string::insert;
    using std::string::operator+=;
    using std::string::pop_back;
    using std::string::push_back;
    using std::string::replace;
    using std::string::resize;
    using std::string::swap;

    static inline uint32_t renames_ = 0;
    mutable bool indexed_ = false;
};

// The attribute "type" holds VarType. The sources of "reg" and "ini" variables are rarely set,
// so they take a word each while empty.
class TvkVariable : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;
    std::string XmlToPropName(const std::string& name, bool isElement) const override;
    std::string PropToXmlName(const std::string& name, bool isElement) const override;
    std::string EnumPrefix(const std::string& propName) const override;
    // Predefined variables are never written, so never copied either.
    bool CanSave(const TXMLTag& tag) const override;

    TvkVariableName Name;
    std::string Value;
    TRareString DefValue;
    TRareString RegKey;
    TRareString RegParam;
    TRareString IniFile;
    TRareString IniSection;
    TRareString IniParam;
    TvkVarType VarType = TvkVarType::vtNormal;

    // Run time: created by the system itself.
    bool Predefined = false;

private:
    static const TClassInfo Info;
};

class TvkVariables : public TXMLParamList {
public:
    using TXMLParamList::TXMLParamList;
    VELK_LIST_OF(TvkVariable)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;
    // The first active variable named name (ignoring case), or null.
    TvkVariable* FindParam(std::string_view name) const override;

private:
    static const TClassInfo Info;

    // Brings the name index in line with the list.
    void UpdateIndex() const;
    // The first variable named name from position from on, conditions consulted, by a scan.
    TvkVariable* Scan(int from, std::string_view name) const;

    // Name index: an open-addressing table of positions, probed linearly from the hash of the
    // name, so that the variables of one name follow each other in list order. It covers the
    // first indexed_ variables; the others were appended since and are taken in on demand.
    mutable std::vector<int32_t> slots_;
    mutable int indexed_ = 0;
    // What the index was built on; a change of either makes it start again.
    mutable uint32_t removals_ = 0;
    mutable uint32_t renames_ = 0;
    // Counts index updates, so a lookup sees one made by a condition it evaluates.
    mutable uint32_t updates_ = 0;
};

class TvkParam : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string Name;
    std::string Value;

private:
    static const TClassInfo Info;
};

class TvkParamGroup : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkParam)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string Name;

private:
    static const TClassInfo Info;
};

// Inline configuration of a plug-in without a configuration file.
class TvkPluginSimpleConfig : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkParamGroup)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // Value of param name in group (names ignoring case), or def.
    std::string GetParam(std::string_view group, std::string_view name, std::string_view def) const;
    std::vector<std::string> GroupNames() const;
    // Names of the group's params; empty when there is no such group.
    std::vector<std::string> ParamNames(std::string_view group) const;

    // Published but never filled: a list reads child elements as items only.
    TLazyList<TvkParamGroup> ParamGroup{this};

private:
    static const TClassInfo Info;
};

class TvkPlugin : public TvkConditionObject {
public:
    using TvkConditionObject::TvkConditionObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string ID;
    std::string ConfigFile;
    std::string DebugDll;
    // Every plug-in has a Config, empty without a "config" element.
    TLazyList<TvkPluginSimpleConfig> Config{this};

private:
    static const TClassInfo Info;
};

class TvkPlugins : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkPlugin)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

private:
    static const TClassInfo Info;
};

// Facts about one file of a package, below its "files\" folder.
class TvkFileInfo : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    std::string Name;
    int32_t Size = 0;
    std::string Version;
    std::string FontName;

private:
    static const TClassInfo Info;
};

class TvkFileInfos : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkFileInfo)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // The first entry whose Name equals name ignoring case, or null.
    TvkFileInfo* FindFileInfo(std::string_view name) const;

private:
    static const TClassInfo Info;
};

class TvkPackage : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // Package name without extension: the key components name their package by.
    std::string FileName;
    TOwned<TvkComponents> Components;
    TOwned<TvkPlugins> Plugins;
    TOwned<TvkVariables> Variables;
    TOwned<TvkFileInfos> FileInfos;

    // Run time, from locating and preparing the package file.
    std::string FilePath;
    std::string Folder; // with a trailing backslash
    bool Needed = false;
    bool Prepared = false;
    uint32_t PresetupSize = 0;
    uint32_t FilesSize = 0;

private:
    static const TClassInfo Info;
};

class TvkPackages : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TvkPackage)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // The first package whose FileName equals name ignoring case, or null.
    TvkPackage* FindPackage(std::string_view name) const;

private:
    static const TClassInfo Info;
};

// The root of the main database. It is created with its Variables and Packages lists; the
// other lists appear when a document is loaded.
class TvkMainDatabase : public TXMLObject {
public:
    explicit TvkMainDatabase(TXMLObject* owner);
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // Makes the active install type id current: deselects every feature, selects the ones it
    // names and reports the change. False (and nothing changed) for an unknown or inactive id.
    bool SelectInstallType(std::string_view id);
    // Selects or deselects feature id (a required one stays selected); true when its selection
    // now equals value.
    bool SetFeatureSelected(std::string_view id, bool value);

    std::string Version;
    TOwned<TvkVariables> Variables;
    TOwned<TvkPackages> Packages;
    TOwned<TvkComponents> Components;
    TOwned<TvkFeatures> Features;
    TOwned<TvkInstallTypes> InstallTypes;

    std::function<void(TvkInstallType&)> OnInstallTypeChange;
    // Called for every feature whose state changes.
    std::function<void(TvkFeature&)> OnFeatureChange;

private:
    static const TClassInfo Info;
};

} // namespace velk
