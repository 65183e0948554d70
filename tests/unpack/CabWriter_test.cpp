#include "unpack/CabWriter.h"

#include "platform/StrUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace velk {
namespace {

namespace fs = std::filesystem;

// A scratch folder of the test, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "velk-cab-XXXXXX").string();
        path_ = mkdtemp(&pattern[0]);
    }
    ~TempDir() { fs::remove_all(path_); }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}

// Runs a shell command; returns its standard output, and its exit status through `status`.
std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pipe)) > 0)
        out.append(buf, n);
    status = pclose(pipe);
    return out;
}

std::string Quote(const fs::path& p) {
    return "'" + p.string() + "'";
}

std::string WriteCabinet(const TCabWriter& writer) {
    std::ostringstream out;
    writer.Write(out);
    return out.str();
}

struct Entry {
    std::string name;
    std::string data;
    int y, mo, d, h, mi, s;
    uint16_t attributes;
};

TCabFileInfo Info(const Entry& e) {
    TCabFileInfo info;
    info.Name = e.name;
    EXPECT_TRUE(PackDosDate(e.y, e.mo, e.d, info.Date));
    EXPECT_TRUE(PackDosTime(e.h, e.mi, e.s, info.Time));
    info.Attributes = e.attributes;
    return info;
}

std::vector<Entry> SampleEntries(std::mt19937& random) {
    std::string text, noise(70001, '\0'), block(32768, '\0');
    for (int i = 0; i < 60000; ++i)
        text += "line " + std::to_string(random() % 1000) + "\r\n";
    for (char& c : noise)
        c = char(random());
    for (char& c : block)
        c = char('a' + random() % 3);
    return {
        {"splash.bmp", "BM" + noise.substr(0, 300), 2024, 3, 1, 13, 45, 58, 0x20},
        {"empty.txt", "", 1980, 1, 1, 0, 0, 0, 0x00},
        {"db.pdb", noise.substr(1000, 5000), 2090, 6, 15, 23, 59, 58, 0x01},
        {"lng\\en.lng", text, 2001, 12, 31, 8, 30, 2, 0x21},
        {"plugins\\1\\ui.dll", noise, 2010, 7, 4, 12, 0, 0, 0x40},
        {"presetup\\block.bin", block, 1999, 2, 28, 1, 2, 4, 0x06},
        {"files\\1\\empty", "", 2107, 12, 31, 23, 59, 58, 0x00},
        {"files\\1\\tiny", "x", 2024, 2, 29, 6, 7, 8, 0x20},
    };
}

void ExpectSameTree(const std::vector<Entry>& entries, const fs::path& root) {
    for (const Entry& e : entries) {
        std::string relative = e.name;
        for (char& c : relative)
            c = c == '\\' ? '/' : c;
        EXPECT_EQ(e.data, ReadFile(root / relative)) << e.name;
    }
}

class CabWriterRoundTrip : public ::testing::TestWithParam<TCabCompression> {};

