#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/PropInfo.h"
#include "database/epXMLParser.h"

namespace velk {

// Base of every install database object. Published properties (see PropInfo.h) move between the
// object and a TXMLTag element: simple ones as attributes, owned sub-objects as child elements.
// An object owns the objects held by its class properties; Owner is the object that created it.
class TXMLObject : public TPersistent {
public:
    explicit TXMLObject(TXMLObject* owner) : owner_(reinterpret_cast<uintptr_t>(owner)) {}
    TXMLObject(const TXMLObject&) = delete;
    TXMLObject& operator=(const TXMLObject&) = delete;

    static constexpr const TClassInfo& StaticClass() { return Info; }
    virtual const TClassInfo& ClassType() const;
    const char* ClassName() const final;
    const TXMLObject* AsObject() const final { return this; }

    // A TXMLTag dest receives this object's properties after what it already holds.
    void AssignTo(TPersistent& dest) const override;
    // A TXMLTag source is loaded; a TXMLObject source is copied through a temporary tag, so
    // whatever its CanSave hooks refuse is not copied.
    void Assign(const TPersistent& source) override;

    virtual void ReadAttribute(std::string_view line);
    virtual void ReadElement(const TXMLTag& tag);
    virtual void WriteAttributes(TXMLTag& tag) const;
    virtual void WriteAttribute(const std::string& propName, TXMLTag& tag) const;
    virtual void WriteElements(TXMLTag& tag) const;
    virtual std::string XmlToPropName(const std::string& name, bool isElement) const;
    virtual std::string PropToXmlName(const std::string& name, bool isElement) const;
    virtual std::string EnumPrefix(const std::string& propName) const;
    virtual bool CanLoad(const TXMLTag& tag) const;
    virtual bool CanSave(const TXMLTag& tag) const;
    // Loads tag into the existing sub-objects instead of replacing them.
    virtual void Merge(const TXMLTag& tag);

    bool Merging() const { return (owner_ & kMerging) != 0; }
    TXMLObject* Owner() const { return reinterpret_cast<TXMLObject*>(owner_ & ~kMerging); }

private:
    static const TClassInfo Info;
    // Objects are at least 2-byte aligned: the owner's address leaves its lowest bit to Merging,
    // which saves a word in each of the many objects of a database.
    static constexpr uintptr_t kMerging = 1;

    void Load(const TXMLTag& tag);

    uintptr_t owner_;
};

// An ordered list that owns its items; child elements become items through ItemClass, which
// by default is the item class the list's TClassInfo names.
class TXMLObjectList : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    ~TXMLObjectList() override;

    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    void ReadElement(const TXMLTag& tag) override;
    void WriteElements(TXMLTag& tag) const override;
    // The class of the items read from elements named tagName, or null to ignore them.
    virtual const TClassInfo* ItemClass(const std::string& tagName) const;
    // The element name items of exactly itemClass are written as; empty skips them.
    virtual std::string ItemTagName(const TClassInfo& itemClass) const;

    int Count() const { return static_cast<int>(items_.size()); }
    TXMLObject* Items(int index) const { return items_[static_cast<size_t>(index)].get(); }
    TXMLObject* Add(std::unique_ptr<TXMLObject> item);
    void Clear();
    void Delete(int index);
    // The first item whose integer or string property propName matches value, or null.
    TXMLObject* FindByProp(std::string_view propName, std::string_view value,
                           bool caseSensitive) const;
    TXMLObject* FindByID(std::string_view id) const;
    // Counts the calls of Delete and Clear: with Count it tells whether the items that were
    // there are still there, in the same places.
    uint32_t Removals() const { return removals_; }

private:
    static const TClassInfo Info;

    std::vector<std::unique_ptr<TXMLObject>> items_;
    uint32_t removals_ = 0;
};

// A list of items that each publish Name and Value.
class TXMLParamList : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;

    static constexpr const TClassInfo& StaticClass() { return Info; }
    const TClassInfo& ClassType() const override;

    // The list's item class, else TXMLObject.
    virtual const TClassInfo& ParamClass() const;
    virtual TXMLObject* FindParam(std::string_view name) const;
    // Sets Value of the first item named name (ignoring case and conditions), appending a new
    // item of ParamClass when there is none; returns that item.
    TXMLObject* SetParam(std::string_view name, std::string_view value);

private:
    static const TClassInfo Info;
};

// Walks the items of a list whose items are all of class T.
template <class T> class TXMLListIterator {
public:
    TXMLListIterator(const TXMLObjectList* list, int index) : list_(list), index_(index) {}
    T* operator*() const { return static_cast<T*>(list_->Items(index_)); }
    TXMLListIterator& operator++() {
        ++index_;
        return *this;
    }
    bool operator!=(const TXMLListIterator& other) const { return index_ != other.index_; }

private:
    const TXMLObjectList* list_;
    int index_;
};

// Typed access, inside a list class whose items are all of class Item (its TClassInfo names Item
// as item class). Not a class template between the list classes and TXMLObjectList: such a
// template would give every list class a second vtable, type information and destructors.
#define VELK_LIST_OF(Item)                                                                         \
    Item* Items(int index) const {                                                                 \
        return static_cast<Item*>(TXMLObjectList::Items(index));                                   \
    }                                                                                              \
    Item* Add(std::unique_ptr<Item> item) {                                                        \
        return static_cast<Item*>(TXMLObjectList::Add(std::move(item)));                           \
    }                                                                                              \
    /* Appends a new, empty item owned by this list. */                                            \
    Item* AddNew() {                                                                               \
        return Add(std::make_unique<Item>(this));                                                  \
    }                                                                                              \
    Item* FindByID(std::string_view id) const {                                                    \
        return static_cast<Item*>(TXMLObjectList::FindByID(id));                                   \
    }                                                                                              \
    ::velk::TXMLListIterator<Item> begin() const {                                                 \
        return {this, 0};                                                                          \
    }                                                                                              \
    ::velk::TXMLListIterator<Item> end() const {                                                   \
        return {this, Count()};                                                                    \
    }

// The object as class T when it is one, else null.
template <class T> T* ObjectAs(TXMLObject* object) {
    return object && object->ClassType().InheritsFrom(T::StaticClass()) ? static_cast<T*>(object)
                                                                        : nullptr;
}
template <class T> const T* ObjectAs(const TXMLObject* object) {
    return ObjectAs<T>(const_cast<TXMLObject*>(object));
}

} // namespace velk
