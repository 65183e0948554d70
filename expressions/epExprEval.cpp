// Grammar of the text the scanner accepts, read once from left to right. Blanks (character 32
// only) may stand between tokens; tab, CR and LF are ordinary characters.
//
//   expression := { prefix } operand { infix { prefix } operand } [ infix ] { prefix }
//   operand    := word
//               | "(" expression ")"
//               | name                                     a function without argument list
//               | name "(" expression { "," expression } ")"
//   word       := ( word-char | quoted ) { word-char | quoted }
//   quoted     := q { other | c q } [ c ]      q: the quote character that opens the run,
//                                              c: any quote character, other: any other
//                                              character; "c q" stands for c, a lone c closes
//   prefix     := op-char { op-char } | word   an operator that allows unary use; a symbolic
//                                              prefix replaces a pending one, a named one after
//                                              another prefix is an error
//   infix      := op-char { op-char } | op-word-char { op-word-char }
//
// A word is looked up as an operator name first (quoted or not, in any case), then as a
// function name; a word that ends the text is an operand whatever it names. The end of the text
// closes every open parenthesis and argument list, and drops a trailing operator or function
// name; a ")" that closes nothing ends the evaluation. Unknown operator runs ("<=", "+*"), ","
// outside an argument list, empty arguments and argument counts the function does not take are
// syntax errors.
//
// Precedence: a prefix applies to the one operand after it. Of the infix operators at most two
// are pending; when a third operand arrives one of them is applied at once (the later one when
// it binds strictly tighter, else the earlier one), so three priority levels in a row group from
// the left: 1 = 2 + 3 * 4 is 1 = ((2 + 3) * 4). Conditions in existing install databases depend
// on this grouping.
#include "expressions/epExprEval.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

[[noreturn]] void RaiseAt(const char* message, size_t position) {
    throw TepEvaluatorError(Format("%s\r\nPosition %d.", message, static_cast<int>(position)));
}

// Counts one level of nesting for as long as it lives.
class TDepthGuard {
public:
    TDepthGuard(int& depth, size_t position) : depth_(depth) {
        if (depth_ >= TepEvaluator::MaxNesting)
            RaiseAt("Expression is nested too deeply.", position);
        ++depth_;
    }
    ~TDepthGuard() { --depth_; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    int& depth_;
};

enum class TState { Between, Word, AfterOperand, Operator, AfterFunction };

// The pending operators and values of one call of the procedure.
struct TSlots {
    const TepOperator* U = nullptr;
    std::string A;
    bool HasA = false;
    const TepOperator* Op1 = nullptr;
    std::string B;
    bool HasB = false;
    const TepOperator* Op2 = nullptr;
    std::string C;
};

} // namespace

// One evaluation: the text, and the pointer that nested calls share.
class TepParser {
public:
    TepParser(TepEvaluator& evaluator, std::string text) : ev_(evaluator), text_(std::move(text)) {}

    // Reads until the ")" that closes this call or the end of the text; with a function, reads
    // its argument list and returns the function's result.
    std::string Call(const TepFunction* function);

private:
    size_t Position() const { return pos_ + 1; }
    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    [[noreturn]] void Fail() const { RaiseAt("Syntax error.", Position()); }

    std::string Nested(const TepFunction* function);
    void Push(TSlots& s, std::string value);
    std::string Apply(const TepOperator& op, const std::string& left, const std::string& right);
    void Finish(TSlots& s);
    std::string Close(const TepFunction* function, TSlots& s, std::vector<std::string>& args);

    TepEvaluator& ev_;
    const std::string text_;
    size_t pos_ = 0;
};

std::string TepParser::Nested(const TepFunction* function) {
    TDepthGuard guard(ev_.depth_, Position());
    ++pos_;
    return Call(function);
}

std::string TepParser::Apply(const TepOperator& op, const std::string& left,
                             const std::string& right) {
    if (!(op.Kinds & okBinary))
        Fail();
    return ev_.DoOperator(op, true, left, right);
}

void TepParser::Push(TSlots& s, std::string value) {
    if (!ev_.CheckOperand(value))
        Fail();
    if (s.U) {
        if (!(s.U->Kinds & okUnary))
            Fail();
        value = ev_.DoOperator(*s.U, false, std::string(), value);
        s.U = nullptr;
    }
    if (!s.Op2) {
        if (s.Op1) {
            s.B = std::move(value);
            s.HasB = true;
        } else {
            s.A = std::move(value);
            s.HasA = true;
        }
        return;
    }
    s.C = std::move(value);
    if (s.Op1->Priority < s.Op2->Priority) {
        s.B = Apply(*s.Op2, s.B, s.C);
    } else {
        s.A = Apply(*s.Op1, s.A, s.B);
        s.Op1 = s.Op2;
        s.B = std::move(s.C);
    }
    s.Op2 = nullptr;
    s.C.clear();
}

void TepParser::Finish(TSlots& s) {
    if (!s.HasB)
        return;
    s.A = Apply(*s.Op1, s.A, s.B);
    s.Op1 = nullptr;
    s.B.clear();
    s.HasB = false;
}

