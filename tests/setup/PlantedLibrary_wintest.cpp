// setup.exe is run from download folders. Its binaries are checked for what they import and how
// they load (relocatable, no-execute data), and a package run beside libraries planted under the
// names of everything they import must never load one of them.
#include "harness/PeImage.h"
#include "harness/WinPackageTest.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

namespace {

using velk::test::ReadBytes;
using velk::test::TPeImage;

const char* const Binaries[] = {VELK_SETUP_EXE, VELK_ENGINE_DLL, VELK_UNPACK_DLL};

TEST(ShippedBinaries, TheLoaderImportsKernel32AloneAndAllLoadRelocatableWithoutExecutableData) {
    const std::string loader = ReadBytes(VELK_SETUP_EXE);
    EXPECT_EQ(TPeImage(loader).Imports(), std::set<std::string>{"kernel32.dll"});
    for (const char* binary : Binaries) {
        const std::string bytes = ReadBytes(binary);
        const TPeImage image(bytes);
        EXPECT_TRUE(image.DllCharacteristics() & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << binary;
        EXPECT_TRUE(image.DllCharacteristics() & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << binary;
        EXPECT_GT(image.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u)
            << binary << " can only load at its preferred base";
    }
}

class PlantedLibraryTest : public velk::test::TWinPackageTest {
protected:
    // Wine takes a library of a system name from the program's folder only when told to prefer
    // a native one; as Windows does for names outside its known libraries.
    static void PreferNative(const std::string& library) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", &key), 0);
        const std::string name = library.substr(0, library.size() - 4);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>("native,builtin"), 15);
        RegCloseKey(key);
    }
    bool Marked(const std::string& library) { return Exists("markers\\" + library); }
};

TEST_F(PlantedLibraryTest, APackageRunNeverLoadsALibraryPlantedBesideIt) {
    std::set<std::string> names;
    for (const char* binary : Binaries) {
        const std::string bytes = ReadBytes(binary);
        for (const std::string& name : TPeImage(bytes).Imports())
            names.insert(name);
    }
    // Every process has it before its first instruction; Wine cannot run without its own.
    names.erase("kernel32.dll");
    Put("src\\main.xml", "<main><packages><package filename=\"Sample\"/></packages></main>");
    Put("src\\db.xml", "<package><components><component id=\"core\"/></components></package>");
    Put("src\\files\\core\\app.txt", "product file\r\n");
    CreateDirectoryA(Path("plant").c_str(), nullptr);
    ASSERT_EQ(Start("\"" VELKPACK_EXE "\" build \"" + Path("src") + "\" -o \"" +
                        Path("plant\\Sample.exe") + "\" --stub \"" VELK_SETUP_EXE "\"",
                    nullptr),
              0u);
    ASSERT_TRUE(CopyFileA(VELK_PLANT_CONTROL, Path("plant\\control.exe").c_str(), FALSE));
    CreateDirectoryA(Path("markers").c_str(), nullptr);
    SetEnvironmentVariableA("VELK_PLANT_MARKERS", Path("markers").c_str());

    // Only the names that a program loading by bare name does take from its folder prove
    // anything; the others (libraries every process has loaded already) are left out.
    std::set<std::string> proven;
    for (const std::string& name : names) {
        ASSERT_TRUE(CopyFileA(VELK_PLANTED_DLL, Path("plant\\" + name).c_str(), FALSE));
        PreferNative(name);
        Start("\"" + Path("plant\\control.exe") + "\" " + name, nullptr);
        if (Marked(name)) {
            proven.insert(name);
            DeleteFileA(Path("markers\\" + name).c_str());
        }
    }
    std::string provenList;
    for (const std::string& name : proven)
        provenList += name + " ";
    EXPECT_TRUE(proven.count("cabinet.dll") && proven.count("version.dll"))
        << "planting works for libraries outside the known ones; it did for: " << provenList;
    std::cout << "planted and proven: " << provenList << "\n";

    EXPECT_EQ(Start("\"" + Path("plant\\Sample.exe") + "\" /S", nullptr), 0u);
    for (const std::string& name : proven)
        EXPECT_FALSE(Marked(name)) << "setup.exe loaded the planted " << name;
    SetEnvironmentVariableA("VELK_PLANT_MARKERS", nullptr);
}

} // namespace
