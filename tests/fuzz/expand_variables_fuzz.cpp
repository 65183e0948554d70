// Fuzzes the variable expansion. The first input byte picks the mode; the rest are lines: each
// but the last defines a variable ("name=value", in mode 1 optionally followed by a tab and the
// variable's condition), the last is the text to expand. Mode 0 compares the result or error
// with a second, plainly recursive transcription of the expansion rules; mode 1 lets the
// installer's evaluator decide the variables' conditions, so that references also nest through
// conditions and function calls. Faults: any difference from the transcription, an error of
// another kind than the expansion's or the evaluator's, or nesting depth left behind. The
// transcription applies the expansion's limits on depth, references and referenced text too.
// Inputs whose references would fan out into more work than a run under the sanitizers can wait
// for, limits notwithstanding, are skipped.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/VKVariables.h"
#include "expressions/EvaluatorSetup.h"
#include "platform/StrUtils.h"
#include "platform/epAskUser.h"

namespace velk {
namespace {

struct TDefinition {
    std::string Name;
    std::string Value;
    std::string Condition;
};

class Reference {
public:
    explicit Reference(const std::vector<TDefinition>& defs) : defs_(defs) {}

    std::string Expand(const std::string& text) {
        if (depth_ == 0)
            outermost_ = text;
        if (++depth_ > MaxExpansionDepth)
            Raise("Infinite reference", text);
        if (depth_ > 1 && (read_ += text.size()) > MaxExpansionText)
            Raise("Too much text referenced", outermost_);
        std::string r;
        size_t i = 0;
        while (i < text.size()) {
            size_t p = text.find('%', i);
            if (p == std::string::npos) {
                r += text.substr(i);
                break;
            }
            r += text.substr(i, p - i);
            if (p + 1 < text.size() && text[p + 1] == '%') {
                r += '%';
                i = p + 2;
                continue;
            }
            size_t q = text.find('%', p + 1);
            if (q == std::string::npos) {
                r += text.substr(p);
                break;
            }
            if (++references_ > MaxExpansionReferences)
                Raise("Too many references", outermost_);
            r += Expand(Lookup(text.substr(p + 1, q - p - 1)));
            i = q + 1;
        }
        std::string lines;
        for (size_t k = 0; k < r.size(); ++k) {
            if (r[k] == '|' && k + 1 < r.size() && r[k + 1] == '|') {
                lines += "\r\n";
                ++k;
            } else {
                lines += r[k];
            }
        }
        --depth_;
        return lines;
    }

private:
    [[noreturn]] static void Raise(const char* what, const std::string& text) {
        throw EVariableError(std::string(what) + " in the string \"" + text + "\".");
    }

    std::string Lookup(const std::string& name) const {
        for (const TDefinition& d : defs_)
            if (SameText(d.Name, name))
                return d.Value;
        return "";
    }

    const std::vector<TDefinition>& defs_;
    int depth_ = 0;
    std::string outermost_;
    int references_ = 0;
    size_t read_ = 0;
};

// An upper bound of the work an expansion does: characters copied and lookups made, with the
// conditions of every namesake; a loop counts once as much as the limit allows.
class WorkEstimate {
public:
    explicit WorkEstimate(const std::vector<TDefinition>& defs) : defs_(defs) {}

    double Text(const std::string& text) {
        double work = double(text.size());
        size_t i = 0;
        while (i < text.size() && work < Limit) {
            size_t p = text.find('%', i);
            if (p == std::string::npos)
                break;
            if (p + 1 < text.size() && text[p + 1] == '%') {
                i = p + 2;
                continue;
            }
            size_t q = text.find('%', p + 1);
            if (q == std::string::npos)
                break;
            work += Name(text.substr(p + 1, q - p - 1));
            i = q + 1;
        }
        return work;
    }

    static constexpr double Limit = 2e5;

private:
    double Name(const std::string& name) {
        std::string key = UpperCase(name);
        for (const auto& m : memo_)
            if (m.first == key)
                return m.second;
        for (const std::string& v : visiting_)
            if (v == key)
                return Limit / 20;
        visiting_.push_back(key);
        double work = 1;
        for (const TDefinition& d : defs_)
            if (SameText(d.Name, name) && work < Limit)
                work += Text(d.Condition) + Text(d.Value);
        visiting_.pop_back();
        memo_.emplace_back(key, work);
        return work;
    }

