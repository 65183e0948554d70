// Builds packages from fixture source folders with velkpack and checks them with independent
// readers (cabextract) and with velkpack's own list, decipher, db and xml commands.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tools/PackageTestSupport.h"

namespace {

using nlohmann::json;
using velk_test::TVelkpackResult;

uint32_t LE32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// The tree without the empty text nodes the parser makes around elements, for comparing
// documents whose line breaks differ.
json WithoutEmptyText(const json& node) {
    json copy = node;
    copy["children"] = json::array();
    for (const json& child : node["children"])
        if (!(child["kind"] == "text" && child["text"] == ""))
            copy["children"].push_back(WithoutEmptyText(child));
    return copy;
}

// The children of the root, the "fileinfos" element taken out into *fileInfos.
json RootWithoutFileInfos(json root, json* fileInfos = nullptr) {
    json kept = json::array();
    for (const json& child : root["children"]) {
        if (child["kind"] == "element" && child["name"] == "fileinfos") {
            if (fileInfos != nullptr)
                *fileInfos = child;
        } else {
            kept.push_back(child);
        }
    }
    root["children"] = kept;
    return root;
}

// [name, size, version, fontname] of each fileinfo item in the tree of "velkpack xml".
std::vector<std::vector<std::string>> FileInfoRows(const json& fileInfos) {
    std::vector<std::vector<std::string>> rows;
    for (const json& item : fileInfos["children"]) {
        if (item["kind"] != "element")
            continue;
        std::vector<std::string> row(4);
        for (const json& pair : item["attributes"]) {
            const std::string name = pair[0];
            size_t column = name == "name" ? 0 : name == "size" ? 1 : name == "version" ? 2 : 3;
            row[column] = pair[1];
        }
        rows.push_back(row);
    }
    return rows;
}

class VelkpackBuildTest : public velk_test::TPackageTest {
protected:
    static constexpr char kBadXml[] = "<package>\n  <components></component>\n</package>";

    // The message of the installer's parser for the text, as "velkpack xml" reports it.
    std::string ParserMessage(const std::string& xml) {
        TVelkpackResult r = Run("xml '" + Put("bad.xml", xml) + "'");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Line 2"), std::string::npos) << r.err;
        return r.err.substr(0, r.err.find('\n'));
    }
    json XmlTree(const std::string& file) {
        TVelkpackResult r = Run("xml --compact '" + file + "'");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
    // Deciphers an entry of the package into a file and returns its path.
    std::string Deciphered(const std::string& package, const std::string& entry) {
        EXPECT_EQ(Run("extract '" + Path(package) + "' '" + Path("x-" + package) + "'").exitCode,
                  0);
        TVelkpackResult r = Run("decipher --date " + std::string(velk_test::kPackageDate) + " '" +
                                Path("x-" + package + "/" + entry) + "'");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Put(package + "-" + entry + ".xml", r.out);
    }
};

TEST_F(VelkpackBuildTest, MainPackageIsStubCabinetAndTrailerInTheLayoutOrder) {
    MakeSource(true);
    TVelkpackResult built = Build("setup.exe", true);
    ASSERT_EQ(built.exitCode, 0) << built.err;
    const std::string package = Get("setup.exe");
    const std::string stub = Get("stub.exe");

    ASSERT_GT(package.size(), stub.size() + 18);
    EXPECT_EQ(package.substr(0, stub.size()), stub);
    EXPECT_EQ(package.substr(stub.size(), 8), std::string("MSCF\0\0\0\0", 8));
    const std::string trailer = package.substr(package.size() - 18);
    EXPECT_EQ(trailer.substr(12), "VKPEND");
    EXPECT_EQ(LE32(trailer, 0), package.size());

    // cabextract sees the cabinet (and warns about the trailer behind it) in the same order.
    std::string listing;
    ASSERT_EQ(Shell("cabextract -l setup.exe", &listing), 0);
    std::vector<std::string> cabextractNames;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        size_t bar = line.rfind(" | ");
        if (bar != std::string::npos && line.find("Date") == std::string::npos)
            cabextractNames.push_back(line.substr(bar + 3));
    }
    std::vector<std::string> expected = ExpectedOrder(true);
    std::vector<std::string> expectedSlashes = expected;
    for (std::string& name : expectedSlashes)
        for (char& c : name)
            c = c == '\\' ? '/' : c;
    EXPECT_EQ(cabextractNames, expectedSlashes);

