#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace velk {

// Base of everything that can be copied into another persistent object: the XML tree and the
// database objects. Assign/AssignTo pairs a class does not know end in the base error.
class TXMLTag;
class TXMLObject;

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const = 0;
    // What the object is, without run-time type information (setup.exe is built without it).
    virtual const TXMLTag* AsTag() const { return nullptr; }
    virtual const TXMLObject* AsObject() const { return nullptr; }
    virtual void AssignTo(TPersistent& dest) const;
    virtual void Assign(const TPersistent& source);
};

// "Cannot assign a %s to a %s"
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Process-wide parser switches, read on every parse. setup.exe turns KeepValueSpaces on.
struct TXMLParserOptions {
    bool KeepTextSpaces = false;
    bool KeepValueSpaces = false;
    bool NoTextNodes = false;
    bool NoCommentNodes = false;
    bool LowerCaseNames = true;
};
extern TXMLParserOptions XMLParserOptions;

enum class TXMLTagKind : uint8_t { Element = 0, Text = 1, Comment = 2 };

class TXMLTag;

// The children of one tag; owns its nodes and makes its owner their Parent.
class TXMLTagList {
public:
    explicit TXMLTagList(TXMLTag* owner) : owner_(owner) {}
    TXMLTagList(const TXMLTagList&) = delete;
    TXMLTagList& operator=(const TXMLTagList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TXMLTag* Items(int index) const { return items_[static_cast<size_t>(index)].get(); }
    TXMLTag* operator[](int index) const { return Items(index); }
    TXMLTag* Add(std::unique_ptr<TXMLTag> tag);
    void Delete(int index);
    void Clear() { items_.clear(); }
    TXMLTag* Owner() const { return owner_; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TXMLTag;
    // Hands the nodes over to dest without destroying them (iterative teardown of deep trees).
    void MoveItemsTo(std::vector<std::unique_ptr<TXMLTag>>& dest);

    TXMLTag* owner_;
    std::vector<std::unique_ptr<TXMLTag>> items_;
};

class TXMLTag : public TPersistent {
public:
    TXMLTag() : Children(this) {}
    TXMLTag(const TXMLTag&) = delete;
    TXMLTag& operator=(const TXMLTag&) = delete;
    // Frees the subtree without recursion, so any nesting depth the parser accepts is safe.
    ~TXMLTag() override;

    const char* ClassName() const override { return "TXMLTag"; }
    const TXMLTag* AsTag() const override { return this; }

    TXMLTagKind Kind = TXMLTagKind::Element;
    TXMLTag* Parent = nullptr;
    TXMLTagList Children;
    // One "name=value" line per attribute, in document order; repeats give further lines.
    std::vector<std::string> Attributes;
    std::string Name;
    std::string Text;

    // Stores the name, lower-cased when LowerCaseNames is on.
    void SetName(std::string_view name);
    // Builds the tree under this tag, which becomes the root element (anything it held before is
    // dropped). Throws TXMLParserError on the first syntax error; the partial tree stays attached.
    void Parse(std::string_view text);
};

// A syntax error: the message ends in " Line %d, position %d." computed from the source.
class TXMLParserError : public Exception {
public:
    TXMLParserError(std::string_view message, size_t position, std::string_view source);
};

} // namespace velk
