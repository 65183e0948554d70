#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expressions/epCharSet.h"
#include "platform/Exception.h"

namespace velk {

// A one-pass interpreter of text-valued expressions. It knows no operator or function of its
// own: a descendant registers them and applies them in DoOperator and DoFunction.

// "Syntax error." CR LF "Position %d.", and the refusal of too deep nesting.
class TepEvaluatorError : public Exception {
public:
    using Exception::Exception;
};

using TepOperatorKinds = uint8_t;
constexpr TepOperatorKinds okUnary = 1;
constexpr TepOperatorKinds okBinary = 2;

struct TepOperator {
    std::string Name;
    TepOperatorKinds Kinds = 0;
    int Priority = 0; // higher binds tighter
    int Index = 0;    // position in its list: the number the descendant dispatches on
};

struct TepFunction {
    static constexpr int AnyCount = -1;

    std::string Name;
    // Exact number of arguments; AnyCount for one or more; 0 for no argument list at all
    // (the function is called as soon as its name is read).
    int ArgCount = 0;
    int Index = 0;
};

// Items in registration order. Find takes the first item whose name equals the word without
// regard to case.
template <class T> class TepNamedList {
public:
    TepNamedList() { firsts_.fill(-1); }
    const T* Find(std::string_view name) const;
    int Count() const { return static_cast<int>(items_.size()); }
    const T& Items(int index) const { return *items_[static_cast<size_t>(index)]; }

protected:
    T& Append(std::string name);

private:
    static constexpr size_t EmptyName = 256;
    // The chain of a name: the upper case of its first letter, which names that compare equal
    // share, or EmptyName.
    static size_t ChainOf(std::string_view name);

    std::vector<std::unique_ptr<T>> items_;
    // The items chained by ChainOf, each chain in registration order, so that a word is compared
    // with the names that can equal it only (and most operands with none). -1 ends a chain.
    std::array<int, EmptyName + 1> firsts_;
    std::vector<int> nextSameInitial_;
};

extern template class TepNamedList<TepOperator>;
extern template class TepNamedList<TepFunction>;

class TepOperatorList : public TepNamedList<TepOperator> {
public:
    const TepOperator& Add(std::string name, TepOperatorKinds kinds, int priority);
};

class TepFunctionList : public TepNamedList<TepFunction> {
public:
    const TepFunction& Add(std::string name, int argCount);
};

class TepEvaluator {
public:
    // Nested parentheses and calls beyond this depth (counted over re-entrant evaluations too)
    // are refused, so that no input can exhaust the stack.
    static constexpr int MaxNesting = 256;

    TepEvaluator();
    virtual ~TepEvaluator() = default;
    TepEvaluator(const TepEvaluator&) = delete;
    TepEvaluator& operator=(const TepEvaluator&) = delete;

    // Evaluates Expression. Re-entrant: an operand check or an operator may evaluate another
    // expression (even after changing Expression) while this one runs.
    std::string Evaluate();

    TepOperatorList Operators;
    TepFunctionList Functions;
    std::string Expression;
    TepCharSet WordChars;         // operands, function names, word operators
    TepCharSet OperatorChars;     // symbolic operators
    TepCharSet OperatorWordChars; // a word operator written after an operand
    TepCharSet QuoteChars;        // open and close quoted runs

protected:
    // Called for every operand before it is used; may rewrite it. False: syntax error.
    virtual bool CheckOperand(std::string& operand);
    // Left is empty for unary use.
    virtual std::string DoOperator(const TepOperator& op, bool binary, const std::string& left,
                                   const std::string& right) = 0;
    virtual std::string DoFunction(const TepFunction& function,
                                   const std::vector<std::string>& args) = 0;

private:
    friend class TepParser;
    int depth_ = 0;
};

} // namespace velk
