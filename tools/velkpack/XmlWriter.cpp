#include "tools/velkpack/XmlWriter.h"

#include "platform/StrUtils.h"

namespace velk {
namespace {

bool IsNameChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
           c == '_';
}

bool IsName(std::string_view name) {
    if (name.empty())
        return false;
    for (char c : name)
        if (!IsNameChar(c))
            return false;
    return true;
}

// What the parser trims from the ends of values and texts.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool HasTrimmedEnd(std::string_view s) {
    return !s.empty() && (IsTrimmed(s.front()) || IsTrimmed(s.back()));
}

std::string Shown(std::string_view s) {
    return s.size() <= 40 ? std::string(s) : std::string(s.substr(0, 40)) + "...";
}

void AppendReference(std::string& out, unsigned char c) {
    out += Format("&#x%02X;", c);
}

// The parser decodes "&#x", two characters and one more, scanning from the end of the value.
bool LooksLikeReference(std::string_view value, size_t at) {
    return value.size() - at > 5 && value[at + 1] == '#' && value[at + 2] == 'x';
}

void AppendValue(std::string& out, std::string_view value) {
    for (size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c < 32 || c == 127 || c == '"' || (c == ' ' && i > 0 && value[i - 1] == ' ') ||
            (c == '&' && LooksLikeReference(value, i)))
            AppendReference(out, c);
        else
            out += char(c);
    }
}

void CheckText(std::string_view text) {
    bool blank = false;
    for (char c : text) {
        if (c == '<' || c == '\t' || c == '\r' || c == '\n' || (c == ' ' && blank))
            throw EXmlWriteError("Text \"" + Shown(text) +
                                 "\" cannot be written as XML: the "
                                 "parser would not read it back the same.");
        blank = c == ' ';
    }
    if (HasTrimmedEnd(text))
        throw EXmlWriteError("Text \"" + Shown(text) +
                             "\" cannot be written as XML: the parser trims its ends.");
}

class TWriter {
public:
    std::string Text() { return std::move(out_); }

    void Element(const TXMLTag& tag, int depth) {
        if (!IsName(tag.Name))
            throw EXmlWriteError("\"" + Shown(tag.Name) +
                                 "\" cannot be written as an element "
                                 "name.");
        Indent(depth);
        out_ += '<';
        out_ += tag.Name;
        for (const std::string& line : tag.Attributes)
            Attribute(line);
        if (tag.Children.Count() == 0) {
            out_ += "/>\n";
            return;
        }
        out_ += ">\n";
        for (const auto& child : tag.Children)
            Node(*child, depth + 1);
        Indent(depth);
        out_ += "</" + tag.Name + ">\n";
    }

private:
    void Node(const TXMLTag& node, int depth) {
        switch (node.Kind) {
        case TXMLTagKind::Element:
            Element(node, depth);
            break;
        case TXMLTagKind::Text:
            // an empty one is what the parser makes of the line breaks around elements
            CheckText(node.Text);
            if (!node.Text.empty()) {
                Indent(depth);
                out_ += node.Text + "\n";
            }
            break;
        case TXMLTagKind::Comment:
            if (node.Text.find("--") != std::string::npos ||
                (!node.Text.empty() && node.Text.back() == '-'))
                throw EXmlWriteError("Comment \"" + Shown(node.Text) +
                                     "\" cannot be written as XML: it holds \"--\" or ends in "
                                     "\"-\".");
            Indent(depth);
            out_ += "<!--" + node.Text + "-->\n";
            break;
        }
    }

    void Attribute(const std::string& line) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || !IsName(std::string_view(line).substr(0, equals)))
            throw EXmlWriteError("\"" + Shown(line) + "\" cannot be written as an attribute.");
        std::string_view value = std::string_view(line).substr(equals + 1);
        if (HasTrimmedEnd(value))
            throw EXmlWriteError("The value of \"" + Shown(line) +
                                 "\" cannot be written as XML: the parser trims its ends.");
        out_ += ' ';
        out_.append(line, 0, equals);
        out_ += "=\"";
        AppendValue(out_, value);
        out_ += '"';
    }

    void Indent(int depth) { out_.append(size_t(depth) * 2, ' '); }

    std::string out_;
};

} // namespace

std::string WriteXmlText(const TXMLTag& root) {
    if (root.Kind != TXMLTagKind::Element)
        throw EXmlWriteError("Only an element can be written as an XML document.");
    TWriter writer;
    writer.Element(root, 0);
    return writer.Text();
}

} // namespace velk
