#include "database/VKVariables.h"

#include <memory>

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epIniFile.h"
#include "platform/epRegIni.h"

namespace velk {

namespace {

// The expansion in progress. Variable values and the conditions that make variables visible are
// expanded in turn, so a reference loop shows as unbounded depth, and references that fan out as
// unbounded counts; the counts cover one outermost expansion with all that is nested in it.
struct TExpansion {
    int Depth = 0;
    int References = 0;
    size_t Text = 0;
    std::string_view Outermost;
};
TExpansion expansion;

class TExpansionLevel {
public:
    explicit TExpansionLevel(std::string_view text) {
        if (++expansion.Depth == 1) {
            expansion.References = 0;
            expansion.Text = 0;
            expansion.Outermost = text;
        }
    }
    ~TExpansionLevel() { --expansion.Depth; }
    TExpansionLevel(const TExpansionLevel&) = delete;
    TExpansionLevel& operator=(const TExpansionLevel&) = delete;
};

// "<what> in the string "<text>"."
[[noreturn]] void RaiseExpansionError(const char* what, std::string_view text) {
    throw EVariableError(std::string(what) + " in the string \"" + std::string(text) + "\".");
}

// The variable lists a scope sees, in lookup order.
struct TScope {
    TvkVariables* Own = nullptr; // the package's, when the scope is a package
    TvkMainDatabase* Main = nullptr;
    TvkPackage* Package = nullptr;
};

TvkMainDatabase* OwningDatabase(const TXMLObject* object) {
    for (TXMLObject* o = object->Owner(); o; o = o->Owner())
        if (auto* db = ObjectAs<TvkMainDatabase>(o))
            return db;
    return nullptr;
}

TScope ResolveScope(const TXMLObject* scope) {
    if (!scope)
        throw EVariableError("Package database was not assigned.");
    TScope result;
    if (auto* db = ObjectAs<TvkMainDatabase>(scope)) {
        result.Main = const_cast<TvkMainDatabase*>(db);
    } else if (auto* package = ObjectAs<TvkPackage>(scope)) {
        result.Package = const_cast<TvkPackage*>(package);
        result.Own = package->Variables.get();
        result.Main = OwningDatabase(package);
    } else {
        throw EVariableError("Wrong class has been specified.");
    }
    return result;
}

TvkVariable* FindVariable(const TScope& scope, std::string_view name) {
    if (scope.Own)
        if (TvkVariable* v = scope.Own->FindParam(name))
            return v;
    if (scope.Main && scope.Main->Variables)
        return scope.Main->Variables->FindParam(name);
    return nullptr;
}

// Where a new variable goes: the main database; a package that no main database owns keeps
// its own, so that nothing set is lost.
TvkVariables& NewVariableList(const TScope& scope) {
    auto& list = scope.Main ? scope.Main->Variables : scope.Package->Variables;
    if (!list)
        list = std::make_unique<TvkVariables>(scope.Main ? static_cast<TXMLObject*>(scope.Main)
                                                         : scope.Package);
    return *list;
}

std::string RawValue(const TvkVariable& v) {
    switch (v.VarType) {
    case TvkVarType::vtReg:
        return ReadRegString(v.RegKey, v.RegParam, v.DefValue);
    case TvkVarType::vtIni:
        try {
            return IniReadString(v.IniFile, v.IniSection, v.IniParam, v.DefValue);
        } catch (const EInOutError&) {
            return v.DefValue;
        }
    default:
        return v.Value;
    }
}

std::string ReplaceLineBreaks(std::string text) {
    size_t at = text.find("||");
    if (at == std::string::npos)
        return text;
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (; at != std::string::npos; at = text.find("||", from)) {
        result.append(text, from, at - from);
        result += "\r\n";
        from = at + 2;
    }
    result.append(text, from, std::string::npos);
    return result;
}

} // namespace

std::string ExpandVariables(const TXMLObject* scope, std::string_view text) {
    TExpansionLevel level(text);
    if (expansion.Depth > MaxExpansionDepth)
        RaiseExpansionError("Infinite reference", text);
    // The outermost text is the caller's own; only what references bring in is counted.
    if (expansion.Depth > 1) {
        expansion.Text += text.size();
        if (expansion.Text > MaxExpansionText)
            RaiseExpansionError("Too much text referenced", expansion.Outermost);
    }
    if (text.find('%') == std::string_view::npos && text.find("||") == std::string_view::npos)
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (;;) {
        size_t open = text.find('%', from);
        if (open == std::string_view::npos) {
            result.append(text.substr(from));
            break;
        }
        result.append(text.substr(from, open - from));
        if (open + 1 < text.size() && text[open + 1] == '%') {
            result += '%';
            from = open + 2;
            continue;
        }
        size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            result.append(text.substr(open));
            break;
        }
        if (++expansion.References > MaxExpansionReferences)
            RaiseExpansionError("Too many references", expansion.Outermost);
        result += GetVariable(scope, text.substr(open + 1, close - open - 1), {});
        from = close + 1;
    }
    return ReplaceLineBreaks(std::move(result));
}

std::string GetVariable(const TXMLObject* scope, std::string_view name, std::string_view def) {
    TvkVariable* v = FindVariable(ResolveScope(scope), name);
    return ExpandVariables(scope, v ? RawValue(*v) : std::string(def));
}

int32_t GetVariableInt(const TXMLObject* scope, std::string_view name, int32_t def) {
    return StrToIntDef(GetVariable(scope, name, IntToStr(def)), def);
}

bool GetVariableBool(const TXMLObject* scope, std::string_view name, bool def) {
    return GetVariableInt(scope, name, def ? 1 : 0) != 0;
}

TvkVariable& SetVariable(TXMLObject* scope, std::string_view name, std::string_view value) {
    TScope resolved = ResolveScope(scope);
    TvkVariable* v = FindVariable(resolved, name);
    if (!v) {
        v = NewVariableList(resolved).AddNew();
        v->Name = std::string(name);
    }
    v->Value = std::string(value);
    return *v;
}

TvkVariable& SetVariableInt(TXMLObject* scope, std::string_view name, int32_t value) {
    return SetVariable(scope, name, IntToStr(value));
}

TvkVariable& SetVariableBool(TXMLObject* scope, std::string_view name, bool value) {
    return SetVariable(scope, name, value ? "1" : "0");
}

TvkVariable& SetFolderVariable(TXMLObject* scope, std::string_view name, std::string_view path) {
    return SetVariable(scope, name, ExcludeTrailingBackslash(Trim(path)));
}

void SetPredefined(TvkMainDatabase& db, std::string_view name, std::string_view value) {
    SetVariable(&db, name, value).Predefined = true;
}

void SetPredefinedFolder(TvkMainDatabase& db, std::string_view name, std::string_view path) {
    SetFolderVariable(&db, name, path).Predefined = true;
}

} // namespace velk