std::string TepParser::Close(const TepFunction* function, TSlots& s,
                             std::vector<std::string>& args) {
    Finish(s);
    if (!function)
        return std::move(s.A);
    if (!s.HasA)
        Fail();
    args.push_back(std::move(s.A));
    if (function->ArgCount != TepFunction::AnyCount &&
        args.size() != static_cast<size_t>(function->ArgCount))
        Fail();
    return ev_.DoFunction(*function, args);
}

std::string TepParser::Call(const TepFunction* function) {
    TSlots s;
    std::vector<std::string> args;
    TState state = TState::Between;
    std::string word;
    bool hasWord = false;
    char quote = 0;
    const TepCharSet* allowed = nullptr;
    const TepFunction* pending = nullptr;
    bool operandSeen = false;

    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        switch (state) {
        case TState::Between:
            if (c == ' ') {
                SkipBlanks();
            } else if (ev_.OperatorChars.Contains(c)) {
                operandSeen = false;
                allowed = &ev_.OperatorChars;
                state = TState::Operator;
            } else {
                word.clear();
                hasWord = false;
                state = TState::Word;
            }
            break;

        case TState::Word:
            if (quote) {
                if (!ev_.QuoteChars.Contains(c)) {
                    size_t end = pos_ + 1;
                    while (end < text_.size() && !ev_.QuoteChars.Contains(text_[end]))
                        ++end;
                    word.append(text_, pos_, end - pos_);
                    pos_ = end;
                } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                    word += c;
                    pos_ += 2;
                } else {
                    quote = 0;
                    ++pos_;
                }
            } else if (ev_.QuoteChars.Contains(c)) {
                // An empty quoted text is an operand too.
                quote = c;
                hasWord = true;
                ++pos_;
            } else if (ev_.WordChars.Contains(c)) {
                size_t end = pos_ + 1;
                while (end < text_.size() && ev_.WordChars.Contains(text_[end]) &&
                       !ev_.QuoteChars.Contains(text_[end]))
                    ++end;
                word.append(text_, pos_, end - pos_);
                hasWord = true;
                pos_ = end;
            } else if (!hasWord) {
                if (c != '(')
                    Fail();
                const TepFunction* called = pending;
                pending = nullptr;
                Push(s, Nested(called));
                operandSeen = true;
                state = TState::AfterOperand;
            } else if (const TepOperator* op = ev_.Operators.Find(word)) {
                if (s.U)
                    Fail();
                s.U = op;
                operandSeen = false;
                state = TState::Between;
            } else if (const TepFunction* found = ev_.Functions.Find(word)) {
                if (found->ArgCount != 0) {
                    pending = found;
                    state = TState::AfterFunction;
                } else {
                    Push(s, ev_.DoFunction(*found, {}));
                    operandSeen = true;
                    state = TState::AfterOperand;
                }
            } else {
                Push(s, std::move(word));
                operandSeen = true;
                state = TState::AfterOperand;
            }
            break;

        case TState::AfterOperand:
            if (c == ' ') {
                SkipBlanks();
            } else if (c == ')') {
                std::string result = Close(function, s, args);
                ++pos_;
                return result;
            } else if (c == ',') {
                if (!function)
                    Fail();
                Finish(s);
                args.push_back(std::move(s.A));
                s.A.clear();
                s.HasA = false;
                ++pos_;
                state = TState::Between;
            } else {
                if (ev_.OperatorChars.Contains(c))
                    allowed = &ev_.OperatorChars;
                else if (ev_.OperatorWordChars.Contains(c))
                    allowed = &ev_.OperatorWordChars;
                else
                    Fail();
                state = TState::Operator;
            }
            break;

        case TState::Operator: {
            // The longest run of the allowed characters; at the end of the text it is dropped.
            const size_t start = pos_;
            while (pos_ < text_.size() && allowed->Contains(text_[pos_]))
                ++pos_;
            if (pos_ == text_.size())
                break;
            const TepOperator* op =
                ev_.Operators.Find(std::string_view(text_).substr(start, pos_ - start));
            if (!op)
                Fail();
            if (!operandSeen) {
                s.U = op;
            } else {
                (s.HasB ? s.Op2 : s.Op1) = op;
                operandSeen = false;
            }
            state = TState::Between;
            break;
        }

        case TState::AfterFunction:
            if (c == ' ') {
                SkipBlanks();
            } else {
                if (c != '(')
                    Fail();
                word.clear();
                hasWord = false;
                state = TState::Word;
            }
            break;
        }
    }

    // A word at the very end is an operand whatever it names; an operator or a function name
    // still waiting for its operand or argument list is dropped.
    if (state == TState::Word && hasWord)
        Push(s, std::move(word));
    return Close(function, s, args);
}

TepEvaluator::TepEvaluator() {
    WordChars.AddRange('0', '9').AddRange('A', 'Z').AddRange('a', 'z').Add('_');
    OperatorChars.Add("!#$%&*+-/:<=>?@\\^|~");
    OperatorWordChars.AddRange('A', 'Z').AddRange('a', 'z');
    QuoteChars.Add("\"'");
}

bool TepEvaluator::CheckOperand(std::string&) {
    return true;
}

std::string TepEvaluator::Evaluate() {
    TDepthGuard guard(depth_, 1);
    TepParser parser(*this, Expression);
    return parser.Call(nullptr);
}

} // namespace velk