    // The trailer's sizes are the unpacked sizes on either side of "files\".
    TVelkpackResult listed = Run("list '" + Path("setup.exe") + "'");
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::vector<velk_test::TListedEntry> entries = ListedEntries(listed.out);
    uint64_t presetup = 0, files = 0;
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        names.push_back(entry.Name);
        (entry.Name.rfind("files\\", 0) == 0 ? files : presetup) += entry.Size;
        EXPECT_EQ(entry.Date, velk_test::kPackageDate) << entry.Name;
        EXPECT_EQ(entry.Time, "12:00:00") << entry.Name;
        EXPECT_EQ(entry.Attributes, "---a-") << entry.Name;
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(LE32(trailer, 4), presetup);
    EXPECT_EQ(LE32(trailer, 8), files);
    EXPECT_NE(listed.out.find("cabinet:  at byte " + std::to_string(stub.size())),
              std::string::npos);
}

TEST_F(VelkpackBuildTest, CabextractExtractsTheSourceFilesByteForByte) {
    MakeSource(false);
    for (const char* compress : {"mszip", "none"}) {
        SCOPED_TRACE(compress);
        const std::string name = std::string(compress) + ".vkp";
        TVelkpackResult built = Build(name, false, std::string("--compress ") + compress);
        ASSERT_EQ(built.exitCode, 0) << built.err;
        // a .vkp holds the cabinet from its first byte, and no main database
        EXPECT_EQ(Get(name).substr(0, 4), "MSCF");
        const std::string out = std::string("by-cabextract-") + compress;
        ASSERT_EQ(Shell("cabextract -q -d " + out + " " + name), 0);
        for (const std::string& entry : ExpectedOrder(false)) {
            if (entry == "db.pdb")
                continue;
            std::string extracted = out + "/" + entry;
            for (char& c : extracted)
                c = c == '\\' ? '/' : c;
            ASSERT_TRUE(Exists(extracted)) << extracted;
            EXPECT_EQ(Get(extracted), Get(SourceOf(entry))) << entry;
        }
        EXPECT_FALSE(Exists(out + "/main.pdb"));
        EXPECT_TRUE(Exists(out + "/db.pdb"));
    }
    // stored blocks make a larger cabinet than MSZIP on this mix
    EXPECT_GT(Get("none.vkp").size(), Get("mszip.vkp").size());
}

TEST_F(VelkpackBuildTest, MainDatabaseIsEncipheredAsWrittenUnderThePackageDate) {
    MakeSource(true);
    ASSERT_EQ(Build("setup.exe", true).exitCode, 0);
    EXPECT_EQ(ReadBack(Deciphered("setup.exe", "main.pdb")), kMainXml);
    // under another day the text is noise
    TVelkpackResult wrong =
        Run("decipher --date 2024-05-02 '" + Path("x-setup.exe/main.pdb") + "'");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.out, kMainXml);
}

