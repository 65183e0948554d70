#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace velk {

// Published-property descriptions: what the XML mapper knows of a class. Every persistent class
// has one static TClassInfo declaring its own properties and naming its parent's.

class TXMLObject;
class TClassInfo;

enum class TPropKind : uint8_t { Integer, Char, Boolean, Enumeration, Float, String, Set, Class };

// Ordered value names of an enumeration; a value's ordinal is its index.
struct TEnumType {
    const char* const* Names;
    int Count;

    // Ordinal of the name ignoring ASCII case, -1 when there is none.
    int Find(std::string_view name) const;
};

// A set of enumeration values kept as a bit mask of ordinals in Storage.
template <class E, class Storage> class TEnumSet {
public:
    using Enum = E;

    constexpr TEnumSet() = default;
    constexpr explicit TEnumSet(uint32_t bits) : bits_(static_cast<Storage>(bits)) {}

    bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
    TEnumSet& Include(E value) {
        bits_ = static_cast<Storage>(bits_ | Bit(value));
        return *this;
    }
    uint32_t Bits() const { return bits_; }

private:
    static Storage Bit(E value) { return static_cast<Storage>(1u << static_cast<unsigned>(value)); }
    Storage bits_ = 0;
};

// One published property. Ordinal accessors serve integers, characters, booleans, enumerations
// and sets (as a bit mask); exactly the accessor pair of the property's kind is set.
struct TPropInfo {
    using TGetOrd = int64_t (*)(const TXMLObject&);
    using TSetOrd = void (*)(TXMLObject&, int64_t);
    using TGetFloat = double (*)(const TXMLObject&);
    using TSetFloat = void (*)(TXMLObject&, double);
    using TGetStr = const std::string& (*)(const TXMLObject&);
    using TSetStr = void (*)(TXMLObject&, std::string);
    using TGetObj = TXMLObject* (*)(const TXMLObject&);
    using TSetObj = void (*)(TXMLObject&, std::unique_ptr<TXMLObject>);
    using TGetClass = const TClassInfo& (*)();

    const char* Name = nullptr;
    TPropKind Kind = TPropKind::Integer;
    const TEnumType* Enum = nullptr; // Enumeration and Set
    TGetClass DeclaredClass = nullptr;
    TGetOrd GetOrd = nullptr;
    TSetOrd SetOrd = nullptr;
    TGetFloat GetFloat = nullptr;
    TSetFloat SetFloat = nullptr;
    TGetStr GetStr = nullptr;
    TSetStr SetStr = nullptr;
    TGetObj GetObj = nullptr;
    TSetObj SetObj = nullptr;

    static TPropInfo Ordinal(const char* name, TPropKind kind, const TEnumType* type, TGetOrd get,
                             TSetOrd set);
    static TPropInfo Float(const char* name, TGetFloat get, TSetFloat set);
    static TPropInfo String(const char* name, TGetStr get, TSetStr set);
    // set receives only objects created by the declared class (or a class derived from it).
    static TPropInfo Object(const char* name, TGetClass declared, TGetObj get, TSetObj set);
};

// The description of one class: its name, parent, own properties and virtual constructor.
class TClassInfo {
public:
    using TCreate = std::unique_ptr<TXMLObject> (*)(TXMLObject* owner);

    TClassInfo(const char* name, const TClassInfo* parent, std::vector<TPropInfo> props,
               TCreate create);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const char* Name() const { return name_; }
    bool InheritsFrom(const TClassInfo& base) const;
    std::unique_ptr<TXMLObject> Create(TXMLObject* owner) const { return create_(owner); }

    // Own and inherited properties, sorted by name ignoring ASCII case.
    const std::vector<const TPropInfo*>& Properties() const { return sorted_; }
    // The property named name ignoring ASCII case, or null.
    const TPropInfo* FindProp(std::string_view name) const;

private:
    const char* name_;
    const TClassInfo* parent_;
    TCreate create_;
    std::vector<TPropInfo> own_;
    std::vector<const TPropInfo*> sorted_;
};

