#include "database/VKClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/StrUtils.h"

namespace velk {
namespace {

const char kMainDatabase[] = R"(<?xml version="1.0"?>
<!-- main database -->
<setup version="2.1">
  <variables>
    <var name="AppName" value="Demo  App"/>
    <var name="InstallDir" value="%ProgramFiles%\Demo" type="reg" regkey="HKLM\Software\Demo"
         regparam="Path" defvalue="C:\Demo"/>
  </variables>
  <packages>
    <package filename="extras"/>
  </packages>
  <components>
    <component id="core" name="Core files" condition="1"/>
    <component id="docs" package="extras"/>
  </components>
  <features>
    <feature id="main" name="Main" required="1">
      <components><component id="core"/></components>
      <features>
        <feature id="help" description="Help files">
          <depends><feature id="main"/></depends>
          <components><component id="docs"/></components>
        </feature>
      </features>
    </feature>
  </features>
  <installtypes>
    <installtype id="typical" name="Typical" default="1">
      <features><feature id="main"/></features>
    </installtype>
    <installtype id="custom" custom="1"/>
  </installtypes>
</setup>)";

const char kPackageDatabase[] = R"(<package filename="extras">
  <components>
    <component id="docs">
      <files>
        <file src="doc\a.txt" dst="%InstallDir%\a.txt" flags="shared, dont_ask"/>
        <file src="doc\b.txt" dst="%InstallDir%\b.txt" action="remove"/>
      </files>
      <registry><reg key="HKLM\Software\Demo" param="Docs" value="1" type="int"/></registry>
      <inifiles><ini file="demo.ini" section="Docs" param="Path" value="%InstallDir%"/></inifiles>
      <shortcuts>
        <shortcut name="Readme" cmdline="%InstallDir%\a.txt" showcmd="MAX" icon="2" hotkey="$41"/>
      </shortcuts>
      <runapps><runapp cmdline="notepad.exe" whenstart="before_uninstall" showcmd="hide"/></runapps>
    </component>
  </components>
  <plugins>
    <plugin id="wizard" debugdll="wizard_d.dll">
      <config>
        <paramgroup name="Colors"><param name="Back" value="white"/><param name="Fore" value="black"/></paramgroup>
        <paramgroup name="Sizes"><param name="Width" value="640"/></paramgroup>
      </config>
    </plugin>
    <plugin id="plain" configfile="plain.ini"/>
  </plugins>
  <variables><var name="PkgVar" value="p"/></variables>
  <fileinfos>
    <fileinfo name="doc\a.txt" size="1234" version="1.2.3.4"/>
    <fileinfo name="fonts\x.ttf" fontname="X Sans"/>
  </fileinfos>
</package>)";

std::unique_ptr<TXMLTag> ParseXml(std::string_view text) {
    auto tag = std::make_unique<TXMLTag>();
    tag->Parse(text);
    return tag;
}

// Elements as name[attr,attr](children), text and comment nodes left out.
std::string Dump(const TXMLTag& tag) {
    std::string out = tag.Name;
    if (!tag.Attributes.empty()) {
        out += "[";
        for (size_t i = 0; i < tag.Attributes.size(); ++i)
            out += (i ? "," : "") + tag.Attributes[i];
        out += "]";
    }
    std::string children;
    for (const auto& child : tag.Children)
        if (child->Kind == TXMLTagKind::Element)
            children += (children.empty() ? "" : " ") + Dump(*child);
    return children.empty() ? out : out + "(" + children + ")";
}

template <class T> std::string Written(const T& obj, const char* name) {
    TXMLTag tag;
    tag.SetName(name);
    obj.AssignTo(tag);
    return Dump(tag);
}

template <class T> std::unique_ptr<T> Loaded(std::string_view xml) {
    auto obj = std::make_unique<T>(nullptr);
    obj->Assign(*ParseXml(xml));
    return obj;
}

// Conditions "0" and "" are false; every other condition is true. Counts the evaluations.
int evaluations = 0;
bool EvaluateForTest(const std::string& condition) {
    ++evaluations;
    return condition != "0";
}

class VKClassesTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = XMLParserOptions;
        XMLParserOptions.KeepValueSpaces = true;
        evaluations = 0;
    }
    void TearDown() override {
        XMLParserOptions = saved_;
        ConditionsEnabled = false;
        ConditionEvaluator = nullptr;
    }
    void EnableConditions() {
        ConditionsEnabled = true;
        ConditionEvaluator = EvaluateForTest;
    }

private:
    TXMLParserOptions saved_;
};

