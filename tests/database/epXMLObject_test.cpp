#include "database/epXMLObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velk {
namespace {

// A class with a property of every kind, a nested object and a list.

enum class TColor : uint8_t { clRed, clGreen, clBlue };
constexpr const char* kColorNames[] = {"clRed", "clGreen", "clBlue"};
constexpr TEnumType kColorType = EnumTypeFrom(kColorNames);
constexpr const TEnumType& EnumTypeOf(TColor) {
    return kColorType;
}

enum class TPart : uint8_t { A, B, C, D };
using TParts = TEnumSet<TPart, uint8_t>;
constexpr const char* kPartNames[] = {"a", "b", "c", "d"};
constexpr TEnumType kPartType = EnumTypeFrom(kPartNames);
constexpr const TEnumType& EnumTypeOf(TPart) {
    return kPartType;
}

// Refuses to be loaded from an element carrying skip='1' and to be saved while Hidden.
class TItem : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }
    bool CanLoad(const TXMLTag& tag) const override {
        for (const std::string& line : tag.Attributes)
            if (line == "skip=1")
                return false;
        return true;
    }
    bool CanSave(const TXMLTag&) const override { return !Hidden; }

    std::string Name;
    std::string Value;
    int32_t Number = 0;
    bool Hidden = false;

    static const TClassInfo Info;
};

class TItems : public TXMLParamList {
public:
    using TXMLParamList::TXMLParamList;
    VELK_LIST_OF(TItem)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    std::string Label;

    static const TClassInfo Info;
};

class TSample : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }
    std::string EnumPrefix(const std::string& propName) const override {
        return propName == "color" ? "cl" : "";
    }

    std::string Title;
    int32_t Count = 0;
    char Letter = 0;
    bool enabled = false;
    TColor Color = TColor::clRed;
    double Ratio = 0;
    TParts Parts;
    TOwned<TSample> Child;
    TOwned<TItem> Extra;
    TOwned<TItems> Items;

    static const TClassInfo Info;
};

// offsetof of classes with virtual functions, as the database classes use it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

constexpr TPropInfo kItemOwn[] = {VELK_PROPERTY(TItem, Name), VELK_PROPERTY(TItem, Value),
                                  VELK_PROPERTY(TItem, Number), VELK_PROPERTY(TItem, Hidden)};
constexpr auto kItemProps = SortProperties(kNoProperties, kItemOwn);

constexpr TPropInfo kItemsOwn[] = {VELK_PROPERTY(TItems, Label)};
constexpr auto kItemsProps = SortProperties(kNoProperties, kItemsOwn);

constexpr TPropInfo kSampleOwn[] = {VELK_PROPERTY(TSample, Title),  VELK_PROPERTY(TSample, Count),
                                    VELK_PROPERTY(TSample, Letter), VELK_PROPERTY(TSample, enabled),
                                    VELK_PROPERTY(TSample, Color),  VELK_PROPERTY(TSample, Ratio),
                                    VELK_PROPERTY(TSample, Parts),  VELK_PROPERTY(TSample, Child),
                                    VELK_PROPERTY(TSample, Extra),  VELK_PROPERTY(TSample, Items)};
constexpr auto kSampleProps = SortProperties(kNoProperties, kSampleOwn);

#pragma GCC diagnostic pop

const TClassInfo TItem::Info("TItem", &TXMLObject::StaticClass(), kItemProps, Construct<TItem>);
const TClassInfo TItems::Info("TItems", &TXMLParamList::StaticClass(), kItemsProps,
                              Construct<TItems>, &TItem::StaticClass(), "item");
const TClassInfo TSample::Info("TSample", &TXMLObject::StaticClass(), kSampleProps,
                               Construct<TSample>);

// Not a persistent-object class the mapper knows.
class TForeign : public TPersistent {
public:
    const char* ClassName() const override { return "TForeign"; }
};

std::unique_ptr<TXMLTag> ParseXml(std::string_view text) {
    auto tag = std::make_unique<TXMLTag>();
    tag->Parse(text);
    return tag;
}

