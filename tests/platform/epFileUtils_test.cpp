#include "platform/epFileUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace velk {
namespace {

// A double-byte code page in the manner of Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC, whose
// trail bytes include the backslash code 0x5C.
bool ShiftJisLead(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool NoLead(char) {
    return false;
}

TEST(PathTextTest, TrailingBackslash) {
    EXPECT_EQ(IncludeTrailingBackslash(""), "");
    EXPECT_EQ(IncludeTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(ExcludeTrailingBackslash(""), "");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
    EXPECT_EQ(ExcludeTrailingBackslash("\\"), "");
}

TEST(PathTextTest, TrailByteIsNotABackslash) {
    // "\x95\x5C" is one double-byte character ending in the byte 0x5C.
    EXPECT_EQ(ExcludeTrailingBackslashFor("C:\\\x95\x5C", ShiftJisLead), "C:\\\x95\x5C");
    EXPECT_EQ(ExcludeTrailingBackslashFor("C:\\\x95\x5C\\", ShiftJisLead), "C:\\\x95\x5C");
    EXPECT_EQ(ExcludeTrailingBackslashFor("C:\\\x95\x5C", NoLead), "C:\\\x95");
    // Pairs are counted from the start: here 0x95 is the trail byte of "\x81\x95".
    EXPECT_EQ(ExcludeTrailingBackslashFor("\x81\x95\\", ShiftJisLead), "\x81\x95");
    // A lead byte with nothing after it stands alone.
    EXPECT_EQ(ExcludeTrailingBackslashFor("a\x95", ShiftJisLead), "a\x95");
}

TEST(PathTextTest, PartsOfNames) {
    EXPECT_EQ(ExtractFilePath("C:\\dir\\file.txt"), "C:\\dir\\");
    EXPECT_EQ(ExtractFilePath("C:file.txt"), "C:");
    EXPECT_EQ(ExtractFilePath("file.txt"), "");
    EXPECT_EQ(ExtractFileName("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(ExtractFileName("C:\\dir\\"), "");
    EXPECT_EQ(ExtractFileExt("C:\\dir.x\\file.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("C:\\dir.x\\file"), "");
    EXPECT_EQ(ExtractFileExt("file."), ".");
    EXPECT_EQ(ExtractFileDrive("C:\\dir"), "C:");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\dir\\f"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server"), "");
    EXPECT_EQ(ExtractFileDrive("\\dir\\f"), "");
}

// 2001-02-03 04:05:06 is day 36925 after 30 December 1899.
TEST(FileDateTest, DosDateTimeToDays) {
    int32_t date = (21 << 9) | (2 << 5) | 3;
    int32_t time = (4 << 11) | (5 << 5) | 3;
    EXPECT_DOUBLE_EQ(FileDateToDateTime(date << 16 | time),
                     36925 + (4 * 3600 + 5 * 60 + 6) / 86400.0);
    // 1980-01-01 00:00:00, the first DOS day, is day 29221.
    EXPECT_DOUBLE_EQ(FileDateToDateTime((1 << 5 | 1) << 16), 29221);
    // 29 February exists in 2000 only.
    EXPECT_DOUBLE_EQ(FileDateToDateTime((20 << 9 | 2 << 5 | 29) << 16), 36585);
    EXPECT_EQ(FileDateToDateTime((21 << 9 | 2 << 5 | 29) << 16), 0);
    EXPECT_EQ(FileDateToDateTime(0), 0);
    EXPECT_EQ(FileDateToDateTime((21 << 9 | 13 << 5 | 1) << 16), 0);
    EXPECT_EQ(FileDateToDateTime((21 << 9 | 1 << 5 | 1) << 16 | 24 << 11), 0);
}

TEST(UniqueNameTest, StampIsDayAndHundredthsInBase32) {
    // 2004 is year 4 of the cycle: 4 * 365 + 1 + (31 + 29 + 1) = 1522 = "1FI";
    // 12:34:56.789 is 4529678 hundredths = "4A7GE".
    EXPECT_EQ(UniqueNameStamp({2004, 3, 1, 12, 34, 56, 789}), "1FI4A7GE");
    EXPECT_EQ(UniqueNameStamp({2010, 1, 1, 0, 0, 0, 0}), "00100000");
    // The last moment of a cycle: day 3652 = "3I4", 8639999 hundredths = "87LFV".
    EXPECT_EQ(UniqueNameStamp({2009, 12, 31, 23, 59, 59, 999}), "3I487LFV");
    // 1 March is day 31 + 28 + 1 of 2003: 3 * 365 + 0 + 60 = 1155 = "143".
    EXPECT_EQ(UniqueNameStamp({2003, 3, 1, 0, 0, 0, 0}), "14300000");
}

TEST(UniqueNameTest, ShortFormKeepsEightCharacters) {
    TLocalTime t{2004, 3, 1, 12, 34, 56, 789};
    EXPECT_EQ(UniqueNameCandidate(t, "ABCDEF", ".tmp", true), "ABCDA7GE.tmp");
    EXPECT_EQ(UniqueNameCandidate(t, "XY", "", true), "XYI4A7GE");
    EXPECT_EQ(UniqueNameCandidate(t, "", "", true), "1FI4A7GE");
    EXPECT_EQ(UniqueNameCandidate(t, "ABCDEF", ".tmp", false), "ABCDEF1FI4A7GE.tmp");
}

class LocalFilesTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-fileutils.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string Pattern(size_t size) {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i)
            s[i] = char(i * 7 + i / 251);
        return s;
    }

    std::string dir_;
};

struct TProgressCall {
    int32_t Chunk;
    int64_t Copied, Total;
};

TEST_F(LocalFilesTest, CopyMovesBlocksAndReportsEach) {
    std::string data = Pattern(131072 * 2 + 5);
    Write(Path("src"), data);
    ::chmod(Path("src").c_str(), 0640);
    struct stat before;
    ASSERT_EQ(::stat(Path("src").c_str(), &before), 0);
    std::vector<TProgressCall> calls;
    ASSERT_TRUE(CopyFileWithProgress(
        Path("src"), Path("dst"),
        [&](const std::string& source, const std::string& dest, int32_t chunk, int64_t copied,
            int64_t total) {
            EXPECT_EQ(source, Path("src"));
            EXPECT_EQ(dest, Path("dst"));
            calls.push_back({chunk, copied, total});
            return true;
        },
        false));
    EXPECT_EQ(Read(Path("dst")), data);
    ASSERT_EQ(calls.size(), 3u);
    int64_t total = int64_t(data.size());
    EXPECT_EQ(calls[0].Chunk, 131072);
    EXPECT_EQ(calls[0].Copied, 131072);
    EXPECT_EQ(calls[2].Chunk, 5);
    EXPECT_EQ(calls[2].Copied, total);
    EXPECT_EQ(calls[2].Total, total);
    struct stat after;
    ASSERT_EQ(::stat(Path("dst").c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
}

TEST_F(LocalFilesTest, CopyAppendsAndReplaces) {
    Write(Path("src"), "new");
    Write(Path("dst"), "old contents ");
    ASSERT_TRUE(CopyFileWithProgress(Path("src"), Path("dst"), nullptr, true));
    EXPECT_EQ(Read(Path("dst")), "old contents new");
    ASSERT_TRUE(CopyFileWithProgress(Path("src"), Path("dst"), nullptr, false));
    EXPECT_EQ(Read(Path("dst")), "new");
    ASSERT_TRUE(CopyFileWithProgress(Path("src"), Path("fresh"), nullptr, true));
    EXPECT_EQ(Read(Path("fresh")), "new");
    Write(Path("empty"), "");
    ASSERT_TRUE(CopyFileWithProgress(Path("empty"), Path("dst"), nullptr, false));
    EXPECT_EQ(Read(Path("dst")), "");
}

TEST_F(LocalFilesTest, FailedCopyTakesBackWhatItWrote) {
    Write(Path("src"), Pattern(131072 * 3));
    auto cancelSecond = [](const std::string&, const std::string&, int32_t, int64_t copied,
                           int64_t) { return copied < 2 * 131072; };
    EXPECT_FALSE(CopyFileWithProgress(Path("src"), Path("dst"), cancelSecond, false));
    EXPECT_FALSE(std::filesystem::exists(Path("dst")));
    Write(Path("dst"), "kept");
    EXPECT_FALSE(CopyFileWithProgress(Path("src"), Path("dst"), cancelSecond, true));
    EXPECT_EQ(Read(Path("dst")), "kept");
    EXPECT_FALSE(CopyFileWithProgress(Path("missing"), Path("dst"), nullptr, false));
    EXPECT_EQ(Read(Path("dst")), "kept");
    EXPECT_FALSE(CopyFileWithProgress(dir_, Path("dst"), nullptr, false));
    EXPECT_FALSE(CopyFileWithProgress(Path("src"), Path("no/such/folder"), nullptr, false));
}

TEST_F(LocalFilesTest, SourceShorterThanAnnouncedFailsInsteadOfWaiting) {
    Write(Path("src"), Pattern(131072 * 3));
    // The source loses its tail while the copy runs: the next read finds nothing.
    auto shrink = [&](const std::string&, const std::string&, int32_t, int64_t, int64_t) {
        std::filesystem::resize_file(Path("src"), 131072);
        return true;
    };
    EXPECT_FALSE(CopyFileWithProgress(Path("src"), Path("dst"), shrink, false));
    EXPECT_FALSE(std::filesystem::exists(Path("dst")));
}

TEST_F(LocalFilesTest, FoldersAreMadeAndEmptied) {
    std::string deep = Path("a/b/c");
    ForceDirectories(deep + "/");
    EXPECT_TRUE(DirectoryExists(deep));
    ForceDirectories(deep);
    Write(deep + "/f", "x");
    Write(Path("a/top"), "x");
    Write(Path("a/b/.keep"), "x");
    EXPECT_TRUE(FileExists(Path("a/top")));
    EXPECT_FALSE(FileExists(Path("a")));
    EXPECT_FALSE(DirectoryExists(Path("a/top")));

    EXPECT_TRUE(DeleteFolder(Path("a"), false));
    EXPECT_FALSE(FileExists(deep + "/f"));
    EXPECT_FALSE(FileExists(Path("a/top")));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(FileExists(Path("a/b/.keep")));
    // The dot file keeps its folder and so every folder above it.
    EXPECT_FALSE(DeleteFolder(Path("a"), true));
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(DirectoryExists(Path("a/b")));
    std::filesystem::remove(Path("a/b/.keep"));
    EXPECT_TRUE(DeleteFolder(Path("a"), true));
    EXPECT_FALSE(PathExists(Path("a")));
    EXPECT_FALSE(DeleteFolder(Path("a"), true));
}

TEST_F(LocalFilesTest, FilesAreReadWhole) {
    std::string data = Pattern(300000);
    Write(Path("f"), data);
    EXPECT_EQ(ReadFileToString(Path("f")), data);
    EXPECT_EQ(GetFileSizeByName(Path("f")), int64_t(data.size()));
    Write(Path("e"), "");
    EXPECT_EQ(ReadFileToString(Path("e")), "");
    EXPECT_EQ(ReadFileToString(Path("missing")), "");
    EXPECT_EQ(GetFileSizeByName(Path("missing")), -1);
    EXPECT_EQ(GetFileDate(Path("missing")), 0);
    EXPECT_GT(GetFileDate(Path("f")), 0);
}

} // namespace
} // namespace velk