TEST_F(VelkpackBuildTest, PackageDatabaseKeepsTheAuthorsTreeAndGainsTheFileInfos) {
    MakeSource(false);
    TVelkpackResult built = Build("p.vkp", false);
    ASSERT_EQ(built.exitCode, 0) << built.err;
    // the author's own fileinfos give way, with a note
    EXPECT_NE(built.err.find("db.xml: its \"fileinfos\" give way"), std::string::npos) << built.err;
    const std::string deciphered = Deciphered("p.vkp", "db.pdb");

    // Node for node, comments, unknown elements and texts included, but for the fileinfos.
    json fileInfos;
    json rebuilt = RootWithoutFileInfos(WithoutEmptyText(XmlTree(deciphered)), &fileInfos);
    json authored = RootWithoutFileInfos(WithoutEmptyText(XmlTree(Path("src/db.xml"))));
    EXPECT_EQ(rebuilt, authored);

    std::vector<std::vector<std::string>> expected;
    for (const std::string& entry : ExpectedOrder(false)) {
        if (entry.rfind("files\\", 0) != 0)
            continue;
        std::string size = std::to_string(Get(SourceOf(entry)).size());
        expected.push_back({entry.substr(6), size == "0" ? "" : size, "", ""});
    }
    EXPECT_EQ(FileInfoRows(fileInfos), expected);

    // What the engine loads: the author's data plus the fileinfos.
    TVelkpackResult authorsDb = Run("db --package --compact '" + Path("src/db.xml") + "'");
    TVelkpackResult packageDb = Run("db --package --compact '" + deciphered + "'");
    ASSERT_EQ(authorsDb.exitCode, 0) << authorsDb.err;
    ASSERT_EQ(packageDb.exitCode, 0) << packageDb.err;
    json loaded = json::parse(packageDb.out);
    json loadedFileInfos;
    EXPECT_EQ(RootWithoutFileInfos(loaded, &loadedFileInfos),
              RootWithoutFileInfos(json::parse(authorsDb.out)));
    EXPECT_EQ(FileInfoRows(loadedFileInfos), expected);
}

TEST_F(VelkpackBuildTest, FileInfosCarryTheVersionResourceAndTheFontName) {
    const std::string fixtures =
        std::filesystem::path(__FILE__).parent_path().string() + "/fileinfo/fixtures";
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (Shell("i686-w64-mingw32-windres -O coff -DFIXTURE_MAJOR=1 -DFIXTURE_MINOR=2 "
              "-DFIXTURE_RELEASE=3 -DFIXTURE_BUILD=4 -i " +
              fixtures + "/versioned.rc -o v.res && i686-w64-mingw32-gcc -shared -o v.dll " +
              fixtures + "/empty.c v.res") != 0 ||
        !std::filesystem::exists(font))
        GTEST_SKIP() << "needs the mingw tools and fonts-dejavu-core";
    Put("src/db.xml", "<package/>");
    Put("src/files/lib/v.dll", Get("v.dll"));
    Put("src/files/lib/Plain.DLL", "MZ not really a program");
    Put("src/files/fonts/Sans.TTF", ReadBack(font));
    Put("src/files/fonts/fake.ttf", "not a font");
    ASSERT_EQ(Build("p.vkp", false).exitCode, 0);
    json fileInfos;
    RootWithoutFileInfos(XmlTree(Deciphered("p.vkp", "db.pdb")), &fileInfos);
    const std::string fontSize = std::to_string(std::filesystem::file_size(font));
    const std::string dllSize = std::to_string(Get("v.dll").size());
    EXPECT_EQ(FileInfoRows(fileInfos), (std::vector<std::vector<std::string>>{
                                           {"fonts\\Sans.TTF", fontSize, "", "DejaVu Sans"},
                                           {"fonts\\fake.ttf", "10", "", ""},
                                           {"lib\\Plain.DLL", "23", "", ""},
                                           {"lib\\v.dll", dllSize, "1.2.3.4", ""}}));
}

TEST_F(VelkpackBuildTest, AttributeValuesComeBackExactlyFromTheRewrittenDatabase) {
    // Values with every byte the parser can deliver: quotes, "&#x" look-alikes, blanks in runs,
    // tabs and line breaks (from references), 8-bit bytes. The source writes every byte as a
    // reference, so the values reach the builder's writer unchanged.
    std::mt19937 random(42);
    const std::string pieces[] = {"&#x41;", "&#x4", "&#", "&", "\"",   "'",    "  ", "\t",
                                  "\r\n",   "<",    ">",  "%", "\xE9", "\x01", "a",  "Z"};
    std::vector<std::string> values;
    std::string xml = "<package>";
    for (int i = 0; i < 300; ++i) {
        std::string value = "v";
        for (int n = random() % 8; n >= 0; --n)
            value += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        value += "w";
        values.push_back(value);
        xml += "<var value=\"";
        for (unsigned char c : value) {
            char reference[8];
            std::snprintf(reference, sizeof reference, "&#x%02X;", c);
            xml += reference;
        }
        xml += "\"/>";
    }
    xml += "</package>";
    Put("src/db.xml", xml);
    ASSERT_EQ(Build("p.vkp", false).exitCode, 0);
    json rebuilt = XmlTree(Deciphered("p.vkp", "db.pdb"));
    std::vector<std::string> read;
    for (const json& child : rebuilt["children"])
        if (child["kind"] == "element")
            read.push_back(child["attributes"][0][1]);
    // velkpack xml shows the bytes as Windows-1252 in UTF-8, so compare through it as well
    json authored = XmlTree(Path("src/db.xml"));
    std::vector<std::string> written;
    for (const json& child : authored["children"])
        if (child["kind"] == "element")
            written.push_back(child["attributes"][0][1]);
    EXPECT_EQ(read.size(), values.size());
    EXPECT_EQ(read, written);
}