TEST_P(CabWriterRoundTrip, IndependentReadersGetIdenticalBytesNamesDatesAndAttributes) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::vector<Entry> entries = SampleEntries(random);
    TempDir dir;
    TCabWriter writer(GetParam());
    for (size_t i = 0; i < entries.size(); ++i) {
        // Every other entry comes from a file on disk.
        if (i % 2 == 0) {
            writer.AddFile(Info(entries[i]), entries[i].data);
        } else {
            fs::path source = dir / ("source" + std::to_string(i));
            WriteFile(source, entries[i].data);
            TCabFileInfo info = Info(entries[i]);
            info.Size = uint32_t(entries[i].data.size());
            writer.AddFile(info, CabDiskFile(source.string()));
        }
    }
    // A program image in front, as in a package.
    const std::string stub = "stub before the cabinet";
    const fs::path cab = dir / "test.cab";
    {
        std::ofstream out(cab, std::ios::binary);
        out << stub;
        uint32_t size = writer.Write(out);
        out.close();
        EXPECT_EQ(fs::file_size(cab) - stub.size(), size);
    }
    int status;
    // cabextract finds the cabinet behind the stub and verifies every block's checksum.
    std::string log = RunCommand("cabextract -t " + Quote(cab), status);
    EXPECT_EQ(0, status) << log;
    EXPECT_EQ(std::string::npos, log.find("checksum")) << log;

    fs::create_directory(dir / "cabextract");
    log = RunCommand("cabextract -q -d " + Quote(dir / "cabextract") + " " + Quote(cab), status);
    ASSERT_EQ(0, status) << log;
    ExpectSameTree(entries, dir / "cabextract");
    for (const Entry& e : entries) {
        std::string relative = e.name;
        for (char& c : relative)
            c = c == '\\' ? '/' : c;
        struct stat st {};
        ASSERT_EQ(0, stat((dir / "cabextract" / relative).c_str(), &st)) << e.name;
        std::tm tm{};
        tm.tm_year = e.y - 1900;
        tm.tm_mon = e.mo - 1;
        tm.tm_mday = e.d;
        tm.tm_hour = e.h;
        tm.tm_min = e.mi;
        tm.tm_sec = e.s;
        tm.tm_isdst = -1;
        EXPECT_EQ(std::mktime(&tm), st.st_mtime) << e.name;
        EXPECT_EQ((e.attributes & 0x01) != 0, (st.st_mode & 0200) == 0) << e.name;
        EXPECT_EQ((e.attributes & 0x40) != 0, (st.st_mode & 0100) != 0) << e.name;
    }

    // gcab reads the cabinet with its own code: names with backslashes, sizes, dates and every
    // attribute bit, in the order the entries were added.
    std::string whole = ReadFile(cab).substr(stub.size());
    const fs::path bare = dir / "bare.cab";
    WriteFile(bare, whole);
    log = RunCommand("gcab -l " + Quote(bare), status);
    ASSERT_EQ(0, status) << log;
    std::string expected;
    for (const Entry& e : entries)
        expected += Format("%s %u %04d-%02d-%02d %02d:%02d:%02d 0x%x\n", e.name.c_str(),
                           unsigned(e.data.size()), e.y, e.mo, e.d, e.h, e.mi, e.s, e.attributes);
    EXPECT_EQ(expected, log);
    fs::create_directory(dir / "gcab");
    log = RunCommand("gcab -x -C " + Quote(dir / "gcab") + " " + Quote(bare), status);
    ASSERT_EQ(0, status) << log;
    ExpectSameTree(entries, dir / "gcab");
}

INSTANTIATE_TEST_SUITE_P(Compression, CabWriterRoundTrip,
                         ::testing::Values(TCabCompression::MsZip, TCabCompression::None),
                         [](const auto& info) {
                             return info.param == TCabCompression::MsZip ? "MsZip" : "Stored";
                         });

TEST(CabWriter, ManyFilesAndOnlyEmptyFiles) {
    TempDir dir;
    TCabWriter many(TCabCompression::MsZip);
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        std::string name = Format("files\\%d\\f%04d.txt", i % 7, i);
        many.AddFile({name}, std::string(size_t(i % 50), char('a' + i % 26)));
        expected += Format("%s %d 1980-01-01 00:00:00 0x0\n", name.c_str(), i % 50);
    }
    WriteFile(dir / "many.cab", WriteCabinet(many));
    int status;
    std::string log = RunCommand("cabextract -t " + Quote(dir / "many.cab"), status);
    EXPECT_EQ(0, status) << log.substr(log.size() > 500 ? log.size() - 500 : 0);
    EXPECT_EQ(expected, RunCommand("gcab -l " + Quote(dir / "many.cab"), status));

    TCabWriter empty(TCabCompression::MsZip);
    empty.AddFile({"a"}, std::string());
    empty.AddFile({"b\\c"}, std::string());
    WriteFile(dir / "empty.cab", WriteCabinet(empty));
    log =
        RunCommand("cabextract -q -d " + Quote(dir / "x") + " " + Quote(dir / "empty.cab"), status);
    EXPECT_EQ(0, status) << log;
    EXPECT_EQ(0u, fs::file_size(dir / "x" / "b" / "c"));
}

// The data blocks of a cabinet: checksum, packed and unpacked sizes, and the packed bytes.
struct Block {
    uint32_t checksum;
    uint16_t packed, unpacked;
    std::string data;
};

std::vector<Block> ReadBlocks(const std::string& cab) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(cab.data());
    EXPECT_EQ("MSCF", cab.substr(0, 4));
    EXPECT_EQ(0, GetLE16(p + 30) & 4) << "reserved fields are not expected";
    uint32_t at = GetLE32(p + 36);
    unsigned count = GetLE16(p + 40);
    std::vector<Block> blocks;
    for (unsigned i = 0; i < count && at + 8 <= cab.size(); ++i) {
        Block b{GetLE32(p + at), GetLE16(p + at + 4), GetLE16(p + at + 6), {}};
        b.data = cab.substr(at + 8, b.packed);
        blocks.push_back(b);
        at += 8 + b.packed;
    }
    EXPECT_EQ(count, blocks.size());
    EXPECT_EQ(cab.size(), at) << "the blocks end the cabinet";
    return blocks;
}

