#pragma once

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
    explicit TXMLObject(TXMLObject* owner) : owner_(owner) {}
    TXMLObject(const TXMLObject&) = delete;
    TXMLObject& operator=(const TXMLObject&) = delete;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const;
    const char* ClassName() const final;

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

    bool Merging() const { return merging_; }
    TXMLObject* Owner() const { return owner_; }

private:
    void Load(const TXMLTag& tag);

    TXMLObject* owner_;
    bool merging_ = false;
};

// An ordered list that owns its items; child elements become items through ItemClass.
class TXMLObjectList : public TXMLObject {
public:
    using TXMLObject::TXMLObject;
    ~TXMLObjectList() override;

    static const TClassInfo& StaticClass();
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
    void Clear() { items_.clear(); }
    void Delete(int index);
    // The first item whose integer or string property propName matches value, or null.
    TXMLObject* FindByProp(std::string_view propName, std::string_view value,
                           bool caseSensitive) const;
    TXMLObject* FindByID(std::string_view id) const;

private:
    std::vector<std::unique_ptr<TXMLObject>> items_;
};

// A list of items that each publish Name and Value.
class TXMLParamList : public TXMLObjectList {
public:
    using TXMLObjectList::TXMLObjectList;

    static const TClassInfo& StaticClass();
    const TClassInfo& ClassType() const override;

    virtual const TClassInfo& ParamClass() const;
    virtual TXMLObject* FindParam(std::string_view name) const;
    // Sets Value of the first item named name (ignoring case and conditions), appending a new
    // item of ParamClass when there is none; returns that item.
    TXMLObject* SetParam(std::string_view name, std::string_view value);
};

// A list whose items are all of class T (the loader creates only T), read from and written as
// elements named Tag.
template <class T, const char* Tag, class Base = TXMLObjectList> class TXMLListOf : public Base {
public:
    using Base::Base;

    class iterator {
    public:
        iterator(const TXMLListOf* list, int index) : list_(list), index_(index) {}
        T* operator*() const { return list_->Items(index_); }
        iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator!=(const iterator& other) const { return index_ != other.index_; }

    private:
        const TXMLListOf* list_;
        int index_;
    };

    T* Items(int index) const { return static_cast<T*>(Base::Items(index)); }
    T* Add(std::unique_ptr<T> item) { return static_cast<T*>(Base::Add(std::move(item))); }
    // Appends a new, empty item owned by this list.
    T* AddNew() { return Add(std::make_unique<T>(this)); }
    T* FindByID(std::string_view id) const { return static_cast<T*>(Base::FindByID(id)); }
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, this->Count()); }

    const TClassInfo* ItemClass(const std::string& tagName) const override {
        return tagName == Tag ? &T::StaticClass() : nullptr;
    }
    std::string ItemTagName(const TClassInfo& itemClass) const override {
        return &itemClass == &T::StaticClass() ? Tag : "";
    }
};

} // namespace velk
