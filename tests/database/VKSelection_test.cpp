#include "database/VKSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velk {
namespace {

// Three levels of features with inactive branches (condition "0") at every level.
const char kDatabase[] = R"(<setup>
  <packages><package filename="extras"/><package filename="unused"/></packages>
  <components>
    <component id="core"/>
    <component id="tcommon"/>
    <component id="ed"/>
    <component id="spell"/>
    <component id="grammar"/>
    <component id="view"/>
    <component id="old"/>
    <component id="docs" package="Extras"/>
    <component id="loose"/>
  </components>
  <features>
    <feature id="base" required="1"><components><component id="core"/></components></feature>
    <feature id="tools">
      <components><component id="tcommon"/></components>
      <features>
        <feature id="editor">
          <components><component id="ed"/></components>
          <features>
            <feature id="spell"><components><component id="spell"/></components></feature>
            <feature id="grammar" condition="0">
              <components><component id="grammar"/></components>
            </feature>
          </features>
        </feature>
        <feature id="viewer"><components><component id="view"/></components></feature>
        <feature id="legacy" condition="0">
          <components><component id="old"/></components>
          <features><feature id="old"/></features>
        </feature>
      </features>
    </feature>
    <feature id="docs">
      <components><component id="docs"/></components>
      <features><feature id="manual" condition="0"/><feature id="samples" condition="0"/></features>
    </feature>
    <feature id="extras" condition="0"><features><feature id="extra1"/></features></feature>
  </features>
  <installtypes>
    <installtype id="minimal"><features><feature id="base"/></features></installtype>
    <installtype id="full" default="1" condition="0">
      <features><feature id="tools"/><feature id="docs"/></features>
    </installtype>
    <installtype id="typical" default="1">
      <features><feature id="editor"/><feature id="docs"/><feature id="nosuch"/><feature/></features>
    </installtype>
    <installtype id="off" condition="0"><features><feature id="tools"/></features></installtype>
  </installtypes>
</setup>)";

bool EvaluateForTest(const std::string& condition) {
    return condition != "0";
}

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_.Packages->AddNew()->FileName = "setup";
        db_.Packages->Items(0)->Needed = true;
        TXMLTag tag;
        tag.Parse(kDatabase);
        db_.Merge(tag);
        db_.OnFeatureChange = [this](TvkFeature& f) {
            changes_.push_back(f.ID + ":" + std::to_string(f.State()));
        };
        db_.OnInstallTypeChange = [this](TvkInstallType& t) { types_.push_back(t.ID); };
        ConditionsEnabled = true;
        ConditionEvaluator = EvaluateForTest;
    }
    void TearDown() override {
        ConditionsEnabled = false;
        ConditionEvaluator = nullptr;
    }

    TvkFeature& Feature(const char* id) {
        // Inactive features are out of FindFeature's reach, so look them up unconditionally.
        ConditionsEnabled = false;
        TvkFeature* f = db_.Features->FindFeature(id);
        ConditionsEnabled = true;
        EXPECT_NE(f, nullptr) << id;
        return *f;
    }
    int State(const char* id) { return Feature(id).State(); }
    // id:state of every feature in the tree, depth first.
    std::string States() {
        std::string out;
        AppendStates(*db_.Features, out);
        return out;
    }
    std::vector<std::string> Components() {
        std::vector<std::string> ids;
        for (TvkComponent* c : *db_.Components)
            ids.push_back(c->ID() + "@" + c->Package);
        return ids;
    }
    std::vector<std::string> Packages() {
        std::vector<std::string> names;
        for (TvkPackage* p : *db_.Packages)
            names.push_back(p->FileName);
        return names;
    }

    TvkMainDatabase db_{nullptr};
    std::vector<std::string> changes_;
    std::vector<std::string> types_;

private:
    void AppendStates(const TvkFeatures& list, std::string& out) {
        for (TvkFeature* f : list) {
            out += (out.empty() ? "" : " ") + f->ID + ":" + std::to_string(f->State());
            AppendStates(*f->Features, out);
        }
    }
};

TEST_F(SelectionTest, SetSelectedCoversTheActiveSubTreeAndReportsEachChange) {
    Feature("tools").SetSelected(true);
    EXPECT_EQ(changes_, std::vector<std::string>({"tools:1", "editor:1", "spell:1", "viewer:1"}));
    EXPECT_EQ(State("grammar"), 0);
    EXPECT_EQ(State("legacy"), 0);
    EXPECT_EQ(State("old"), 0);

    changes_.clear();
    Feature("tools").SetSelected(true);
    EXPECT_TRUE(changes_.empty());

    Feature("legacy").SetSelected(true);
    EXPECT_EQ(State("legacy"), 0);
    EXPECT_TRUE(changes_.empty());
}

