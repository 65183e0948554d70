#include "database/PropInfo.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "database/epXMLObject.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

// Properties of every kind and storage size, found by offset: each test checks that reading and
// writing one property touches its own member and nothing else.

enum class TShade : uint8_t { Light, Dark };
constexpr const char* kShadeNames[] = {"Light", "Dark"};
constexpr TEnumType kShadeType = EnumTypeFrom(kShadeNames);
constexpr const TEnumType& EnumTypeOf(TShade) {
    return kShadeType;
}

enum class TWide : uint16_t { W0, W1, W2 };
constexpr const char* kWideNames[] = {"w0", "w1", "w2"};
constexpr TEnumType kWideType = EnumTypeFrom(kWideNames);
constexpr const TEnumType& EnumTypeOf(TWide) {
    return kWideType;
}

enum class TLong : int32_t { L0, L1, L2, L3 };
constexpr const char* kLongNames[] = {"l0", "l1", "l2", "l3"};
constexpr TEnumType kLongType = EnumTypeFrom(kLongNames);
constexpr const TEnumType& EnumTypeOf(TLong) {
    return kLongType;
}

enum class TBit : uint8_t {};
constexpr const char* kBitNames[] = {"b0",  "b1",  "b2",  "b3",  "b4",  "b5",  "b6",  "b7",
                                     "b8",  "b9",  "b10", "b11", "b12", "b13", "b14", "b15",
                                     "b16", "b17", "b18", "b19", "b20", "b21", "b22", "b23",
                                     "b24", "b25", "b26", "b27", "b28", "b29", "b30", "b31"};
constexpr TEnumType kBitType = EnumTypeFrom(kBitNames);
constexpr const TEnumType& EnumTypeOf(TBit) {
    return kBitType;
}
using TSmallSet = TEnumSet<TBit, uint8_t>;
using TMidSet = TEnumSet<TBit, uint16_t>;
using TBigSet = TEnumSet<TBit, uint32_t>;

class TKindsBase : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    std::string Zeta;
    int32_t alpha = 0;

    static const TClassInfo Info;
};

class TKindsList;

class TKinds : public TKindsBase {
public:
    using TKindsBase::TKindsBase;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    char Letter = 0;
    bool Flag = false;
    TShade Shade = TShade::Light;
    TWide Wide = TWide::W0;
    int32_t Number = 0;
    TLong Long = TLong::L0;
    TSmallSet Small;
    TMidSet Mid;
    TBigSet Big;
    double Ratio = 0;
    std::string Text;
    TRareString Rare;
    std::string Guarded; // written through a setter that counts the calls
    int GuardedSets = 0;
    TOwned<TKinds> Child;
    TLazyList<TKindsList> Lazy{this};

    static const TClassInfo Info;
};

class TKindsList : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TKinds)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    static const TClassInfo Info;
};

void SetGuarded(TXMLObject& obj, std::string_view value) {
    auto& kinds = static_cast<TKinds&>(obj);
    kinds.Guarded = "<" + std::string(value) + ">";
    ++kinds.GuardedSets;
}

// offsetof of classes with virtual functions, as the database classes use it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

constexpr TPropInfo kBaseOwn[] = {VELK_PROPERTY(TKindsBase, Zeta),
                                  VELK_PROPERTY(TKindsBase, alpha)};
constexpr auto kBaseProps = SortProperties(kNoProperties, kBaseOwn);

constexpr TPropInfo kKindsOwn[] = {
    VELK_PROPERTY(TKinds, Letter),
    VELK_PROPERTY(TKinds, Flag),
    VELK_PROPERTY(TKinds, Shade),
    VELK_PROPERTY(TKinds, Wide),
    VELK_PROPERTY(TKinds, Number),
    VELK_PROPERTY(TKinds, Long),
    VELK_PROPERTY(TKinds, Small),
    VELK_PROPERTY(TKinds, Mid),
    VELK_PROPERTY(TKinds, Big),
    VELK_PROPERTY(TKinds, Ratio),
    VELK_PROPERTY(TKinds, Text),
    VELK_PROPERTY(TKinds, Rare),
    TPropInfo("Guarded", offsetof(TKinds, Guarded), TPropStorage::String, SetGuarded),
    VELK_PROPERTY(TKinds, Child),
    VELK_PROPERTY(TKinds, Lazy)};
