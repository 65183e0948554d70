#pragma once

#include <string>
#include <string_view>

#include "expressions/epExprEval.h"

namespace velk {

// The result of evaluating text, or "#N" for a syntax error at position N, or "error: message"
// for any other error of the evaluator.
inline std::string Outcome(TepEvaluator& evaluator, std::string_view text) {
    evaluator.Expression = std::string(text);
    try {
        return evaluator.Evaluate();
    } catch (const TepEvaluatorError& e) {
        const std::string message = e.what();
        const std::string prefix = "Syntax error.\r\nPosition ";
        if (message.compare(0, prefix.size(), prefix) == 0 && message.back() == '.')
            return "#" + message.substr(prefix.size(), message.size() - prefix.size() - 1);
        return "error: " + message;
    }
}

struct TExpressionCase {
    const char* Text;
    const char* Expected;
};

} // namespace velk