TEST_F(VKClassesTest, MainDatabaseMergesIntoTheObjectsThatExist) {
    TvkMainDatabase db(nullptr);
    TvkVariables* variables = db.Variables.get();
    TvkPackages* packages = db.Packages.get();
    TvkPackage* setup = packages->AddNew();
    setup->FileName = "setup";
    setup->Needed = true;
    db.Variables->SetParam("SrcDir", "C:\\src");

    db.Merge(*ParseXml(kMainDatabase));

    EXPECT_EQ(db.Version, "2.1");
    EXPECT_EQ(db.Variables.get(), variables);
    ASSERT_EQ(variables->Count(), 3);
    EXPECT_EQ(variables->Items(0)->Name, "SrcDir");
    EXPECT_EQ(variables->Items(1)->Value, "Demo  App");
    const TvkVariable* dir = variables->Items(2);
    EXPECT_EQ(dir->VarType, TvkVarType::vtReg);
    EXPECT_EQ(dir->RegKey, "HKLM\\Software\\Demo");
    EXPECT_EQ(dir->RegParam, "Path");
    EXPECT_EQ(dir->DefValue, "C:\\Demo");
    EXPECT_EQ(dir->Owner(), variables);

    EXPECT_EQ(db.Packages.get(), packages);
    ASSERT_EQ(packages->Count(), 2);
    EXPECT_EQ(packages->Items(0), setup);
    EXPECT_TRUE(setup->Needed);
    EXPECT_EQ(packages->Items(1)->FileName, "extras");
    EXPECT_NE(packages->Items(1)->Components, nullptr);

    ASSERT_EQ(db.Components->Count(), 2);
    EXPECT_EQ(db.Components->Items(0)->Name, "Core files");
    EXPECT_EQ(db.Components->Items(0)->Condition, "1");
    EXPECT_EQ(db.Components->Items(1)->Name, "docs");
    EXPECT_EQ(db.Components->Items(1)->Package, "extras");

    ASSERT_EQ(db.Features->Count(), 1);
    const TvkFeature* main = db.Features->Items(0);
    EXPECT_TRUE(main->Required);
    EXPECT_EQ(main->Components->Items(0)->ID(), "core");
    const TvkFeature* help = main->Features->Items(0);
    EXPECT_EQ(help->Description, "Help files");
    EXPECT_EQ(help->Depends->Items(0)->ID, "main");
    EXPECT_EQ(help->Features->Count(), 0);
    EXPECT_EQ(help->Owner(), main->Features.get());

    ASSERT_EQ(db.InstallTypes->Count(), 2);
    EXPECT_TRUE(db.InstallTypes->Items(0)->Default);
    EXPECT_EQ(db.InstallTypes->Items(0)->Features->Items(0)->ID, "main");
    EXPECT_TRUE(db.InstallTypes->Items(1)->Custom);
    EXPECT_EQ(db.InstallTypes->Items(1)->Features->Count(), 0);
}