uint32_t BlockChecksum(const Block& b) {
    uint8_t sizes[4];
    PutLE16(sizes, b.packed);
    PutLE16(sizes + 2, b.unpacked);
    return CabChecksum(
        sizes, 4, CabChecksum(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size(), 0));
}

TEST(CabWriter, ChecksumAgreesWithTheBlocksGcabWrites) {
    TempDir dir;
    std::mt19937 random(7);
    std::string noise(100003, '\0'), text;
    for (char& c : noise)
        c = char(random());
    for (int i = 0; i < 40000; ++i)
        text += std::to_string(i) + "\n";
    WriteFile(dir / "noise.bin", noise);
    WriteFile(dir / "text.txt", text);
    WriteFile(dir / "short.txt", "abcdefg");
    std::set<size_t> tails;
    for (const char* mode : {"-c -z", "-c"}) {
        int status;
        std::string log = RunCommand("cd " + Quote(dir.Path()) + " && gcab " + mode +
                                         " g.cab noise.bin text.txt short.txt",
                                     status);
        ASSERT_EQ(0, status) << log;
        const std::vector<Block> blocks = ReadBlocks(ReadFile(dir / "g.cab"));
        ASSERT_GT(blocks.size(), 4u);
        for (const Block& b : blocks) {
            EXPECT_NE(0u, b.checksum);
            EXPECT_EQ(b.checksum, BlockChecksum(b));
            tails.insert(b.data.size() % 4);
        }
    }
    EXPECT_GT(tails.size(), 1u) << "blocks with 1 to 3 bytes over a whole word";
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(0x04030201u ^ 0x00050607u, CabChecksum(bytes, 7, 0));
    EXPECT_EQ(0x04030201u ^ 0x05u ^ 0xFFu, CabChecksum(bytes, 5, 0xFF));
}

TEST(CabWriter, LayoutOfTheHeaderAndBlocks) {
    std::string data(5 * 32768 + 100, '\0');
    std::mt19937 random(3);
    for (char& c : data)
        c = char('A' + random() % 4);
    for (TCabCompression compression : {TCabCompression::MsZip, TCabCompression::None}) {
        TCabWriter writer(compression);
        writer.AddFile({"one"}, data.substr(0, 40000));
        writer.AddFile({"two"}, data.substr(40000));
        const std::string cab = WriteCabinet(writer);
        const uint8_t* p = reinterpret_cast<const uint8_t*>(cab.data());
        EXPECT_EQ(cab.size(), GetLE32(p + 8));
        EXPECT_EQ(44u, GetLE32(p + 16));
        EXPECT_EQ(0x0103, GetLE16(p + 24));
        EXPECT_EQ(1, GetLE16(p + 26));
        EXPECT_EQ(2, GetLE16(p + 28));
        EXPECT_EQ(uint16_t(compression), GetLE16(p + 42));
        EXPECT_EQ(40000u, GetLE32(p + 44 + 16 + 4 + 4)) << "folder offset of the second file";
        const std::vector<Block> blocks = ReadBlocks(cab);
        ASSERT_EQ(6u, blocks.size());
        for (size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(i + 1 < blocks.size() ? 32768 : 100, blocks[i].unpacked);
            EXPECT_EQ(blocks[i].checksum, BlockChecksum(blocks[i]));
            if (compression == TCabCompression::MsZip) {
                EXPECT_EQ("CK", blocks[i].data.substr(0, 2));
                EXPECT_LT(blocks[i].packed, 32768 / 2) << "four letters compress";
            } else {
                EXPECT_EQ(data.substr(i * 32768, blocks[i].unpacked), blocks[i].data);
            }
        }
    }
}

TEST(CabWriter, SameInputGivesTheSameBytes) {
    std::mt19937 random(11);
    const std::vector<Entry> entries = SampleEntries(random);
    auto build = [&] {
        TCabWriter writer(TCabCompression::MsZip);
        for (const Entry& e : entries)
            writer.AddFile(Info(e), e.data);
        return writer;
    };
    const TCabWriter writer = build();
    const std::string first = WriteCabinet(writer);
    EXPECT_EQ(first, WriteCabinet(writer));
    EXPECT_EQ(first, WriteCabinet(build()));
}

