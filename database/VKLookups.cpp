#include "database/VKClasses.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

template <class List> auto FirstActiveIn(const List& list, int from) {
    for (int i = from < 0 ? 0 : from; i < list.Count(); ++i)
        if (list.Items(i)->IsActive())
            return list.Items(i);
    return decltype(list.Items(0))(nullptr);
}

// Searches list and its active sub-trees for id. owner is the feature whose Features list is
// searched (null at the top), reported through parent when the hit lies directly in list.
TvkFeature* SearchFeature(const TvkFeatures& list, std::string_view id, TvkFeature* owner,
                          TvkFeature*& parent, TvkFeature*& next) {
    for (int i = 0; i < list.Count(); ++i) {
        TvkFeature* f = list.Items(i);
        if (!f->IsActive())
            continue;
        TvkFeature* found = nullptr;
        if (SameText(f->ID, id)) {
            found = f;
            if (owner)
                parent = owner;
            if (!next && f->Features && f->Features->Count() > 0)
                next = f->Features->FirstActive(0);
        } else if (f->Features) {
            found = SearchFeature(*f->Features, id, f, parent, next);
        }
        if (found) {
            if (!next && i < list.Count() - 1)
                next = list.FirstActive(i + 1);
            return found;
        }
    }
    return nullptr;
}

} // namespace

TvkFeature* TvkFeatures::FirstActive(int from) const {
    return FirstActiveIn(*this, from);
}

TvkFeature* TvkFeatures::FindFeature(std::string_view id, TvkFeature** parent,
                                     TvkFeature** next) const {
    TvkFeature* unusedParent = nullptr;
    TvkFeature* following = nullptr;
    TvkFeature*& parentRef = parent ? *parent : unusedParent;
    if (next)
        *next = nullptr;
    if (Count() == 0)
        return nullptr;
    std::string wanted(id);
    if (wanted.empty()) {
        TvkFeature* first = FirstActive(0);
        if (!first)
            return nullptr;
        wanted = first->ID;
    }
    TvkFeature* found = SearchFeature(*this, wanted, nullptr, parentRef, following);
    if (next)
        *next = following;
    return found;
}

TvkInstallType* TvkInstallTypes::FirstActive(int from) const {
    return FirstActiveIn(*this, from);
}

TvkInstallType* TvkInstallTypes::FindInstallType(std::string_view id, TvkInstallType** next) const {
    if (next)
        *next = nullptr;
    std::string wanted(id);
    if (wanted.empty()) {
        TvkInstallType* first = FirstActive(0);
        if (!first)
            return nullptr;
        wanted = first->ID;
    }
    for (int i = 0; i < Count(); ++i) {
        TvkInstallType* t = Items(i);
        if (SameText(t->ID, wanted) && t->IsActive()) {
            if (next && i < Count() - 1)
                *next = FirstActive(i + 1);
            return t;
        }
    }
    return nullptr;
}

namespace {

// FNV-1a over the name with ASCII letters in upper case, as names compare.
uint32_t NameHash(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(UpCase(c));
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

void TvkVariables::UpdateIndex() const {
    int count = Count();
    bool current = removals_ == Removals() && renames_ == TvkVariableName::renames_;
    if (current && indexed_ == count)
        return;
    ++updates_;
    // At most two thirds of the slots in use keeps the probe runs short.
    size_t needed = static_cast<size_t>(count) + static_cast<size_t>(count) / 2;
    size_t size = slots_.size();
    if (!current || size < needed) {
        size = 16;
        while (size < needed)
            size *= 2;
        slots_ = std::vector<int32_t>(size, -1);
        indexed_ = 0;
        removals_ = Removals();
        renames_ = TvkVariableName::renames_;
    }
    size_t mask = size - 1;
    for (; indexed_ < count; ++indexed_) {
        const TvkVariableName& name = Items(indexed_)->Name;
        name.indexed_ = true;
        size_t slot = NameHash(name) & mask;
        while (slots_[slot] >= 0)
            slot = (slot + 1) & mask;
        slots_[slot] = indexed_;
    }
}

TvkVariable* TvkVariables::Scan(int from, std::string_view name) const {
    for (int i = from; i < Count(); ++i)
        if (SameText(Items(i)->Name, name) && Items(i)->IsActive())
            return Items(i);
    return nullptr;
}

TvkVariable* TvkVariables::FindParam(std::string_view name) const {
    if (Count() == 0)
        return nullptr;
    UpdateIndex();
    size_t mask = slots_.size() - 1;
    for (size_t slot = NameHash(name) & mask; slots_[slot] >= 0; slot = (slot + 1) & mask) {
        int position = slots_[slot];
        TvkVariable* v = Items(position);
        if (!SameText(v->Name, name))
            continue;
        uint32_t updates = updates_;
        if (v->IsActive())
            return v;
        // The condition changed the list: the index no longer says what follows.
        if (updates != updates_)
            return Scan(position + 1, name);
    }
    return nullptr;
}

TvkFileInfo* TvkFileInfos::FindFileInfo(std::string_view name) const {
    return static_cast<TvkFileInfo*>(FindByProp("Name", name, false));
}

TvkPackage* TvkPackages::FindPackage(std::string_view name) const {
    return static_cast<TvkPackage*>(FindByProp("FileName", name, false));
}

std::string TvkPluginSimpleConfig::GetParam(std::string_view group, std::string_view name,
                                            std::string_view def) const {
    const auto* g = static_cast<const TvkParamGroup*>(FindByProp("Name", group, false));
    const auto* p = g ? static_cast<const TvkParam*>(g->FindByProp("Name", name, false)) : nullptr;
    return p ? p->Value : std::string(def);
}

std::vector<std::string> TvkPluginSimpleConfig::GroupNames() const {
    std::vector<std::string> names;
    for (const TvkParamGroup* g : *this)
        names.push_back(g->Name);
    return names;
}

std::vector<std::string> TvkPluginSimpleConfig::ParamNames(std::string_view group) const {
    std::vector<std::string> names;
    if (const auto* g = static_cast<const TvkParamGroup*>(FindByProp("Name", group, false)))
        for (const TvkParam* p : *g)
            names.push_back(p->Name);
    return names;
}

} // namespace velk
