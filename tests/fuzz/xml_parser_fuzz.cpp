// Fuzzes the XML parser against a literal one-character-at-a-time transcription of its state
// machine. The first input byte picks the five parser options, the rest is the text. Any
// difference in tree, error message or partial tree, a broken Parent link, or an exception other
// than TXMLParserError is a fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/epXMLParser.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

bool IsNameChar(char c) {
    return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

std::string Decode(std::string v) {
    for (size_t i = v.size(); i-- > 0;) {
        if (v[i] == '&' && v.size() - i - 1 >= 5 && v[i + 1] == '#' && v[i + 2] == 'x') {
            int code = StrToIntDef("$" + v.substr(i + 3, 2), 0);
            v.replace(i, 6, 1, static_cast<char>(code));
        }
    }
    return Trim(v);
}

TXMLTag* AddNode(TXMLTag* parent, TXMLTagKind kind, std::string text) {
    auto node = std::make_unique<TXMLTag>();
    node->Kind = kind;
    node->Text = std::move(text);
    return parent->Children.Add(std::move(node));
}

void ReferenceParse(TXMLTag& root, std::string_view s) {
    const TXMLParserOptions& o = XMLParserOptions;
    int state = 0;
    char prev = 0;
    TXMLTag* cur = nullptr;
    std::string buf, endName, attrName, value;
    char quote = 0;
    int dashes = 0;
    auto fail = [&](const std::string& message, size_t position) {
        throw TXMLParserError(message, position, s);
    };
    for (size_t pos = 1; pos <= s.size(); ++pos) {
        char raw = s[pos - 1];
        char c = (raw == '\t' || raw == '\n' || raw == '\r') ? ' ' : raw;
        if (c == ' ' && prev == ' ' &&
            !(state == 12 || (state == 0 && o.KeepTextSpaces) || (state == 8 && o.KeepValueSpaces)))
            continue;
        prev = c;
        switch (state) {
        case 0:
            if (c == '<') {
                if (cur && !o.NoTextNodes)
                    AddNode(cur, TXMLTagKind::Text, Trim(buf));
                buf.clear();
                state = 1;
            } else {
                buf += o.KeepTextSpaces ? raw : c;
            }
            break;
        case 1:
            if (c == '!') {
                state = 10;
            } else if (c == '/') {
                endName.clear();
                state = 3;
            } else if (c == '?') {
                state = 14;
            } else if (IsNameChar(c)) {
                if (cur) {
                    cur = AddNode(cur, TXMLTagKind::Element, "");
                } else {
                    cur = &root;
                }
                cur->SetName(std::string(1, c));
                state = 2;
            } else {
                fail("Invalid character in the tag name.", pos);
            }
            break;
        case 2:
            if (c == ' ') {
                attrName.clear();
                state = 5;
            } else if (c == '/') {
                endName = cur->Name;
                state = 4;
            } else if (c == '>') {
                state = 0;
            } else if (IsNameChar(c)) {
                cur->SetName(cur->Name + c);
            } else {
                fail("Invalid character in the tag name.", pos);
            }
            break;
        case 3:
            if (IsNameChar(c)) {
                endName += c;
            } else {
                state = 4;
                --pos;
            }
            break;
        case 4:
            if (c != '>')
                fail("Right angle bracket (\">\") expected.", pos);
            if (!cur)
                fail(Format("End tag \"%s\" before any start tag.", endName.c_str()),
                     pos - endName.size());
            if (!SameText(cur->Name, endName))
                fail(Format("End tag \"%s\" does not match the start tag \"%s\".", endName.c_str(),
                            cur->Name.c_str()),
                     pos - endName.size());
            if (cur == &root)
                return;
            cur = cur->Parent;
            state = 0;
            break;
        case 5:
            if (c == ' ' || c == '=') {
                if (attrName.empty())
                    fail("Attribute name expected.", pos);
                state = 6;
                --pos;
            } else if (c == '/') {
                endName = cur->Name;
                state = 4;
            } else if (c == '>') {
                state = 0;
            } else if (IsNameChar(c)) {
                attrName += c;
            } else {
                fail("Invalid character in the attribute name.", pos);
            }
            break;
        case 6:
            if (c == '=')
                state = 7;
            else if (c != ' ')
                fail("Equals sign (\"=\") expected between attribute name and value.", pos);
            break;
        case 7:
            if (c == '"' || c == '\'') {
                quote = c;
                value.clear();
                state = 8;
            } else if (c != ' ') {
                fail("Opening quote character (single or double) expected.", pos);
            }
            break;
        case 8:
            if (c == quote) {
                cur->Attributes.push_back(attrName + "=" + Decode(value));
                state = 9;
            } else {
                value += c;
            }
            break;
        case 9:
            if (c == ' ') {
                attrName.clear();
                state = 5;
            } else if (c == '/') {
                endName = cur->Name;
                state = 4;
            } else if (c == '>') {
                state = 0;
            } else {
                fail("White space or tag closing expected.", pos);
            }
            break;
        case 10:
            if (c != '-')
                fail("Syntax error.", pos - 1);
            state = 11;
            break;
        case 11:
            if (c != '-')
                fail("Double-hyphen (\"--\") expected.", pos - 1);
            dashes = 0;
            buf.clear();
            state = 12;
            break;
        case 12:
            if (c == '-') {
                if (dashes == 1)
                    state = 13;
                ++dashes;
            } else {
                dashes = 0;
            }
            buf += raw;
            break;
        case 13:
            if (c != '>')
                fail("Right angle bracket (\">\") expected.", pos);
            if (cur && !o.NoCommentNodes)
                AddNode(cur, TXMLTagKind::Comment, buf.substr(0, buf.size() - 2));
            buf.clear();
            state = 0;
            break;
        case 14:
            if (c == '?')
                state = 15;
            break;
        case 15:
            if (c != '>')
                fail("Right angle bracket (\">\") expected.", pos);
            state = 0;
            break;
        }
    }
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "xml_parser_fuzz: %s\n", what);
        std::abort();
    }
}

