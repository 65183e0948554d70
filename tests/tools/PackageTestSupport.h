// A package source folder with every part of the layout, written below the scratch folder of a
// velkpack test, and what the tests need to inspect the packages built from it.
#pragma once

#include <gtest/gtest.h>

#include "harness/TestBitmap.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/VelkpackRun.h"

namespace velk_test {

constexpr char kPackageDate[] = "2024-05-01";
constexpr int kPackageDaySerial = 45413; // 2024-05-01 counted from 1899-12-30
constexpr int kStubSize = 3000;

// One line of "velkpack list".
struct TListedEntry {
    uint32_t Size = 0;
    std::string Date;
    std::string Time;
    std::string Attributes;
    std::string Name;
};

inline std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

class TPackageTest : public TVelkpackTest {
protected:
    void SetUp() override {
        TVelkpackTest::SetUp();
        // the tests choose the package date themselves
        unsetenv("SOURCE_DATE_EPOCH");
    }

    std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }

    // Writes a file below the scratch folder, creating its folders.
    std::string Put(const std::string& relative, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        return Write(relative, content);
    }
    std::string Get(const std::string& relative) { return ReadBack(Path(relative)); }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(Path(relative));
    }

    // Runs a shell command in the scratch folder; its stdout goes to *out.
    int Shell(const std::string& command, std::string* out = nullptr) {
        const std::string outFile = Path("shell.out");
        int status =
            std::system(("cd '" + dir_ + "' && " + command + " >'" + outFile + "'").c_str());
        if (out != nullptr)
            *out = ReadBack(outFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The source folder "src" (with main.xml when main is set): every part of the layout, files
    // spanning several cabinet blocks, plug-in folders whose name order differs from their
    // number order.
    void MakeSource(bool main) {
        if (main)
            Put("src/main.xml", kMainXml);
        Put("src/db.xml", kDbXml);
        // pictures setup.exe would show; the splash already ends in its settings
        Put("src/splash.bmp", velk::test::BitmapFile(13, 11, 24, 0, -1, 40, 0, '\x21') +
                                  velk::test::SplashSettings(1, 0x00FF00, 90));
        Put("src/presetup.bmp", velk::test::BitmapFile(20, 7, 8, 0, -1, 40, 0, '\x42'));
        Put("src/Uninstall.exe", "MZ" + RandomBytes(900, 3));
        Put("src/lng/Enu.lng", "// English\r\n[Strings]\r\nLanguageName=English\r\n");
        Put("src/lng/Deu.lng", "// Deutsch\r\n[Strings]\r\nLanguageName=Deutsch\r\n");
        Put("src/plugins/0/ui.dll", "MZ" + RandomBytes(1000, 4));
        Put("src/plugins/10/late.dll", "MZ" + RandomBytes(300, 5));
        Put("src/plugins/2/mid.dll", "MZ" + RandomBytes(300, 6));
        Put("src/presetup/logo.bmp", "BM" + RandomBytes(200, 7));
        Put("src/presetup/sub/notes.txt", "presetup notes\r\n");
        Put("src/files/core/b.txt", "second\r\n");
        Put("src/files/core/A.txt", "first\r\n");
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "line " + std::to_string(i) + " of a text that compresses well\r\n";
        Put("src/files/core/sub/big.txt", text);
        Put("src/files/core/sub/noise.bin", RandomBytes(100000, 8));
        Put("src/files/docs/manual.txt", "the manual\r\n");
        Put("src/files/docs/empty.txt", "");
    }

    // The cabinet names of MakeSource's folder, in the order the builder must give them.
    static std::vector<std::string> ExpectedOrder(bool main) {
        std::vector<std::string> names = {"splash.bmp", "presetup.bmp"};
        if (main)
            names.push_back("main.pdb");
        for (const char* name :
             {"db.pdb", "lng\\Deu.lng", "lng\\Enu.lng", "plugins\\0\\ui.dll", "plugins\\2\\mid.dll",
              "plugins\\10\\late.dll", "presetup\\logo.bmp", "presetup\\sub\\notes.txt",
              "Uninstall.exe", "files\\core\\A.txt", "files\\core\\b.txt",
              "files\\core\\sub\\big.txt", "files\\core\\sub\\noise.bin", "files\\docs\\empty.txt",
              "files\\docs\\manual.txt"})
            names.push_back(name);
        return names;
    }

    // The file of the source folder that an entry comes from.
    static std::string SourceOf(const std::string& entry) {
        std::string path = "src/" + entry;
        for (char& c : path)
            if (c == '\\')
                c = '/';
        return path;
    }

    // A stub of kStubSize bytes without a cabinet signature.
    std::string MakeStub() { return Put("stub.exe", "MZ" + std::string(kStubSize - 2, 'x')); }

    // Builds src into out with the package date, as a main package when main is set.
    TVelkpackResult Build(const std::string& out, bool main, const std::string& extra = "") {
        std::string args = "build '" + Path("src") + "' -o '" + Path(out) + "' --date " +
                           kPackageDate + " " + extra;
        if (main)
            args += " --stub '" + MakeStub() + "'";
        return Run(args);
    }

    std::vector<TListedEntry> ListedEntries(const std::string& listing) {
        std::vector<TListedEntry> entries;
        std::istringstream lines(listing);
        std::string line;
        bool inEntries = false;
        while (std::getline(lines, line)) {
            if (inEntries) {
                std::istringstream fields(line);
                TListedEntry e;
                fields >> e.Size >> e.Date >> e.Time >> e.Attributes;
                std::string rest;
                std::getline(fields, rest);
                EXPECT_EQ(rest.substr(0, 2), "  ") << line;
                e.Name = rest.size() > 2 ? rest.substr(2) : "";
                entries.push_back(e);
            }
            inEntries = inEntries || line.rfind("cabinet:", 0) == 0;
        }
        return entries;
    }

    static constexpr char kMainXml[] = R"(<?xml version="1.0"?>
<main version="2.5">
  <variables><var name="AppName" value="Fixture &#x22;App&#x22;"/></variables>
  <components><component id="core" name="Core"/><component id="docs"/></components>
  <features><feature id="all" required="1"><components><component id="core"/>
  <component id="docs"/></components></feature></features>
</main>
)";
    static constexpr char kDbXml[] = R"(<package filename="setup">
  <!-- kept: a comment -->
  <components>
    <component id="core" condition="OSPlatform = 'NT'">
      <files><file src="*.*" dst="%InstallDir%\" flags="shared,no_version"/></files>
      <registry><reg key="HKLM\Software\Fixture" param="Path" value="a  b	c"/></registry>
    </component>
    <component id="docs"><files><file src="manual.txt" dst="%InstallDir%\manual.txt"/></files>
    </component>
  </components>
  <custom note="an element the engine does not know">text inside</custom>
  <fileinfos><fileinfo name="stale.txt" size="1"/></fileinfos>
</package>
)";
};

} // namespace velk_test