TEST_F(VKClassesTest, PackageDatabaseMergesIntoThePackage) {
    TvkPackage package(nullptr);
    package.FileName = "EXTRAS";
    package.Merge(*ParseXml(kPackageDatabase));
    EXPECT_EQ(package.FileName, "extras");

    const TvkComponent* docs = package.Components->Items(0);
    ASSERT_EQ(docs->Files->Count(), 2);
    const TvkFile* a = docs->Files->Items(0);
    EXPECT_EQ(a->Src, "doc\\a.txt");
    EXPECT_EQ(a->Dst, "%InstallDir%\\a.txt");
    EXPECT_TRUE(a->Flags.Contains(TvkFlag::Shared));
    EXPECT_TRUE(a->Flags.Contains(TvkFlag::DontAsk));
    EXPECT_FALSE(a->Flags.Contains(TvkFlag::DontLog));
    EXPECT_EQ(a->Action, TvkAction::Add);
    EXPECT_EQ(docs->Files->Items(1)->Action, TvkAction::Remove);

    const TvkReg* reg = docs->Registry->Items(0);
    EXPECT_EQ(reg->ParamType, TvkRegType::Int);
    EXPECT_EQ(reg->Value, "1");
    const TvkIni* ini = docs->IniFiles->Items(0);
    EXPECT_EQ(ini->IniFile, "demo.ini");
    EXPECT_EQ(ini->Section, "Docs");
    const TvkShortcut* shortcut = docs->Shortcuts->Items(0);
    EXPECT_EQ(shortcut->ShowCmd, TvkShowCmd::scMax);
    EXPECT_EQ(shortcut->Icon, 2);
    EXPECT_EQ(shortcut->Hotkey, 0x41);
    const TvkRunApp* run = docs->RunApps->Items(0);
    EXPECT_EQ(run->WhenStart, TvkWhenStart::BeforeUninstall);
    EXPECT_EQ(run->ShowCmd, TvkShowCmd::scHide);

    ASSERT_EQ(package.Plugins->Count(), 2);
    const TvkPlugin* wizard = package.Plugins->Items(0);
    EXPECT_EQ(wizard->DebugDll, "wizard_d.dll");
    EXPECT_EQ(wizard->Config->GroupNames(), std::vector<std::string>({"Colors", "Sizes"}));
    EXPECT_EQ(wizard->Config->ParamNames("colors"), std::vector<std::string>({"Back", "Fore"}));
    EXPECT_EQ(wizard->Config->ParamNames("none"), std::vector<std::string>());
    EXPECT_EQ(wizard->Config->GetParam("SIZES", "width", "0"), "640");
    EXPECT_EQ(wizard->Config->GetParam("Sizes", "Height", "480"), "480");
    EXPECT_EQ(wizard->Config->GetParam("Other", "Width", "1"), "1");
    ASSERT_NE(wizard->Config->ParamGroup, nullptr);
    EXPECT_EQ(wizard->Config->ParamGroup->Count(), 0);
    const TvkPlugin* plain = package.Plugins->Items(1);
    EXPECT_EQ(plain->ConfigFile, "plain.ini");
    ASSERT_NE(plain->Config, nullptr);
    EXPECT_EQ(plain->Config->Count(), 0);

    EXPECT_EQ(package.Variables->FindParam("pkgvar")->Value, "p");
    const TvkFileInfo* info = package.FileInfos->FindFileInfo("DOC\\A.TXT");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Size, 1234);
    EXPECT_EQ(info->Version, "1.2.3.4");
    EXPECT_EQ(package.FileInfos->FindFileInfo("fonts\\x.ttf")->FontName, "X Sans");
    EXPECT_EQ(package.FileInfos->FindFileInfo("missing"), nullptr);
}

TEST_F(VKClassesTest, DocumentsSurviveARoundTripThroughTheTree) {
    auto db = Loaded<TvkMainDatabase>(kMainDatabase);
    std::string first = Written(*db, "setup");
    auto again = std::make_unique<TvkMainDatabase>(nullptr);
    TXMLTag tag;
    db->AssignTo(tag);
    again->Assign(tag);
    EXPECT_EQ(Written(*again, "setup"), first);

    auto package = Loaded<TvkPackage>(kPackageDatabase);
    std::string written = Written(*package, "package");
    TvkPackage copy(nullptr);
    copy.Assign(*package);
    EXPECT_EQ(Written(copy, "package"), written);
}

TEST_F(VKClassesTest, ActionsAreWrittenWithTheirOwnVocabulary) {
    auto package = Loaded<TvkPackage>(kPackageDatabase);
    const TvkComponent& docs = *package->Components->Items(0);
    EXPECT_EQ(Written(*docs.Files->Items(0), "file"),
              "file[action=add,dst=%InstallDir%\\a.txt,flags=dont_ask,shared,src=doc\\a.txt]");
    EXPECT_EQ(Written(*docs.Registry->Items(0), "reg"),
              "reg[action=add,key=HKLM\\Software\\Demo,param=Docs,type=int,value=1]");
    EXPECT_EQ(Written(*docs.IniFiles->Items(0), "ini"),
              "ini[action=add,file=demo.ini,param=Path,section=Docs,value=%InstallDir%]");
    EXPECT_EQ(Written(*docs.Shortcuts->Items(0), "shortcut"),
              "shortcut[action=add,cmdline=%InstallDir%\\a.txt,hotkey=65,icon=2,name=Readme,"
              "showcmd=max]");
    EXPECT_EQ(Written(*docs.RunApps->Items(0), "runapp"),
              "runapp[action=add,cmdline=notepad.exe,showcmd=hide,whenstart=before_uninstall]");
    EXPECT_EQ(Written(*package->Plugins->Items(0), "plugin"),
              "plugin[debugdll=wizard_d.dll,id=wizard](config(paramgroup[name=Colors]("
              "param[name=Back,value=white] param[name=Fore,value=black]) "
              "paramgroup[name=Sizes](param[name=Width,value=640])))");
}

