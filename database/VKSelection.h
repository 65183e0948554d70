#pragma once

#include <string>
#include <string_view>

#include "database/VKClasses.h"

namespace velk {

// The selection steps of a run that follow from the database alone.

// Start-up selection: the first active default install type (else the first install type), or,
// without install types, every active top-level feature with its active sub-tree.
void ApplyDefaultSelection(TvkMainDatabase& db);

// A selection step that cannot continue: the caption and text of the box that reports it.
struct TSelectionError {
    std::string Caption;
    std::string Text;
};

// Takes the active components that the selected features name (every active component when
// there are no features), removes the others, gives components without a package setupName,
// marks the packages they need and removes the other packages after the first. Returns false
// with error filled when a feature names an unknown component or a component an unknown package.
bool SelectComponents(TvkMainDatabase& db, std::string_view setupName, TSelectionError& error);

} // namespace velk
