#include "database/epXMLObject.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

// Loading recurses once per object level; a limit keeps hostile documents from exhausting the
// stack. Real databases nest a few levels deep.
constexpr int kMaxLoadDepth = 256;
int loadDepth = 0;

class TLoadDepthGuard {
public:
    TLoadDepthGuard() {
        if (loadDepth >= kMaxLoadDepth)
            throw EConvertError(
                Format("XML elements are nested more than %d levels deep", kMaxLoadDepth));
        ++loadDepth;
    }
    ~TLoadDepthGuard() { --loadDepth; }
    TLoadDepthGuard(const TLoadDepthGuard&) = delete;
    TLoadDepthGuard& operator=(const TLoadDepthGuard&) = delete;
};

bool IsList(const TClassInfo& cls) {
    return cls.InheritsFrom(TXMLObjectList::StaticClass());
}

bool IsEmptyList(const TXMLObject& obj) {
    return IsList(obj.ClassType()) && static_cast<const TXMLObjectList&>(obj).Count() == 0;
}

// Writes obj into a new element named name and appends it to parent, unless obj refuses it.
void AppendElement(const TXMLObject& obj, const std::string& name, TXMLTag& parent) {
    auto element = std::make_unique<TXMLTag>();
    element->SetName(name);
    if (!obj.CanSave(*element))
        return;
    obj.AssignTo(*element);
    parent.Children.Add(std::move(element));
}

} // namespace

const TClassInfo TXMLObject::Info("TXMLObject", nullptr, kNoProperties, Construct<TXMLObject>);

const TClassInfo& TXMLObject::ClassType() const {
    return StaticClass();
}

const char* TXMLObject::ClassName() const {
    return ClassType().Name();
}

void TXMLObject::AssignTo(TPersistent& dest) const {
    // dest itself is writable; only the query is const
    auto* tag = const_cast<TXMLTag*>(dest.AsTag());
    if (!tag) {
        TPersistent::AssignTo(dest);
        return;
    }
    tag->Kind = TXMLTagKind::Element;
    WriteAttributes(*tag);
    WriteElements(*tag);
}

void TXMLObject::Assign(const TPersistent& source) {
    if (const TXMLTag* tag = source.AsTag()) {
        Load(*tag);
    } else if (const TXMLObject* obj = source.AsObject()) {
        TXMLTag copy;
        obj->AssignTo(copy);
        Load(copy);
    } else {
        TPersistent::Assign(source);
    }
}

void TXMLObject::Load(const TXMLTag& tag) {
    TLoadDepthGuard depth;
    for (const std::string& line : tag.Attributes)
        ReadAttribute(line);
    TPropRange props = ClassType().Properties();
    if (!Merging())
        for (const TPropInfo* p : props)
            if (p->Kind == TPropKind::Class)
                p->Slot(*this).Clear(this);
    for (const auto& child : tag.Children)
        if (child->Kind == TXMLTagKind::Element)
            ReadElement(*child);
    // A lazy list counts as there: it is created when it is first used.
    for (const TPropInfo* p : props) {
        if (p->Kind != TPropKind::Class || !IsList(p->DeclaredClass()))
            continue;
        TObjectSlot& slot = p->Slot(*this);
        if (!slot.Holds())
            slot.Set(p->DeclaredClass().Create(this));
    }
}

void TXMLObject::ReadAttribute(std::string_view line) {
    size_t eq = line.find('=');
    std::string name = LowerCase(line.substr(0, eq));
    std::string propName = LowerCase(XmlToPropName(name, false));
    std::string_view value =
        eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    SetPropText(*this, propName, value, EnumPrefix(propName));
}

void TXMLObject::ReadElement(const TXMLTag& tag) {
    const TPropInfo* p = ClassType().FindProp(XmlToPropName(tag.Name, true));
    if (!p || p->Kind != TPropKind::Class)
        return;
    TObjectSlot& slot = p->Slot(*this);
    TXMLObject* obj = slot.Object();
    bool created = false;
    if (!obj) {
        slot.Set(p->DeclaredClass().Create(this));
        obj = slot.Object();
        created = true;
    }
    if (!obj->CanLoad(tag)) {
        if (created)
            slot.Clear(this);
        return;
    }
    if (Merging())
        obj->Merge(tag);
    else
        obj->Assign(tag);
}

void TXMLObject::WriteAttributes(TXMLTag& tag) const {
    for (const TPropInfo* p : ClassType().Properties())
        if (p->Kind != TPropKind::Class)
            WriteAttribute(LowerCase(p->Name), tag);
}

void TXMLObject::WriteAttribute(const std::string& propName, TXMLTag& tag) const {
    const TPropInfo* p = ClassType().FindProp(propName);
    if (!p)
        return;
    std::string value = GetPropText(*this, propName, EnumPrefix(propName));
    if (value.empty())
        return;
    switch (p->Kind) {
    case TPropKind::Integer:
    case TPropKind::Float:
    case TPropKind::Boolean:
        if (value == "0")
            return;
        break;
    case TPropKind::Enumeration:
    case TPropKind::Set:
        value = LowerCase(value);
        break;
    default:
        break;
    }
    tag.Attributes.push_back(LowerCase(PropToXmlName(propName, false)) + "=" + value);
}