constexpr auto kKindsProps = SortProperties(kBaseProps, kKindsOwn);

#pragma GCC diagnostic pop

const TClassInfo TKindsBase::Info("TKindsBase", &TXMLObject::StaticClass(), kBaseProps,
                                  Construct<TKindsBase>);
const TClassInfo TKinds::Info("TKinds", &TKindsBase::StaticClass(), kKindsProps, Construct<TKinds>);
const TClassInfo TKindsList::Info("TKindsList", &TXMLObjectList::StaticClass(), kNoProperties,
                                  Construct<TKindsList>, &TKinds::StaticClass(), "kinds");

const TPropInfo& Prop(std::string_view name) {
    const TPropInfo* p = TKinds::StaticClass().FindProp(name);
    EXPECT_NE(p, nullptr) << name;
    return *p;
}

// Every ordinal member with all its bits set, so that a write that spills over shows.
void FillOrdinals(TKinds& k) {
    k.alpha = -1;
    k.Letter = '\xFF';
    k.Flag = true;
    k.Shade = TShade::Dark;
    k.Wide = static_cast<TWide>(0xFFFF);
    k.Number = -1;
    k.Long = static_cast<TLong>(-1);
    k.Small = TSmallSet(0xFF);
    k.Mid = TMidSet(0xFFFF);
    k.Big = TBigSet(0xFFFFFFFF);
}

// The ordinals as the members hold them.
std::vector<int64_t> Ordinals(const TKinds& k) {
    return {k.alpha,
            static_cast<unsigned char>(k.Letter),
            k.Flag,
            static_cast<int64_t>(k.Shade),
            static_cast<int64_t>(k.Wide),
            k.Number,
            static_cast<int64_t>(k.Long),
            k.Small.Bits(),
            k.Mid.Bits(),
            k.Big.Bits()};
}

const char* const kOrdinalNames[] = {"alpha",  "Letter", "Flag",  "Shade", "Wide",
                                     "Number", "Long",   "Small", "Mid",   "Big"};

TEST(PropInfoTest, EachOrdinalIsReadAndWrittenInItsOwnStorage) {
    TKinds k(nullptr);
    FillOrdinals(k);
    const std::vector<int64_t> full = Ordinals(k);
    // Integers and 32-bit enumerations and sets read sign-extended, the narrower ones unsigned.
    const std::vector<int64_t> read = {-1, 0xFF, 1, 1, 0xFFFF, -1, -1, 0xFF, 0xFFFF, -1};
    for (size_t i = 0; i < std::size(kOrdinalNames); ++i) {
        EXPECT_EQ(Prop(kOrdinalNames[i]).GetOrd(k), read[i]) << kOrdinalNames[i];
        Prop(kOrdinalNames[i]).SetOrd(k, 0);
        std::vector<int64_t> expected = full;
        expected[i] = 0;
        EXPECT_EQ(Ordinals(k), expected) << kOrdinalNames[i];
        Prop(kOrdinalNames[i]).SetOrd(k, full[i]);
        EXPECT_EQ(Ordinals(k), full) << kOrdinalNames[i];
    }
    EXPECT_TRUE(k.Ratio == 0 && k.Text.empty() && k.Zeta.empty() && !k.Child);
}