TEST_F(VKClassesTest, AttributeTranslationsAndEnumerationPrefixes) {
    EXPECT_EQ(Loaded<TvkReg>("<reg type='bin'/>")->ParamType, TvkRegType::Bin);
    EXPECT_EQ(Written(*Loaded<TvkReg>("<reg TYPE='BIN'/>"), "reg"), "reg[action=add,type=bin]");
    EXPECT_EQ(Loaded<TvkIni>("<ini file='a.ini'/>")->IniFile, "a.ini");
    EXPECT_EQ(Loaded<TvkVariable>("<var name='x' type='reg'/>")->VarType, TvkVarType::vtReg);
    EXPECT_EQ(Written(*Loaded<TvkVariable>("<var name='x' type='Ini'/>"), "var"),
              "var[name=x,type=ini]");
    // Without the translation the property's own name is read as well.
    EXPECT_EQ(Loaded<TvkVariable>("<var vartype='reg'/>")->VarType, TvkVarType::vtReg);
    // The short name is read only through the prefix.
    EXPECT_EQ(Loaded<TvkVariable>("<var type='vtReg'/>")->VarType, TvkVarType::vtNormal);
    EXPECT_EQ(Loaded<TvkShortcut>("<shortcut showcmd='MAX'/>")->ShowCmd, TvkShowCmd::scMax);
    EXPECT_EQ(Loaded<TvkRunApp>("<runapp showcmd='min'/>")->ShowCmd, TvkShowCmd::scMin);
    EXPECT_EQ(Loaded<TvkRunApp>("<runapp whenstart='never'/>")->WhenStart,
              TvkWhenStart::AfterInstall);
}

TEST_F(VKClassesTest, FlagsKeepTheirNineMembersInOrder) {
    const TEnumType& flags = EnumTypeOf(TvkFlag{});
    std::vector<std::string> names(flags.Names, flags.Names + flags.Count);
    EXPECT_EQ(names, std::vector<std::string>({"dont_log", "no_version", "reg_server", "reg_font",
                                               "dont_ask", "dont_overwrite", "external", "shared",
                                               "dont_wait"}));
    auto file = Loaded<TvkFile>("<file flags='DONT_WAIT,dont_log, bogus'/>");
    EXPECT_EQ(file->Flags.Bits(), 0x101u);
    EXPECT_EQ(GetPropText(*file, "flags", ""), "dont_log,dont_wait");
}

TEST_F(VKClassesTest, BooleansAreTrueOnlyForOne) {
    EXPECT_FALSE(Loaded<TvkFeature>("<feature required='true'/>")->Required);
    EXPECT_TRUE(Loaded<TvkFeature>("<feature required='1'/>")->Required);
    EXPECT_EQ(Written(*Loaded<TvkFeature>("<feature id='f' required='yes'/>"), "feature"),
              "feature[id=f]");
}

TEST_F(VKClassesTest, ComponentIDFillsAnEmptyName) {
    EXPECT_EQ(Loaded<TvkComponent>("<component id='c1'/>")->Name, "c1");
    EXPECT_EQ(Loaded<TvkComponent>("<component name='n' id='c1'/>")->Name, "n");
    EXPECT_EQ(Loaded<TvkComponent>("<component id='c1' name='n'/>")->Name, "n");
    TvkComponent c(nullptr);
    c.SetID("a");
    c.Name.clear();
    c.SetID("a");
    EXPECT_EQ(c.Name, "");
    c.SetID("b");
    EXPECT_EQ(c.Name, "b");
    c.SetID("c");
    EXPECT_EQ(c.Name, "b");
}

TEST_F(VKClassesTest, PackageComponentCopiesIntoTheMainStub) {
    auto db = Loaded<TvkMainDatabase>(kMainDatabase);
    auto package = Loaded<TvkPackage>(kPackageDatabase);
    TvkComponent* stub = db->Components->FindByID("DOCS");
    ASSERT_NE(stub, nullptr);
    stub->Condition = "x";
    stub->Assign(*package->Components->FindByID("docs"));
    EXPECT_EQ(stub->Package, "extras");
    EXPECT_EQ(stub->Condition, "x");
    EXPECT_EQ(stub->Files->Count(), 2);
    EXPECT_EQ(stub->Files->Owner(), stub);
    EXPECT_EQ(stub->Files->Items(1)->Owner(), stub->Files.get());
    EXPECT_EQ(stub->Shortcuts->Items(0)->ShowCmd, TvkShowCmd::scMax);
    EXPECT_EQ(stub->RunApps->Count(), 1);
    package.reset();
    EXPECT_EQ(stub->Registry->Items(0)->Key, "HKLM\\Software\\Demo");
}