TEST_F(SelectionTest, SetSelectedClearsPartial) {
    TvkFeature& tools = Feature("tools");
    tools.SetSelected(true);
    db_.Features->CombinedState();
    EXPECT_EQ(tools.State(), 2);
    changes_.clear();
    tools.SetSelected(true);
    EXPECT_EQ(tools.State(), 1);
    EXPECT_EQ(changes_, std::vector<std::string>({"tools:1", "editor:1"}));
}

TEST_F(SelectionTest, StatesFollowTheSubFeaturesUpThreeLevels) {
    Feature("tools").SetSelected(true);
    changes_.clear();
    EXPECT_EQ(db_.Features->CombinedState(), 2);
    // The inactive grammar counts as unselected, so editor and tools are partial.
    EXPECT_EQ(States(), "base:0 tools:2 editor:2 spell:1 grammar:0 viewer:1 legacy:0 old:0 "
                        "docs:0 manual:0 samples:0 extras:0 extra1:0");
    EXPECT_EQ(changes_, std::vector<std::string>({"editor:2", "tools:2"}));

    changes_.clear();
    EXPECT_TRUE(db_.SetFeatureSelected("spell", false));
    EXPECT_EQ(State("editor"), 0);
    EXPECT_EQ(State("tools"), 2);
    EXPECT_EQ(changes_, std::vector<std::string>({"spell:0", "editor:0"}));

    changes_.clear();
    EXPECT_TRUE(db_.SetFeatureSelected("viewer", false));
    EXPECT_EQ(State("tools"), 0);
    EXPECT_EQ(changes_, std::vector<std::string>({"viewer:0", "tools:0"}));

    EXPECT_TRUE(db_.SetFeatureSelected("SPELL", true));
    EXPECT_EQ(State("editor"), 2);
    EXPECT_EQ(State("tools"), 2);
}

TEST_F(SelectionTest, PartialParentBecomesFullWhenEverySubFeatureIsSelected) {
    TXMLTag tag;
    tag.Parse("<f><feature id='p'><features><feature id='a'/><feature id='b'/></features>"
              "</feature></f>");
    TvkFeatures list(nullptr);
    list.Assign(tag);
    TvkFeature& p = *list.Items(0);
    p.Features->Items(0)->SetSelected(true);
    EXPECT_EQ(list.CombinedState(), 2);
    EXPECT_EQ(p.State(), 2);
    p.Features->Items(1)->SetSelected(true);
    EXPECT_EQ(list.CombinedState(), 1);
    EXPECT_EQ(p.State(), 1);

    p.Features->Items(1)->SetSelected(false);
    p.Features->Items(1)->Condition = "0";
    EXPECT_EQ(list.CombinedState(), 2);
    EXPECT_EQ(p.State(), 2);
    EXPECT_EQ(p.Features->Items(1)->UpdateState(), 0);
}

TEST_F(SelectionTest, FeatureWhoseSubFeaturesAllStandAsideKeepsItsChoice) {
    EXPECT_TRUE(db_.SetFeatureSelected("docs", true));
    EXPECT_EQ(State("docs"), 1);
    EXPECT_TRUE(db_.SetFeatureSelected("docs", false));
    EXPECT_EQ(State("docs"), 0);
}

TEST_F(SelectionTest, RequiredFeaturesCannotBeDeselected) {
    EXPECT_FALSE(db_.SetFeatureSelected("base", false));
    EXPECT_EQ(State("base"), 1);
    EXPECT_EQ(changes_, std::vector<std::string>({"base:1"}));
    EXPECT_TRUE(db_.SetFeatureSelected("base", true));
}

TEST_F(SelectionTest, UnknownAndInactiveFeaturesAreRefused) {
    EXPECT_FALSE(db_.SetFeatureSelected("nosuch", true));
    EXPECT_FALSE(db_.SetFeatureSelected("legacy", true));
    EXPECT_FALSE(db_.SetFeatureSelected("extra1", true));
    EXPECT_EQ(State("extra1"), 0);
    EXPECT_TRUE(changes_.empty());
}

