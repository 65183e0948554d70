// unpack.dll through its exports, as the engine drives it.

#include "unpack/UnpackApi.h"
#include "unpack/UnpackTestSupport.h"

#include "platform/epFileUtils.h"
#include "platform/win/WindowsSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace velk::test {
namespace {

// One notification as the host saw it.
struct TEvent {
    int Type = 0;
    std::string Name;
    uint32_t Size = 0, DateTime = 0, Attributes = 0;
    std::string Destination; // type 1: as the library hands it over; 2 and 3: the path written
    uint32_t BlockBytes = 0, WrittenBytes = 0;
    std::string Data;      // type 3
    std::string Folder;    // type 4
    bool Finished = false; // type 2: the file is closed, dated and has its attributes
};

// The file's last-write time as a local packed DOS date and time.
uint32_t DosStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    WORD date = 0, time = 0;
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local))
        ::FileTimeToDosDateTime(&local, &date, &time);
    return uint32_t(date) << 16 | time;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file keeps read-only, hidden, system and archive from the cabinet. Wine reports the archive
// bit on every regular file, so only its presence can be checked.
bool HasAttributes(const std::string& path, uint32_t stored) {
    DWORD actual = ::GetFileAttributesA(path.c_str());
    return actual != INVALID_FILE_ATTRIBUTES && (actual & 0x07) == (stored & 0x07) &&
           (!(stored & 0x20) || (actual & 0x20)) && !(actual & ~DWORD(0xA7));
}

