#include "expressions/Evaluator.h"

#include <cmath>

#include "platform/StrUtils.h"

namespace velk {

TvkEvaluator* MainEvaluator = nullptr;

namespace {

// Registration order: the index is what DoOperator dispatches on.
enum TvkOperatorIndex {
    opPlus,
    opMinus,
    opTimes,
    opDivide,
    opConcat,
    opEqual,
    opNotEqual,
    opAnd,
    opOr,
    opNot,
    opLess,
    opGreater
};

struct TOperatorDef {
    const char* Name;
    TepOperatorKinds Kinds;
    int Priority;
};

constexpr TOperatorDef kOperators[] = {
    {"+", okUnary | okBinary, 3}, {"-", okUnary | okBinary, 3}, {"*", okBinary, 4},
    {"/", okBinary, 4},           {"&", okBinary, 3},           {"=", okBinary, 2},
    {"<>", okBinary, 2},          {"and", okBinary, 1},         {"or", okBinary, 0},
    {"not", okUnary, 5},          {"<", okBinary, 2},           {">", okBinary, 2},
};

// Most numbers in conditions are short integers (build numbers, counts, truth values): read
// without the general conversion, which gives the same double for up to 15 digits.
bool TryPlainInteger(std::string_view text, double& value) {
    const bool sign = !text.empty() && (text[0] == '-' || text[0] == '+');
    const std::string_view digits = text.substr(sign ? 1 : 0);
    if (digits.empty() || digits.size() > 15)
        return false;
    int64_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    value = text[0] == '-' ? -double(number) : double(number);
    return true;
}

} // namespace

bool IsTrue(std::string_view text) {
    return !text.empty() && text != "0";
}

std::string BoolText(bool value) {
    return value ? "1" : "0";
}

int32_t TvkArguments::Int(int index, int32_t def) const {
    const std::string& text = (*this)[index];
    int32_t value = 0;
    // Decimal only: the hexadecimal forms ("$1F", "0x1F") take the default as well.
    if (text.find_first_of("$xX") != std::string::npos || !TryStrToInt(text, value))
        return def;
    return value;
}

const std::string* TvkAnswerCache::Find(std::string_view key) const {
    for (const auto& item : items_)
        if (AnsiSameText(item.first, key))
            return &item.second;
    return nullptr;
}

void TvkAnswerCache::Set(std::string_view key, std::string value) {
    for (auto& item : items_)
        if (AnsiSameText(item.first, key)) {
            item.second = std::move(value);
            return;
        }
    items_.emplace_back(std::string(key), std::move(value));
}

TvkEvaluator::TvkEvaluator() {
    // Variable references (%Windows%) and dotted numbers (5.0.2195.1) are single words.
    WordChars.Add("%.");
    OperatorChars.Remove('%');
    for (const TOperatorDef& op : kOperators)
        Operators.Add(op.Name, op.Kinds, op.Priority);
}

const TepFunction& TvkEvaluator::AddFunction(std::string name, int argCount,
                                             TvkFunctionHandler handler) {
    const TepFunction& function = Functions.Add(std::move(name), argCount);
    handlers_.resize(static_cast<size_t>(function.Index) + 1);
    handlers_.back() = std::move(handler);
    return function;
}

bool TvkEvaluator::EvaluateCondition(std::string_view condition) {
    Expression.assign(condition.data(), condition.size());
    if (condition.find('\n') != std::string_view::npos ||
        condition.find('\r') != std::string_view::npos) {
        size_t kept = 0;
        for (char c : condition)
            if (c != '\n')
                Expression[kept++] = c == '\r' ? ' ' : c;
        Expression.resize(kept);
    }
    return IsTrue(Evaluate());
}

double TvkEvaluator::ToNumber(std::string_view text) const {
    double value = 0;
    if (TryPlainInteger(text, value))
        return value;
    return TryStrToFloat(text, value, DecimalSeparator) ? value : 0;
}

std::string TvkEvaluator::NumberText(double value) const {
    if (!std::isfinite(value))
        throw EMathError("Floating point overflow.");
    // Adding zero turns a negative zero into "0".
    return FloatToStr(value + 0.0, DecimalSeparator);
}

bool TvkEvaluator::CheckOperand(std::string& operand) {
    if (VariableExpander)
        operand = VariableExpander(operand);
    return true;
}

std::string TvkEvaluator::DoOperator(const TepOperator& op, bool binary, const std::string& left,
                                     const std::string& right) {
    switch (op.Index) {
    case opPlus:
        return NumberText(binary ? ToNumber(left) + ToNumber(right) : ToNumber(right));
    case opMinus:
        return NumberText(binary ? ToNumber(left) - ToNumber(right) : -ToNumber(right));
    case opTimes:
        return NumberText(ToNumber(left) * ToNumber(right));
    case opDivide: {
        double divisor = ToNumber(right);
        if (divisor == 0)
            throw EMathError("Division by zero.");
        return NumberText(ToNumber(left) / divisor);
    }
    case opConcat:
        return left + right;
    case opEqual:
        return BoolText(left == right);
    case opNotEqual:
        return BoolText(left != right);
    case opAnd:
        return BoolText(IsTrue(left) && IsTrue(right));
    case opOr:
        return BoolText(IsTrue(left) || IsTrue(right));
    case opNot:
        return BoolText(!IsTrue(right));
    case opLess:
        return BoolText(ToNumber(left) < ToNumber(right));
    case opGreater:
        return BoolText(ToNumber(left) > ToNumber(right));
    default:
        throw TepEvaluatorError(Format("Operator \"%s\" has no implementation.", op.Name.c_str()));
    }
}

std::string TvkEvaluator::DoFunction(const TepFunction& function,
                                     const std::vector<std::string>& args) {
    size_t index = static_cast<size_t>(function.Index);
    if (index >= handlers_.size() || !handlers_[index])
        throw TepEvaluatorError(
            Format("Function \"%s\" has no implementation.", function.Name.c_str()));
    return handlers_[index](*this, TvkArguments(args));
}

bool EvaluateCondition(const std::string& condition) {
    return !MainEvaluator || MainEvaluator->EvaluateCondition(condition);
}

} // namespace velk
