// Fuzzes the expression evaluator against a second transcription of its scanner that keeps the
// nested calls on an explicit stack instead of recursing. The first input byte picks the decimal
// separator and the operand expansion (none, variables, or variables whose lookup re-enters the
// evaluator); the rest is the expression. Faults: any difference in result or error message from
// the transcription, a syntax error position outside the text, a different outcome when the text
// is preceded by a blank (other than the position moving by one), a condition whose truth
// differs from that of the text written on one line, nesting depth left behind, or an exception
// of another kind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "expressions/Evaluator.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

// Exposes the steps of the evaluator to the transcription.
class FuzzEvaluator : public TvkEvaluator {
public:
    using TvkEvaluator::CheckOperand;
    using TvkEvaluator::DoFunction;
    using TvkEvaluator::DoOperator;
};

std::string Expand(const std::string& text) {
    std::string r;
    size_t i = 0;
    while (i < text.size()) {
        size_t p = text.find('%', i);
        size_t q = p == std::string::npos ? p : text.find('%', p + 1);
        if (q == std::string::npos) {
            r.append(text, i, std::string::npos);
            break;
        }
        r.append(text, i, p - i);
        std::string name = text.substr(p + 1, q - p - 1);
        if (name == "A")
            r += "x";
        else if (name == "N")
            r += "1,5";
        else if (name == "P")
            r += "%A%";
        else if (name == "Bad")
            throw Exception("Expansion failed.");
        i = q + 1;
    }
    return r;
}

FuzzEvaluator& Evaluator() {
    static FuzzEvaluator* ev = [] {
        auto* e = new FuzzEvaluator;
        e->AddFunction("f", 1,
                       [](TvkEvaluator&, const TvkArguments& a) { return "[" + a[0] + "]"; });
        e->AddFunction("g", 2,
                       [](TvkEvaluator&, const TvkArguments& a) { return a[0] + "|" + a[1]; });
        e->AddFunction("h", TepFunction::AnyCount, [](TvkEvaluator&, const TvkArguments& a) {
            return IntToStr(a.Count()) + a[a.Count() - 1];
        });
        e->AddFunction("z", 0, [](TvkEvaluator&, const TvkArguments&) { return std::string("Z"); });
        e->AddFunction("v", 1,
                       [](TvkEvaluator&, const TvkArguments& a) { return "%" + a[0] + "%"; });
        return e;
    }();
    return *ev;
}

[[noreturn]] void Fault(const char* what, const std::string& text, const std::string& a,
                        const std::string& b) {
    std::fprintf(stderr, "%s\ninput: [%s]\n  got: [%s]\n want: [%s]\n", what, text.c_str(),
                 a.c_str(), b.c_str());
    std::abort();
}

// The transcription: the same steps, one frame per open parenthesis or argument list.
class Reference {
public:
    Reference(FuzzEvaluator& ev, const std::string& text) : ev_(ev), text_(text) {}

    std::string Run() {
        frames_.emplace_back();
        for (;;) {
            Frame& f = frames_.back();
            if (pos_ >= text_.size()) {
                if (f.state == 2 && f.hasWord)
                    Push(f, f.word);
                if (Return(Close(f)))
                    return result_;
                continue;
            }
            char c = text_[pos_];
            switch (f.state) {
            case 1:
                if (c == ' ') {
                    ++pos_;
                } else if (ev_.OperatorChars.Contains(c)) {
                    f.seen = false;
                    f.wordOperator = false;
                    f.opText.clear();
                    f.state = 4;
                } else {
                    f.word.clear();
                    f.hasWord = false;
                    f.state = 2;
                }
                break;
            case 2:
                Word(f, c);
                break;
            case 3:
                if (c == ' ') {
                    ++pos_;
                } else if (c == ')') {
                    std::string r = Close(f);
                    ++pos_;
                    if (Return(r))
                        return result_;
                } else if (c == ',') {
                    if (!f.fn)
                        Fail("Syntax error.");
                    Finish(f);
                    f.args.push_back(f.a);
                    f.a.clear();
                    f.hasA = false;
                    ++pos_;
                    f.state = 1;
                } else if (ev_.OperatorChars.Contains(c) || ev_.OperatorWordChars.Contains(c)) {
                    f.wordOperator = !ev_.OperatorChars.Contains(c);
                    f.opText.clear();
                    f.state = 4;
                } else {
                    Fail("Syntax error.");
                }
                break;
            case 4:
                if ((f.wordOperator ? ev_.OperatorWordChars : ev_.OperatorChars).Contains(c)) {
                    f.opText += c;
                    ++pos_;
                } else {
                    const TepOperator* op = ev_.Operators.Find(f.opText);
                    if (!op)
                        Fail("Syntax error.");
                    if (!f.seen)
                        f.u = op;
                    else if (f.hasB)
                        f.op2 = op;
                    else
                        f.op1 = op;
                    f.seen = false;
                    f.state = 1;
                }
                break;
            case 5:
                if (c == ' ') {
                    ++pos_;
                } else {
                    if (c != '(')
                        Fail("Syntax error.");
                    f.word.clear();
                    f.hasWord = false;
                    f.state = 2;
                }
                break;
            }
        }
    }

private:
    struct Frame {
        int state = 1;
        const TepOperator* u = nullptr;
        const TepOperator* op1 = nullptr;
        const TepOperator* op2 = nullptr;
        std::string a, b, word, opText;
        bool hasA = false, hasB = false, hasWord = false, seen = false, wordOperator = false;
        char quote = 0;
        const TepFunction* pending = nullptr;
        const TepFunction* fn = nullptr;
        std::vector<std::string> args;
    };