TEST_F(VKClassesTest, PredefinedVariablesAreNeverWrittenOrCopied) {
    TvkVariables vars(nullptr);
    vars.SetParam("Own", "1");
    auto* predefined = static_cast<TvkVariable*>(vars.SetParam("WinDir", "C:\\Windows"));
    predefined->Predefined = true;
    EXPECT_EQ(Written(vars, "variables"), "variables(var[name=Own,value=1,type=normal])");
    TvkVariables copy(nullptr);
    copy.Assign(vars);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Items(0)->Name, "Own");
}

TEST_F(VKClassesTest, PluginsAlwaysHaveAConfig) {
    TvkPlugin plugin(nullptr);
    ASSERT_NE(plugin.Config, nullptr);
    EXPECT_EQ(plugin.Config->Owner(), &plugin);
    plugin.Assign(*ParseXml("<plugin id='p'/>"));
    ASSERT_NE(plugin.Config, nullptr);
    EXPECT_EQ(plugin.Config->Count(), 0);
}

TEST_F(VKClassesTest, AfterLoadingEveryListExists) {
    auto c = Loaded<TvkComponent>("<component id='x'/>");
    EXPECT_TRUE(c->Files && c->Registry && c->IniFiles && c->Shortcuts && c->RunApps);
    auto db = Loaded<TvkMainDatabase>("<db/>");
    EXPECT_TRUE(db->Variables && db->Packages && db->Components && db->Features &&
                db->InstallTypes);
    TvkMainDatabase fresh(nullptr);
    EXPECT_TRUE(fresh.Variables && fresh.Packages);
    EXPECT_FALSE(fresh.Components || fresh.Features || fresh.InstallTypes);
}

TEST_F(VKClassesTest, ComponentListsAreCreatedWhenFirstUsed) {
    auto db = Loaded<TvkMainDatabase>(kMainDatabase);
    const TvkComponent* core = db->Components->Items(0);
    const TClassInfo& info = TvkComponent::StaticClass();
    const char* const lists[] = {"Files", "Registry", "IniFiles", "Shortcuts", "RunApps"};
    for (const char* list : lists)
        EXPECT_EQ(info.FindProp(list)->GetObj(*core), nullptr) << list;
    const std::string written = "component[condition=1,id=core,name=Core files]";
    EXPECT_EQ(Written(*core, "component"), written);
    TvkComponent copy(nullptr);
    copy.Assign(*core);
    EXPECT_EQ(Written(copy, "component"), written);
    for (const char* list : lists)
        EXPECT_EQ(info.FindProp(list)->GetObj(*core), nullptr) << list;

    EXPECT_EQ(core->Files->Count(), 0);
    EXPECT_EQ(core->Files->Owner(), core);
    EXPECT_EQ(info.FindProp("files")->GetObj(*core), core->Files.get());
    EXPECT_EQ(core->RunApps->Owner(), core);
    EXPECT_EQ(Written(*core, "component"), written);
    core->Shortcuts->AddNew()->Name = "s";
    EXPECT_EQ(Written(*core, "component"),
              "component[condition=1,id=core,name=Core files]"
              "(shortcuts(shortcut[action=add,name=s,showcmd=normal]))");
}

TEST_F(VKClassesTest, PluginConfigIsCreatedWhenFirstUsed) {
    TvkPlugin plugin(nullptr);
    const TPropInfo& config = *TvkPlugin::StaticClass().FindProp("config");
    EXPECT_EQ(config.GetObj(plugin), nullptr);
    plugin.Assign(*ParseXml("<plugin id='p'><config><paramgroup name='g'/></config></plugin>"));
    ASSERT_NE(config.GetObj(plugin), nullptr);
    EXPECT_EQ(plugin.Config->GroupNames(), std::vector<std::string>({"g"}));
    plugin.Assign(*ParseXml("<plugin id='q'/>"));
    EXPECT_EQ(config.GetObj(plugin), nullptr);
    EXPECT_EQ(plugin.Config->Count(), 0);
    EXPECT_EQ(plugin.Config->ParamGroup->Owner(), plugin.Config.get());
}

TEST_F(VKClassesTest, ListsReadOnlyTheirOwnItemTag) {
    auto files = Loaded<TvkFiles>("<files><file src='a'/><reg key='k'/><FILEX/></files>");
    EXPECT_EQ(files->Count(), 1);
    auto vars = Loaded<TvkVariables>("<v><var name='a'/><variable name='b'/></v>");
    EXPECT_EQ(vars->Count(), 1);
    TvkPackages packages(nullptr);
    packages.Assign(*ParseXml("<p><package filename='A'/><package filename='b'/></p>"));
    EXPECT_EQ(packages.FindPackage("a"), packages.Items(0));
    EXPECT_EQ(packages.FindPackage("B"), packages.Items(1));
    EXPECT_EQ(packages.FindPackage("c"), nullptr);
}

