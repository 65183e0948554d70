#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/VKClasses.h"
#include "platform/Exception.h"

namespace velk {

// Variables by name in a scope: the main database, or a package, which sees its own variables
// first and then those of the main database that owns it. Names ignore case; a variable whose
// condition is false is invisible.

// "Package database was not assigned.", "Wrong class has been specified.",
// "Infinite reference in the string \"%s\".".
class EVariableError : public Exception {
public:
    using Exception::Exception;
};

// Nested expansions beyond this depth are taken for a reference loop.
constexpr int MaxExpansionDepth = 100;
// References that fan out (a value naming another variable several times, whose value does the
// same, and so on) multiply the work level by level long before the depth limit is reached, and
// a few references to a long value multiply the memory. One expansion, with everything nested in
// it (values, and the conditions that choose among namesakes), may therefore make at most
// MaxExpansionReferences references and bring in at most MaxExpansionText characters through
// them; beyond either it fails with "Too many references in the string \"%s\"." or "Too much
// text referenced in the string \"%s\".", naming the text that was to be expanded.
constexpr int MaxExpansionReferences = 10000;
constexpr size_t MaxExpansionText = size_t(16) << 20;

// Replaces every %Name% by the variable's value (nothing when there is none), "%%" by "%", then
// every "||" by CR LF. A "%" without a closing one stays as written.
std::string ExpandVariables(const TXMLObject* scope, std::string_view text);

// The variable's value by its type, or def when no visible variable has the name; expanded.
std::string GetVariable(const TXMLObject* scope, std::string_view name, std::string_view def);
// The value as an integer; def when there is none or it is not a number.
int32_t GetVariableInt(const TXMLObject* scope, std::string_view name, int32_t def);
// True when the integer value is not zero.
bool GetVariableBool(const TXMLObject* scope, std::string_view name, bool def);

// Sets the value of the visible variable of that name, or appends a new one to the main
// database's variables (also for a package scope). Returns the variable set.
TvkVariable& SetVariable(TXMLObject* scope, std::string_view name, std::string_view value);
TvkVariable& SetVariableInt(TXMLObject* scope, std::string_view name, int32_t value);
TvkVariable& SetVariableBool(TXMLObject* scope, std::string_view name, bool value);
// The path trimmed and without one trailing backslash.
TvkVariable& SetFolderVariable(TXMLObject* scope, std::string_view name, std::string_view path);

// Set in the main database and marked as the system's own.
void SetPredefined(TvkMainDatabase& db, std::string_view name, std::string_view value);
void SetPredefinedFolder(TvkMainDatabase& db, std::string_view name, std::string_view path);

} // namespace velk
