#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace velk {

// Published-property descriptions: what the XML mapper knows of a class. Every persistent class
// has one constant TClassInfo listing its properties, inherited ones included, sorted by name.
// A property is found in an object by the byte offset of its data member, so one reader and one
// writer per kind serve every property of every class: the tables are data, not code.

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

template <size_t N> constexpr TEnumType EnumTypeFrom(const char* const (&names)[N]) {
    return TEnumType{names, static_cast<int>(N)};
}

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

// Orders names ignoring ASCII case, as CompareText does; unlike it, it also runs at compile time,
// where the property tables are sorted, so the tables and their lookup can never disagree.
constexpr int CompareNames(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int x = static_cast<unsigned char>(a[i]);
        int y = static_cast<unsigned char>(b[i]);
        x -= x >= 'a' && x <= 'z' ? 'a' - 'A' : 0;
        y -= y >= 'a' && y <= 'z' ? 'a' - 'A' : 0;
        if (x != y)
            return x - y;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A string property that is empty in most objects: it costs one pointer until it holds text.
// It reads as a std::string.
class TRareString {
public:
    TRareString() = default;
    TRareString(const TRareString&) = delete;
    TRareString& operator=(const TRareString&) = delete;

    TRareString& operator=(std::string_view value);
    const std::string& str() const;
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    bool empty() const { return !text_; }
    void clear() { text_.reset(); }
    friend bool operator==(const TRareString& a, std::string_view b) { return a.str() == b; }

private:
    std::unique_ptr<std::string> text_; // null while empty
};

// Owns the object of a class property in one word, whatever the declared class, so the mapper
// handles every class property alike. A lazy slot stands for a list that always exists but is
// created on first use: until then the word remembers the owner the list will get.
class TObjectSlot {
public:
    TObjectSlot(const TObjectSlot&) = delete;
    TObjectSlot& operator=(const TObjectSlot&) = delete;
    ~TObjectSlot();

    // The object held; null when there is none or a lazy list is not created yet.
    TXMLObject* Object() const {
        return word_ & kPending ? nullptr : reinterpret_cast<TXMLObject*>(word_ & ~kLazy);
    }
    // Whether there is an object, counting a lazy list that is still to be created.
    bool Holds() const { return word_ != 0; }
    // Frees the object held and takes object; a lazy slot needs one.
    void Set(std::unique_ptr<TXMLObject> object);
    // Frees the object held: a lazy slot goes back to an uncreated list owned by owner.
    void Clear(TXMLObject* owner);

    friend bool operator==(const TObjectSlot& slot, std::nullptr_t) { return !slot.Holds(); }
    friend bool operator!=(const TObjectSlot& slot, std::nullptr_t) { return slot.Holds(); }

protected:
    constexpr TObjectSlot() = default;
    explicit TObjectSlot(TXMLObject* owner) : word_(Pending(owner)) {}
    // The object held, a lazy list created first as listClass.
    TXMLObject* Materialize(const TClassInfo& listClass) const;

private:
    // Objects are at least 4-byte aligned, which leaves the two low bits of their addresses free.
    static constexpr uintptr_t kLazy = 1;
    static constexpr uintptr_t kPending = 2;
    static uintptr_t Pending(TXMLObject* owner) {
        return reinterpret_cast<uintptr_t>(owner) | kLazy | kPending;
    }

    mutable uintptr_t word_ = 0;
};

// An owned object of class T, or none.
template <class T> class TOwned : public TObjectSlot {
public:
    constexpr TOwned() = default;
    TOwned& operator=(std::unique_ptr<T> object) {
        Set(std::move(object));
        return *this;
    }

    T* get() const { return static_cast<T*>(Object()); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    explicit operator bool() const { return Holds(); }
};

// A list of class T that always exists; it takes memory only once it is used.
template <class T> class TLazyList : public TObjectSlot {
public:
    explicit TLazyList(TXMLObject* owner) : TObjectSlot(owner) {}

    T* get() const { return static_cast<T*>(Materialize(T::StaticClass())); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    explicit operator bool() const { return Holds(); }
};

// How an object holds the value of a property.
enum class TPropStorage : uint8_t {
    Byte,   // unsigned 8 bits: char, bool, small enumerations and sets
    Word,   // unsigned 16 bits
    Long,   // signed 32 bits
    Double, // double
    String, // std::string, assigned directly or through the property's setter
    Rare,   // TRareString
    Object, // TObjectSlot
};

// Sets a string property whose change has further effects.
using TStringSetter = void (*)(TXMLObject& obj, std::string_view value);

// One published property. Ordinal accessors serve integers, characters, booleans, enumerations
// and sets (as a bit mask); the others their own kind.
struct TPropInfo {
    const char* Name;
    uint16_t Offset; // of the data member within the object
    TPropKind Kind;
    TPropStorage Storage;
    union {
        const TEnumType* Enum;   // Enumeration and Set
        const TClassInfo* Class; // Class: the declared class
        TStringSetter Setter;    // String: null for plain assignment
    };

    constexpr TPropInfo(const char* name, size_t offset, TPropKind kind, TPropStorage storage,
                        const TEnumType* type)
        : Name(name), Offset(static_cast<uint16_t>(offset)), Kind(kind), Storage(storage),
          Enum(type) {}
    constexpr TPropInfo(const char* name, size_t offset, const TClassInfo* declared)
        : Name(name), Offset(static_cast<uint16_t>(offset)), Kind(TPropKind::Class),
          Storage(TPropStorage::Object), Class(declared) {}
    constexpr TPropInfo(const char* name, size_t offset, TPropStorage storage, TStringSetter setter)
        : Name(name), Offset(static_cast<uint16_t>(offset)), Kind(TPropKind::String),
          Storage(storage), Setter(setter) {}

    const TClassInfo& DeclaredClass() const { return *Class; }

    int64_t GetOrd(const TXMLObject& obj) const;
    void SetOrd(TXMLObject& obj, int64_t value) const;
    double GetFloat(const TXMLObject& obj) const;
    void SetFloat(TXMLObject& obj, double value) const;
    const std::string& GetStr(const TXMLObject& obj) const;
    void SetStr(TXMLObject& obj, std::string_view value) const;
    // The object held; null for none and for a list that is not created yet.
    TXMLObject* GetObj(const TXMLObject& obj) const;
    TObjectSlot& Slot(TXMLObject& obj) const;
};

namespace prop_detail {

template <class T> struct IsEnumSet : std::false_type {};
template <class E, class S> struct IsEnumSet<TEnumSet<E, S>> : std::true_type {};

template <class T> constexpr TPropStorage OrdinalStorage() {
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4, "unsupported ordinal size");
    return sizeof(T) == 1 ? TPropStorage::Byte
                          : (sizeof(T) == 2 ? TPropStorage::Word : TPropStorage::Long);
}

} // namespace prop_detail

// The property name at offset of a data member of type T: int32_t, char, bool, double,
// std::string, TRareString, an enum (with a constexpr EnumTypeOf overload found by argument-
// dependent lookup), a TEnumSet, or a TOwned or TLazyList of a persistent class.
template <class T> constexpr TPropInfo PropOf(const char* name, size_t offset) {
    using prop_detail::OrdinalStorage;
    if constexpr (std::is_same_v<T, std::string>) {
        return TPropInfo(name, offset, TPropStorage::String, nullptr);
    } else if constexpr (std::is_same_v<T, TRareString>) {
        return TPropInfo(name, offset, TPropStorage::Rare, nullptr);
    } else if constexpr (std::is_same_v<T, double>) {
        return TPropInfo(name, offset, TPropKind::Float, TPropStorage::Double, nullptr);
    } else if constexpr (std::is_same_v<T, bool>) {
        return TPropInfo(name, offset, TPropKind::Boolean, OrdinalStorage<T>(), nullptr);
    } else if constexpr (std::is_same_v<T, char>) {
        return TPropInfo(name, offset, TPropKind::Char, OrdinalStorage<T>(), nullptr);
    } else if constexpr (std::is_same_v<T, int32_t>) {
        return TPropInfo(name, offset, TPropKind::Integer, OrdinalStorage<T>(), nullptr);
    } else if constexpr (std::is_enum_v<T>) {
        return TPropInfo(name, offset, TPropKind::Enumeration, OrdinalStorage<T>(),
                         &EnumTypeOf(T{}));
    } else if constexpr (prop_detail::IsEnumSet<T>::value) {
        return TPropInfo(name, offset, TPropKind::Set, OrdinalStorage<T>(),
                         &EnumTypeOf(typename T::Enum{}));
    } else {
        static_assert(std::is_base_of_v<TObjectSlot, T>, "unsupported property type");
        using D = std::remove_pointer_t<decltype(std::declval<T>().get())>;
        return TPropInfo(name, offset, &D::StaticClass());
    }
}

// Describes the data member Member of Class as the published property of the same name. Classes
// with virtual functions are not standard-layout, for which the language leaves offsetof
// conditionally supported: the tables that use this are compiled with -Winvalid-offsetof
// silenced (see VKClasses.cpp).
#define VELK_PROPERTY(Class, Member)                                                               \
    ::velk::PropOf<decltype(Class::Member)>(#Member, offsetof(Class, Member))

template <size_t N> using TPropList = std::array<const TPropInfo*, N>;
inline constexpr TPropList<0> kNoProperties{};

// The properties of a class, inherited ones and its own, sorted by name ignoring ASCII case.
// Evaluated at compile time; a name declared twice stops the compilation.
template <size_t P, size_t O>
constexpr TPropList<P + O> SortProperties(const TPropList<P>& inherited,
                                          const TPropInfo (&own)[O]) {
    TPropList<P + O> all{};
    for (size_t i = 0; i < P; ++i)
        all[i] = inherited[i];
    for (size_t i = 0; i < O; ++i)
        all[P + i] = &own[i];
    for (size_t i = 1; i < P + O; ++i) {
        for (size_t j = i; j > 0; --j) {
            int order = CompareNames(all[j - 1]->Name, all[j]->Name);
            if (order == 0)
                throw "a property is declared twice";
            if (order < 0)
                break;
            const TPropInfo* moved = all[j];
            all[j] = all[j - 1];
            all[j - 1] = moved;
        }
    }
    return all;
}

// The sorted properties of a class.
class TPropRange {
public:
    constexpr TPropRange(const TPropInfo* const* first, size_t count)
        : first_(first), count_(count) {}
    const TPropInfo* const* begin() const { return first_; }
    const TPropInfo* const* end() const { return first_ + count_; }

private:
    const TPropInfo* const* first_;
    size_t count_;
};

// The description of one class: its name, parent, properties and virtual constructor; a list
// class also names its items' class and element.
class TClassInfo {
public:
    using TCreate = TXMLObject* (*)(TXMLObject* owner);

    template <size_t N>
    constexpr TClassInfo(const char* name, const TClassInfo* parent, const TPropList<N>& props,
                         TCreate create, const TClassInfo* itemClass = nullptr,
                         const char* itemTag = nullptr)
        : name_(name), parent_(parent), props_(props.data()), count_(N), create_(create),
          itemClass_(itemClass), itemTag_(itemTag) {}
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const char* Name() const { return name_; }
    bool InheritsFrom(const TClassInfo& base) const;
    std::unique_ptr<TXMLObject> Create(TXMLObject* owner) const;

    // Own and inherited properties, sorted by name ignoring ASCII case.
    TPropRange Properties() const { return TPropRange(props_, count_); }
    // The property named name ignoring ASCII case, or null.
    const TPropInfo* FindProp(std::string_view name) const;

    // Lists: the class of the items, read from and written as elements named ItemTag.
    const TClassInfo* ItemClass() const { return itemClass_; }
    const char* ItemTag() const { return itemTag_; }

private:
    const char* name_;
    const TClassInfo* parent_;
    const TPropInfo* const* props_;
    size_t count_;
    TCreate create_;
    const TClassInfo* itemClass_;
    const char* itemTag_;
};

// The virtual constructor every concrete persistent class registers.
template <class T> TXMLObject* Construct(TXMLObject* owner) {
    return new T(owner);
}

// Sets propName of obj from text by the property's kind; enumeration and set names are looked up
// with prefix in front. Unknown properties are ignored. Throws EConvertError for text that is
// not a number where one is needed.
void SetPropText(TXMLObject& obj, std::string_view propName, std::string_view value,
                 std::string_view prefix);
// The text form of propName (enumeration and set names lose the length of prefix), or empty.
std::string GetPropText(const TXMLObject& obj, std::string_view propName, std::string_view prefix);

} // namespace velk
