#include "expressions/epExprEval.h"

#include "platform/StrUtils.h"

namespace velk {

// Names compare as the system compares words of the user's language.

template <class T> const T* TepNamedList<T>::Find(std::string_view name) const {
    if (!name.empty() && !initials_.Contains(AnsiUpCase(name[0])))
        return nullptr;
    for (const auto& item : items_)
        if (item->Name.size() == name.size() && AnsiSameText(item->Name, name))
            return item.get();
    return nullptr;
}

template <class T> T& TepNamedList<T>::Append(std::string name) {
    if (!name.empty())
        initials_.Add(AnsiUpCase(name[0]));
    auto item = std::make_unique<T>();
    item->Name = std::move(name);
    item->Index = Count();
    items_.push_back(std::move(item));
    return *items_.back();
}

template class TepNamedList<TepOperator>;
template class TepNamedList<TepFunction>;

const TepOperator& TepOperatorList::Add(std::string name, TepOperatorKinds kinds, int priority) {
    TepOperator& item = Append(std::move(name));
    item.Kinds = kinds;
    item.Priority = priority;
    return item;
}

const TepFunction& TepFunctionList::Add(std::string name, int argCount) {
    TepFunction& item = Append(std::move(name));
    item.ArgCount = argCount;
    return item;
}

} // namespace velk