TEST_F(VelkpackBuildTest, SameInputsAndDateGiveTheSameBytes) {
    MakeSource(true);
    ASSERT_EQ(Build("first.exe", true).exitCode, 0);
    // the source files' own dates do not matter
    ASSERT_EQ(Shell("touch -d '2001-02-03 04:05:06' src/files/core/A.txt src/db.xml"), 0);
    ASSERT_EQ(Build("second.exe", true).exitCode, 0);
    EXPECT_EQ(Get("first.exe"), Get("second.exe"));

    // SOURCE_DATE_EPOCH stands in for --date: 2024-05-01 23:59:59 UTC
    setenv("SOURCE_DATE_EPOCH", "1714607999", 1);
    TVelkpackResult fromEpoch = Run("build '" + Path("src") + "' -o '" + Path("epoch.exe") +
                                    "' --stub '" + MakeStub() + "'");
    setenv("SOURCE_DATE_EPOCH", "1714521600", 1); // the same day's first second
    TVelkpackResult early = Run("build '" + Path("src") + "' -o '" + Path("early.exe") +
                                "' --stub '" + MakeStub() + "'");
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(fromEpoch.exitCode, 0) << fromEpoch.err;
    ASSERT_EQ(early.exitCode, 0) << early.err;
    EXPECT_EQ(Get("epoch.exe"), Get("first.exe"));
    EXPECT_EQ(Get("early.exe"), Get("first.exe"));

    // neither does the number of threads that compress
    ASSERT_EQ(Build("one-thread.exe", true, "--threads 1").exitCode, 0);
    ASSERT_EQ(Build("five-threads.exe", true, "--threads 5").exitCode, 0);
    EXPECT_EQ(Get("one-thread.exe"), Get("first.exe"));
    EXPECT_EQ(Get("five-threads.exe"), Get("first.exe"));

    // another date changes the dates and the enciphered databases
    ASSERT_EQ(Build("later.exe", true, "--date 2024-05-02").exitCode, 0);
    EXPECT_NE(Get("later.exe"), Get("first.exe"));
}

