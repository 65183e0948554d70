// Runs the built velkpack on fixture files and checks its JSON, exit codes and messages.
#include "tools/VelkpackRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <string>

namespace {

using nlohmann::json;

using velk_test::TVelkpackResult;

class VelkpackXmlTest : public velk_test::TVelkpackTest {
protected:
    // Parses the XML text with the given flags and returns the JSON tree (exit code 0 expected).
    json Tree(const std::string& xml, const std::string& flags = "") {
        TVelkpackResult r = Run("xml " + flags + " " + Write("in.xml", xml));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return json::parse(r.out);
    }
};

json Node(const char* kind, const char* name, json attributes, const char* text, json children) {
    json node = json::object();
    node["kind"] = kind;
    node["name"] = name;
    node["attributes"] = std::move(attributes);
    node["text"] = text;
    node["children"] = std::move(children);
    return node;
}
json Pairs(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    json result = json::array();
    for (const auto& [name, value] : pairs)
        result.push_back(json::array({name, value}));
    return result;
}
json Text(const char* text) {
    return Node("text", "", json::array(), text, json::array());
}

TEST_F(VelkpackXmlTest, PrintsEveryNodeWithSetupOptions) {
    json tree = Tree("<?xml version='1.0'?><DB Ver='1' x='a=b'><c v='  a  b '/>t<!--k--></DB>");
    json expected =
        Node("element", "db", Pairs({{"Ver", "1"}, {"x", "a=b"}}), "",
             {Text(""), Node("element", "c", Pairs({{"v", "a  b"}}), "", json::array()), Text("t"),
              Node("comment", "", json::array(), "k", json::array()), Text("")});
    EXPECT_EQ(tree, expected);
}

TEST_F(VelkpackXmlTest, FlagsChangeEachParserOption) {
    const std::string xml = "<A v=' x  y '>\n a \n b <!--c--></A>";
    EXPECT_EQ(Tree(xml)["children"][0]["text"], "a b");
    EXPECT_EQ(Tree(xml, "--keep-text-spaces")["children"][0]["text"], "a \n b");
    EXPECT_EQ(Tree(xml)["attributes"][0][1], "x  y");
    EXPECT_EQ(Tree(xml, "--no-keep-value-spaces")["attributes"][0][1], "x y");
    EXPECT_EQ(Tree(xml)["name"], "a");
    EXPECT_EQ(Tree(xml, "--no-lower-case-names")["name"], "A");
    EXPECT_EQ(Tree(xml)["children"].size(), 3u);
    json noText = Tree(xml, "--no-text-nodes");
    ASSERT_EQ(noText["children"].size(), 1u);
    EXPECT_EQ(noText["children"][0]["kind"], "comment");
    json noComment = Tree(xml, "--no-comment-nodes");
    ASSERT_EQ(noComment["children"].size(), 2u);
    EXPECT_EQ(noComment["children"][1]["kind"], "text");
}

TEST_F(VelkpackXmlTest, CompactOutputIsOneLineOfTheSameTree) {
    std::string path = Write("a.xml", "<a x='1'><b/></a>");
    TVelkpackResult pretty = Run("xml " + path);
    TVelkpackResult compact = Run("xml --compact " + path);
    ASSERT_EQ(compact.exitCode, 0);
    EXPECT_EQ(compact.out.find('\n'), compact.out.size() - 1);
    EXPECT_EQ(json::parse(compact.out), json::parse(pretty.out));
}

TEST_F(VelkpackXmlTest, DeepNestingIsPrinted) {
    const int depth = 30000; // far beyond what a recursive printer survives
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<e>";
    TVelkpackResult r = Run("xml --compact --no-text-nodes " + Write("deep.xml", xml));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json tree = json::parse(r.out);
    int levels = 1;
    const json* node = &tree;
    while (!(*node)["children"].empty()) {
        node = &(*node)["children"][0];
        ++levels;
    }
    EXPECT_EQ(levels, depth);
}

TEST_F(VelkpackXmlTest, SyntaxErrorPrintsTheParserMessage) {
    TVelkpackResult r = Run("xml " + Write("bad.xml", "<a>\n<b x=1/></a>"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Opening quote character (single or double) expected. Line 2, position 6.\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(VelkpackXmlTest, UnreadableFileExitsWithTwo) {
    TVelkpackResult missing = Run("xml " + dir_ + "/missing.xml");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find(dir_ + "/missing.xml"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
    TVelkpackResult folder = Run("xml " + dir_);
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("cannot read"), std::string::npos) << folder.err;
    EXPECT_EQ(folder.out, "");
}

// The UTF-8 text of one byte as glibc's converter sees it; empty when it has no character there.
std::string Reference(const char* codePage, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", codePage);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << codePage;
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return done == static_cast<size_t>(-1) ? "" : std::string(out, outPtr);
}

std::string Latin1Utf8(unsigned char byte) {
    return std::string{static_cast<char>(0xC0 | (byte >> 6)),
                       static_cast<char>(0x80 | (byte & 0x3F))};
}

TEST_F(VelkpackXmlTest, HighBytesAreConvertedFromTheCodePage) {
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    std::string path = Write("high.xml", "<a v='" + high + "'>" + high + "</a>");

    TVelkpackResult r1252 = Run("xml " + path);
    TVelkpackResult r28591 = Run("xml --codepage 28591 " + path);
    TVelkpackResult r1252Flag = Run("xml --codepage=1252 " + path);
    ASSERT_EQ(r1252.exitCode, 0) << r1252.err;
    ASSERT_EQ(r28591.exitCode, 0) << r28591.err;
    EXPECT_EQ(r1252Flag.out, r1252.out);

    std::string expected1252, expectedLatin1;
    int unassigned = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
        std::string ref = Reference("CP1252", static_cast<unsigned char>(b));
        if (ref.empty()) { // unassigned in Windows-1252: the Latin-1 character
            ++unassigned;
            ref = Latin1Utf8(static_cast<unsigned char>(b));
        }
        expected1252 += ref;
        EXPECT_EQ(Reference("ISO-8859-1", static_cast<unsigned char>(b)),
                  Latin1Utf8(static_cast<unsigned char>(b)));
        expectedLatin1 += Latin1Utf8(static_cast<unsigned char>(b));
    }
    EXPECT_EQ(unassigned, 5);
    json t1252 = json::parse(r1252.out);
    EXPECT_EQ(t1252["attributes"][0][1], expected1252);
    EXPECT_EQ(t1252["children"][0]["text"], expected1252);
    json tLatin1 = json::parse(r28591.out);
    EXPECT_EQ(tLatin1["attributes"][0][1], expectedLatin1);
    EXPECT_EQ(tLatin1["children"][0]["text"], expectedLatin1);
}

TEST_F(VelkpackXmlTest, ControlCharactersAreEscaped) {
    json tree = Tree(std::string("<a>x\x01y\0z</a>", 13));
    EXPECT_EQ(tree["children"][0]["text"], std::string("x\x01y\0z", 5));
}

TEST_F(VelkpackXmlTest, HelpAndUsageErrors) {
    TVelkpackResult help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("xml"), std::string::npos);
    TVelkpackResult xmlHelp = Run("xml --help");
    EXPECT_EQ(xmlHelp.exitCode, 0);
    EXPECT_NE(xmlHelp.out.find("Usage: velkpack xml"), std::string::npos);
    EXPECT_NE(xmlHelp.out.find("--no-comment-nodes"), std::string::npos);

    std::string file = Write("ok.xml", "<a/>");
    const struct {
        std::string args;
        std::string message;
    } mistakes[] = {
        {"", "Usage: velkpack"},
        {"frobnicate", "unknown command \"frobnicate\""},
        {"xml --frob " + file, "unknown option \"--frob\""},
        {"xml", "no FILE given"},
        {"xml " + file + " " + file, "only one FILE"},
        {"xml --codepage 437 " + file, "unsupported code page \"437\""},
        {"xml " + file + " --codepage", "--codepage needs a code page number"},
    };
    for (const auto& m : mistakes) {
        TVelkpackResult r = Run(m.args);
        EXPECT_EQ(r.exitCode, 2) << m.args;
        EXPECT_NE(r.err.find(m.message), std::string::npos) << m.args << ": " << r.err;
        EXPECT_EQ(r.out, "") << m.args;
    }
}

} // namespace
