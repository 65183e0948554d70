// The status panels' count and texts, and the form's layout.
#include <gtest/gtest.h>

#include "demo/FormLayout.h"
#include "demo/StatusPanels.h"

namespace {

using namespace velk::demo;
using Texts = std::vector<std::string>;

TEST(StatusPanels, CountRemovesFromTheFrontAndTextsStayInside) {
    TStatusPanels panels;
    EXPECT_EQ(panels.Texts(), Texts{""});
    EXPECT_FALSE(panels.SetCount(1));
    EXPECT_TRUE(panels.SetCount(4));
    for (int i = -1; i <= 4; ++i)
        EXPECT_EQ(panels.SetText(i, "t" + std::to_string(i)), i >= 0 && i < 4);
    EXPECT_EQ(panels.Texts(), (Texts{"t0", "t1", "t2", "t3"}));
    EXPECT_TRUE(panels.SetCount(2));
    EXPECT_EQ(panels.Texts(), (Texts{"t2", "t3"}));
    EXPECT_TRUE(panels.SetCount(-5));
    EXPECT_EQ(panels.Texts(), Texts{});
    EXPECT_FALSE(panels.SetText(0, "x"));
    EXPECT_TRUE(panels.SetCount(INT32_MAX));
    EXPECT_EQ(panels.Texts().size(), size_t(TStatusPanels::MaxCount));
}

TEST(FormLayout, ListAboveStatusAndMapInBetween) {
    const struct {
        int Height;
        int ListTop, MapHeight;
    } cases[] = {{600, 420, 400}, {200, 20, 0}, {50, -130, 0}};
    for (const auto& c : cases) {
        const TFormLayout layout = LayoutForm(640, c.Height, 20, 40, 140);
        EXPECT_EQ(layout.Messages.Top, c.ListTop);
        EXPECT_EQ(layout.Messages.Height, 140);
        EXPECT_EQ(layout.Messages.Width, 640);
        EXPECT_EQ(layout.Mapper.Top, 20);
        EXPECT_EQ(layout.Mapper.Height, c.MapHeight);
        EXPECT_EQ(layout.Mapper.Width, 640);
    }
}

} // namespace
