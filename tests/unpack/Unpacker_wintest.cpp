// TUnpacker over the real unpack.dll and over stand-ins that lack exports.

#include "unpack/UnpackTestSupport.h"
#include "unpack/Unpacker.h"

#include "platform/win/WindowsSupport.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace velk::test {
namespace {

const std::string LibraryFolder = WinePath(VELK_UNPACK_DLL_DIR);

bool Loaded(const std::string& folder) {
    return ::GetModuleHandleA((folder + "\\unpack.dll").c_str()) != nullptr;
}

std::string LoadError(const std::string& folder) {
    try {
        TUnpacker unpacker(folder, GcabFixture("mszip.cab"));
    } catch (const EUnpackLibrary& e) {
        const Exception& base = e;
        return base.Message();
    }
    return "no exception";
}

TEST(TUnpacker, RefusesMissingOrIncompleteLibrariesAndReleasesThem) {
    TScratchFolder empty;
    EXPECT_EQ(LoadError(empty.Path()), "Can't load unpack library");
    for (std::string folder : {WinePath(VELK_NO_EXPORTS_DIR), WinePath(VELK_PARTIAL_EXPORTS_DIR)}) {
        EXPECT_EQ(LoadError(folder), "Important functions was not found in the unpack library");
        EXPECT_FALSE(Loaded(folder)) << folder;
    }
}

// Extracts every file below a scratch folder, recording what the callbacks saw.
struct TExtraction {
    TScratchFolder out;
    std::map<std::string, TDateTime> dates;
    std::map<std::string, std::string> written;
    std::map<std::string, uint32_t> progress;

