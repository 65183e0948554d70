#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expressions/epExprEval.h"

namespace velk {

// The installer's evaluator: the operators of install conditions over text values, functions
// registered with their handlers, and variable references expanded in every operand.

// Arithmetic without a finite result: "Division by zero.", "Floating point overflow.".
class EMathError : public Exception {
public:
    using Exception::Exception;
};

// The truth value of a text: false for the empty text and "0" only ("0.0" and "no" are true).
bool IsTrue(std::string_view text);
// "1" or "0".
std::string BoolText(bool value);

// The arguments of one function call, already evaluated and expanded.
class TvkArguments {
public:
    explicit TvkArguments(const std::vector<std::string>& items) : items_(items) {}
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_[static_cast<size_t>(index)]; }
    // The argument read as a decimal 32-bit integer, or def when it is none.
    int32_t Int(int index, int32_t def) const;

private:
    const std::vector<std::string>& items_;
};

class TvkEvaluator;
using TvkFunctionHandler =
    std::function<std::string(TvkEvaluator& evaluator, const TvkArguments& args)>;
// Replaces the variable references of a text.
using TvkVariableExpander = std::function<std::string(const std::string& text)>;

// Answers to questions asked during the run, by key without regard to case.
class TvkAnswerCache {
public:
    // Null when the key has no answer yet.
    const std::string* Find(std::string_view key) const;
    void Set(std::string_view key, std::string value);

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

class TvkEvaluator : public TepEvaluator {
public:
    TvkEvaluator();

    // Registers a function taking exactly argCount arguments (TepFunction::AnyCount: one or
    // more; 0: called by its bare name).
    const TepFunction& AddFunction(std::string name, int argCount, TvkFunctionHandler handler);

    // The truth value of a condition. Line feeds are removed and carriage returns become blanks
    // first, so that a condition may span several lines of the database.
    bool EvaluateCondition(std::string_view condition);

    // A text that is not a number counts as 0.
    double ToNumber(std::string_view text) const;
    // General format, up to 15 significant digits. Raises EMathError for infinity.
    std::string NumberText(double value) const;

    // The user's decimal separator, for numbers read and written.
    char DecimalSeparator = '.';
    // Expands every operand; while empty, operands stay as written.
    TvkVariableExpander VariableExpander;
    TvkAnswerCache AnswerCache;

protected:
    bool CheckOperand(std::string& operand) override;
    std::string DoOperator(const TepOperator& op, bool binary, const std::string& left,
                           const std::string& right) override;
    std::string DoFunction(const TepFunction& function,
                           const std::vector<std::string>& args) override;

private:
    std::vector<TvkFunctionHandler> handlers_; // by function index
};

// The run's single evaluator, created and freed by start-up together with the main database.
extern TvkEvaluator* MainEvaluator;
// The condition callback of the database objects: MainEvaluator's truth value of the condition;
// true while there is no evaluator.
bool EvaluateCondition(const std::string& condition);

} // namespace velk
