#include "expressions/epExprEval.h"

#include "platform/StrUtils.h"

namespace velk {

// Names compare as the system compares words of the user's language.

template <class T> size_t TepNamedList<T>::ChainOf(std::string_view name) {
    return name.empty() ? EmptyName : static_cast<unsigned char>(AnsiUpCase(name[0]));
}

template <class T> const T* TepNamedList<T>::Find(std::string_view name) const {
    for (int i = firsts_[ChainOf(name)]; i >= 0; i = nextSameInitial_[size_t(i)]) {
        const T& item = *items_[size_t(i)];
        if (item.Name.size() == name.size() && AnsiSameText(item.Name, name))
            return &item;
    }
    return nullptr;
}

template <class T> T& TepNamedList<T>::Append(std::string name) {
    const int index = Count();
    int* link = &firsts_[ChainOf(name)];
    while (*link >= 0)
        link = &nextSameInitial_[size_t(*link)];
    *link = index;
    nextSameInitial_.push_back(-1);
    auto item = std::make_unique<T>();
    item->Name = std::move(name);
    item->Index = index;
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
