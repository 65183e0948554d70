#include "database/epXMLParser.h"

#include <gtest/gtest.h>

#include <string>

namespace velk {
namespace {

// Elements as name[attr,attr](children); text nodes as "text"; comments as !"text".
std::string Dump(const TXMLTag& tag) {
    if (tag.Kind == TXMLTagKind::Text)
        return "\"" + tag.Text + "\"";
    if (tag.Kind == TXMLTagKind::Comment)
        return "!\"" + tag.Text + "\"";
    std::string out = tag.Name;
    if (!tag.Attributes.empty()) {
        out += "[";
        for (size_t i = 0; i < tag.Attributes.size(); ++i)
            out += (i ? "," : "") + tag.Attributes[i];
        out += "]";
    }
    if (tag.Children.Count() > 0) {
        out += "(";
        for (int i = 0; i < tag.Children.Count(); ++i)
            out += (i ? " " : "") + Dump(*tag.Children[i]);
        out += ")";
    }
    return out;
}

// Every node's Parent is the tag whose list holds it.
void ExpectParentsLinked(const TXMLTag& tag) {
    EXPECT_EQ(tag.Children.Owner(), &tag);
    for (const auto& child : tag.Children) {
        EXPECT_EQ(child->Parent, &tag);
        ExpectParentsLinked(*child);
    }
}

class XMLParserTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = XMLParserOptions; }
    void TearDown() override { XMLParserOptions = saved_; }

    std::string Parse(std::string_view text) {
        TXMLTag root;
        root.Parse(text);
        ExpectParentsLinked(root);
        return Dump(root);
    }
    std::string ErrorOf(std::string_view text) {
        TXMLTag root;
        try {
            root.Parse(text);
        } catch (const TXMLParserError& e) {
            return e.what();
        }
        return "no error, tree " + Dump(root);
    }

private:
    TXMLParserOptions saved_;
};

struct TCase {
    const char* input;
    const char* expected;
};