// A random chunk shorter than the window, over and over: each block can only start with a match
// into the block before. Threads and levels, and three independent readers of the result.
TEST(CabWriter, BlocksReachIntoTheOneBeforeAndThreadsLeaveTheBytesAlone) {
    std::mt19937 random(5);
    std::string chunk(20000, '\0'), data;
    for (char& c : chunk)
        c = char(random());
    while (data.size() < 10 * 32768 + 5000)
        data += chunk;
    TempDir dir;
    std::map<int, std::string> byLevel;
    const struct {
        unsigned threads;
        int level;
    } runs[] = {{1, 6}, {2, 6}, {7, 6}, {3, 1}, {1, 9}, {4, 9}};
    for (const auto& run : runs) {
        SCOPED_TRACE(Format("%u threads, level %d", run.threads, run.level));
        TCabWriter writer(TCabCompression::MsZip, run.level);
        writer.SetThreads(run.threads);
        std::vector<uint64_t> progress;
        writer.SetProgress([&](uint64_t done, uint64_t total) {
            EXPECT_EQ(data.size() + 7, total);
            progress.push_back(done);
        });
        writer.AddFile({"short.txt"}, std::string("a text\n"));
        writer.AddFile({"files\\repeat.bin"}, data);
        const std::string cab = WriteCabinet(writer);
        EXPECT_EQ(std::vector<uint64_t>({32768, 65536, 98304, 131072, 163840, 196608, 229376,
                                         262144, 294912, 327680, data.size() + 7}),
                  progress);
        if (byLevel.count(run.level) != 0) {
            EXPECT_EQ(byLevel[run.level], cab);
            continue;
        }
        byLevel[run.level] = cab;
        const std::vector<Block> blocks = ReadBlocks(cab);
        ASSERT_EQ(11u, blocks.size());
        EXPECT_GT(blocks[0].packed, 20000);
        for (size_t i = 1; i < blocks.size(); ++i)
            EXPECT_LT(blocks[i].packed, 1000) << "block " << i;
        const fs::path file = dir / Format("level%d.cab", run.level);
        WriteFile(file, cab);
        int status;
        for (const std::string& extract : {"cabextract -q -d " + Quote(dir / "cabextract") + " ",
                                           "gcab -x -C " + Quote(dir / "gcab") + " "}) {
            fs::remove_all(dir / "cabextract");
            fs::remove_all(dir / "gcab");
            std::string log = RunCommand(extract + Quote(file), status);
            ASSERT_EQ(0, status) << log;
            const fs::path out = extract[0] == 'c' ? dir / "cabextract" : dir / "gcab";
            EXPECT_TRUE(ReadFile(out / "files" / "repeat.bin") == data) << extract;
        }
    }
    EXPECT_NE(byLevel[1], byLevel[9]);

    // Random data that repeats nothing is stored: "CK" and one stored deflate block, 7 bytes.
    std::string noise(32768, '\0');
    for (char& c : noise)
        c = char(random());
    TCabWriter writer(TCabCompression::MsZip);
    writer.AddFile({"noise.bin"}, noise + noise.substr(10000));
    const std::vector<Block> blocks = ReadBlocks(WriteCabinet(writer));
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ(32775, blocks[0].packed);
    EXPECT_EQ(std::string("CK\x01\x00\x80\xFF\x7F", 7), blocks[0].data.substr(0, 7));
    EXPECT_LT(blocks[1].packed, 1000) << "it repeats the block before";
    EXPECT_THROW(TCabWriter(TCabCompression::MsZip, 0), ECabWriteError);
    EXPECT_THROW(TCabWriter(TCabCompression::MsZip).SetCompressionLevel(10), ECabWriteError);
}