    TUnpackBeforeFile Before() {
        return [this](const std::string& name, uint32_t, uint32_t, TDateTime date,
                      std::string& destination) {
            dates[name] = date;
            destination = out.Path() + name;
            ForceDirectories(destination.substr(0, destination.rfind('\\')));
            return UnpackExtract;
        };
    }
    TUnpackAfterFile After() {
        return [this](const std::string& name, uint32_t, uint32_t, TDateTime,
                      const std::string& destination) {
            written[name] = destination;
            return UnpackExtract;
        };
    }
    TUnpackProgress Progress() {
        return [this](const std::string& name, const std::string&, uint32_t, uint32_t block,
                      uint32_t) {
            progress[name] += block;
            return UnpackExtract;
        };
    }
    bool Has(const std::string& name) const {
        return ::GetFileAttributesA((out.Path() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST(TUnpacker, ExtractsThePackageAndReleasesTheLibrary) {
    TExtraction run;
    {
        TUnpacker unpacker(LibraryFolder, GcabFixture("mszip.cab"));
        ASSERT_TRUE(unpacker.Enumerate(run.Before(), run.After(), run.Progress()));
    }
    EXPECT_FALSE(Loaded(LibraryFolder));
    for (const std::string& name : GcabEntries()) {
        SCOPED_TRACE(name);
        std::string expected = ReadBytes(GcabFixture("src/" + name));
        EXPECT_EQ(ReadBytes(run.out.Path() + name), expected);
        EXPECT_EQ(run.written[name], run.out.Path() + name);
        EXPECT_EQ(run.progress[name], expected.size());
    }
    SYSTEMTIME future = {2090, 6, 0, 15, 12, 34, 56, 0};
    double expected = 0;
    ASSERT_TRUE(::SystemTimeToVariantTime(&future, &expected));
    EXPECT_NEAR(run.dates["future.txt"], expected, 1e-9);
}

TEST(TUnpacker, StopsAtTheProductFilesWithoutOptionalCallbacks) {
    TExtraction run;
    TUnpacker unpacker(LibraryFolder, GcabFixture("stored.cab"));
    auto before = [&](const std::string& name, uint32_t size, uint32_t attributes, TDateTime date,
                      std::string& destination) {
        if (name.rfind("files\\", 0) == 0)
            return UnpackStop;
        return run.Before()(name, size, attributes, date, destination);
    };
    EXPECT_TRUE(unpacker.Enumerate(before, nullptr, nullptr));
    EXPECT_EQ(ReadBytes(run.out.Path() + "empty.dat"), "");
    EXPECT_EQ(ReadBytes(run.out.Path() + "db.pdb"), ReadBytes(GcabFixture("src/db.pdb")));
    EXPECT_FALSE(run.Has("files"));
}

TEST(TUnpacker, ExceptionsInCallbacksFailTheEnumeration) {
    TUnpacker unpacker(LibraryFolder, GcabFixture("mszip.cab"));
    {
        TExtraction run;
        auto before = [&](const std::string& name, uint32_t size, uint32_t attributes,
                          TDateTime date, std::string& destination) {
            if (name == "db.pdb")
                throw Exception("refused");
            return run.Before()(name, size, attributes, date, destination);
        };
        EXPECT_FALSE(unpacker.Enumerate(before, run.After(), run.Progress()));
        EXPECT_TRUE(run.Has("splash.bmp"));
        EXPECT_FALSE(run.Has("db.pdb"));
    }
    {
        TExtraction run;
        auto progress = [](const std::string& name, const std::string&, uint32_t, uint32_t,
                           uint32_t written) -> int {
            if (name == "db.pdb" && written > 40000)
                throw std::runtime_error("disk gone");
            return UnpackExtract;
        };
        EXPECT_FALSE(unpacker.Enumerate(run.Before(), run.After(), progress));
        EXPECT_FALSE(run.Has("db.pdb")) << "no part of the file is left";
    }
    {
        TExtraction run;
        auto after = [](const std::string&, uint32_t, uint32_t, TDateTime,
                        const std::string&) -> int { throw 42; };
        EXPECT_FALSE(unpacker.Enumerate(run.Before(), after, nullptr));
        EXPECT_EQ(run.dates.size(), 1u);
    }
    {
        TExtraction run;
        auto before = [&](const std::string& name, uint32_t, uint32_t, TDateTime,
                          std::string& destination) {
            destination = run.out.Path() + std::string(300 - run.out.Path().size(), 'x') + name;
            return UnpackExtract;
        };
        EXPECT_FALSE(unpacker.Enumerate(before, nullptr, nullptr));
    }
}

TEST(TUnpacker, LocatesAMovedPackage) {
    TScratchFolder folders;
    ForceDirectories(folders.Path() + "moved");
    WriteBytes(folders.Path() + "moved\\pkg.cab", ReadBytes(GcabFixture("stored.cab")));
    TExtraction run;
    TUnpacker unpacker(LibraryFolder, folders.Path() + "gone\\pkg.cab");
    EXPECT_FALSE(unpacker.Enumerate(run.Before(), nullptr, nullptr)) << "looked for in place only";

    std::string askedName, askedFolder;
    unpacker.SetLocateCabinet([&](const std::string& name, const std::string& folder) {
        askedName = name;
        askedFolder = folder;
        return folders.Path() + "moved";
    });
    EXPECT_TRUE(unpacker.Enumerate(run.Before(), nullptr, nullptr));
    EXPECT_EQ(askedName, "pkg.cab");
    EXPECT_EQ(askedFolder, folders.Path() + "gone\\");
    EXPECT_EQ(ReadBytes(run.out.Path() + "future.txt"), ReadBytes(GcabFixture("src/future.txt")));
}

TEST(TUnpacker, OneEnumerationAtATimeEachOnItsOwnPackage) {
    TExtraction run;
    TTestCabinet other;
    other.AddFolder({{"other.txt", "another package"}});
    WriteBytes(run.out.Path() + "other.cab", other.Bytes());
    TUnpacker stored(LibraryFolder, GcabFixture("stored.cab"));
    TUnpacker later(LibraryFolder, run.out.Path() + "other.cab");
    bool nested = true;
    auto before = [&](const std::string& name, uint32_t size, uint32_t attributes, TDateTime date,
                      std::string& destination) {
        if (name == "db.pdb") {
            TUnpacker inner(LibraryFolder, run.out.Path() + "other.cab");
            nested = inner.Enumerate(run.Before(), nullptr, nullptr);
        }
        return run.Before()(name, size, attributes, date, destination);
    };
    EXPECT_TRUE(stored.Enumerate(before, nullptr, nullptr));
    EXPECT_FALSE(nested);
    EXPECT_EQ(run.dates.size(), GcabEntries().size());
    EXPECT_FALSE(run.Has("other.txt"));
    EXPECT_EQ(ReadBytes(run.out.Path() + "files\\1\\app.exe"),
              ReadBytes(GcabFixture("src/files/1/app.exe")));

    EXPECT_TRUE(later.Enumerate(run.Before(), nullptr, nullptr));
    EXPECT_EQ(ReadBytes(run.out.Path() + "other.txt"), "another package");
}

} // namespace
} // namespace velk::test