bool Finished(const TEvent& event) {
    HANDLE file = ::CreateFileA(event.Destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return DosStamp(event.Destination) == event.DateTime &&
           HasAttributes(event.Destination, event.Attributes);
}

void __stdcall XorFilter(void* buffer, int32_t count) {
    for (int32_t i = 0; i < count; i++)
        static_cast<char*>(buffer)[i] ^= 0x5A;
}

class TUnpackDll : public ::testing::Test {
protected:
    // Decides an answer; the path is prefilled with the default destination on type 1 and is
    // written into the record's buffer on types 1 and 4.
    using TAnswer = std::function<int32_t(const TEvent& event, std::string& path)>;

    void SetUp() override {
        module_ = ::LoadLibraryA(WinePath(VELK_UNPACK_DLL_DIR "/unpack.dll").c_str());
        ASSERT_NE(module_, nullptr);
        open_ = Export<TUnpackOpen>("Open");
        enumerate_ = Export<TUnpackEnumerate>("Enumerate");
        close_ = Export<TUnpackClose>("Close");
        ASSERT_TRUE(open_ && enumerate_ && close_);
        current_ = this;
    }

    void TearDown() override {
        close_();
        ::FreeLibrary(module_);
    }

    // Extracts the set into `into` (folders created on the way) unless Answer says otherwise.
    bool Run(const std::string& cabinet, const std::string& into, TUnpackFilter filter = Record) {
        events.clear();
        filtered.clear();
        into_ = into;
        EXPECT_TRUE(open_(cabinet.c_str()));
        return enumerate_(Notify, filter) != 0;
    }

    std::vector<const TEvent*> Events(int type) const {
        std::vector<const TEvent*> found;
        for (const TEvent& event : events)
            if (event.Type == type)
                found.push_back(&event);
        return found;
    }

    std::vector<std::string> Names(int type) const {
        std::vector<std::string> names;
        for (const TEvent* event : Events(type))
            names.push_back(event->Name);
        return names;
    }

    TScratchFolder out;
    TAnswer Answer;
    std::vector<TEvent> events;
    std::vector<std::string> filtered;
    TUnpackOpen open_ = nullptr;

private:
    template <typename T> T Export(const char* name) {
        return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

    static int32_t __stdcall Notify(int32_t type, void* record) {
        return current_->Handle(type, record);
    }

    static void __stdcall Record(void* buffer, int32_t count) {
        current_->filtered.emplace_back(static_cast<char*>(buffer), size_t(count));
    }

    int32_t Handle(int32_t type, void* record) {
        TEvent event;
        event.Type = type;
        std::string path;
        int32_t answer = 0;
        if (type == UNPACK_BEFORE_FILE || type == UNPACK_AFTER_FILE) {
            auto& file = *static_cast<TUnpackFileRecord*>(record);
            event.Name = file.Name;
            event.Size = file.Size;
            event.DateTime = file.DateTime;
            event.Attributes = file.Attributes;
            event.Destination = file.Destination;
            if (type == UNPACK_BEFORE_FILE) {
                path = into_ + event.Name;
                answer = UNPACK_EXTRACT;
            } else {
                event.Finished = Finished(event);
            }
        } else if (type == UNPACK_PROGRESS) {
            auto& progress = *static_cast<TUnpackProgressRecord*>(record);
            event.Name = progress.Name;
            event.Destination = progress.Destination;
            event.Size = progress.Size;
            event.BlockBytes = progress.BlockBytes;
            event.WrittenBytes = progress.WrittenBytes;
            event.Data.assign(static_cast<const char*>(progress.Data), progress.BlockBytes);
        } else if (type == UNPACK_NEXT_CABINET) {
            auto& next = *static_cast<TUnpackCabinetRecord*>(record);
            event.Name = next.CabinetName;
            event.Folder.assign(next.Folder, ::strnlen(next.Folder, UNPACK_PATH_CAPACITY));
            answer = UNPACK_STOP;
        }
        if (Answer)
            answer = Answer(event, path);
        if (path.size() >= UNPACK_PATH_CAPACITY) {
            ADD_FAILURE() << "path too long for the record: " << path;
            path.clear();
        }
        events.push_back(event);
        // the folders of the default destinations only
        if (type == UNPACK_BEFORE_FILE && answer == UNPACK_EXTRACT && path == into_ + event.Name)
            ForceDirectories(path.substr(0, path.rfind('\\')));
        if (type == UNPACK_BEFORE_FILE)
            std::strcpy(static_cast<TUnpackFileRecord*>(record)->Destination, path.c_str());
        if (type == UNPACK_NEXT_CABINET)
            std::strcpy(static_cast<TUnpackCabinetRecord*>(record)->Folder, path.c_str());
        return answer;
    }

    static TUnpackDll* current_;
    HMODULE module_ = nullptr;
    TUnpackEnumerate enumerate_ = nullptr;
    TUnpackClose close_ = nullptr;
    std::string into_;
};

TUnpackDll* TUnpackDll::current_ = nullptr;

TEST_F(TUnpackDll, ExtractsGcabCabinetsWithTheirBytesDatesAndAttributes) {
    for (std::string cabinet : {"mszip.cab", "stored.cab"}) {
        SCOPED_TRACE(cabinet);
        std::string into = out.Path() + cabinet + "\\";
        ASSERT_TRUE(Run(GcabFixture(cabinet), into));
        EXPECT_EQ(Names(UNPACK_BEFORE_FILE), GcabEntries());
        EXPECT_EQ(Names(UNPACK_AFTER_FILE), GcabEntries());
        for (const TEvent* before : Events(UNPACK_BEFORE_FILE))
            EXPECT_EQ(before->Destination, "") << "handed over empty";
        for (const TEvent* after : Events(UNPACK_AFTER_FILE)) {
            SCOPED_TRACE(after->Name);
            EXPECT_EQ(after->Destination, into + after->Name);
            EXPECT_TRUE(after->Finished);
            std::string expected = ReadBytes(GcabFixture("src/" + after->Name));
            EXPECT_EQ(after->Size, expected.size());
            EXPECT_EQ(ReadBytes(after->Destination), expected);
            EXPECT_EQ(::GetFileAttributesA(after->Destination.c_str()), FILE_ATTRIBUTE_ARCHIVE);
        }
        const TEvent& future = *Events(UNPACK_AFTER_FILE).at(3);
        EXPECT_EQ(future.DateTime, uint32_t(DosDate(2090, 6, 15)) << 16 | DosTime(12, 34, 56));
        EXPECT_EQ(DosStamp(future.Destination), future.DateTime);
    }
}

TEST_F(TUnpackDll, ProgressCarriesEveryBlockBeforeItIsWritten) {
    ASSERT_TRUE(Run(GcabFixture("mszip.cab"), out.Path()));
    std::string name, data;
    uint32_t written = 0;
    for (const TEvent& event : events) {
        if (event.Type == UNPACK_BEFORE_FILE) {
            name = event.Name;
            data.clear();
            written = 0;
        } else if (event.Type == UNPACK_PROGRESS) {
            EXPECT_EQ(event.Name, name);
            EXPECT_EQ(event.Destination, out.Path() + name);
            EXPECT_EQ(event.WrittenBytes, written + event.BlockBytes);
            written = event.WrittenBytes;
            data += event.Data;
        } else if (event.Type == UNPACK_AFTER_FILE) {
            EXPECT_EQ(data, ReadBytes(GcabFixture("src/" + name))) << name;
            EXPECT_EQ(written, event.Size) << name;
        }
    }
    EXPECT_GT(Events(UNPACK_PROGRESS).size(), GcabEntries().size()) << "large files take steps";
}

TEST_F(TUnpackDll, FilterSeesEveryCompressedBlockInCabinetOrder) {
    ASSERT_TRUE(Run(GcabFixture("mszip.cab"), out.Path()));
    std::string cabinet = ReadBytes(GcabFixture("mszip.cab"));
    EXPECT_EQ(filtered, StoredDataBlocks(cabinet));
    for (const std::string& block : filtered)
        EXPECT_EQ(block.substr(0, 2), "CK");
}

TEST_F(TUnpackDll, FilterChangesReachTheDecompressor) {
    // Data stored transformed, folders stored last first, reserved bytes before every block.
    std::string big(80000, 'b');
    for (size_t i = 0; i < big.size(); i++)
        big[i] = char(i * 7 % 251);
    TTestCabinet cab;
    cab.AddFolder({{"one.txt", "first folder"}, {"big.bin", big}});
    cab.AddFolder({{"two.txt", "second folder"}});
    cab.ReverseData = true;
    cab.DataReserve = 3;
    cab.Xor = 0x5A;
    WriteBytes(out.Path() + "x.cab", cab.Bytes());

    ASSERT_TRUE(Run(out.Path() + "x.cab", out.Path() + "a\\", XorFilter));
    EXPECT_EQ(ReadBytes(out.Path() + "a\\one.txt"), "first folder");
    EXPECT_EQ(ReadBytes(out.Path() + "a\\big.bin"), big);
    EXPECT_EQ(ReadBytes(out.Path() + "a\\two.txt"), "second folder");

    ASSERT_TRUE(Run(out.Path() + "x.cab", out.Path() + "b\\", nullptr));
    EXPECT_NE(ReadBytes(out.Path() + "b\\two.txt"), "second folder");
}

TEST_F(TUnpackDll, AnswersSkipAndStop) {
    const std::string cabinet = GcabFixture("mszip.cab");
    // Skipping writes nothing, even with a destination in the record.
    Answer = [](const TEvent& event, std::string&) {
        return event.Type == UNPACK_BEFORE_FILE && event.Name == "db.pdb" ? 0 : 1;
    };
    ASSERT_TRUE(Run(cabinet, out.Path() + "skip\\"));
    EXPECT_FALSE(Exists(out.Path() + "skip\\db.pdb"));
    EXPECT_TRUE(Exists(out.Path() + "skip\\files\\1\\sub\\readme.txt"));

    // Stopping at the product files is a success and keeps the files before them.
    Answer = [](const TEvent& event, std::string&) {
        return event.Type == UNPACK_BEFORE_FILE && event.Name.rfind("files\\", 0) == 0 ? -1 : 1;
    };
    ASSERT_TRUE(Run(cabinet, out.Path() + "first\\"));
    EXPECT_EQ(Names(UNPACK_AFTER_FILE),
              std::vector<std::string>(GcabEntries().begin(), GcabEntries().begin() + 5));
    EXPECT_EQ(Names(UNPACK_BEFORE_FILE).back(), "files\\1\\app.exe");
    EXPECT_EQ(ReadBytes(out.Path() + "first\\empty.dat"), "");
    EXPECT_FALSE(Exists(out.Path() + "first\\files"));

    // Stopping after a file keeps it whole.
    Answer = [](const TEvent& event, std::string&) {
        return event.Type == UNPACK_AFTER_FILE && event.Name == "db.pdb" ? -1 : 1;
    };
    ASSERT_TRUE(Run(cabinet, out.Path() + "after\\"));
    EXPECT_EQ(ReadBytes(out.Path() + "after\\db.pdb"), ReadBytes(GcabFixture("src/db.pdb")));
    EXPECT_EQ(Names(UNPACK_BEFORE_FILE).size(), 2u);

    // Stopping in the middle of a file leaves none of it behind.
    Answer = [](const TEvent& event, std::string&) {
        return event.Type == UNPACK_PROGRESS && event.Name == "db.pdb" && event.WrittenBytes > 40000
                   ? -1
                   : 1;
    };
    ASSERT_TRUE(Run(cabinet, out.Path() + "middle\\"));
    EXPECT_TRUE(Exists(out.Path() + "middle\\splash.bmp"));
    EXPECT_FALSE(Exists(out.Path() + "middle\\db.pdb"));
    EXPECT_EQ(Names(UNPACK_BEFORE_FILE).size(), 2u);
}

TEST_F(TUnpackDll, FindsTheCabinetBehindAProgramImage) {
    const std::string cabinet = ReadBytes(GcabFixture("mszip.cab"));
    auto package = [&](size_t at) {
        std::string image(at, '\x90');
        image.replace(0, 2, "MZ");
        image.replace(100, 8, std::string("MSCF\0\0\0\1", 8)); // not followed by four zeros
        image.replace(at - 4, 4, "MSCF");                      // nor is this one
        return image + cabinet + std::string(18, 'T');         // and a trailer after it
    };
    for (size_t at : {size_t(4096), size_t(262127)}) {
        SCOPED_TRACE(at);
        std::string into = out.Path() + std::to_string(at) + "\\";
        WriteBytes(out.Path() + "package.exe", package(at));
        ASSERT_TRUE(Run(out.Path() + "package.exe", into));
        EXPECT_EQ(Names(UNPACK_AFTER_FILE), GcabEntries());
        EXPECT_EQ(ReadBytes(into + "files\\1\\app.exe"),
                  ReadBytes(GcabFixture("src/files/1/app.exe")));
    }
    WriteBytes(out.Path() + "package.exe", package(262128));
    EXPECT_FALSE(Run(out.Path() + "package.exe", out.Path() + "late\\"));
    EXPECT_TRUE(events.empty());
}

TEST_F(TUnpackDll, StoredAttributesAreMaskedAndNamesMayBeLong) {
    const std::string longName(1000, 'n');
    TTestCabinet cab;
    cab.AddFolder({{"rhs-exec", "1", DosDate(2000, 1, 1), 0, 0x47},
                   {"dir-bit", "2", DosDate(2000, 1, 1), 0, 0x30},
                   {"plain", "3", DosDate(2000, 1, 1), 0, 0},
                   {longName, "4", DosDate(2000, 1, 1), 0, 0x21},
                   {"no-date", "5", 0, 0, 0x20}});
    WriteBytes(out.Path() + "x.cab", cab.Bytes());
    Answer = [&](const TEvent& event, std::string& path) {
        if (event.Type == UNPACK_BEFORE_FILE && event.Name == longName)
            path = out.Path() + "long";
        return event.Type == UNPACK_NEXT_CABINET ? -1 : 1;
    };
    ASSERT_TRUE(Run(out.Path() + "x.cab", out.Path()));
    std::vector<uint32_t> stored;
    for (const TEvent* after : Events(UNPACK_AFTER_FILE)) {
        stored.push_back(after->Attributes);
        EXPECT_TRUE(HasAttributes(after->Destination, after->Attributes)) << after->Name;
    }
    EXPECT_EQ(stored, (std::vector<uint32_t>{0x47, 0x30, 0, 0x21, 0x20}));
    EXPECT_EQ(::GetFileAttributesA((out.Path() + "rhs-exec").c_str()) & 0x07, 0x07u);
    EXPECT_EQ(::GetFileAttributesA((out.Path() + "plain").c_str()) & 0x07, 0u);
    EXPECT_EQ(Names(UNPACK_AFTER_FILE).at(3), longName);
    EXPECT_EQ(ReadBytes(out.Path() + "long"), "4");
    EXPECT_EQ(ReadBytes(out.Path() + "no-date"), "5");
}

TEST_F(TUnpackDll, AsksForAMissingCabinet) {
    ForceDirectories(out.Path() + "moved");
    WriteBytes(out.Path() + "moved\\pkg.cab", ReadBytes(GcabFixture("stored.cab")));
    Answer = [&](const TEvent& event, std::string& path) {
        path = out.Path() + "moved"; // the library adds the backslash
        return event.Type == UNPACK_NEXT_CABINET ? 1 : event.Type == UNPACK_BEFORE_FILE ? 0 : 1;
    };
    ASSERT_TRUE(Run(out.Path() + "gone\\pkg.cab", out.Path()));
    ASSERT_EQ(Events(UNPACK_NEXT_CABINET).size(), 1u);
    EXPECT_EQ(events.at(0).Name, "pkg.cab");
    EXPECT_EQ(events.at(0).Folder, out.Path() + "gone\\");
    EXPECT_EQ(Names(UNPACK_BEFORE_FILE), GcabEntries());

    for (int answer : {-1, 0}) {
        Answer = [answer](const TEvent&, std::string&) { return answer; };
        EXPECT_FALSE(Run(out.Path() + "gone\\pkg.cab", out.Path()));
        EXPECT_EQ(events.size(), 1u);
    }

    // A path the cabinet library could not take is refused whole.
    EXPECT_FALSE(open_((out.Path() + std::string(300, 'f') + "\\pkg.cab").c_str()));
}

// Three files: a in the first cabinet, b spanning both, c in a new folder of the second.
std::vector<std::string> SplitSet(const std::string& a, const std::string& b, const std::string& c,
                                  const std::string& secondName) {
    std::string folder = a + b;
    TTestCabinet first;
    first.Folders = {{{folder.substr(0, 32768), 32768}, {folder.substr(32768, 10000), 0}}};
    first.Files = {{"a.txt", uint32_t(a.size()), 0, 0, DosDate(2020, 1, 2), 0, 0x20},
                   {"b.bin", uint32_t(b.size()), uint32_t(a.size()), TTestCabinet::ContinuedToNext,
                    DosDate(2020, 1, 2), 0, 0x20}};
    first.Next = secondName;
    TTestCabinet second;
    second.Index = 1;
    second.Previous = "set1.cab";
    std::string rest = folder.substr(42768);
    second.Folders = {{{rest, uint16_t(folder.size() - 32768)}}, {{c, uint16_t(c.size())}}};
    second.Files = {{"b.bin", uint32_t(b.size()), uint32_t(a.size()),
                     TTestCabinet::ContinuedFromPrevious, DosDate(2020, 1, 2), 0, 0x20},
                    {"c.txt", uint32_t(c.size()), 0, 1, DosDate(2020, 1, 2), 0, 0x20}};
    return {first.Bytes(), second.Bytes()};
}

TEST_F(TUnpackDll, FollowsTheSetIntoContinuationCabinets) {
    std::string a(1000, 'a'), b(50000, 'b'), c = "c in the second cabinet";
    for (size_t i = 0; i < b.size(); i++)
        b[i] = char(i % 253);
    std::vector<std::string> set = SplitSet(a, b, c, "set2.cab");
    ForceDirectories(out.Path() + "one");
    ForceDirectories(out.Path() + "two");
    WriteBytes(out.Path() + "one\\set1.cab", set[0]);
    WriteBytes(out.Path() + "two\\set2.cab", set[1]);

    auto answerFolder = [&](int answer) {
        return [this, answer](const TEvent& event, std::string& path) {
            if (event.Type != UNPACK_NEXT_CABINET)
                return 1;
            path = out.Path() + "two\\";
            return answer;
        };
    };
    Answer = answerFolder(1);
    ASSERT_TRUE(Run(out.Path() + "one\\set1.cab", out.Path()));
    EXPECT_EQ(Names(UNPACK_AFTER_FILE), (std::vector<std::string>{"a.txt", "b.bin", "c.txt"}));
    ASSERT_EQ(Events(UNPACK_NEXT_CABINET).size(), 1u);
    EXPECT_EQ(Events(UNPACK_NEXT_CABINET)[0]->Name, "set2.cab");
    EXPECT_EQ(Events(UNPACK_NEXT_CABINET)[0]->Folder, out.Path() + "one\\");
    EXPECT_EQ(ReadBytes(out.Path() + "a.txt"), a);
    EXPECT_EQ(ReadBytes(out.Path() + "b.bin"), b);
    EXPECT_EQ(ReadBytes(out.Path() + "c.txt"), c);
    std::string folder = a + b;
    EXPECT_EQ(filtered,
              (std::vector<std::string>{folder.substr(0, 32768), folder.substr(32768, 10000),
                                        folder.substr(42768), c}));

    // Giving up fails the enumeration and leaves no part of the spanning file.
    DeleteFileForced(out.Path() + "b.bin");
    Answer = answerFolder(-1);
    EXPECT_FALSE(Run(out.Path() + "one\\set1.cab", out.Path()));
    EXPECT_FALSE(Exists(out.Path() + "b.bin"));

    // A set whose next cabinet is the first one again ends instead of going round.
    TTestCabinet loop;
    loop.AddFolder({{"a.txt", a}});
    loop.Next = "loop.cab";
    WriteBytes(out.Path() + "loop.cab", loop.Bytes());
    Answer = nullptr;
    EXPECT_FALSE(Run(out.Path() + "loop.cab", out.Path() + "loop\\"));
    EXPECT_EQ(Names(UNPACK_AFTER_FILE), std::vector<std::string>{"a.txt"});
}

TEST_F(TUnpackDll, BrokenDataFailsWithoutLeavingPartFiles) {
    const std::string cabinet = ReadBytes(GcabFixture("mszip.cab"));
    std::string lastBlock = StoredDataBlocks(cabinet).back();
    std::string flipped = cabinet;
    flipped[cabinet.size() - lastBlock.size() / 2] ^= 0x01; // fails the block's checksum
    for (const std::string& broken : {cabinet.substr(0, cabinet.size() - 1000), flipped}) {
        WriteBytes(out.Path() + "broken.cab", broken);
        EXPECT_FALSE(Run(out.Path() + "broken.cab", out.Path() + "broken\\"));
        EXPECT_TRUE(Exists(out.Path() + "broken\\db.pdb"));
        EXPECT_FALSE(Exists(out.Path() + "broken\\files\\1\\sub\\readme.txt"));
        DeleteFolder(out.Path() + "broken", true);
    }

    // A destination that cannot be created fails too.
    Answer = [&](const TEvent&, std::string& path) {
        path = out.Path() + "no\\such\\folder";
        return 1;
    };
    EXPECT_FALSE(Run(GcabFixture("stored.cab"), out.Path()));
    EXPECT_EQ(Names(UNPACK_BEFORE_FILE).size(), 1u);
}

} // namespace
} // namespace velk::test
