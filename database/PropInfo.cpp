#include "database/PropInfo.h"

#include <cstring>

#include "database/epXMLObject.h"
#include "platform/StrUtils.h"

namespace velk {

int TEnumType::Find(std::string_view name) const {
    for (int i = 0; i < Count; ++i)
        if (SameText(Names[i], name))
            return i;
    return -1;
}

TRareString& TRareString::operator=(std::string_view value) {
    if (value.empty())
        text_.reset();
    else if (text_)
        text_->assign(value.data(), value.size());
    else
        text_ = std::make_unique<std::string>(value);
    return *this;
}

const std::string& TRareString::str() const {
    static const std::string empty;
    return text_ ? *text_ : empty;
}

// A slot keeps its state in the low bits of an object's address, TXMLObject its Merging flag.
static_assert(alignof(TXMLObject) >= 4, "objects must leave two address bits free");

TObjectSlot::~TObjectSlot() {
    delete Object();
}

void TObjectSlot::Set(std::unique_ptr<TXMLObject> object) {
    delete Object();
    word_ = reinterpret_cast<uintptr_t>(object.release()) | (word_ & kLazy);
}

void TObjectSlot::Clear(TXMLObject* owner) {
    delete Object();
    word_ = word_ & kLazy ? Pending(owner) : 0;
}

TXMLObject* TObjectSlot::Materialize(const TClassInfo& listClass) const {
    if (word_ & kPending) {
        auto* owner = reinterpret_cast<TXMLObject*>(word_ & ~(kLazy | kPending));
        word_ = reinterpret_cast<uintptr_t>(listClass.Create(owner).release()) | kLazy;
    }
    return Object();
}

namespace {

// The data member of p in obj.
char* Member(const TXMLObject& obj, const TPropInfo& p) {
    return reinterpret_cast<char*>(const_cast<TXMLObject*>(&obj)) + p.Offset;
}

template <class T> T Load(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T> void Store(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

} // namespace

int64_t TPropInfo::GetOrd(const TXMLObject& obj) const {
    const char* at = Member(obj, *this);
    switch (Storage) {
    case TPropStorage::Byte:
        return Load<uint8_t>(at);
    case TPropStorage::Word:
        return Load<uint16_t>(at);
    default:
        return Load<int32_t>(at);
    }
}

void TPropInfo::SetOrd(TXMLObject& obj, int64_t value) const {
    char* at = Member(obj, *this);
    switch (Storage) {
    case TPropStorage::Byte:
        // A bool must hold 0 or 1 and nothing else.
        Store<uint8_t>(at, Kind == TPropKind::Boolean ? value != 0 : static_cast<uint8_t>(value));
        break;
    case TPropStorage::Word:
        Store<uint16_t>(at, static_cast<uint16_t>(value));
        break;
    default:
        Store<int32_t>(at, static_cast<int32_t>(value));
        break;
    }
}

double TPropInfo::GetFloat(const TXMLObject& obj) const {
    return Load<double>(Member(obj, *this));
}

void TPropInfo::SetFloat(TXMLObject& obj, double value) const {
    Store<double>(Member(obj, *this), value);
}

const std::string& TPropInfo::GetStr(const TXMLObject& obj) const {
    char* at = Member(obj, *this);
    if (Storage == TPropStorage::Rare)
        return reinterpret_cast<const TRareString*>(at)->str();
    return *reinterpret_cast<const std::string*>(at);
}

void TPropInfo::SetStr(TXMLObject& obj, std::string_view value) const {
    char* at = Member(obj, *this);
    if (Storage == TPropStorage::Rare)
        *reinterpret_cast<TRareString*>(at) = value;
    else if (Setter)
        Setter(obj, value);
    else
        reinterpret_cast<std::string*>(at)->assign(value.data(), value.size());
}

TXMLObject* TPropInfo::GetObj(const TXMLObject& obj) const {
    return reinterpret_cast<const TObjectSlot*>(Member(obj, *this))->Object();
}

TObjectSlot& TPropInfo::Slot(TXMLObject& obj) const {
    return *reinterpret_cast<TObjectSlot*>(Member(obj, *this));
}

bool TClassInfo::InheritsFrom(const TClassInfo& base) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &base)
            return true;
    return false;
}

std::unique_ptr<TXMLObject> TClassInfo::Create(TXMLObject* owner) const {
    return std::unique_ptr<TXMLObject>(create_(owner));
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
    size_t low = 0;
    size_t high = count_;
    while (low < high) {
        size_t mid = (low + high) / 2;
        int order = CompareNames(props_[mid]->Name, name);
        if (order == 0)
            return props_[mid];
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return nullptr;
}

namespace {

// A value name without the first length-of-prefix characters (the prefix is not verified).
std::string WithoutPrefix(const char* name, size_t prefixLength) {
    std::string_view n(name);
    return std::string(n.substr(prefixLength < n.size() ? prefixLength : n.size()));
}

uint32_t SetFromText(const TEnumType& type, std::string_view value, std::string_view prefix) {
    uint32_t bits = 0;
    while (!value.empty()) {
        size_t comma = value.find(',');
        std::string_view piece = value.substr(0, comma);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        if (piece.empty())
            continue;
        int ordinal = type.Find(std::string(prefix) + Trim(piece));
        if (ordinal >= 0 && ordinal < 32)
            bits |= 1u << ordinal;
    }
    return bits;
}

std::string SetToText(const TEnumType& type, uint32_t bits, size_t prefixLength) {
    std::string text;
    for (int i = 0; i < type.Count && i < 32; ++i) {
        if ((bits & (1u << i)) == 0)
            continue;
        if (!text.empty())
            text += ',';
        text += WithoutPrefix(type.Names[i], prefixLength);
    }
    return text;
}

} // namespace

void SetPropText(TXMLObject& obj, std::string_view propName, std::string_view value,
                 std::string_view prefix) {
    const TPropInfo* p = obj.ClassType().FindProp(propName);
    if (!p)
        return;
    switch (p->Kind) {
    case TPropKind::Integer: {
        int32_t v;
        if (!TryStrToInt(value, v))
            throw EConvertError(
                Format("'%s' is not a valid integer value", std::string(value).c_str()));
        p->SetOrd(obj, v);
        break;
    }
    case TPropKind::Char:
        p->SetOrd(obj, value.empty() ? 0 : value[0]);
        break;
    case TPropKind::Boolean:
        p->SetOrd(obj, value == "1" ? 1 : 0);
        break;
    case TPropKind::Enumeration: {
        int ordinal = p->Enum->Find(std::string(prefix) + std::string(value));
        if (ordinal >= 0)
            p->SetOrd(obj, ordinal);
        break;
    }
    case TPropKind::Float: {
        double v;
        if (!TryStrToFloat(value, v))
            throw EConvertError(
                Format("'%s' is not a valid floating point value", std::string(value).c_str()));
        p->SetFloat(obj, v);
        break;
    }
    case TPropKind::String:
        p->SetStr(obj, value);
        break;
    case TPropKind::Set:
        p->SetOrd(obj, SetFromText(*p->Enum, value, prefix));
        break;
    case TPropKind::Class:
        break;
    }
}

std::string GetPropText(const TXMLObject& obj, std::string_view propName, std::string_view prefix) {
    const TPropInfo* p = obj.ClassType().FindProp(propName);
    if (!p)
        return std::string();
    switch (p->Kind) {
    case TPropKind::Integer:
        return IntToStr(p->GetOrd(obj));
    case TPropKind::Char: {
        // Character 0 has no text form: it would end the value wherever it travels.
        char c = static_cast<char>(p->GetOrd(obj));
        return c ? std::string(1, c) : std::string();
    }
    case TPropKind::Boolean:
        return p->GetOrd(obj) != 0 ? "1" : "0";
    case TPropKind::Enumeration: {
        int64_t ordinal = p->GetOrd(obj);
        if (ordinal < 0 || ordinal >= p->Enum->Count)
            return std::string();
        return WithoutPrefix(p->Enum->Names[ordinal], prefix.size());
    }
    case TPropKind::Float:
        return FloatToStr(p->GetFloat(obj));
    case TPropKind::String:
        return p->GetStr(obj);
    case TPropKind::Set:
        return SetToText(*p->Enum, static_cast<uint32_t>(p->GetOrd(obj)), prefix.size());
    case TPropKind::Class:
        break;
    }
    return std::string();
}

} // namespace velk