// Every refusal names the file and the problem, exits 1 and leaves the output as it was.
TEST_F(VelkpackBuildTest, BadInputIsRefusedWithoutLeavingOutput) {
    struct TCase {
        const char* What;
        std::function<void()> Prepare;
        std::string Args;
        std::string Message;
    };
    const std::string src = Path("src");
    const std::string big = Path("big.exe");
    const std::string withSignature = Path("mscf.exe");
    const std::vector<TCase> cases = {
        {"stub reaching byte 262128", [&] { Put("big.exe", std::string(262128, 'x')); },
         "--stub '" + big + "'",
         "big.exe: 262128 bytes; the cabinet would begin at byte 262128, but setup.exe looks for "
         "it only in the first 262128 bytes"},
        {"stub holding the signature",
         [&] { Put("mscf.exe", "MZ" + std::string(100, 'x') + std::string("MSCF\0\0\0\0", 8)); },
         "--stub '" + withSignature + "'",
         "mscf.exe: holds a cabinet signature (\"MSCF\" and four zero bytes) at offset 102"},
        {"missing folder", [&] { std::filesystem::remove_all(src); }, "", "src: no such folder"},
        {"db.xml that does not parse", [&] { Put("src/db.xml", kBadXml); }, "",
         "src/db.xml: " + ParserMessage(kBadXml)},
        {"main.xml that does not load",
         [&] {
             Put("src/main.xml", "<main><components><component id=\"a\"><shortcuts>"
                                 "<shortcut icon=\"x1\"/></shortcuts></component></components>"
                                 "</main>");
         },
         "", "src/main.xml: 'x1' is not a valid integer value"},
        {"no db.xml", [&] { std::filesystem::remove(src + "/db.xml"); }, "",
         "src: no db.xml: every package carries its package database"},
        {"file that cannot be read",
         [&] { symlink("/nonexistent/target", (src + "/files/core/gone.txt").c_str()); }, "",
         "src/files/core/gone.txt: cannot read it: "},
        {"entry outside the layout", [&] { Put("src/notes.txt", "x"); }, "",
         "src/notes.txt: not part of the package: "},
        {"file directly below files", [&] { Put("src/files/loose.txt", "x"); }, "",
         "src/files/loose.txt: product files lie in the folder of their component"},
        {"plug-in folder that is no index", [&] { Put("src/plugins/01/x.dll", "x"); }, "",
         "src/plugins/01: plug-ins lie in folders numbered by their place in db.xml"},
        {"name Windows cannot hold", [&] { Put("src/files/core/what?.txt", "x"); }, "",
         "src/files/core/what?.txt: the name holds \"?\""},
        {"names that differ only in case", [&] { Put("src/files/core/a.txt", "x"); }, "",
         "differs from it only in case"},
        {"main package without main.xml", [&] { std::filesystem::remove(src + "/main.xml"); },
         "--stub '" + Path("stub.exe") + "'", "src: no main.xml: a main package (--stub)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::filesystem::remove_all(src);
        MakeSource(true);
        MakeStub();
        Put("out/setup.exe", "the previous package");
        c.Prepare();
        std::string args = "build '" + src + "' -o '" + Path("out/setup.exe") + "' --date " +
                           velk_test::kPackageDate + " " + c.Args;
        if (c.Args.empty())
            args += " --stub '" + Path("stub.exe") + "'";
        TVelkpackResult r = Run(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("velkpack build: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.Message), std::string::npos) << r.err;
        EXPECT_EQ(Get("out/setup.exe"), "the previous package");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("out")), {}), 1)
            << "a temporary file was left behind";
    }
}