TEST_F(VKClassesTest, IsActiveAsksTheEvaluatorOnlyWhenEnabled) {
    TvkConditionObject obj(nullptr);
    obj.Condition = "0";
    EXPECT_TRUE(obj.IsActive());
    ConditionsEnabled = true;
    EXPECT_TRUE(obj.IsActive());
    ConditionEvaluator = EvaluateForTest;
    EXPECT_FALSE(obj.IsActive());
    EXPECT_FALSE(obj.IsActive());
    EXPECT_EQ(evaluations, 2);
    obj.Condition.clear();
    EXPECT_TRUE(obj.IsActive());
    EXPECT_EQ(evaluations, 2);
    ConditionsEnabled = false;
    obj.Condition = "0";
    EXPECT_TRUE(obj.IsActive());
    EXPECT_EQ(evaluations, 2);
}

TEST_F(VKClassesTest, VariableLookupTakesTheFirstActiveOfTheName) {
    auto vars = Loaded<TvkVariables>("<v><var name='x' value='1' condition='0'/>"
                                     "<var name='X' value='2'/><var name='x' value='3'/></v>");
    EXPECT_EQ(vars->FindParam("x")->Value, "1");
    EnableConditions();
    EXPECT_EQ(vars->FindParam("x")->Value, "2");
    EXPECT_EQ(vars->FindParam("y"), nullptr);
    // SetParam ignores conditions: it updates the first of the name.
    vars->SetParam("x", "new");
    EXPECT_EQ(vars->Items(0)->Value, "new");
    EXPECT_EQ(vars->Count(), 3);
    EXPECT_EQ(&vars->SetParam("z", "4")->ClassType(), &TvkVariable::StaticClass());
}

// What the lookup by name must answer: the first variable of the name, in list order, whose
// condition holds.
TvkVariable* FirstByScan(const TvkVariables& vars, std::string_view name) {
    for (int i = 0; i < vars.Count(); ++i)
        if (SameText(vars.Items(i)->Name, name) && vars.Items(i)->IsActive())
            return vars.Items(i);
    return nullptr;
}

TEST_F(VKClassesTest, VariableLookupFollowsRenames) {
    TvkVariables vars(nullptr);
    for (const char* name : {"a", "b", "c"})
        vars.AddNew()->Name = name;
    EXPECT_EQ(vars.FindParam("B"), vars.Items(1));
    // Renamed to a name that a later variable has: it is now the first of that name.
    vars.Items(0)->Name = "B";
    EXPECT_EQ(vars.FindParam("b"), vars.Items(0));
    EXPECT_EQ(vars.FindParam("a"), nullptr);
    vars.Items(1)->Name = std::string("x");
    EXPECT_EQ(vars.FindParam("X"), vars.Items(1));
    EXPECT_EQ(vars.FindParam("b"), vars.Items(0));
    const TvkVariableName& other = vars.Items(0)->Name;
    vars.Items(2)->Name = other;
    EXPECT_EQ(vars.FindParam("b"), vars.Items(0));
    vars.Items(0)->Name = "gone";
    EXPECT_EQ(vars.FindParam("b"), vars.Items(2));
    // Through the property, as loading and SetParam set names.
    SetPropText(*vars.Items(2), "NAME", "A", "");
    EXPECT_EQ(vars.FindParam("a"), vars.Items(2));
    EXPECT_EQ(vars.FindParam("b"), nullptr);
    vars.SetParam("X", "1");
    EXPECT_EQ(vars.Items(1)->Name, "X");
    EXPECT_EQ(vars.FindParam("x")->Value, "1");
    vars.Items(2)->Assign(*ParseXml("<var name='c'/>"));
    EXPECT_EQ(vars.FindParam("c"), vars.Items(2));
    EXPECT_EQ(vars.FindParam("a"), nullptr);
}