std::vector<std::string> ElementNames(const TXMLTag& tag) {
    std::vector<std::string> names;
    for (const auto& child : tag.Children)
        names.push_back(child->Name);
    return names;
}

std::vector<std::string> Names(const TItems& items) {
    std::vector<std::string> names;
    for (TItem* item : items)
        names.push_back(item->Name);
    return names;
}

std::string ErrorOf(TSample& obj, std::string_view prop, std::string_view value) {
    try {
        SetPropText(obj, prop, value, "");
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "no error";
}

TEST(PropInfoTest, PropertiesAreSortedIgnoringCaseWithInheritedOnes) {
    std::vector<std::string> names;
    for (const TPropInfo* p : TItems::StaticClass().Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, std::vector<std::string>({"Label"}));
    names.clear();
    for (const TPropInfo* p : TSample::StaticClass().Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Child", "Color", "Count", "enabled", "Extra",
                                               "Items", "Letter", "Parts", "Ratio", "Title"}));
}

TEST(PropInfoTest, FindPropIgnoresCaseAndReportsKindAndClass) {
    const TClassInfo& info = TSample::StaticClass();
    ASSERT_NE(info.FindProp("ENABLED"), nullptr);
    EXPECT_EQ(info.FindProp("ENABLED")->Kind, TPropKind::Boolean);
    EXPECT_EQ(info.FindProp("color")->Kind, TPropKind::Enumeration);
    EXPECT_EQ(info.FindProp("color")->Enum->Count, 3);
    EXPECT_EQ(info.FindProp("parts")->Kind, TPropKind::Set);
    EXPECT_EQ(info.FindProp("ratio")->Kind, TPropKind::Float);
    EXPECT_EQ(info.FindProp("letter")->Kind, TPropKind::Char);
    EXPECT_EQ(&info.FindProp("items")->DeclaredClass(), &TItems::StaticClass());
    EXPECT_EQ(info.FindProp("Nothing"), nullptr);
    EXPECT_EQ(info.FindProp("Title2"), nullptr);
}

TEST(PropInfoTest, VirtualConstructorCreatesTheClassWithItsOwner) {
    TSample owner(nullptr);
    std::unique_ptr<TXMLObject> obj = TItems::StaticClass().Create(&owner);
    EXPECT_STREQ(obj->ClassName(), "TItems");
    EXPECT_EQ(obj->Owner(), &owner);
    EXPECT_TRUE(obj->ClassType().InheritsFrom(TXMLObjectList::StaticClass()));
    EXPECT_FALSE(TXMLObjectList::StaticClass().InheritsFrom(TItems::StaticClass()));
}

TEST(PropTextTest, IntegersAreDecimalOrDollarHexadecimal) {
    TSample s(nullptr);
    SetPropText(s, "count", "42", "");
    EXPECT_EQ(s.Count, 42);
    SetPropText(s, "COUNT", "$1F", "");
    EXPECT_EQ(s.Count, 31);
    SetPropText(s, "count", "$FFFFFFFF", "");
    EXPECT_EQ(s.Count, -1);
    SetPropText(s, "count", "-2147483648", "");
    EXPECT_EQ(s.Count, INT32_MIN);
    EXPECT_EQ(GetPropText(s, "count", ""), "-2147483648");
}