// Without --stub, main.xml makes a main package on the setup.exe installed beside velkpack:
// <velkpack's folder>/../share/velk/setup.exe.
TEST_F(VelkpackBuildTest, MainPackageWithoutStubTakesTheInstalledSetupExe) {
    MakeSource(true);
    const std::string velkpack = Path("inst/bin/velkpack");
    std::filesystem::create_directories(Path("inst/bin"));
    std::filesystem::copy_file(VELKPACK_PATH, velkpack);
    const std::string args =
        "build '" + Path("src") + "' -o '" + Path("p.exe") + "' --date " + velk_test::kPackageDate;
    TVelkpackResult r = RunProgram(velkpack, args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("src/main.xml: a main package needs setup.exe in front of its cabinet, "
                         "but no --stub was given and there is no " +
                         Path("inst/share/velk/setup.exe") + ", "),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(Exists("p.exe"));

    Put("inst/share/velk/setup.exe", ReadBack(MakeStub()));
    r = RunProgram(velkpack, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(Build("stub.exe", true).exitCode, 0);
    EXPECT_TRUE(Get("p.exe") == Get("stub.exe"));
    // --stub still names the program
    Put("other.exe", "MZ other");
    ASSERT_EQ(RunProgram(velkpack, args + " --stub '" + Path("other.exe") + "'").exitCode, 0);
    EXPECT_EQ(Get("p.exe").substr(0, 12), "MZ otherMSCF");
}

// A main package whose main.xml sets Uninstall gets the uninstaller beside its stub (or the one
// --uninstaller names) unless its source folder brings its own.
TEST_F(VelkpackBuildTest, UninstallerIsAddedWhenTheMainDatabaseAsksForOne) {
    MakeSource(true);
    std::filesystem::remove(Path("src/Uninstall.exe"));
    const std::string mainXml = kMainXml;
    const std::string at = "<variables>";
    auto setUninstall = [&](const char* value) {
        std::string xml = mainXml;
        xml.insert(xml.find(at) + at.size(),
                   std::string("<var name=\"uninstall\" value=\"") + value + "\"/>");
        Put("src/main.xml", xml);
    };
    // The cabinet's "Uninstall.exe", empty when there is none.
    auto carried = [&]() {
        std::filesystem::remove_all(Path("out"));
        EXPECT_EQ(Run("extract '" + Path("p.exe") + "' '" + Path("out") + "'").exitCode, 0);
        return Exists("out/Uninstall.exe") ? Get("out/Uninstall.exe") : std::string();
    };

    setUninstall("1");
    TVelkpackResult r = Build("p.exe", true);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the variable Uninstall asks for the uninstaller, but the source folder "
                         "has no Uninstall.exe and there is no " +
                         Path("Uninstall.exe")),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(Exists("p.exe"));

    Put("Uninstall.exe", "MZ ours");
    Put("mine.exe", "MZ named");
    const struct {
        const char* value;
        bool own, named;
        std::string expected;
    } cases[] = {
        {"1", false, false, "MZ ours"}, {"yes", false, false, "MZ ours"},
        {"1", false, true, "MZ named"}, {"1", true, true, "MZ the source's"},
        {"0", false, true, ""},         {"", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + (c.own ? " own" : "") + (c.named ? " named" : ""));
        setUninstall(c.value);
        if (c.own)
            Put("src/Uninstall.exe", "MZ the source's");
        else
            std::filesystem::remove(Path("src/Uninstall.exe"));
        r = Build("p.exe", true, c.named ? "--uninstaller '" + Path("mine.exe") + "'" : "");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(carried(), c.expected);
    }
}

// db.xml's plug-in entry "wizard" gets plugins/wizard.dll beside the stub (or the one --wizard
// names) in its numbered folder, between the plug-ins around it, unless the source brings one.
TEST_F(VelkpackBuildTest, StandardWizardFillsTheFolderOfItsEntry) {
    MakeSource(true);
    const std::string dbXml = kDbXml;
    auto setPlugins = [&](const std::string& wizard) {
        std::string xml = dbXml;
        xml.insert(xml.find("<components>"),
                   "<plugins><plugin id=\"ui\"/>" + wizard + "<plugin id=\"mid\"/></plugins>");
        Put("src/db.xml", xml);
    };
    // The cabinet's names from the first plug-in to the presetup folder, with the wizard's text.
    auto carried = [&](std::string* wizard) {
        TVelkpackResult listed = Run("list '" + Path("p.exe") + "'");
        std::string names;
        for (const auto& entry : ListedEntries(listed.out))
            if (entry.Name.rfind("plugins", 0) == 0)
                names += entry.Name + " ";
        std::filesystem::remove_all(Path("out"));
        EXPECT_EQ(Run("extract '" + Path("p.exe") + "' '" + Path("out") + "'").exitCode, 0);
        *wizard = Exists("out/plugins/1/wizard.dll") ? Get("out/plugins/1/wizard.dll") : "";
        return names;
    };

    setPlugins("<plugin id=\"Wizard\"/>");
    TVelkpackResult r = Build("p.exe", true);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the plug-in \"wizard\" has no plugins/1 folder and there is no " +
                         Path("plugins/wizard.dll")),
              std::string::npos)
        << r.err;

    Put("plugins/wizard.dll", "MZ ours");
    Put("mine.dll", "MZ named");
    std::string wizard;
    ASSERT_EQ(Build("p.exe", true).exitCode, 0);
    EXPECT_EQ(carried(&wizard), "plugins\\0\\ui.dll plugins\\1\\wizard.dll plugins\\2\\mid.dll "
                                "plugins\\10\\late.dll ");
    EXPECT_EQ(wizard, "MZ ours");
    ASSERT_EQ(Build("p.exe", true, "--wizard '" + Path("mine.dll") + "'").exitCode, 0);
    carried(&wizard);
    EXPECT_EQ(wizard, "MZ named");

    Put("src/plugins/1/own.dll", "MZ own");
    ASSERT_EQ(Build("p.exe", true).exitCode, 0);
    EXPECT_EQ(carried(&wizard), "plugins\\0\\ui.dll plugins\\1\\own.dll plugins\\2\\mid.dll "
                                "plugins\\10\\late.dll ");
    std::filesystem::remove_all(Path("src/plugins/1"));
    setPlugins("<plugin id=\"wizard\" debugdll=\"C:\\dev\\wizard.dll\"/>");
    ASSERT_EQ(Build("p.exe", true).exitCode, 0);
    const std::string names = carried(&wizard);
    EXPECT_EQ(names.find("wizard"), std::string::npos) << names;
}

