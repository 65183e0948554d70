#include "database/PropInfo.h"

#include <algorithm>

#include "database/epXMLObject.h"
#include "platform/StrUtils.h"

namespace velk {

int TEnumType::Find(std::string_view name) const {
    for (int i = 0; i < Count; ++i)
        if (SameText(Names[i], name))
            return i;
    return -1;
}

TPropInfo TPropInfo::Ordinal(const char* name, TPropKind kind, const TEnumType* type, TGetOrd get,
                             TSetOrd set) {
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.Enum = type;
    p.GetOrd = get;
    p.SetOrd = set;
    return p;
}

TPropInfo TPropInfo::Float(const char* name, TGetFloat get, TSetFloat set) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::Float;
    p.GetFloat = get;
    p.SetFloat = set;
    return p;
}

TPropInfo TPropInfo::String(const char* name, TGetStr get, TSetStr set) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::String;
    p.GetStr = get;
    p.SetStr = set;
    return p;
}

TPropInfo TPropInfo::Object(const char* name, TGetClass declared, TGetObj get, TSetObj set) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::Class;
    p.DeclaredClass = declared;
    p.GetObj = get;
    p.SetObj = set;
    return p;
}

TClassInfo::TClassInfo(const char* name, const TClassInfo* parent, std::vector<TPropInfo> props,
                       TCreate create)
    : name_(name), parent_(parent), create_(create), own_(std::move(props)) {
    if (parent_)
        sorted_ = parent_->sorted_;
    for (const TPropInfo& p : own_)
        sorted_.push_back(&p);
    std::stable_sort(sorted_.begin(), sorted_.end(), [](const TPropInfo* a, const TPropInfo* b) {
        return CompareText(a->Name, b->Name) < 0;
    });
}

bool TClassInfo::InheritsFrom(const TClassInfo& base) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &base)
            return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
    auto it = std::lower_bound(
        sorted_.begin(), sorted_.end(), name,
        [](const TPropInfo* p, std::string_view n) { return CompareText(p->Name, n) < 0; });
    if (it != sorted_.end() && CompareText((*it)->Name, name) == 0)
        return *it;
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
        p->SetStr(obj, std::string(value));
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