// The virtual constructor every concrete persistent class registers.
template <class T> std::unique_ptr<TXMLObject> Construct(TXMLObject* owner) {
    return std::make_unique<T>(owner);
}

namespace prop_detail {

template <class M> struct MemberOf;
template <class C, class T> struct MemberOf<T C::*> {
    using Class = C;
    using Type = T;
};

template <class T> struct IsEnumSet : std::false_type {};
template <class E, class S> struct IsEnumSet<TEnumSet<E, S>> : std::true_type {};

template <class T> struct IsOwnedPtr : std::false_type {};
template <class T> struct IsOwnedPtr<std::unique_ptr<T>> : std::true_type {};

} // namespace prop_detail

// Describes the data member M as a published property; the kind follows from the member's type:
// int32_t, char, bool, double, std::string, an enum (with an EnumTypeOf overload found by
// argument-dependent lookup), a TEnumSet, or a std::unique_ptr to a persistent class.
template <auto M> TPropInfo Prop(const char* name) {
    using C = typename prop_detail::MemberOf<decltype(M)>::Class;
    using T = typename prop_detail::MemberOf<decltype(M)>::Type;
    if constexpr (std::is_same_v<T, std::string>) {
        return TPropInfo::String(
            name,
            [](const TXMLObject& o) -> const std::string& { return static_cast<const C&>(o).*M; },
            [](TXMLObject& o, std::string v) { static_cast<C&>(o).*M = std::move(v); });
    } else if constexpr (std::is_same_v<T, double>) {
        return TPropInfo::Float(
            name, [](const TXMLObject& o) { return static_cast<const C&>(o).*M; },
            [](TXMLObject& o, double v) { static_cast<C&>(o).*M = v; });
    } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, char> ||
                         std::is_same_v<T, int32_t>) {
        constexpr TPropKind kind = std::is_same_v<T, bool>   ? TPropKind::Boolean
                                   : std::is_same_v<T, char> ? TPropKind::Char
                                                             : TPropKind::Integer;
        return TPropInfo::Ordinal(
            name, kind, nullptr,
            [](const TXMLObject& o) -> int64_t {
                return static_cast<int64_t>(static_cast<const C&>(o).*M);
            },
            [](TXMLObject& o, int64_t v) { static_cast<C&>(o).*M = static_cast<T>(v); });
    } else if constexpr (std::is_enum_v<T>) {
        return TPropInfo::Ordinal(
            name, TPropKind::Enumeration, &EnumTypeOf(T{}),
            [](const TXMLObject& o) -> int64_t {
                return static_cast<int64_t>(static_cast<const C&>(o).*M);
            },
            [](TXMLObject& o, int64_t v) { static_cast<C&>(o).*M = static_cast<T>(v); });
    } else if constexpr (prop_detail::IsEnumSet<T>::value) {
        return TPropInfo::Ordinal(
            name, TPropKind::Set, &EnumTypeOf(typename T::Enum{}),
            [](const TXMLObject& o) -> int64_t { return (static_cast<const C&>(o).*M).Bits(); },
            [](TXMLObject& o, int64_t v) { static_cast<C&>(o).*M = T(static_cast<uint32_t>(v)); });
    } else {
        static_assert(prop_detail::IsOwnedPtr<T>::value, "unsupported property type");
        using D = typename T::element_type;
        return TPropInfo::Object(
            name, &D::StaticClass,
            [](const TXMLObject& o) -> TXMLObject* { return (static_cast<const C&>(o).*M).get(); },
            [](TXMLObject& o, std::unique_ptr<TXMLObject> v) {
                static_cast<C&>(o).*M = std::unique_ptr<D>(static_cast<D*>(v.release()));
            });
    }
}

// Sets propName of obj from text by the property's kind; enumeration and set names are looked up
// with prefix in front. Unknown properties are ignored. Throws EConvertError for text that is
// not a number where one is needed.
void SetPropText(TXMLObject& obj, std::string_view propName, std::string_view value,
                 std::string_view prefix);
// The text form of propName (enumeration and set names lose the length of prefix), or empty.
std::string GetPropText(const TXMLObject& obj, std::string_view propName, std::string_view prefix);

} // namespace velk