TEST(PropInfoTest, OrdinalsKeepWhatTheirStorageHolds) {
    TKinds k(nullptr);
    Prop("Flag").SetOrd(k, 2);
    EXPECT_TRUE(k.Flag);
    EXPECT_EQ(Prop("Flag").GetOrd(k), 1);
    Prop("Wide").SetOrd(k, 2);
    EXPECT_EQ(k.Wide, TWide::W2);
    Prop("Long").SetOrd(k, 3);
    EXPECT_EQ(k.Long, TLong::L3);
    Prop("Letter").SetOrd(k, 'q');
    EXPECT_EQ(k.Letter, 'q');
    Prop("Big").SetOrd(k, int64_t(0x80000001u));
    EXPECT_TRUE(k.Big.Contains(TBit{31}));
    EXPECT_TRUE(k.Big.Contains(TBit{0}));
    EXPECT_FALSE(k.Big.Contains(TBit{30}));
}

TEST(PropInfoTest, IntegersTakeDollarHexadecimalAndThe32BitLimits) {
    TKinds k(nullptr);
    const std::vector<std::pair<const char*, int32_t>> valid = {{"2147483647", INT32_MAX},
                                                                {"-2147483648", INT32_MIN},
                                                                {"$7FFFFFFF", INT32_MAX},
                                                                {"$80000000", INT32_MIN},
                                                                {"$ffffffff", -1},
                                                                {"-$10", -16},
                                                                {"0", 0}};
    for (const auto& [text, value] : valid) {
        k.Number = 12345;
        SetPropText(k, "number", text, "");
        EXPECT_EQ(k.Number, value) << text;
        EXPECT_EQ(GetPropText(k, "NUMBER", ""), IntToStr(value)) << text;
    }
    for (const char* text : {"2147483648", "-2147483649", "$100000000", "$", "1 2", "0x"}) {
        k.Number = 7;
        EXPECT_THROW(SetPropText(k, "number", text, ""), EConvertError) << text;
        EXPECT_EQ(k.Number, 7) << text;
    }
}

TEST(PropInfoTest, WideEnumerationsAndSetsConvertLikeNarrowOnes) {
    TKinds k(nullptr);
    SetPropText(k, "wide", "W2", "");
    EXPECT_EQ(k.Wide, TWide::W2);
    EXPECT_EQ(GetPropText(k, "wide", ""), "w2");
    SetPropText(k, "long", "3", "l");
    EXPECT_EQ(k.Long, TLong::L3);
    EXPECT_EQ(GetPropText(k, "long", "l"), "3");
    SetPropText(k, "big", "b31, b0,b16", "");
    EXPECT_EQ(k.Big.Bits(), 0x80010001u);
    EXPECT_EQ(GetPropText(k, "big", ""), "b0,b16,b31");
    SetPropText(k, "mid", "b15,b16,b1", "");
    EXPECT_EQ(k.Mid.Bits(), 0x8002u);
    // A member beyond what the set stores is dropped.
    SetPropText(k, "small", "b8,b7", "");
    EXPECT_EQ(k.Small.Bits(), 0x80u);
    EXPECT_EQ(GetPropText(k, "small", ""), "b7");
}

TEST(PropInfoTest, FloatsStringsAndSettersReachTheirMembers) {
    TKinds k(nullptr);
    FillOrdinals(k);
    const std::vector<int64_t> full = Ordinals(k);
    Prop("Ratio").SetFloat(k, -0.125);
    EXPECT_EQ(k.Ratio, -0.125);
    EXPECT_EQ(Prop("ratio").GetFloat(k), -0.125);
    Prop("Text").SetStr(k, "text");
    Prop("Zeta").SetStr(k, "zeta");
    EXPECT_EQ(k.Text, "text");
    EXPECT_EQ(Prop("zeta").GetStr(k), "zeta");
    SetPropText(k, "guarded", "g", "");
    EXPECT_EQ(k.Guarded, "<g>");
    EXPECT_EQ(k.GuardedSets, 1);
    EXPECT_EQ(GetPropText(k, "guarded", ""), "<g>");
    EXPECT_EQ(Ordinals(k), full);
}

