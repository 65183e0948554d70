// setup.exe's loader, run for real: copies of the shipped program with their resources changed
// (a missing or damaged engine or unpack library, a stand-in engine) show the loader's boxes and
// leave nothing in the temporary folder.
#include "harness/DialogWatcher.h"
#include "harness/PeImage.h"
#include "harness/WinPackageTest.h"
#include "setup/EngineEntry.h"
#include "unpack/CabWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>

namespace {

using velk::test::ReadBytes;

// A cabinet as setup.exe carries it: without its signature.
std::string Cabinet(const std::string& name, const std::string& data) {
    velk::TCabWriter writer(velk::TCabCompression::MsZip);
    velk::TCabFileInfo info;
    info.Name = name;
    writer.AddFile(info, data);
    std::ostringstream out;
    writer.Write(out);
    return out.str().substr(4);
}

// A resource change: new bytes, or none to remove the resource.
using TResourceChange = std::pair<const char*, std::optional<std::string>>;

std::string LittleEndian(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

// Changes a raw-data resource of a program in place (the system's resource updater rewrites only
// programs whose resources come last, and these carry relocations after them): new bytes no
// longer than the present ones, or a new name that the program does not look for.
void ChangeResource(std::string& image, const TResourceChange& change, const std::string& present) {
    const auto& [name, bytes] = change;
    if (!bytes) {
        std::string wide;
        for (const char* c = name; *c; ++c)
            wide += std::string(1, *c) + '\0';
        const size_t at = image.find(wide);
        ASSERT_NE(at, std::string::npos) << name;
        image[at + wide.size() - 2]++; // keeps the directory's order
        return;
    }
    ASSERT_LE(bytes->size(), present.size()) << name;
    const size_t at = image.find(present);
    ASSERT_NE(at, std::string::npos) << name;
    const std::string entry =
        LittleEndian(velk::test::TPeImage(image).Rva(at)) + LittleEndian(uint32_t(present.size()));
    const size_t size = image.find(entry);
    ASSERT_NE(size, std::string::npos) << name << "'s data entry";
    image.replace(at, bytes->size(), *bytes);
    image.replace(size + 4, 4, LittleEndian(uint32_t(bytes->size())));
}

class LoaderTest : public velk::test::TWinPackageTest {
protected:
    void SetUp() override {
        TWinPackageTest::SetUp();
        // missing parents of the temporary folder are created by the loader
        UseTemp(Path("tmp\\nested\\"));
    }
    void TearDown() override {
        SetEnvironmentVariableA("TMP", savedTemp_.c_str());
        SetEnvironmentVariableA("TEMP", savedTemp_.c_str());
        TWinPackageTest::TearDown();
    }
    void UseTemp(const std::string& folder) {
        char saved[MAX_PATH];
        if (savedTemp_.empty() && GetEnvironmentVariableA("TEMP", saved, MAX_PATH))
            savedTemp_ = saved;
        temp_ = folder;
        SetEnvironmentVariableA("TMP", temp_.c_str());
        SetEnvironmentVariableA("TEMP", temp_.c_str());
    }

    // A copy of the shipped setup.exe with some of its raw-data resources changed.
    std::string Variant(const std::string& name, const std::vector<TResourceChange>& changes) {
        std::string image = ReadBytes(VELK_SETUP_EXE);
        for (const TResourceChange& change : changes)
            ChangeResource(image, change,
                           ReadBytes(change.first == std::string("ENGINE") ? VELK_ENGINE_CAB
                                                                           : VELK_UNPACK_DLL));
        velk::test::WriteBytes(Path(name), image);
        return Path(name);
    }

    // Nothing but the (created) temporary folder itself is left.
    void ExpectTempEmpty(const std::string& what) {
        EXPECT_NE(GetFileAttributesA(temp_.c_str()), INVALID_FILE_ATTRIBUTES) << what;
        EXPECT_TRUE(velk::test::FolderEntries(temp_).empty()) << what;
    }

    std::string temp_, savedTemp_;
};

TEST_F(LoaderTest, EveryFailureBeforeTheEngineRunsIsABoxAndLeavesNothing) {
    const std::string engineCab = ReadBytes(VELK_ENGINE_CAB);
    ASSERT_GT(engineCab.size(), 1000u);
    std::string flipped = engineCab;
    for (size_t at = 200; at < flipped.size(); at += 997)
        flipped[at] = char(flipped[at] ^ 0x5A);
    const std::string damaged = "Can't extract the setup engine: this setup program is damaged.";
    struct TCase {
        const char* what;
        std::vector<TResourceChange> changes;
        std::string box; // the start of the box's text
    } cases[] = {
        {"no unpack library", {{"UNPACK", std::nullopt}}, "Can't extract UNPACK.DLL"},
        {"no engine", {{"ENGINE", std::nullopt}}, "This setup program has no setup engine"},
        {"engine not a cabinet", {{"ENGINE", std::string(5000, 'x')}}, damaged},
        {"engine cut short", {{"ENGINE", engineCab.substr(0, engineCab.size() / 2)}}, damaged},
        {"engine's bytes damaged", {{"ENGINE", flipped}}, damaged},
        {"cabinet without the engine", {{"ENGINE", Cabinet("other.dll", "MZ")}}, damaged},
        {"engine not a library",
         {{"ENGINE", Cabinet("engine.dll", std::string(3000, 'M'))}},
         "Can't load the setup engine \"" + temp_},
        {"engine without an entry",
         {{"ENGINE", Cabinet("engine.dll", ReadBytes(VELK_UNPACK_DLL))}},
         "The setup engine of this program cannot be started: it has no entry \"RunSetup\"."},
        {"unpack library that is none",
         {{"UNPACK", std::string(3000, 'M')}},
         "Can't load unpack library"},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const std::string exe = Variant("variant" + std::to_string(++n) + ".exe", c.changes);
        velk::test::TDialogWatcher watcher("Error", IDOK, 30000);
        EXPECT_EQ(Start("\"" + exe + "\" /S", nullptr), 0u) << c.what;
        const velk::test::TDialogSeen& box = watcher.Result();
        ASSERT_TRUE(box.Found) << c.what;
        EXPECT_EQ(box.Text.substr(0, c.box.size()), c.box) << c.what << ": " << box.Text;
        EXPECT_EQ(box.Icon, "stop") << c.what;
        ExpectTempEmpty(c.what);
    }
}

TEST_F(LoaderTest, ATemporaryFolderThatCannotBeCreatedIsReported) {
    Put("file", "");
    UseTemp(Path("file\\temp\\"));
    velk::test::TDialogWatcher watcher("Error", IDOK, 30000);
    EXPECT_EQ(Start(std::string("\"") + VELK_SETUP_EXE + "\"", nullptr), 0u);
    EXPECT_EQ(watcher.Result().Text, "Can't create the temporary folder \"" + temp_ + "\"!");
}

TEST_F(LoaderTest, TheEngineGetsTheRunsFoldersWhichGoWithEverythingPutInThem) {
    const std::string exe =
        Variant("Probe.exe", {{"ENGINE", Cabinet("engine.dll", ReadBytes(VELK_PROBE_ENGINE))}});
    SetEnvironmentVariableA("VELK_PROBE_REPORT", Path("report.txt").c_str());
    EXPECT_EQ(Start("\"" + exe + "\" /S \"two words\"", nullptr), 0u);
    SetEnvironmentVariableA("VELK_PROBE_REPORT", nullptr);

    std::map<std::string, std::string> report;
    const std::string text = ReadBytes(Path("report.txt"));
    std::istringstream lines(velk::test::Text(text));
    for (std::string line; std::getline(lines, line);)
        report[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    ASSERT_EQ(report.size(), 9u) << text;
    const std::string work = report["work"];
    EXPECT_EQ(report["size"], "24");
    EXPECT_EQ(report["setup"], exe);
    EXPECT_EQ(report["command"], "\"" + exe + "\" /S \"two words\"");
    ASSERT_EQ(work.size(), temp_.size() + 9) << work;
    EXPECT_EQ(work.substr(0, temp_.size()), temp_);
    EXPECT_EQ(work.back(), '\\');
    EXPECT_EQ(report["scratch"].substr(0, work.size()), work);
    EXPECT_EQ(report["scratch"].size(), work.size() + 9);
    EXPECT_EQ(report["loader"], "1") << "the loader's module, for its resources";
    EXPECT_EQ(report["folders"], "11");
    EXPECT_EQ(report["self"], work + "engine.dll");
    EXPECT_EQ(report["cabinet left"], "0");
    ExpectTempEmpty("read-only, hidden and dot-named files and their folders");
}

// The engine library is loaded straight from the product tree, as the loader loads it.
TEST_F(LoaderTest, TheEngineRunsFromItsOwnEntryAndRefusesARecordOlderThanItself) {
    HMODULE engine = LoadLibraryA(VELK_ENGINE_DLL);
    ASSERT_NE(engine, nullptr);
    auto run = reinterpret_cast<TEngineRun>(
        reinterpret_cast<void*>(GetProcAddress(engine, VELK_ENGINE_EXPORT)));
    ASSERT_NE(run, nullptr);

    TEngineStart start = {};
    start.Size = sizeof start - 4;
    velk::test::TDialogWatcher refusal("Error", IDOK, 30000);
    EXPECT_EQ(run(&start), 0);
    EXPECT_EQ(refusal.Result().Text, "This setup program and its engine do not belong together.");

    const std::string work = Path("work\\"), scratch = work + "scratch\\";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(scratch.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(VELK_UNPACK_DLL, (work + "unpack.dll").c_str(), FALSE));
    start = {sizeof start, VELK_SETUP_EXE,  "setup.exe /S",
             work.c_str(), scratch.c_str(), GetModuleHandleA(nullptr)};
    velk::test::TDialogWatcher noPackage("Invalid package", IDOK, 30000);
    EXPECT_EQ(run(&start), 0) << "no restart without an installation";
    EXPECT_TRUE(noPackage.Result().Found) << "the shipped program carries no package";
    EXPECT_TRUE(Exists("work\\scratch")) << "the work folder is the loader's to delete";
    FreeLibrary(engine);
}

} // namespace
