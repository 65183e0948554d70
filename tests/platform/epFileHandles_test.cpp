#include "platform/epFileHandles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace velk {
namespace {

class FileHandlesTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-handles.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/f.txt";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void WriteBytes(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string ReadBytes() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every line until AtEndOfFile, with the position after each.
    std::vector<std::pair<std::string, int64_t>> ReadAll() {
        TFileHandleOwner h(OpenFileHandle(path_, FileAccessRead, FileShareRead, FileAttributeNormal,
                                          FileOpenExisting));
        EXPECT_TRUE(h.IsOpen());
        std::vector<std::pair<std::string, int64_t>> lines;
        std::string line;
        while (!AtEndOfFile(h.Get())) {
            EXPECT_TRUE(ReadTextLine(h.Get(), line));
            lines.emplace_back(line, FilePosition(h.Get()));
        }
        EXPECT_FALSE(ReadTextLine(h.Get(), line));
        return lines;
    }

    std::string dir_, path_;
};

using Lines = std::vector<std::pair<std::string, int64_t>>;

TEST_F(FileHandlesTest, OnlyCarriageReturnEndsALineAndLineFeedsVanish) {
    WriteBytes("a=1\r\nb=2\rc\n=3\n\r\r last");
    EXPECT_EQ(ReadAll(), (Lines{{"a=1", 4}, {"b=2", 9}, {"c=3", 15}, {"", 16}, {" last", 21}}));

    WriteBytes("one\ntwo\nthree\n");
    EXPECT_EQ(ReadAll(), (Lines{{"onetwothree", 14}}));
}

TEST_F(FileHandlesTest, LinesAcrossTheHundredByteChunks) {
    std::string at99(99, 'x'), at100(100, 'y'), long250(250, 'z');
    WriteBytes(at99 + "\r" + at100 + "\r" + long250 + "\r\nend\r");
    EXPECT_EQ(ReadAll(), (Lines{{at99, 100}, {at100, 201}, {long250, 452}, {"end", 457}}));

    // A line feed that opens the next chunk is dropped as well.
    WriteBytes(std::string(100, 'q') + "\n\nw\r");
    EXPECT_EQ(ReadAll(), (Lines{{std::string(100, 'q') + "w", 104}}));
}

TEST_F(FileHandlesTest, EmptyFileHasNoLines) {
    WriteBytes("");
    EXPECT_EQ(ReadAll(), Lines{});
}

TEST_F(FileHandlesTest, WriteSeekAndTruncate) {
    WriteBytes("0123456789");
    TFileHandleOwner h(OpenFileHandle(path_, FileAccessRead | FileAccessWrite, FileShareRead,
                                      FileAttributeNormal, FileOpenAlways));
    ASSERT_TRUE(h.IsOpen());
    EXPECT_EQ(FileHandleSize(h.Get()), 10);
    EXPECT_EQ(SeekFileHandle(h.Get(), 0, TSeekOrigin::Begin), 0);
    EXPECT_TRUE(WriteTextLine(h.Get(), "ab"));
    EXPECT_EQ(FilePosition(h.Get()), 4);
    EXPECT_FALSE(AtEndOfFile(h.Get()));
    EXPECT_TRUE(TruncateFileHandle(h.Get()));
    EXPECT_TRUE(AtEndOfFile(h.Get()));
    h.Close();
    EXPECT_EQ(h.Get(), 0);
    EXPECT_EQ(ReadBytes(), "ab\r\n");
}

TEST_F(FileHandlesTest, FailuresShowInTheResults) {
    TFileHandle closed = 0;
    std::string line;
    char buffer[4];
    EXPECT_EQ(ReadFileHandle(closed, buffer, sizeof buffer), -1);
    EXPECT_FALSE(WriteFileHandle(closed, "x", 1));
    EXPECT_EQ(FilePosition(closed), -1);
    EXPECT_EQ(FileHandleSize(closed), -1);
    EXPECT_FALSE(AtEndOfFile(closed));
    EXPECT_FALSE(ReadTextLine(closed, line));
    EXPECT_FALSE(WriteTextLine(closed, "x"));
}

} // namespace
} // namespace velk