void TXMLObject::WriteElements(TXMLTag& tag) const {
    for (const TPropInfo* p : ClassType().Properties()) {
        if (p->Kind != TPropKind::Class)
            continue;
        // A list not created yet is empty, and empty lists are not written.
        const TXMLObject* obj = p->GetObj(*this);
        if (obj && !IsEmptyList(*obj))
            AppendElement(*obj, PropToXmlName(LowerCase(p->Name), true), tag);
    }
}

std::string TXMLObject::XmlToPropName(const std::string& name, bool) const {
    return name;
}

std::string TXMLObject::PropToXmlName(const std::string& name, bool) const {
    return name;
}

std::string TXMLObject::EnumPrefix(const std::string&) const {
    return std::string();
}

bool TXMLObject::CanLoad(const TXMLTag&) const {
    return true;
}

bool TXMLObject::CanSave(const TXMLTag&) const {
    return true;
}

void TXMLObject::Merge(const TXMLTag& tag) {
    struct TReset {
        uintptr_t& owner;
        ~TReset() { owner &= ~kMerging; }
    } reset{owner_};
    owner_ |= kMerging;
    Assign(tag);
}

const TClassInfo TXMLObjectList::Info("TXMLObjectList", &TXMLObject::StaticClass(), kNoProperties,
                                      Construct<TXMLObjectList>);

const TClassInfo& TXMLObjectList::ClassType() const {
    return StaticClass();
}

TXMLObjectList::~TXMLObjectList() {
    Clear();
}

void TXMLObjectList::ReadElement(const TXMLTag& tag) {
    const TClassInfo* itemClass = ItemClass(tag.Name);
    if (!itemClass)
        return;
    std::unique_ptr<TXMLObject> item = itemClass->Create(this);
    if (!item->CanLoad(tag))
        return;
    if (Merging())
        item->Merge(tag);
    else
        item->Assign(tag);
    Add(std::move(item));
}

void TXMLObjectList::WriteElements(TXMLTag& tag) const {
    for (const auto& item : items_) {
        if (IsEmptyList(*item))
            continue;
        std::string name = ItemTagName(item->ClassType());
        if (!name.empty())
            AppendElement(*item, name, tag);
    }
}

const TClassInfo* TXMLObjectList::ItemClass(const std::string& tagName) const {
    const TClassInfo& cls = ClassType();
    return cls.ItemTag() && tagName == cls.ItemTag() ? cls.ItemClass() : nullptr;
}

std::string TXMLObjectList::ItemTagName(const TClassInfo& itemClass) const {
    const TClassInfo& cls = ClassType();
    return &itemClass == cls.ItemClass() ? cls.ItemTag() : std::string();
}

TXMLObject* TXMLObjectList::Add(std::unique_ptr<TXMLObject> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
}

void TXMLObjectList::Clear() {
    ++removals_;
    items_.clear();
}

void TXMLObjectList::Delete(int index) {
    ++removals_;
    items_.erase(items_.begin() + index);
}

TXMLObject* TXMLObjectList::FindByProp(std::string_view propName, std::string_view value,
                                       bool caseSensitive) const {
    int32_t number = 0;
    bool isNumber = TryStrToInt(value, number);
    const TClassInfo* cls = nullptr;
    const TPropInfo* p = nullptr;
    for (const auto& item : items_) {
        if (&item->ClassType() != cls) {
            cls = &item->ClassType();
            p = cls->FindProp(propName);
        }
        if (!p)
            continue;
        if (p->Kind == TPropKind::Integer) {
            if (isNumber && p->GetOrd(*item) == number)
                return item.get();
        } else if (p->Kind == TPropKind::String) {
            const std::string& s = p->GetStr(*item);
            if (caseSensitive ? s == value : SameText(s, value))
                return item.get();
        }
    }
    return nullptr;
}

TXMLObject* TXMLObjectList::FindByID(std::string_view id) const {
    return FindByProp("ID", id, false);
}

const TClassInfo TXMLParamList::Info("TXMLParamList", &TXMLObjectList::StaticClass(), kNoProperties,
                                     Construct<TXMLParamList>);

const TClassInfo& TXMLParamList::ClassType() const {
    return StaticClass();
}

const TClassInfo& TXMLParamList::ParamClass() const {
    const TClassInfo* item = ClassType().ItemClass();
    return item ? *item : TXMLObject::StaticClass();
}

TXMLObject* TXMLParamList::FindParam(std::string_view name) const {
    return FindByProp("Name", name, false);
}

TXMLObject* TXMLParamList::SetParam(std::string_view name, std::string_view value) {
    TXMLObject* item = FindByProp("Name", name, false);
    if (!item)
        item = Add(ParamClass().Create(this));
    SetPropText(*item, "Name", name, "");
    SetPropText(*item, "Value", value, "");
    return item;
}

} // namespace velk
