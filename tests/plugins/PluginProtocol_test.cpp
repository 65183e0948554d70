#include "platform/StrUtils.h"
#include "plugins/MsgStore.h"
#include "plugins/PluginProtocol.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using velk::TBlockField;

TEST(PluginProtocol, TextAnswersSizeThenCopiesAndNothingForEmpty) {
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(velk::PutText("", nullptr), 0);
    EXPECT_EQ(velk::PutText("", out), 0);
    EXPECT_EQ(out[0], '#') << "an empty text leaves the buffer alone";
    EXPECT_EQ(velk::PutText("abc", nullptr), 4);
    EXPECT_EQ(velk::PutText("abc", out), 0);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(out[4], '#');
}

TEST(PluginProtocol, BlockHeaderPointsAtTextsInOrderAbsentOnesNil) {
    const std::vector<TBlockField> fields = {TBlockField::Str("f1"), TBlockField::Str(""),
                                             TBlockField::Num(-1), TBlockField::None(),
                                             TBlockField::Str("next")};
    const int32_t size = velk::PutBlock(fields, nullptr, 0);
    ASSERT_EQ(size, 20 + 3 + 1 + 5);
    std::vector<uint8_t> block(size_t(size) + 4, 0xAA);
    const uint32_t base = 0x10000;
    ASSERT_EQ(velk::PutBlock(fields, block.data(), base), 0);
    const uint32_t expected[] = {base + 20, base + 23, 0xFFFFFFFF, 0, base + 24};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(velk::GetLE32(block.data() + i * 4), expected[i]) << i;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.data() + 20), 3), std::string("f1\0", 3));
    EXPECT_EQ(block[23], 0);
    EXPECT_STREQ(reinterpret_cast<char*>(block.data() + 24), "next");
    EXPECT_EQ(block[size_t(size)], 0xAA) << "nothing written past the block";
}

TEST(PluginProtocol, JoinLinesWithCrLf) {
    EXPECT_EQ(velk::JoinLines({}), "");
    EXPECT_EQ(velk::JoinLines({"a"}), "a");
    EXPECT_EQ(velk::JoinLines({"a", "", "b"}), "a\r\n\r\nb");
}

TEST(MsgStore, BuiltInNamesThenRunTimeNamesFrom4096) {
    velk::TMsgStore store;
    const struct {
        const char* Name;
        int32_t Id;
    } cases[] = {{"EV_SETSTARTUPINFO", 1},
                 {"ev_checklaunchconditions", 20},
                 {"CM_ABORTINSTALL", 256},
                 {"CM_SETINSTALLTYPE", 268},
                 {"CM_SHOWSTATUSTEXT", 4096},
                 {"MyMessage", 4097},
                 {"cm_showstatustext", 4096},
                 {"MYMESSAGE", 4097},
                 {"EV_FINISH", 5},
                 {"", 4098}};
    for (const auto& c : cases)
        EXPECT_EQ(store.IdOf(c.Name), c.Id) << c.Name;
    EXPECT_STREQ(store.NameOf(6), "EV_SHOWDIALOGS");
    EXPECT_STREQ(store.NameOf(4097), "MyMessage") << "the first spelling is kept";
    for (int32_t unnamed : {0, 21, 255, 269, 270, 272, 4099})
        EXPECT_EQ(store.NameOf(unnamed), nullptr) << unnamed;
    const char* held = store.NameOf(4097);
    for (int i = 0; i < 100; ++i)
        store.IdOf("Later" + std::to_string(i));
    EXPECT_EQ(store.NameOf(4097), held);
    EXPECT_STREQ(held, "MyMessage");
}

} // namespace