TEST(PropTextTest, TextThatIsNoNumberRaisesTheConversionError) {
    TSample s(nullptr);
    s.Count = 7;
    EXPECT_EQ(ErrorOf(s, "count", "12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(ErrorOf(s, "count", ""), "'' is not a valid integer value");
    EXPECT_EQ(ErrorOf(s, "count", "2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(s.Count, 7);
    EXPECT_EQ(ErrorOf(s, "ratio", "1,5"), "'1,5' is not a valid floating point value");
    EXPECT_EQ(ErrorOf(s, "ratio", "inf"), "'inf' is not a valid floating point value");
    EXPECT_EQ(ErrorOf(s, "ratio", "1e999"), "'1e999' is not a valid floating point value");
}

TEST(PropTextTest, FloatsUseGeneralFormatWithFifteenDigits) {
    TSample s(nullptr);
    SetPropText(s, "ratio", "2.5", "");
    EXPECT_EQ(s.Ratio, 2.5);
    SetPropText(s, "ratio", " -1.25E2 ", "");
    EXPECT_EQ(s.Ratio, -125);
    s.Ratio = 0.1 + 0.2;
    EXPECT_EQ(GetPropText(s, "ratio", ""), "0.3");
    s.Ratio = 1.0 / 3;
    EXPECT_EQ(GetPropText(s, "ratio", ""), "0.333333333333333");
    s.Ratio = 1e20;
    SetPropText(s, "ratio", GetPropText(s, "ratio", ""), "");
    EXPECT_EQ(s.Ratio, 1e20);
}

TEST(PropTextTest, BooleanIsTrueOnlyForOne) {
    TSample s(nullptr);
    SetPropText(s, "enabled", "1", "");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(GetPropText(s, "enabled", ""), "1");
    SetPropText(s, "enabled", "True", "");
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(GetPropText(s, "enabled", ""), "0");
    s.enabled = true;
    SetPropText(s, "enabled", "", "");
    EXPECT_FALSE(s.enabled);
}

TEST(PropTextTest, EnumerationNamesTakeThePrefixAndIgnoreCase) {
    TSample s(nullptr);
    for (const char* text : {"blue", "BLUE", "Blue"}) {
        s.Color = TColor::clRed;
        SetPropText(s, "color", text, "cl");
        EXPECT_EQ(s.Color, TColor::clBlue) << text;
    }
    SetPropText(s, "color", "purple", "cl");
    EXPECT_EQ(s.Color, TColor::clBlue);
    SetPropText(s, "color", "blue", "");
    EXPECT_EQ(s.Color, TColor::clBlue);
    SetPropText(s, "color", "clGreen", "");
    EXPECT_EQ(s.Color, TColor::clGreen);
    EXPECT_EQ(GetPropText(s, "color", "cl"), "Green");
    EXPECT_EQ(GetPropText(s, "color", "xy"), "Green");
    EXPECT_EQ(GetPropText(s, "color", ""), "clGreen");
}

TEST(PropTextTest, SetsAreSplitTrimmedAndReplaced) {
    TSample s(nullptr);
    s.Parts.Include(TPart::D);
    SetPropText(s, "parts", "a, b,,c", "");
    EXPECT_EQ(s.Parts.Bits(), 0x7u);
    EXPECT_EQ(GetPropText(s, "parts", ""), "a,b,c");
    SetPropText(s, "parts", " C ,x,c,A", "");
    EXPECT_EQ(GetPropText(s, "parts", ""), "a,c");
    SetPropText(s, "parts", "", "");
    EXPECT_EQ(s.Parts.Bits(), 0u);
    EXPECT_EQ(GetPropText(s, "parts", ""), "");
}

TEST(PropTextTest, CharactersStringsAndUnknownProperties) {
    TSample s(nullptr);
    SetPropText(s, "letter", "xyz", "");
    EXPECT_EQ(s.Letter, 'x');
    EXPECT_EQ(GetPropText(s, "letter", ""), "x");
    SetPropText(s, "title", "  a=b  ", "");
    EXPECT_EQ(s.Title, "  a=b  ");
    SetPropText(s, "missing", "1", "");
    EXPECT_EQ(GetPropText(s, "missing", ""), "");
    EXPECT_EQ(GetPropText(s, "child", ""), "");
}

class XMLObjectTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = XMLParserOptions; }
    void TearDown() override { XMLParserOptions = saved_; }

private:
    TXMLParserOptions saved_;
};

TEST_F(XMLObjectTest, WritesSimplePropertiesAlphabeticallyAndSkipsEmptyValues) {
    TSample s(nullptr);
    TXMLTag tag;
    s.AssignTo(tag);
    EXPECT_EQ(tag.Attributes, std::vector<std::string>({"color=red"}));
    EXPECT_EQ(tag.Children.Count(), 0);

    s.Title = "T";
    s.Count = -3;
    s.Letter = 'q';
    s.enabled = true;
    s.Color = TColor::clBlue;
    s.Ratio = 0.5;
    s.Parts = TParts(0xA);
    TXMLTag full;
    s.AssignTo(full);
    EXPECT_EQ(full.Attributes,
              std::vector<std::string>({"color=blue", "count=-3", "enabled=1", "letter=q",
                                        "parts=b,d", "ratio=0.5", "title=T"}));
}

TEST_F(XMLObjectTest, WritingKeepsWhatTheTagHeldInFront) {
    TSample s(nullptr);
    s.Title = "x";
    s.Child = std::make_unique<TSample>(&s);
    auto tag = ParseXml("<root old='1'><first/></root>");
    tag->Kind = TXMLTagKind::Text;
    s.AssignTo(*tag);
    EXPECT_EQ(tag->Kind, TXMLTagKind::Element);
    EXPECT_EQ(tag->Attributes, std::vector<std::string>({"old=1", "color=red", "title=x"}));
    EXPECT_EQ(ElementNames(*tag), std::vector<std::string>({"", "first", "", "child"}));
    EXPECT_EQ(tag->Children[3]->Parent, tag.get());
}

TEST_F(XMLObjectTest, EmptyListsAreNotWrittenAndItemsUseTheirTag) {
    TSample s(nullptr);
    s.Items = std::make_unique<TItems>(&s);
    TXMLTag empty;
    s.AssignTo(empty);
    EXPECT_EQ(empty.Children.Count(), 0);

    s.Items->Label = "L";
    s.Items->AddNew()->Name = "one";
    static_cast<TXMLObjectList&>(*s.Items).Add(std::make_unique<TXMLObject>(s.Items.get()));
    TXMLTag tag;
    s.AssignTo(tag);
    ASSERT_EQ(ElementNames(tag), std::vector<std::string>({"items"}));
    const TXMLTag& items = *tag.Children[0];
    EXPECT_EQ(items.Attributes, std::vector<std::string>({"label=L"}));
    ASSERT_EQ(ElementNames(items), std::vector<std::string>({"item"}));
    EXPECT_EQ(items.Children[0]->Attributes, std::vector<std::string>({"name=one"}));
}

TEST_F(XMLObjectTest, LoadsAttributesInDocumentOrderAndIgnoresUnknownOnes) {
    auto tag = ParseXml("<s TITLE='a=b' count='1' nothing='x' count='2' color='Green' "
                        "parts='c,a' enabled='1'>text<!-- c --><title>no</title></s>");
    TSample s(nullptr);
    s.Ratio = 1.5;
    s.Assign(*tag);
    EXPECT_EQ(s.Title, "a=b");
    EXPECT_EQ(s.Count, 2);
    EXPECT_EQ(s.Color, TColor::clGreen);
    EXPECT_EQ(GetPropText(s, "parts", ""), "a,c");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.Ratio, 1.5);
    EXPECT_EQ(s.Child, nullptr);
    ASSERT_NE(s.Items, nullptr);
    EXPECT_EQ(s.Items->Count(), 0);
    EXPECT_EQ(s.Items->Owner(), &s);
}

TEST_F(XMLObjectTest, PlainLoadReplacesSubObjectsAndMergeKeepsThem) {
    auto first = ParseXml("<s><child title='old' count='4'/><items><item name='a'/></items></s>");
    auto second = ParseXml("<s><child title='new'/><items><item name='b'/></items></s>");

    TSample plain(nullptr);
    plain.Assign(*first);
    plain.Assign(*second);
    ASSERT_NE(plain.Child, nullptr);
    EXPECT_EQ(plain.Child->Title, "new");
    EXPECT_EQ(plain.Child->Count, 0);
    EXPECT_EQ(plain.Child->Owner(), &plain);
    EXPECT_EQ(Names(*plain.Items), std::vector<std::string>({"b"}));

    TSample merged(nullptr);
    merged.Merge(*first);
    TSample* child = merged.Child.get();
    merged.Merge(*second);
    EXPECT_EQ(merged.Child.get(), child);
    EXPECT_EQ(merged.Child->Title, "new");
    EXPECT_EQ(merged.Child->Count, 4);
    EXPECT_EQ(Names(*merged.Items), std::vector<std::string>({"a", "b"}));
    EXPECT_FALSE(merged.Merging());
    EXPECT_FALSE(merged.Child->Merging());
}

TEST_F(XMLObjectTest, ListsAppendEveryElementInDocumentOrder) {
    auto tag = ParseXml("<s><items label='L'><item name='1'/><other name='x'/><item name='2'/>"
                        "</items><items><item name='3'/></items></s>");
    TSample s(nullptr);
    s.Assign(*tag);
    EXPECT_EQ(Names(*s.Items), std::vector<std::string>({"1", "2", "3"}));
    EXPECT_EQ(s.Items->Label, "L");
    EXPECT_EQ(s.Items->Items(0)->Owner(), s.Items.get());
}

TEST_F(XMLObjectTest, ElementsRefusedByCanLoadAreDropped) {
    auto tag = ParseXml("<s><extra skip='1' name='x'/><items><item name='a' skip='1'/>"
                        "<item name='b'/></items></s>");
    TSample s(nullptr);
    s.Assign(*tag);
    EXPECT_EQ(s.Extra, nullptr);
    EXPECT_EQ(Names(*s.Items), std::vector<std::string>({"b"}));

    // An object that was there before stays, unloaded.
    s.Extra = std::make_unique<TItem>(&s);
    s.Extra->Name = "kept";
    s.Merge(*tag);
    ASSERT_NE(s.Extra, nullptr);
    EXPECT_EQ(s.Extra->Name, "kept");
}

TEST_F(XMLObjectTest, ElementNamesAreMatchedIgnoringCase) {
    XMLParserOptions.LowerCaseNames = false;
    auto tag = ParseXml("<S><CHILD title='c'/><Items><item name='a'/><ITEM name='b'/></Items></S>");
    TSample s(nullptr);
    s.Assign(*tag);
    ASSERT_NE(s.Child, nullptr);
    EXPECT_EQ(s.Child->Title, "c");
    // Item tags compare exactly: the parser normally lower-cases them.
    EXPECT_EQ(Names(*s.Items), std::vector<std::string>({"a"}));
}

TEST_F(XMLObjectTest, CopyGoesThroughTheTreeAndLeavesRefusedItemsOut) {
    TSample source(nullptr);
    source.Title = "src";
    source.Color = TColor::clGreen;
    source.Child = std::make_unique<TSample>(&source);
    source.Child->Count = 9;
    source.Items = std::make_unique<TItems>(&source);
    source.Items->AddNew()->Name = "kept";
    TItem* hidden = source.Items->AddNew();
    hidden->Name = "hidden";
    hidden->Hidden = true;

    TSample copy(nullptr);
    copy.Count = 5;
    copy.Color = TColor::clBlue;
    copy.Assign(source);
    EXPECT_EQ(copy.Title, "src");
    EXPECT_EQ(copy.Color, TColor::clGreen);
    EXPECT_EQ(copy.Count, 5); // a zero is not written, so the old value stays
    ASSERT_NE(copy.Child, nullptr);
    EXPECT_NE(copy.Child.get(), source.Child.get());
    EXPECT_EQ(copy.Child->Count, 9);
    EXPECT_EQ(copy.Child->Owner(), &copy);
    EXPECT_EQ(Names(*copy.Items), std::vector<std::string>({"kept"}));
}

TEST_F(XMLObjectTest, CopyFromOwnSubObjectIsSafe) {
    TSample s(nullptr);
    s.Child = std::make_unique<TSample>(&s);
    s.Child->Title = "inner";
    s.Child->Child = std::make_unique<TSample>(s.Child.get());
    s.Assign(*s.Child);
    EXPECT_EQ(s.Title, "inner");
    ASSERT_NE(s.Child, nullptr);
    EXPECT_EQ(s.Child->Title, "");
}

TEST_F(XMLObjectTest, UnsupportedPairsRaiseTheBaseError) {
    TSample s(nullptr);
    TForeign foreign;
    try {
        s.Assign(foreign);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TForeign to a TSample");
    }
    try {
        s.AssignTo(foreign);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TSample to a TForeign");
    }
}

TEST_F(XMLObjectTest, TagAssignedFromObjectReceivesItsProperties) {
    TSample s(nullptr);
    s.Title = "t";
    TXMLTag tag;
    tag.Assign(s);
    EXPECT_EQ(tag.Attributes, std::vector<std::string>({"color=red", "title=t"}));
}

TEST_F(XMLObjectTest, AFailedLoadKeepsWhatWasReadAndLeaksNothing) {
    auto tag = ParseXml("<s title='t' count='bad' color='blue'><child title='c'/></s>");
    TSample s(nullptr);
    EXPECT_THROW(s.Merge(*tag), EConvertError);
    EXPECT_EQ(s.Title, "t");
    EXPECT_EQ(s.Color, TColor::clRed);
    EXPECT_FALSE(s.Merging());

    auto items = ParseXml("<s><child><child title='deep'/><items><item name='a'/>"
                          "<item name='b' number='x'/><item name='c'/></items></child></s>");
    TSample t(nullptr);
    EXPECT_THROW(t.Merge(*items), EConvertError);
    ASSERT_NE(t.Child, nullptr);
    EXPECT_EQ(t.Child->Child->Title, "deep");
    EXPECT_EQ(Names(*t.Child->Items), std::vector<std::string>({"a"}));
    EXPECT_FALSE(t.Merging());
    EXPECT_FALSE(t.Child->Merging());
    EXPECT_FALSE(t.Child->Items->Merging());
}

TEST_F(XMLObjectTest, DeepNestingIsRefusedWithAnError) {
    auto nested = [](int depth) {
        std::string xml;
        for (int i = 0; i < depth; ++i)
            xml += "<child title='t'>";
        return ParseXml(xml);
    };
    TSample ok(nullptr);
    ok.Assign(*nested(100));
    int levels = 0;
    for (const TSample* s = &ok; s->Child; s = s->Child.get())
        ++levels;
    EXPECT_EQ(levels, 99);

    TSample deep(nullptr);
    try {
        deep.Merge(*nested(100000));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "XML elements are nested more than 256 levels deep");
    }
    EXPECT_FALSE(deep.Merging());
    // The depth count is back at zero: the same object loads again.
    deep.Assign(*nested(3));
    EXPECT_EQ(deep.Child->Child->Child, nullptr);
}