TEST_F(SelectionTest, InstallTypeReplacesTheSelection) {
    db_.SetFeatureSelected("viewer", true);
    changes_.clear();
    EXPECT_TRUE(db_.SelectInstallType("TYPICAL"));
    EXPECT_EQ(types_, std::vector<std::string>({"typical"}));
    EXPECT_EQ(States(), "base:0 tools:2 editor:2 spell:1 grammar:0 viewer:0 legacy:0 old:0 "
                        "docs:1 manual:0 samples:0 extras:0 extra1:0");
    EXPECT_EQ(changes_, std::vector<std::string>({"tools:0", "viewer:0", "editor:1", "spell:1",
                                                  "docs:1", "editor:2", "tools:2"}));
}

TEST_F(SelectionTest, InactiveOrUnknownInstallTypeChangesNothing) {
    db_.SetFeatureSelected("docs", true);
    changes_.clear();
    std::string before = States();
    EXPECT_FALSE(db_.SelectInstallType("off"));
    EXPECT_FALSE(db_.SelectInstallType("none"));
    EXPECT_EQ(States(), before);
    EXPECT_TRUE(changes_.empty());
    EXPECT_TRUE(types_.empty());
}

TEST_F(SelectionTest, DefaultSelectionTakesTheFirstActiveDefaultInstallType) {
    ApplyDefaultSelection(db_);
    EXPECT_EQ(types_, std::vector<std::string>({"typical"}));

    types_.clear();
    db_.InstallTypes->FindByID("typical")->Default = false;
    ApplyDefaultSelection(db_);
    EXPECT_EQ(types_, std::vector<std::string>({"minimal"}));
    EXPECT_EQ(State("base"), 1);
    EXPECT_EQ(State("docs"), 0);
}

TEST_F(SelectionTest, DefaultSelectionWithoutInstallTypesSelectsActiveTopFeatures) {
    db_.InstallTypes->Clear();
    ApplyDefaultSelection(db_);
    EXPECT_EQ(States(), "base:1 tools:1 editor:1 spell:1 grammar:0 viewer:1 legacy:0 old:0 "
                        "docs:1 manual:0 samples:0 extras:0 extra1:0");
    EXPECT_TRUE(types_.empty());
}

TEST_F(SelectionTest, ComponentsComeFromSelectedActiveFeatures) {
    db_.SelectInstallType("typical");
    db_.Components->FindByID("spell")->Condition = "0";
    Feature("legacy").Selected = true;
    TSelectionError error;
    ASSERT_TRUE(SelectComponents(db_, "setup", error)) << error.Text;
    // tools is only partly selected and still contributes its own component.
    EXPECT_EQ(Components(), std::vector<std::string>({"tcommon@setup", "ed@setup", "docs@Extras"}));
    EXPECT_EQ(Packages(), std::vector<std::string>({"setup", "extras"}));
    EXPECT_TRUE(db_.Packages->Items(1)->Needed);
}

TEST_F(SelectionTest, WithoutFeaturesEveryActiveComponentIsTaken) {
    db_.Features->Clear();
    db_.Components->FindByID("old")->Condition = "0";
    db_.Packages->Items(0)->FileName = "MySetup";
    TSelectionError error;
    ASSERT_TRUE(SelectComponents(db_, "mysetup", error)) << error.Text;
    EXPECT_EQ(Components().size(), 8u);
    EXPECT_EQ(Components()[0], "core@mysetup");
    EXPECT_EQ(db_.Components->FindByID("old"), nullptr);
    EXPECT_EQ(Packages(), std::vector<std::string>({"MySetup", "extras"}));
}

TEST_F(SelectionTest, UnknownComponentOrPackageStopsTheSelection) {
    db_.SetFeatureSelected("viewer", true);
    Feature("viewer").Components->AddNew()->SetID("ghost");
    TSelectionError error;
    EXPECT_FALSE(SelectComponents(db_, "setup", error));
    EXPECT_EQ(error.Caption, "Component not found");
    EXPECT_EQ(error.Text, "Component ID=\"ghost\" not found!");

    Feature("viewer").Components->Delete(1);
    db_.Components->FindByID("view")->Package = "nowhere";
    EXPECT_FALSE(SelectComponents(db_, "setup", error));
    EXPECT_EQ(error.Caption, "Package not found");
    EXPECT_EQ(error.Text, "Can't find package \"nowhere\" in main database!");
}

TEST_F(SelectionTest, MainPackageStaysEvenWhenNothingNeedsIt) {
    db_.Packages->Items(0)->Needed = false;
    TSelectionError error;
    ASSERT_TRUE(SelectComponents(db_, "setup", error));
    EXPECT_TRUE(Components().empty());
    EXPECT_EQ(Packages(), std::vector<std::string>({"setup"}));
}

} // namespace
} // namespace velk