TEST(PropInfoTest, RareStringsReadEmptyUntilSet) {
    TKinds k(nullptr);
    EXPECT_TRUE(k.Rare.empty());
    EXPECT_EQ(Prop("Rare").GetStr(k), "");
    SetPropText(k, "rare", "r=1", "");
    EXPECT_FALSE(k.Rare.empty());
    EXPECT_EQ(k.Rare, "r=1");
    const std::string& text = k.Rare;
    EXPECT_EQ(text, "r=1");
    EXPECT_EQ(std::string_view(k.Rare).size(), 3u);
    k.Rare = "other";
    EXPECT_EQ(GetPropText(k, "rare", ""), "other");
    SetPropText(k, "rare", "", "");
    EXPECT_TRUE(k.Rare.empty());
    k.Rare = "x";
    k.Rare.clear();
    EXPECT_EQ(k.Rare, "");
}

TEST(PropInfoTest, OwnedObjectsAreHeldAndFreedThroughTheirSlot) {
    TKinds k(nullptr);
    const TPropInfo& child = Prop("child");
    EXPECT_EQ(&child.DeclaredClass(), &TKinds::StaticClass());
    EXPECT_EQ(child.GetObj(k), nullptr);
    EXPECT_FALSE(child.Slot(k).Holds());
    child.Slot(k).Set(child.DeclaredClass().Create(&k));
    ASSERT_NE(k.Child, nullptr);
    EXPECT_EQ(child.GetObj(k), k.Child.get());
    EXPECT_EQ(k.Child->Owner(), &k);
    child.Slot(k).Clear(&k);
    EXPECT_EQ(k.Child, nullptr);
    EXPECT_EQ(child.GetObj(k), nullptr);
}

TEST(PropInfoTest, LazyListsAreCreatedOnFirstUseForTheirOwner) {
    TKinds k(nullptr);
    const TPropInfo& lazy = Prop("lazy");
    EXPECT_EQ(&lazy.DeclaredClass(), &TKindsList::StaticClass());
    EXPECT_TRUE(lazy.Slot(k).Holds());
    EXPECT_NE(k.Lazy, nullptr);
    EXPECT_EQ(lazy.GetObj(k), nullptr);

    EXPECT_EQ(k.Lazy->Count(), 0);
    TKindsList* list = k.Lazy.get();
    EXPECT_EQ(lazy.GetObj(k), list);
    EXPECT_EQ(list->Owner(), &k);
    EXPECT_STREQ(list->ClassName(), "TKindsList");
    EXPECT_EQ(k.Lazy.get(), list);
    list->AddNew()->Text = "item";

    lazy.Slot(k).Clear(&k);
    EXPECT_EQ(lazy.GetObj(k), nullptr);
    EXPECT_TRUE(lazy.Slot(k).Holds());
    EXPECT_EQ(k.Lazy->Count(), 0);
    EXPECT_EQ(k.Lazy->Owner(), &k);
}

std::vector<std::string> PropertyNames(const TClassInfo& info) {
    std::vector<std::string> names;
    for (const TPropInfo* p : info.Properties())
        names.push_back(p->Name);
    return names;
}

TEST(PropInfoTest, PropertiesAreSortedIgnoringCaseWithTheInheritedOnes) {
    EXPECT_EQ(PropertyNames(TKinds::StaticClass()),
              (std::vector<std::string>{"alpha", "Big", "Child", "Flag", "Guarded", "Lazy",
                                        "Letter", "Long", "Mid", "Number", "Rare", "Ratio", "Shade",
                                        "Small", "Text", "Wide", "Zeta"}));
    EXPECT_EQ(PropertyNames(TKindsBase::StaticClass()),
              (std::vector<std::string>{"alpha", "Zeta"}));
    for (const TPropInfo* p : TKinds::StaticClass().Properties()) {
        EXPECT_EQ(TKinds::StaticClass().FindProp(UpperCase(p->Name)), p);
        EXPECT_EQ(TKinds::StaticClass().FindProp(LowerCase(p->Name)), p);
    }
    for (const char* missing : {"", "a", "alphas", "Bi", "Zetaa", "zz", "Lazy_"})
        EXPECT_EQ(TKinds::StaticClass().FindProp(missing), nullptr) << missing;
}