TEST(XMLObjectListTest, FindByPropMatchesIntegersAndStrings) {
    TItems items(nullptr);
    TItem* a = items.AddNew();
    a->Name = "Alpha";
    a->Number = 10;
    TItem* b = items.AddNew();
    b->Name = "alpha";
    b->Number = 31;
    static_cast<TXMLObjectList&>(items).Add(std::make_unique<TXMLObject>(&items));

    EXPECT_EQ(items.FindByProp("name", "ALPHA", false), a);
    EXPECT_EQ(items.FindByProp("name", "alpha", true), b);
    EXPECT_EQ(items.FindByProp("name", "ALPHA", true), nullptr);
    EXPECT_EQ(items.FindByProp("Number", "$1F", false), b);
    EXPECT_EQ(items.FindByProp("Number", "10x", false), nullptr);
    EXPECT_EQ(items.FindByProp("Hidden", "0", false), nullptr);
    EXPECT_EQ(items.FindByProp("Missing", "", false), nullptr);
    EXPECT_EQ(items.FindByID("alpha"), nullptr);
}

TEST(XMLParamListTest, SetParamUpdatesTheFirstMatchOrAppends) {
    TItems items(nullptr);
    TXMLObject* first = items.SetParam("Key", "1");
    EXPECT_EQ(first->ClassType().Name(), std::string("TItem"));
    EXPECT_EQ(first->Owner(), &items);
    EXPECT_EQ(items.SetParam("KEY", "2"), first);
    EXPECT_EQ(items.Count(), 1);
    EXPECT_EQ(items.Items(0)->Name, "KEY");
    EXPECT_EQ(items.Items(0)->Value, "2");
    items.SetParam("other", "3");
    EXPECT_EQ(items.Count(), 2);
    EXPECT_EQ(items.FindParam("OTHER"), items.Items(1));
    EXPECT_EQ(items.FindParam("none"), nullptr);
}

} // namespace
} // namespace velk