TEST_F(XMLParserTest, BuildsTreesOfElementsTextAndComments) {
    const TCase cases[] = {
        {"<a><b/></a>", R"(a("" b ""))"},
        {"<a>x<b>y</b>z</a>", R"(a("x" b("y") "z"))"},
        {"<a><!-- c --></a>", R"(a("" !" c " ""))"},
        {"<a>t<!--c-->u</a>", R"(a("t" !"c" "u"))"},
        {"<a><!----></a>", R"(a("" !"" ""))"},
        {"<a><!-- a-b > c <d> --></a>", R"(a("" !" a-b > c <d> " ""))"},
        {"<a><?pi data?></a>", R"(a("" ""))"},
        {"<?xml version=\"1.0\"?><a/>", "a"},
        {"lead text <!-- c --><?p?> <a/>", "a"},
        {"<a/>garbage<", "a"},
        {"<a></a><b>", R"(a(""))"},
        {"<a/></z.", "a"},
        {"<1-_z/>", "1-_z"},
        {"<a></a >", R"(a(""))"},
        {"<a></a \t\r\n >", R"(a(""))"},
        {"<a />", "a"},
        {"<a  x='1'  \n\t y='2'  />", "a[x=1,y=2]"},
        {"", ""},
        {"just text", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Parse(c.input), c.expected) << c.input;
}

TEST_F(XMLParserTest, EndOfTextKeepsWhatWasRead) {
    const TCase cases[] = {
        {"<a>", "a"},
        {"<a><b><c x='1'>text", R"(a("" b("" c[x=1])))"},
        {"<a x='1' y='unclosed", "a[x=1]"},
        {"<a><!-- open", R"(a(""))"},
        {"<a><?open", R"(a(""))"},
        {"<a></a", R"(a(""))"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Parse(c.input), c.expected) << c.input;
}

TEST_F(XMLParserTest, NamesAreLowerCasedAndMatchedWithoutCase) {
    EXPECT_EQ(Parse("<A><Bc/></a>"), R"(a("" bc ""))");
    XMLParserOptions.LowerCaseNames = false;
    EXPECT_EQ(Parse("<A><Bc/></a>"), R"(A("" Bc ""))");
    EXPECT_EQ(ErrorOf("<Ab></B>"),
              "End tag \"B\" does not match the start tag \"Ab\". Line 1, position 7.");

    TXMLTag tag;
    tag.SetName("MiXed");
    EXPECT_EQ(tag.Name, "MiXed");
    XMLParserOptions.LowerCaseNames = true;
    tag.SetName("MiXed");
    EXPECT_EQ(tag.Name, "mixed");
}

TEST_F(XMLParserTest, AttributesKeepOrderRepeatsAndLiteralCharacters) {
    const TCase cases[] = {
        {"<a x = 'v' y=\"w\">", "a[x=v,y=w]"},
        {"<a x='1' x='2'/>", "a[x=1,x=2]"},
        {"<a x=''/>", "a[x=]"},
        {"<a x='<b>\"&amp;' y=\"'\"/>", "a[x=<b>\"&amp;,y=']"},
        {"<a b>", "a"},
        {"<a b/>", "a"},
        {"<a\nx\n=\n'1'\n>", "a[x=1]"},
        {"<a x='=='/>", "a[x===]"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Parse(c.input), c.expected) << c.input;
}

TEST_F(XMLParserTest, ValueSpacesFollowKeepValueSpaces) {
    EXPECT_EQ(Parse("<a x='  v  w '>"), "a[x=v w]");
    EXPECT_EQ(Parse("<a x='a\t\tb\r\nc'>"), "a[x=a b c]");
    XMLParserOptions.KeepValueSpaces = true;
    EXPECT_EQ(Parse("<a x='  v  w '>"), "a[x=v  w]");
    // Tab, CR and LF still become blanks.
    EXPECT_EQ(Parse("<a x='a\t\tb\r\nc'>"), "a[x=a  b  c]");
}

TEST_F(XMLParserTest, ValuesDecodeOnlyHexReferences) {
    const TCase cases[] = {
        {"<a x='A&#x26;B'/>", "a[x=A&B]"},
        {"<a x='&#x41;&#x4a;&#x4A;'/>", "a[x=AJJ]"},
        {"<a x='&#x41'/>", "a[x=&#x41]"}, // only four characters after "&"
        {"<a x='&#x41!'/>", "a[x=A]"},    // the sixth character may be anything
        {"<a x='&#X41;&#65;&amp;'/>", "a[x=&#X41;&#65;&amp;]"},
        {"<a x='&&#x23;x41;'/>", "a[x=A]"},      // the decoded "#" completes an earlier reference
        {"<a x='&#x26;#x41;'/>", "a[x=&#x41;]"}, // a decoded "&" is not decoded again
        {"<a x='&#x20;v&#x09;'/>", "a[x=v]"},    // trimmed after decoding
        {"<a x='&#xe9;'/>", "a[x=\xe9]"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Parse(c.input), c.expected) << c.input;
    // Invalid digits give the character 0.
    EXPECT_EQ(Parse("<a x='a&#x4G;b'/>"), std::string("a[x=a\0b]", 8));
}

TEST_F(XMLParserTest, TextIsFoldedCollapsedAndTrimmed) {
    EXPECT_EQ(Parse("<a>\n  hello\n  world\n</a>"), R"(a("hello world"))");
    EXPECT_EQ(Parse("<a> x\t\ty </a>"), R"(a("x y"))");
    EXPECT_EQ(Parse("<a>&#x41;&amp;</a>"), R"(a("&#x41;&amp;"))");
    EXPECT_EQ(Parse(std::string_view("<a>x\0\x01y\xff</a>", 12)),
              std::string("a(\"x\0\x01y\xff\")", 10));
    XMLParserOptions.KeepTextSpaces = true;
    EXPECT_EQ(Parse("<a>\n  hello\r\n\tworld \n</a>"), "a(\"hello\r\n\tworld\")");
}

TEST_F(XMLParserTest, CommentsKeepTheirCharactersWhateverTheOptions) {
    EXPECT_EQ(Parse("<a><!--  x\t\r\n  y  --></a>"), "a(\"\" !\"  x\t\r\n  y  \" \"\")");
}

TEST_F(XMLParserTest, NodeOptionsLeaveNodesOut) {
    XMLParserOptions.NoTextNodes = true;
    EXPECT_EQ(Parse("<a>t<b/>u<!--c--></a>"), R"(a(b !"c"))");
    XMLParserOptions.NoCommentNodes = true;
    EXPECT_EQ(Parse("<a>t<b/>u<!--c--></a>"), "a(b)");
    XMLParserOptions.NoTextNodes = false;
    EXPECT_EQ(Parse("<a>t<b/>u<!--c--></a>"), R"(a("t" b "u" ""))");
}

TEST_F(XMLParserTest, ErrorsCarryTheirMessageAndPosition) {
    const TCase cases[] = {
        {"<a.b>", "Invalid character in the tag name. Line 1, position 3."},
        {"< a>", "Invalid character in the tag name. Line 1, position 2."},
        {"<a>\xe9", "no error, tree a"},
        {"<a><\xe9>", "Invalid character in the tag name. Line 1, position 5."},
        {"<a/ >", "Right angle bracket (\">\") expected. Line 1, position 4."},
        {"<a></a x>", "Right angle bracket (\">\") expected. Line 1, position 8."},
        {"<a><!-- c -- d --></a>", "Right angle bracket (\">\") expected. Line 1, position 13."},
        {"<a><?p?x>", "Right angle bracket (\">\") expected. Line 1, position 8."},
        {"<a></b>", "End tag \"b\" does not match the start tag \"a\". Line 1, position 6."},
        {"<a></bb  >", "End tag \"bb\" does not match the start tag \"a\". Line 1, position 8."},
        {"<a></>", "End tag \"\" does not match the start tag \"a\". Line 1, position 6."},
        {"<a =''>", "Attribute name expected. Line 1, position 4."},
        {"<a x.y='1'>", "Invalid character in the attribute name. Line 1, position 5."},
        {"<a x y='1'>",
         "Equals sign (\"=\") expected between attribute name and value. Line 1, position 6."},
        {"<a x >",
         "Equals sign (\"=\") expected between attribute name and value. Line 1, position 6."},
        {"<a x=1>", "Opening quote character (single or double) expected. Line 1, position 6."},
        {"<a x='1'y='2'>", "White space or tag closing expected. Line 1, position 9."},
        {"<a><!-x-->", "Double-hyphen (\"--\") expected. Line 1, position 6."},
        {"<!DOCTYPE a><a/>", "Syntax error. Line 1, position 2."},
        {"<a><![CDATA[x]]></a>", "Syntax error. Line 1, position 5."},
        {"</a>", "End tag \"a\" before any start tag. Line 1, position 3."},
        {"<!--c--> </>", "End tag \"\" before any start tag. Line 1, position 12."},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ErrorOf(c.input), c.expected) << c.input;
}

TEST_F(XMLParserTest, ErrorPositionsCountLinesAtLineFeeds) {
    EXPECT_EQ(ErrorOf("<a>\n<b>\n  <c x=1>"),
              "Opening quote character (single or double) expected. Line 3, position 8.");
    // CR is not counted, so CR LF is one line break and a lone CR none.
    EXPECT_EQ(ErrorOf("<a>\r\n\r\n<b.>"), "Invalid character in the tag name. Line 3, position 3.");
    EXPECT_EQ(ErrorOf("<a>\r<b.>"), "Invalid character in the tag name. Line 1, position 6.");
    // An error at a line feed is at position 0 of the line it opens.
    EXPECT_EQ(ErrorOf("<a/\n>"), "Right angle bracket (\">\") expected. Line 2, position 0.");

    EXPECT_EQ(TXMLParserError("E.", 1, "x").Message(), "E. Line 1, position 1.");
    EXPECT_EQ(TXMLParserError("E.", 99, "ab\ncd").Message(), "E. Line 2, position 2.");
}

TEST_F(XMLParserTest, ErrorKeepsThePartialTree) {
    TXMLTag root;
    EXPECT_THROW(root.Parse("<a><b x='1'/><c><d.></c></a>"), TXMLParserError);
    EXPECT_EQ(Dump(root), R"(a("" b[x=1] "" c("" d)))");
    ExpectParentsLinked(root);
    // Attributes read before an error inside the same start tag stay as well.
    EXPECT_THROW(root.Parse("<a><b x='1' y='2' z=3/></a>"), TXMLParserError);
    EXPECT_EQ(Dump(root), R"(a("" b[x=1,y=2]))");
}

TEST_F(XMLParserTest, RootEndsTheParseWithoutClimbingAboveIt) {
    TXMLTag outer;
    TXMLTag* inner = outer.Children.Add(std::make_unique<TXMLTag>());
    inner->Parse("<a><b/></a></outer></x.>");
    EXPECT_EQ(Dump(*inner), R"(a("" b ""))");
    EXPECT_EQ(inner->Parent, &outer);
}

TEST_F(XMLParserTest, ParsingAgainReplacesTheTree) {
    TXMLTag root;
    root.Parse("<a x='1'><b/></a>");
    root.Parse("<c>t</c>");
    EXPECT_EQ(Dump(root), R"(c("t"))");
}

TEST_F(XMLParserTest, DeepNestingParsesAndFreesWithoutRecursion) {
    const int depth = 200000;
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<e>";
    for (int i = 0; i < depth; ++i)
        text += "</e>";
    auto root = std::make_unique<TXMLTag>();
    root->Parse(text);
    int levels = 1;
    const TXMLTag* tag = root.get();
    while (tag->Children.Count() == 3) { // text, element, text
        tag = tag->Children[1];
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    root.reset();
}

class TOther : public TPersistent {
public:
    const char* ClassName() const override { return "TOther"; }
};

TEST(PersistentTest, UnknownPairsRaiseTheConversionError) {
    TXMLTag tag;
    TOther other;
    try {
        tag.Assign(other);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TOther to a TXMLTag");
    }
    try {
        tag.AssignTo(other);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TXMLTag to a TOther");
    }
}

TEST(XMLTagListTest, AddLinksParentAndDeleteFrees) {
    TXMLTag root;
    TXMLTag* a = root.Children.Add(std::make_unique<TXMLTag>());
    a->Name = "a";
    root.Children.Add(std::make_unique<TXMLTag>())->Name = "b";
    EXPECT_EQ(a->Parent, &root);
    root.Children.Delete(0);
    ASSERT_EQ(root.Children.Count(), 1);
    EXPECT_EQ(root.Children[0]->Name, "b");
    root.Children.Clear();
    EXPECT_EQ(root.Children.Count(), 0);
}

} // namespace
} // namespace velk
