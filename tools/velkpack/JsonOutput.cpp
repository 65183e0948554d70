#include "tools/velkpack/JsonOutput.h"

#include <string>
#include <utility>
#include <vector>

namespace velk {
namespace {

const char* KindName(TXMLTagKind kind) {
    switch (kind) {
    case TXMLTagKind::Element:
        return "element";
    case TXMLTagKind::Text:
        return "text";
    case TXMLTagKind::Comment:
        return "comment";
    }
    return "unknown";
}

// The node's own fields, with an empty "children" array to be filled.
TJson NodeFields(const TXMLTag& tag, TCodePage codePage) {
    TJson attributes = TJson::array();
    for (const std::string& line : tag.Attributes) {
        size_t equals = line.find('=');
        std::string_view name(line);
        std::string_view value;
        if (equals != std::string::npos) {
            name = name.substr(0, equals);
            value = std::string_view(line).substr(equals + 1);
        }
        attributes.push_back(TJson::array({ToUtf8(name, codePage), ToUtf8(value, codePage)}));
    }
    TJson node = TJson::object();
    node["kind"] = KindName(tag.Kind);
    node["name"] = ToUtf8(tag.Name, codePage);
    node["attributes"] = std::move(attributes);
    node["text"] = ToUtf8(tag.Text, codePage);
    node["children"] = TJson::array();
    return node;
}

bool IsPlain(const TJson& value) {
    return value.is_primitive();
}

// Plain values, empty containers and arrays of plain values fit on one line.
bool FitsOnLine(const TJson& value) {
    if (value.is_primitive() || value.empty())
        return true;
    if (!value.is_array())
        return false;
    for (const TJson& item : value) {
        if (!IsPlain(item))
            return false;
    }
    return true;
}

void WriteLine(std::ostream& out, const TJson& value, const char* separator) {
    if (!value.is_array() || value.empty()) {
        out << value.dump();
        return;
    }
    out << '[';
    bool first = true;
    for (const TJson& item : value) {
        out << (first ? "" : separator) << item.dump();
        first = false;
    }
    out << ']';
}

} // namespace

TJson TagToJson(const TXMLTag& tag, TCodePage codePage) {
    TJson result = NodeFields(tag, codePage);
    // Each node's children array is sized once before its items are handed out, so the pointers
    // kept on the stack stay valid.
    std::vector<std::pair<const TXMLTag*, TJson*>> pending{{&tag, &result}};
    while (!pending.empty()) {
        auto [node, json] = pending.back();
        pending.pop_back();
        TJson& children = (*json)["children"];
        children.get_ref<TJson::array_t&>().reserve(size_t(node->Children.Count()));
        for (const auto& child : node->Children)
            children.push_back(NodeFields(*child, codePage));
        for (size_t i = 0; i < children.size(); ++i)
            pending.emplace_back(node->Children[int(i)], &children[i]);
    }
    return result;
}

void WriteJson(std::ostream& out, const TJson& value, TJsonLayout layout) {
    const bool pretty = layout == TJsonLayout::Pretty;
    struct TFrame {
        const TJson* container;
        TJson::const_iterator next;
    };
    std::vector<TFrame> open;
    auto enter = [&](const TJson& item) {
        if (FitsOnLine(item)) {
            WriteLine(out, item, pretty ? ", " : ",");
            return;
        }
        out << (item.is_object() ? '{' : '[');
        open.push_back({&item, item.cbegin()});
    };
    auto indent = [&](size_t depth) {
        if (!pretty)
            return;
        out << '\n';
        for (size_t i = 0; i < depth; ++i)
            out << "  ";
    };
    enter(value);
    while (!open.empty()) {
        TFrame& frame = open.back();
        const TJson& container = *frame.container;
        if (frame.next == container.cend()) {
            open.pop_back();
            indent(open.size());
            out << (container.is_object() ? '}' : ']');
            continue;
        }
        if (frame.next != container.cbegin())
            out << ',';
        indent(open.size());
        auto item = frame.next++;
        if (container.is_object())
            out << TJson(item.key()).dump() << (pretty ? ": " : ":");
        enter(item.value()); // may grow open: frame is not used after this
    }
    out << '\n';
}

} // namespace velk