// make install, from the dist folder of `make build`: velkpack in PREFIX/bin (/usr/local by
// default), the Windows binaries in PREFIX/share/velk, where the installed velkpack finds
// setup.exe.
TEST_F(VelkpackBuildTest, MakeInstallLaysOutWhatBuildFinds) {
    const std::string root = VELK_SOURCE_DIR;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"dist/linux/velkpack", "usr/local/bin/velkpack"},
        {"dist/windows/setup.exe", "usr/local/share/velk/setup.exe"},
        {"dist/windows/unpack.dll", "usr/local/share/velk/unpack.dll"},
        {"dist/windows/velkpack.exe", "usr/local/share/velk/velkpack.exe"},
        {"dist/windows/Uninstall.exe", "usr/local/share/velk/Uninstall.exe"},
        {"dist/windows/plugins/wizard.dll", "usr/local/share/velk/plugins/wizard.dll"}};
    for (const auto& file : files)
        if (!std::filesystem::exists(root + "/" + file.first))
            GTEST_SKIP() << "needs make build: " << file.first;
    ASSERT_EQ(Shell("make -s -C '" + root + "' install DESTDIR='" + Path("dest") + "'"), 0);
    for (const auto& file : files)
        EXPECT_TRUE(Get("dest/" + file.second) == ReadBack(root + "/" + file.first)) << file.second;
    EXPECT_EQ(access(Path("dest/usr/local/bin/velkpack").c_str(), X_OK), 0);

    MakeSource(true);
    TVelkpackResult r = RunProgram(Path("dest/usr/local/bin/velkpack"),
                                   "build '" + Path("src") + "' -o '" + Path("p.exe") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string setup = ReadBack(root + "/dist/windows/setup.exe");
    EXPECT_TRUE(Get("p.exe").substr(0, setup.size()) == setup);
    EXPECT_EQ(Run("list '" + Path("p.exe") + "'").exitCode, 0);
}

TEST_F(VelkpackBuildTest, UnreadableFileIsNamed) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    MakeSource(false);
    chmod(Path("src/files/docs/manual.txt").c_str(), 0);
    TVelkpackResult r = Build("p.vkp", false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("src/files/docs/manual.txt: cannot read the file: Permission denied"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(Exists("p.vkp"));
}

TEST_F(VelkpackBuildTest, CommandLineMistakesAreUsageErrors) {
    MakeSource(false);
    const std::string src = "'" + Path("src") + "'";
    for (const std::string& args :
         {"build " + src, std::string("build -o x.vkp"),
          "build " + src + " -o x.vkp --date 2024-02-30",
          "build " + src + " -o x.vkp --date 1979-12-31",
          "build " + src + " -o x.vkp --compress lzx", "build " + src + " -o x.vkp --stub",
          "build " + src + " -o x.vkp --threads 0", "build " + src + " -o x.vkp --threads x"}) {
        TVelkpackResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("velkpack build: "), std::string::npos) << args;
    }
    setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
    TVelkpackResult r = Run("build " + src + " -o x.vkp");
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("SOURCE_DATE_EPOCH \"yesterday\""), std::string::npos) << r.err;
}

} // namespace