// A canonical rendering with lengths, checking Parent links on the way.
void Render(const TXMLTag& tag, std::string& out) {
    out += std::to_string(int(tag.Kind)) + ":" + std::to_string(tag.Name.size()) + ":" + tag.Name;
    out += ":" + std::to_string(tag.Text.size()) + ":" + tag.Text;
    for (const std::string& line : tag.Attributes)
        out += "@" + std::to_string(line.size()) + ":" + line;
    out += "(";
    for (const auto& child : tag.Children) {
        Check(child->Parent == &tag, "child does not point to its parent");
        Render(*child, out);
    }
    out += ")";
}

struct TOutcome {
    std::string tree;
    std::string error;
};

template <typename F> TOutcome Run(F parse) {
    TOutcome outcome;
    TXMLTag root;
    try {
        parse(root);
    } catch (const TXMLParserError& e) {
        outcome.error = e.what();
    }
    Render(root, outcome.tree);
    return outcome;
}

} // namespace
} // namespace velk

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velk;
    if (size == 0)
        return 0;
    XMLParserOptions.KeepTextSpaces = data[0] & 1;
    XMLParserOptions.KeepValueSpaces = data[0] & 2;
    XMLParserOptions.NoTextNodes = data[0] & 4;
    XMLParserOptions.NoCommentNodes = data[0] & 8;
    XMLParserOptions.LowerCaseNames = data[0] & 16;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    TOutcome actual = Run([&](TXMLTag& root) { root.Parse(text); });
    TOutcome expected = Run([&](TXMLTag& root) { ReferenceParse(root, text); });
    Check(actual.error == expected.error, "error differs from the reference");
    Check(actual.tree == expected.tree, "tree differs from the reference");
    return 0;
}