TEST_F(VKClassesTest, VariableLookupFollowsAdditionsDeletionsAndClearing) {
    TvkVariables vars(nullptr);
    EXPECT_EQ(vars.FindParam(""), nullptr);
    vars.AddNew()->Name = "a";
    EXPECT_EQ(vars.FindParam("a"), vars.Items(0));
    vars.AddNew()->Name = "A";
    vars.AddNew();
    EXPECT_EQ(vars.FindParam("a"), vars.Items(0));
    EXPECT_EQ(vars.FindParam(""), vars.Items(2));
    vars.Delete(0);
    EXPECT_EQ(vars.FindParam("a"), vars.Items(0));
    EXPECT_EQ(vars.Items(0)->Name, "A");
    vars.Merge(*ParseXml("<v><var name='a' value='late'/><var name='b'/></v>"));
    EXPECT_EQ(vars.FindParam("a"), vars.Items(0));
    EXPECT_EQ(vars.FindParam("B"), vars.Items(3));
    vars.Delete(0);
    EXPECT_EQ(vars.FindParam("a")->Value, "late");
    vars.Clear();
    EXPECT_EQ(vars.FindParam("a"), nullptr);
    vars.AddNew()->Name = "b";
    EXPECT_EQ(vars.FindParam("b"), vars.Items(0));
    EXPECT_EQ(vars.FindParam("a"), nullptr);
    // Many more variables than the index was made for.
    for (int i = 0; i < 1000; ++i)
        vars.AddNew()->Name = "v" + IntToStr(i);
    EXPECT_EQ(vars.FindParam("V999"), vars.Items(1000));
    EXPECT_EQ(vars.FindParam("v0"), vars.Items(1));
    EXPECT_EQ(vars.FindParam("b"), vars.Items(0));
}

TEST_F(VKClassesTest, VariableLookupAgreesWithAScanWhateverChanges) {
    EnableConditions();
    TvkVariables vars(nullptr);
    const std::vector<std::string> names = {"Alpha", "alpha", "BETA", "Gamma", "delta", "",
                                            "x",     "X",     "y",    "Omega", "omega"};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    for (int step = 0; step < 3000; ++step) {
        int count = vars.Count();
        int at = count > 0 ? int(next(uint32_t(count))) : 0;
        const std::string& name = names[next(uint32_t(names.size()))];
        switch (next(count > 0 ? 8 : 1)) {
        case 0:
            vars.AddNew()->Name = name;
            break;
        case 1:
            vars.Items(at)->Name = name;
            break;
        case 2:
            SetPropText(*vars.Items(at), "Name", name, "");
            break;
        case 3:
            vars.Items(at)->Condition = vars.Items(at)->Condition.empty() ? "0" : "";
            break;
        case 4:
            vars.Delete(at);
            break;
        case 5:
            vars.Merge(*ParseXml("<v><var name='" + name + "'/><var name='y' condition='0'/></v>"));
            break;
        case 6:
            vars.SetParam(name, "set");
            break;
        default:
            if (next(20) == 0)
                vars.Clear();
            break;
        }
        for (const std::string& wanted : names)
            ASSERT_EQ(vars.FindParam(wanted), FirstByScan(vars, wanted))
                << "step " << step << ", name \"" << wanted << "\"";
        ASSERT_EQ(vars.FindParam("missing"), nullptr);
    }
}

// A condition that adds variables while the lookup evaluates it.
TvkVariables* growing = nullptr;
bool GrowWhileEvaluating(const std::string& condition) {
    if (condition != "grow")
        return condition != "0";
    for (int i = 0; i < 100; ++i)
        growing->AddNew()->Name = i % 10 == 0 ? "x" : "n" + IntToStr(i);
    // A nested lookup brings the index up to date while the outer one is still walking it.
    EXPECT_EQ(growing->FindParam("n1"), growing->Items(4));
    return false;
}

TEST_F(VKClassesTest, VariableLookupSurvivesConditionsThatChangeTheList) {
    TvkVariables vars(nullptr);
    growing = &vars;
    ConditionsEnabled = true;
    ConditionEvaluator = GrowWhileEvaluating;
    vars.AddNew()->Name = "x";
    vars.Items(0)->Condition = "grow";
    vars.AddNew()->Name = "y";
    vars.AddNew()->Name = "x";
    vars.Items(2)->Condition = "0";
    TvkVariable* found = vars.FindParam("X");
    ASSERT_EQ(vars.Count(), 103);
    EXPECT_EQ(found, vars.Items(3));
    growing = nullptr;
}

TEST_F(VKClassesTest, VariableLookupAsksConditionsAnewInListOrder) {
    auto vars = Loaded<TvkVariables>("<v><var name='v' value='1' condition='0'/><var name='w'/>"
                                     "<var name='V' value='2' condition='c'/><var name='v' "
                                     "value='3'/></v>");
    EnableConditions();
    EXPECT_EQ(vars->FindParam("v")->Value, "2");
    EXPECT_EQ(evaluations, 2);
    vars->Items(2)->Condition = "0";
    EXPECT_EQ(vars->FindParam("v")->Value, "3");
    vars->Items(0)->Condition.clear();
    EXPECT_EQ(vars->FindParam("v")->Value, "1");
}