    const std::vector<TDefinition>& defs_;
    std::vector<std::pair<std::string, double>> memo_;
    std::vector<std::string> visiting_;
};

struct TOutcome {
    std::string Value;
    int Kind = 0; // 0 result, 1 expansion error, 2 evaluator error, 3 other engine error
    bool operator==(const TOutcome& o) const { return Kind == o.Kind && Value == o.Value; }
};

template <class F> TOutcome Catch(F run) {
    try {
        return {run(), 0};
    } catch (const EVariableError& e) {
        return {e.what(), 1};
    } catch (const TepEvaluatorError& e) {
        return {e.what(), 2};
    } catch (const EMathError& e) {
        return {e.what(), 3};
    } catch (const EConvertError& e) {
        return {e.what(), 3};
    }
}

[[noreturn]] void Fault(const char* what, const std::string& text, const std::string& a,
                        const std::string& b) {
    std::fprintf(stderr, "%s\ninput: [%s]\n  got: [%s]\n want: [%s]\n", what, text.c_str(),
                 a.c_str(), b.c_str());
    std::abort();
}

bool NobodyAnswers(TWindowHandle, const std::string&, const std::string&, TAskIcon, TAskButtons) {
    return false;
}

TvkMainDatabase& Database() {
    static TvkMainDatabase* db = [] {
        auto* d = new TvkMainDatabase(nullptr);
        InitEvaluator(*d);
        AskUserHandler = NobodyAnswers;
        return d;
    }();
    return *db;
}

// A chain exactly as deep as the expansion allows.
TvkMainDatabase& Chain() {
    static TvkMainDatabase* db = [] {
        auto* d = new TvkMainDatabase(nullptr);
        for (int i = 1; i < MaxExpansionDepth; ++i) {
            TvkVariable* v = d->Variables->AddNew();
            v->Name = "C" + std::to_string(i);
            v->Value = i + 1 < MaxExpansionDepth ? "%C" + std::to_string(i + 1) + "%" : "end";
        }
        return d;
    }();
    return *db;
}

} // namespace
} // namespace velk

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velk;
    if (size == 0)
        return 0;
    const bool conditions = data[0] & 1;
    std::vector<std::string> lines(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += char(data[i]);
    }
    const std::string text = lines.back();
    lines.pop_back();

    std::vector<TDefinition> defs;
    for (const std::string& line : lines) {
        TDefinition d;
        size_t eq = line.find('=');
        d.Name = line.substr(0, eq);
        std::string rest = eq == std::string::npos ? "" : line.substr(eq + 1);
        size_t tab = conditions ? rest.find('\t') : std::string::npos;
        d.Value = rest.substr(0, tab);
        if (tab != std::string::npos)
            d.Condition = rest.substr(tab + 1);
        defs.push_back(d);
    }

    if (WorkEstimate(defs).Text(text) >= WorkEstimate::Limit)
        return 0;

    TvkMainDatabase& db = Database();
    db.Variables->Clear();
    for (const TDefinition& d : defs) {
        TvkVariable* v = db.Variables->AddNew();
        v->Name = d.Name;
        v->Value = d.Value;
        v->Condition = d.Condition;
    }
    ConditionsEnabled = conditions;
    MainEvaluator->AnswerCache = TvkAnswerCache();
    const TOutcome real = Catch([&] { return ExpandVariables(&db, text); });
    if (!conditions) {
        const TOutcome reference = Catch([&] { return Reference(defs).Expand(text); });
        if (!(real == reference))
            Fault("differs from the transcription", text, real.Value, reference.Value);
    }
    ConditionsEnabled = false;

    // The deepest legal chain is costly: walk it after every error and now and then otherwise.
    static unsigned runs = 0;
    if (real.Kind != 0 || ++runs % 16 == 0) {
        const TOutcome deepest = Catch([] { return ExpandVariables(&Chain(), "%C1%"); });
        if (deepest.Value != "end")
            Fault("nesting depth left behind", text, deepest.Value, "end");
    }
    return 0;
}