    [[noreturn]] void Fail(const char* message) {
        throw TepEvaluatorError(Format("%s\r\nPosition %d.", message, int(pos_ + 1)));
    }

    void Word(Frame& f, char c) {
        if (f.quote) {
            if (!ev_.QuoteChars.Contains(c)) {
                f.word += c;
                ++pos_;
            } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == f.quote) {
                f.word += c;
                pos_ += 2;
            } else {
                f.quote = 0;
                ++pos_;
            }
            return;
        }
        if (ev_.QuoteChars.Contains(c) || ev_.WordChars.Contains(c)) {
            if (ev_.QuoteChars.Contains(c))
                f.quote = c;
            else
                f.word += c;
            f.hasWord = true;
            ++pos_;
            return;
        }
        if (!f.hasWord) {
            if (c != '(')
                Fail("Syntax error.");
            if (frames_.size() >= size_t(TepEvaluator::MaxNesting))
                Fail("Expression is nested too deeply.");
            ++pos_;
            const TepFunction* fn = f.pending;
            f.pending = nullptr;
            frames_.emplace_back();
            frames_.back().fn = fn;
            return;
        }
        if (const TepOperator* op = ev_.Operators.Find(f.word)) {
            if (f.u)
                Fail("Syntax error.");
            f.u = op;
            f.seen = false;
            f.state = 1;
        } else if (const TepFunction* fn = ev_.Functions.Find(f.word)) {
            if (fn->ArgCount == 0) {
                Push(f, ev_.DoFunction(*fn, {}));
                f.state = 3;
            } else {
                f.pending = fn;
                f.state = 5;
            }
        } else {
            Push(f, f.word);
            f.state = 3;
        }
    }

    // Hands a closed frame's value to the frame below; true when it was the outermost.
    bool Return(const std::string& value) {
        if (frames_.size() == 1) {
            result_ = value;
            return true;
        }
        frames_.pop_back();
        Push(frames_.back(), value);
        frames_.back().state = 3;
        return false;
    }

    std::string Binary(const TepOperator* op, const std::string& l, const std::string& r) {
        if (!(op->Kinds & okBinary))
            Fail("Syntax error.");
        return ev_.DoOperator(*op, true, l, r);
    }

    void Push(Frame& f, std::string v) {
        if (!ev_.CheckOperand(v))
            Fail("Syntax error.");
        if (f.u) {
            if (!(f.u->Kinds & okUnary))
                Fail("Syntax error.");
            v = ev_.DoOperator(*f.u, false, "", v);
            f.u = nullptr;
        }
        f.seen = true;
        if (f.op2) {
            if (f.op1->Priority < f.op2->Priority) {
                f.b = Binary(f.op2, f.b, v);
            } else {
                f.a = Binary(f.op1, f.a, f.b);
                f.op1 = f.op2;
                f.b = v;
            }
            f.op2 = nullptr;
        } else if (f.op1) {
            f.b = v;
            f.hasB = true;
        } else {
            f.a = v;
            f.hasA = true;
        }
    }

    void Finish(Frame& f) {
        if (f.hasB) {
            f.a = Binary(f.op1, f.a, f.b);
            f.op1 = nullptr;
            f.hasB = false;
        }
    }

    std::string Close(Frame& f) {
        Finish(f);
        if (!f.fn)
            return f.a;
        if (!f.hasA)
            Fail("Syntax error.");
        f.args.push_back(f.a);
        if (f.fn->ArgCount >= 0 && f.args.size() != size_t(f.fn->ArgCount))
            Fail("Syntax error.");
        return ev_.DoFunction(*f.fn, f.args);
    }

    FuzzEvaluator& ev_;
    const std::string& text_;
    size_t pos_ = 0;
    std::vector<Frame> frames_;
    std::string result_;
};