TEST(CabWriter, RefusesNamesAReaderCouldPlaceOutsideItsFolderAndClashingNames) {
    for (const char* bad : {"", "\\abs", "..\\up", "a\\..\\b", "a\\..", ".", "a\\.\\b", "a\\\\b",
                            "dir\\", "c:\\x", "c:x", "a/b", "tab\there", "file.txt:stream"}) {
        TCabWriter writer(TCabCompression::MsZip);
        EXPECT_THROW(writer.AddFile({bad}, std::string("x")), ECabWriteError) << bad;
    }
    TCabWriter writer(TCabCompression::None);
    writer.AddFile({std::string(255, 'n')}, std::string());
    EXPECT_THROW(writer.AddFile({std::string(256, 'n')}, std::string()), ECabWriteError);
    writer.AddFile({"Files\\A.txt"}, std::string("1"));
    try {
        writer.AddFile({"files\\a.TXT"}, std::string("2"));
        ADD_FAILURE() << "a name differing only in case was accepted";
    } catch (const ECabWriteError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("files\\a.TXT")) << e.what();
    }
    TCabFileInfo directory{"d"};
    directory.Attributes = 0x10;
    EXPECT_THROW(writer.AddFile(directory, std::string()), ECabWriteError);
    TCabFileInfo utf8{"u"};
    utf8.Attributes = 0x80;
    EXPECT_THROW(writer.AddFile(utf8, std::string()), ECabWriteError);

    TCabWriter huge(TCabCompression::None);
    TCabFileInfo big{"big"};
    big.Size = 0x7FFF0000;
    huge.AddFile(big, [] { return std::unique_ptr<TCabSource>(); });
    big.Name = "more";
    big.Size = 0x10000;
    EXPECT_THROW(huge.AddFile(big, [] { return std::unique_ptr<TCabSource>(); }), ECabWriteError)
        << "a folder holds at most 65535 blocks";
    std::ostringstream sink;
    EXPECT_THROW(huge.Write(sink), ECabWriteError) << "an opener that gives no source";

    std::ostringstream out;
    EXPECT_THROW(TCabWriter(TCabCompression::MsZip).Write(out), ECabWriteError);
}

// A source whose length differs from the size recorded for it.
class FixedSource : public TCabSource {
public:
    explicit FixedSource(size_t size) : left_(size) {}
    size_t Read(uint8_t* buffer, size_t size) override {
        size_t n = size < left_ ? size : left_;
        std::fill(buffer, buffer + n, uint8_t('z'));
        left_ -= n;
        return n;
    }

private:
    size_t left_;
};

TEST(CabWriter, AFileThatChangedOrVanishedIsAnErrorNamingIt) {
    for (size_t actual : {size_t(99), size_t(101), size_t(0), size_t(70000)}) {
        TCabWriter writer(TCabCompression::MsZip);
        TCabFileInfo info{"files\\1\\changing.dat"};
        info.Size = 100;
        writer.AddFile(info, [actual] { return std::make_unique<FixedSource>(actual); });
        std::ostringstream out;
        try {
            writer.Write(out);
            ADD_FAILURE() << "accepted " << actual << " bytes for 100";
        } catch (const ECabWriteError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find("files\\1\\changing.dat"))
                << e.what();
        }
    }
    TempDir dir;
    const std::string missing = (dir / "missing.bin").string();
    TCabWriter writer(TCabCompression::MsZip);
    writer.AddFile({"missing.bin"}, CabDiskFile(missing));
    std::ostringstream out;
    try {
        writer.Write(out);
        ADD_FAILURE() << "a missing file was packed";
    } catch (const ECabWriteError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find(missing)) << e.what();
    }
}

TEST(CabWriter, DosDatesAndTimes) {
    uint16_t v = 0;
    ASSERT_TRUE(PackDosDate(1980, 1, 1, v));
    EXPECT_EQ(0x21, v);
    ASSERT_TRUE(PackDosDate(2107, 12, 31, v));
    EXPECT_EQ(0xFF9F, v);
    ASSERT_TRUE(PackDosDate(2024, 2, 29, v));
    EXPECT_EQ((44 << 9) | (2 << 5) | 29, v);
    const int bad[][3] = {{1979, 12, 31}, {2108, 1, 1}, {2023, 2, 29}, {2100, 2, 29},
                          {2024, 4, 31},  {2024, 0, 1}, {2024, 1, 0}};
    for (const auto& d : bad) {
        v = 7;
        EXPECT_FALSE(PackDosDate(d[0], d[1], d[2], v)) << d[0] << "-" << d[1] << "-" << d[2];
        EXPECT_EQ(7, v);
    }
    ASSERT_TRUE(PackDosTime(23, 59, 59, v));
    EXPECT_EQ((23 << 11) | (59 << 5) | 29, v);
    EXPECT_FALSE(PackDosTime(24, 0, 0, v));
    EXPECT_FALSE(PackDosTime(0, 60, 0, v));
    EXPECT_FALSE(PackDosTime(0, 0, 60, v));
    EXPECT_FALSE(PackDosTime(-1, 0, 0, v));
}

} // namespace
} // namespace velk