TEST(PropInfoTest, CompareNamesOrdersLikeCompareText) {
    const std::vector<std::string> words = {"",  "a", "A", "ab",  "aB", "b",    "_",    "Z",
                                            "z", "[", "`", "a_b", "aZ", "\xE4", "\xC4", "0"};
    for (const std::string& a : words) {
        for (const std::string& b : words) {
            int expected = CompareText(a, b);
            int actual = CompareNames(a, b);
            EXPECT_EQ(expected < 0, actual < 0) << a << " " << b;
            EXPECT_EQ(expected == 0, actual == 0) << a << " " << b;
        }
    }
}

// The same list, once created with its owner and once created on first use: every way of
// loading, writing and copying must give the same result.

class TNote : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }
    bool CanSave(const TXMLTag&) const override { return Text != "secret"; }

    std::string Text;

    static const TClassInfo Info;
};

class TNotes : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;
    VELK_LIST_OF(TNote)
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    std::string Title;

    static const TClassInfo Info;
};

class TEagerHolder : public TXMLObject {
public:
    explicit TEagerHolder(TXMLObject* owner) : TXMLObject(owner) {
        Notes.Set(TNotes::StaticClass().Create(this));
    }
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    std::string Name;
    TOwned<TNotes> Notes;

    static const TClassInfo Info;
};

class TLazyHolder : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    std::string Name;
    TLazyList<TNotes> Notes{this};

    static const TClassInfo Info;
};

// offsetof of classes with virtual functions, as the database classes use it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

constexpr TPropInfo kNoteOwn[] = {VELK_PROPERTY(TNote, Text)};
constexpr auto kNoteProps = SortProperties(kNoProperties, kNoteOwn);
constexpr TPropInfo kNotesOwn[] = {VELK_PROPERTY(TNotes, Title)};
constexpr auto kNotesProps = SortProperties(kNoProperties, kNotesOwn);
constexpr TPropInfo kEagerOwn[] = {VELK_PROPERTY(TEagerHolder, Name),
                                   VELK_PROPERTY(TEagerHolder, Notes)};
constexpr auto kEagerProps = SortProperties(kNoProperties, kEagerOwn);
constexpr TPropInfo kLazyOwn[] = {VELK_PROPERTY(TLazyHolder, Name),
                                  VELK_PROPERTY(TLazyHolder, Notes)};
constexpr auto kLazyProps = SortProperties(kNoProperties, kLazyOwn);

#pragma GCC diagnostic pop

const TClassInfo TNote::Info("TNote", &TXMLObject::StaticClass(), kNoteProps, Construct<TNote>);
const TClassInfo TNotes::Info("TNotes", &TXMLObjectList::StaticClass(), kNotesProps,
                              Construct<TNotes>, &TNote::StaticClass(), "note");
const TClassInfo TEagerHolder::Info("TEagerHolder", &TXMLObject::StaticClass(), kEagerProps,
                                    Construct<TEagerHolder>);
const TClassInfo TLazyHolder::Info("TLazyHolder", &TXMLObject::StaticClass(), kLazyProps,
                                   Construct<TLazyHolder>);

std::unique_ptr<TXMLTag> ParseXml(std::string_view text) {
    auto tag = std::make_unique<TXMLTag>();
    tag->Parse(text);
    return tag;
}

// Attributes and elements, text and comment nodes left out.
std::string Dump(const TXMLTag& tag) {
    std::string out = tag.Name + "[";
    for (const std::string& line : tag.Attributes)
        out += line + ";";
    out += "]";
    for (const auto& child : tag.Children)
        if (child->Kind == TXMLTagKind::Element)
            out += "(" + Dump(*child) + ")";
    return out;
}

template <class T> std::string Written(const T& holder) {
    TXMLTag tag;
    tag.SetName("holder");
    holder.AssignTo(tag);
    return Dump(tag);
}