TEST_F(VKClassesTest, FindByIDIgnoresCaseAndConditions) {
    EnableConditions();
    auto types = Loaded<TvkInstallTypes>(
        "<t><installtype id='a' condition='0'/><installtype id='B'/><installtype id='c'/></t>");
    EXPECT_EQ(types->FindByID("A"), types->Items(0));
    EXPECT_EQ(types->FindByID("b"), types->Items(1));
    EXPECT_EQ(types->FindByID("z"), nullptr);
}

TEST_F(VKClassesTest, FindInstallTypeSkipsInactiveOnes) {
    EnableConditions();
    auto types = Loaded<TvkInstallTypes>(
        "<t><installtype id='a' condition='0'/><installtype id='b'/>"
        "<installtype id='c' condition='0'/><installtype id='d'/><installtype id='a'/></t>");
    TvkInstallType* next = nullptr;
    EXPECT_EQ(types->FindInstallType("", &next), types->Items(1));
    EXPECT_EQ(next, types->Items(3));
    EXPECT_EQ(types->FindInstallType("A", &next), types->Items(4));
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(types->FindInstallType("c", &next), nullptr);
    EXPECT_EQ(types->FirstActive(2), types->Items(3));
    TvkInstallTypes empty(nullptr);
    EXPECT_EQ(empty.FindInstallType("", &next), nullptr);
}

// Walks the tree with FindFeature from the empty id, following next.
std::vector<std::string> Walk(const TvkFeatures& top) {
    std::vector<std::string> visited;
    TvkFeature* next = nullptr;
    TvkFeature* f = top.FindFeature("", nullptr, &next);
    while (f && visited.size() < 50) {
        TvkFeature* parent = nullptr;
        EXPECT_EQ(top.FindFeature(f->ID, &parent, nullptr), f);
        visited.push_back((parent ? parent->ID + "/" : "") + f->ID);
        f = next;
        if (f)
            top.FindFeature(f->ID, nullptr, &next);
    }
    return visited;
}

const char kFeatureTree[] = R"(<features>
  <feature id="off" condition="0"><features><feature id="hidden"/></features></feature>
  <feature id="a">
    <features>
      <feature id="a1">
        <features><feature id="a1x"/><feature id="a1y" condition="0"/></features>
      </feature>
      <feature id="a2" condition="0"><features><feature id="a2x"/></features></feature>
      <feature id="a3"/>
    </features>
  </feature>
  <feature id="b"><features><feature id="b1" condition="0"/></features></feature>
  <feature id="c"/>
  <feature id="d" condition="0"/>
</features>)";

TEST_F(VKClassesTest, FindFeatureWalksActiveFeaturesInPreOrder) {
    EnableConditions();
    auto features = Loaded<TvkFeatures>(kFeatureTree);
    EXPECT_EQ(Walk(*features), std::vector<std::string>({"a", "a/a1", "a1/a1x", "a/a3", "b", "c"}));
}

TEST_F(VKClassesTest, FindFeatureReportsParentAndNext) {
    EnableConditions();
    auto features = Loaded<TvkFeatures>(kFeatureTree);
    TvkFeature* a = features->Items(1);
    TvkFeature* parent = a;
    TvkFeature* next = a;
    EXPECT_EQ(features->FindFeature("A1X", &parent, &next)->ID, "a1x");
    EXPECT_EQ(parent->ID, "a1");
    EXPECT_EQ(next->ID, "a3");
    // A hit in the starting list leaves parent as the caller set it.
    EXPECT_EQ(features->FindFeature("b", &parent, &next)->ID, "b");
    EXPECT_EQ(parent->ID, "a1");
    EXPECT_EQ(next->ID, "c");
    EXPECT_EQ(features->FindFeature("c", &parent, &next)->ID, "c");
    EXPECT_EQ(next, nullptr);
    // Inactive features hide their sub-trees.
    EXPECT_EQ(features->FindFeature("hidden", &parent, &next), nullptr);
    EXPECT_EQ(features->FindFeature("a2x"), nullptr);
    EXPECT_EQ(features->FindFeature("d"), nullptr);
    EXPECT_EQ(features->FirstActive(0), a);
    TvkFeatures empty(nullptr);
    EXPECT_EQ(empty.FindFeature(""), nullptr);
}

} // namespace
} // namespace velk
