#include "database/VKSelection.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

void NotifyFeatureChange(TvkFeature& feature) {
    for (TXMLObject* o = feature.Owner(); o; o = o->Owner()) {
        if (auto* db = ObjectAs<TvkMainDatabase>(o)) {
            if (db->OnFeatureChange)
                db->OnFeatureChange(feature);
            return;
        }
    }
}

// Marks the active components that the selected features of list (and of their active
// sub-trees) name; false with error filled at the first unknown component.
bool MarkFeatureComponents(const TvkFeatures& list, TvkComponents& components,
                           TSelectionError& error) {
    for (TvkFeature* f : list) {
        if (!f->IsActive())
            continue;
        if (f->Selected && f->Components) {
            for (TvkComponent* ref : *f->Components) {
                TvkComponent* c = components.FindByID(ref->ID());
                if (!c) {
                    error = {"Component not found",
                             Format("Component ID=\"%s\" not found!", ref->ID().c_str())};
                    return false;
                }
                if (c->IsActive())
                    c->Selected = true;
            }
        }
        if (f->Features && !MarkFeatureComponents(*f->Features, components, error))
            return false;
    }
    return true;
}

} // namespace

void TvkFeature::SetSelected(bool value) {
    if (!IsActive())
        return;
    int old = State();
    Selected = value;
    Partial = false;
    if (State() != old)
        NotifyFeatureChange(*this);
    if (Features)
        for (TvkFeature* f : *Features)
            f->SetSelected(value);
}

int TvkFeature::UpdateState() {
    if (!IsActive())
        return 0;
    // Sub-features that all stand aside leave the choice to the feature itself; otherwise a
    // feature could never be selected on a system where none of its sub-features applies.
    if (Features && Features->FirstActive(0)) {
        int old = State();
        int k = Features->CombinedState();
        Selected = k != 0;
        Partial = k == 2;
        if (State() != old)
            NotifyFeatureChange(*this);
    }
    return State();
}

int TvkFeatures::CombinedState() const {
    if (Count() == 0)
        return 0;
    int s = Items(0)->UpdateState();
    for (int i = 1; i < Count(); ++i) {
        int b = Items(i)->UpdateState();
        if (b == 2 || b != s)
            s = 2;
    }
    return s;
}

bool TvkMainDatabase::SelectInstallType(std::string_view id) {
    TvkInstallType* t = InstallTypes ? InstallTypes->FindByID(id) : nullptr;
    if (!t || !t->IsActive())
        return false;
    if (Features) {
        for (TvkFeature* f : *Features)
            f->SetSelected(false);
        if (t->Features)
            for (TvkFeature* ref : *t->Features)
                if (!ref->ID.empty())
                    if (TvkFeature* f = Features->FindFeature(ref->ID))
                        f->SetSelected(true);
        Features->CombinedState();
    }
    if (OnInstallTypeChange)
        OnInstallTypeChange(*t);
    return true;
}

bool TvkMainDatabase::SetFeatureSelected(std::string_view id, bool value) {
    TvkFeature* f = Features ? Features->FindFeature(id) : nullptr;
    if (!f)
        return false;
    f->SetSelected(f->Required ? true : value);
    Features->CombinedState();
    return f->Selected == value;
}

void ApplyDefaultSelection(TvkMainDatabase& db) {
    if (!db.InstallTypes || db.InstallTypes->Count() == 0) {
        if (db.Features)
            for (TvkFeature* f : *db.Features)
                f->SetSelected(true);
        return;
    }
    TvkInstallType* chosen = db.InstallTypes->Items(0);
    for (TvkInstallType* t : *db.InstallTypes) {
        if (t->Default && t->IsActive()) {
            chosen = t;
            break;
        }
    }
    db.SelectInstallType(chosen->ID);
}

bool SelectComponents(TvkMainDatabase& db, std::string_view setupName, TSelectionError& error) {
    if (!db.Components)
        return true;
    TvkComponents& components = *db.Components;
    if (db.Features && db.Features->Count() > 0) {
        if (!MarkFeatureComponents(*db.Features, components, error))
            return false;
    } else {
        for (TvkComponent* c : components)
            if (c->IsActive())
                c->Selected = true;
    }
    for (int i = components.Count() - 1; i >= 0; --i) {
        TvkComponent* c = components.Items(i);
        if (!c->Selected)
            components.Delete(i);
        else if (c->Package.empty())
            c->Package = std::string(setupName);
    }
    for (TvkComponent* c : components) {
        TvkPackage* p = db.Packages ? db.Packages->FindPackage(c->Package) : nullptr;
        if (!p) {
            error = {"Package not found",
                     Format("Can't find package \"%s\" in main database!", c->Package.c_str())};
            return false;
        }
        p->Needed = true;
    }
    for (int i = db.Packages ? db.Packages->Count() - 1 : 0; i >= 1; --i)
        if (!db.Packages->Items(i)->Needed)
            db.Packages->Delete(i);
    return true;
}

} // namespace velk