// What a holder shows: its written form and its notes with their owners.
template <class T> std::string State(const T& holder) {
    std::string state = Written(holder) + " notes:" + IntToStr(holder.Notes->Count());
    state += holder.Notes->Owner() == &holder ? " owned" : " NOT OWNED";
    for (const TNote* note : *holder.Notes)
        state += note->Owner() == holder.Notes.get() ? "" : " ITEM NOT OWNED";
    return state;
}

const char* const kSteps[] = {
    "<h name='a'/>",
    "<h><notes title='t'><note text='1'/><note text='secret'/></notes></h>",
    "<h><notes><note text='2'/></notes></h>",
    "<h><notes/></h>",
    "<h name='b'><notes title='u'/></h>",
    "<h name='c'/>",
};

TEST(LazyListTest, LoadsAndWritesLikeAListCreatedWithItsOwner) {
    for (bool merge : {false, true}) {
        TEagerHolder eager(nullptr);
        TLazyHolder lazy(nullptr);
        EXPECT_EQ(Written(lazy), Written(eager));
        for (const char* step : kSteps) {
            auto tag = ParseXml(step);
            if (merge) {
                eager.Merge(*tag);
                lazy.Merge(*tag);
            } else {
                eager.Assign(*tag);
                lazy.Assign(*tag);
            }
            EXPECT_EQ(State(lazy), State(eager)) << step << (merge ? " merged" : " assigned");
        }
    }
}

TEST(LazyListTest, CopiesLikeAListCreatedWithItsOwner) {
    auto notes = ParseXml("<h name='n'><notes title='t'><note text='1'/><note text='secret'/>"
                          "<note text='2'/></notes></h>");
    TEagerHolder eagerSource(nullptr);
    TLazyHolder lazySource(nullptr);
    eagerSource.Assign(*notes);
    lazySource.Assign(*notes);

    for (bool fromLazy : {false, true}) {
        const TXMLObject& source =
            fromLazy ? static_cast<const TXMLObject&>(lazySource) : eagerSource;
        TEagerHolder eager(nullptr);
        TLazyHolder lazy(nullptr);
        eager.Assign(source);
        lazy.Assign(source);
        EXPECT_EQ(State(lazy), State(eager));
        EXPECT_EQ(lazy.Notes->Count(), 2);
        EXPECT_NE(lazy.Notes.get(), lazySource.Notes.get());
    }

    // An untouched lazy list copies as an empty one and is still not created afterwards.
    TLazyHolder untouched(nullptr);
    TEagerHolder eager(nullptr);
    eager.Assign(eagerSource);
    eager.Assign(untouched);
    EXPECT_EQ(TLazyHolder::StaticClass().FindProp("notes")->GetObj(untouched), nullptr);
    EXPECT_EQ(eager.Notes->Count(), 0);
}

TEST(LazyListTest, WritingAndLoadingDoNotCreateListsThatStayEmpty) {
    const TPropInfo& notes = *TLazyHolder::StaticClass().FindProp("Notes");
    TLazyHolder lazy(nullptr);
    lazy.Assign(*ParseXml("<h name='x'/>"));
    lazy.Merge(*ParseXml("<h name='y'/>"));
    EXPECT_EQ(Written(lazy), "holder[name=y;]");
    EXPECT_EQ(notes.GetObj(lazy), nullptr);
    lazy.Merge(*ParseXml("<h><notes><note text='1'/></notes></h>"));
    ASSERT_NE(notes.GetObj(lazy), nullptr);
    EXPECT_EQ(lazy.Notes->Items(0)->Text, "1");
    // Plain loading replaces the list: back to one that is not created yet.
    lazy.Assign(*ParseXml("<h/>"));
    EXPECT_EQ(notes.GetObj(lazy), nullptr);
    EXPECT_EQ(lazy.Notes->Count(), 0);
}

} // namespace
} // namespace velk