struct TOutcome {
    std::string value; // result, or the error's message
    int kind = 0;      // 0 result, 1 evaluator error, 2 arithmetic error, 3 expansion error
    bool operator==(const TOutcome& o) const { return kind == o.kind && value == o.value; }
};

template <class F> TOutcome Catch(F run) {
    try {
        return {run(), 0};
    } catch (const TepEvaluatorError& e) {
        return {e.what(), 1};
    } catch (const EMathError& e) {
        return {e.what(), 2};
    } catch (const Exception& e) {
        return {e.what(), 3};
    }
}

TOutcome Evaluate(FuzzEvaluator& ev, const std::string& text) {
    return Catch([&] {
        ev.Expression = text;
        return ev.Evaluate();
    });
}

// Position N of an evaluator error, or 0.
int PositionOf(const TOutcome& o) {
    size_t at = o.value.find("\r\nPosition ");
    return o.kind == 1 && at != std::string::npos ? std::atoi(o.value.c_str() + at + 11) : 0;
}

} // namespace
} // namespace velk

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velk;
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    FuzzEvaluator& ev = Evaluator();
    ev.DecimalSeparator = (flags & 1) ? ',' : '.';
    const int expansion = (flags >> 1) % 3;
    if (expansion == 0)
        ev.VariableExpander = nullptr;
    else if (expansion == 1)
        ev.VariableExpander = Expand;
    else
        ev.VariableExpander = [&ev](const std::string& operand) {
            // A variable's own condition, as the database evaluates it during a lookup; its
            // errors (too deep a nesting) are told apart from those of the outer expression.
            static bool inCondition = false;
            if (!inCondition && operand.find('%') != std::string::npos) {
                inCondition = true;
                TOutcome condition =
                    Catch([&] { return BoolText(ev.EvaluateCondition("%A% = x and\r\n1 < 2")); });
                inCondition = false;
                if (condition.kind != 0)
                    throw Exception("Variable condition failed: " + condition.value);
                if (condition.value != "1")
                    Fault("variable condition false", operand, condition.value, "1");
            }
            return Expand(operand);
        };

    const TOutcome real = Evaluate(ev, text);
    if (real.kind == 1) {
        int position = PositionOf(real);
        if (position < 1 || size_t(position) > text.size() + 1)
            Fault("error position outside the text", text, real.value, "");
    }

    if (expansion != 2) {
        const TOutcome reference = Catch([&] { return Reference(ev, text).Run(); });
        if (!(real == reference))
            Fault("differs from the transcription", text, real.value, reference.value);
    }

    TOutcome shifted = Evaluate(ev, " " + text);
    if (shifted.kind == 1 && real.kind == 1)
        shifted.value = Format("%.*s%d.", int(shifted.value.find("Position ") + 9),
                               shifted.value.c_str(), PositionOf(shifted) - 1);
    if (!(shifted == real))
        Fault("a leading blank changes the outcome", text, shifted.value, real.value);

    // A condition reads line feeds as nothing and carriage returns as blanks.
    std::string oneLine;
    for (char c : text)
        if (c != '\n')
            oneLine += c == '\r' ? ' ' : c;
    TOutcome expected = oneLine == text ? real : Evaluate(ev, oneLine);
    if (expected.kind == 0)
        expected.value = BoolText(IsTrue(expected.value));
    const TOutcome condition = Catch([&] { return BoolText(ev.EvaluateCondition(text)); });
    if (!(condition == expected))
        Fault("condition differs from its one-line result", text, condition.value, expected.value);

    // Every level of nesting was given back: the deepest allowed expression still evaluates.
    ev.VariableExpander = nullptr;
    static const std::string deepest = std::string(TepEvaluator::MaxNesting - 1, '(') + "1";
    const TOutcome deep = Evaluate(ev, deepest);
    if (deep.value != "1")
        Fault("nesting depth left behind", text, deep.value, "1");
    return 0;
}
