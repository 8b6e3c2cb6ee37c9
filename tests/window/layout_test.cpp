#include "layout.h"
#include "window_geometry.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

// The window as designed (client 9240 x 5910, splitter 75, drive list 300, tree 3135, combo 300, status bar
// 255), in clients of other sizes too. A size that would vanish keeps its last value, here 1 to 9.
TEST(Layout, ArrangesFromTheSplitterAndKeepsSizesThatWouldVanish) {
    const auto arranged = [](int width, int height, int splitterTop) {
        const layout::Sizes s = layout::arrange({width, height, 75, 300, 3135, 300, 255}, splitterTop,
                                                {1, 2, 3, 4, 5, 6, 7, 8, 9});
        return std::vector{s.frameWidth,     s.frameTop,         s.frameHeight,
                           s.fileListHeight, s.folderTreeHeight, s.fileListWidth,
                           s.songListWidth,  s.songListHeight,   s.splitterWidth};
    };
    using V = std::vector<int>;
    EXPECT_EQ(arranged(9240, 5910, 2400), V({9240, 2475, 3180, 2400, 2100, 6060, 9240, 2880, 9240}));
    EXPECT_EQ(arranged(9240, 5910, 300), V({9240, 375, 5280, 300, 5, 6060, 9240, 4980, 9240}));
    EXPECT_EQ(arranged(9240, 5910, 5700), V({9240, 5775, 3, 5700, 5400, 6060, 9240, 8, 9240}));
    EXPECT_EQ(arranged(9240, 3030, 2400), V({9240, 2475, 300, 2400, 2100, 6060, 9240, 8, 9240}));
    EXPECT_EQ(arranged(3180, 5910, 2400), V({3180, 2475, 3180, 2400, 2100, 6, 3180, 2880, 3180}));
    EXPECT_EQ(arranged(3181, 5910, 2400), V({3181, 2475, 3180, 2400, 2100, 1, 3181, 2880, 3181}));
}

// From 2000 in a client 5910 high, with the buttons held (1 left, 2 right, 4 middle).
TEST(Layout, SplitterMovesOnlyWithTheLeftButtonStrictlyInsideTheMargins) {
    for (const auto& [buttons, y, top] : {std::tuple{1, 10, std::optional(2010)},
                                          {1 | 2 | 4, -1699, 301},
                                          {1, -1700, std::nullopt},
                                          {1, 3609, 5609},
                                          {1, 3610, std::nullopt},
                                          {2, 10, std::nullopt},
                                          {4, 10, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(buttons, 2000, y, 5910), top) << buttons << " " << y;
    for (const auto& [stored, client, bounded] :
         {std::tuple{2000, 5910, 2000}, {-500, 5910, 301}, {99999, 5910, 5609}, {2000, 400, 301}})
        EXPECT_EQ(layout::boundedSplitterTop(stored, client), bounded) << stored << " in " << client;
}

TEST(WindowGeometry, StoredValuesTheWindowCannotTakeAreMadeUsable) {
    const QList<QRect> screens{{0, 0, 28800, 16200}, {28800, 0, 28800, 16200}};
    const auto usable = [&](StoredGeometry stored) {
        const StoredGeometry g = usableGeometry(stored, screens, 15);
        return std::vector{g.left, g.top, g.width, g.height, g.state};
    };
    using V = std::vector<int>;
    EXPECT_EQ(usable({-1200, -600, 8000, 6000, 1}), V({-1200, -600, 8000, 6000, 1})) << "partly on a screen";
    EXPECT_EQ(usable({40000, 100, 15, 15, 2}), V({40000, 100, 15, 15, 2}))
        << "one pixel on the second screen";
    EXPECT_EQ(usable({90000, 90000, 8000, 6000, 0}), V({0, 0, 8000, 6000, 0})) << "off every screen";
    EXPECT_EQ(usable({-9000, 0, 8000, 6000, 3}), V({0, 0, 8000, 6000, 0})) << "left of them, unknown state";
    EXPECT_EQ(usable({15, 15, 14, -5, 65538}), V({15, 15, 8000, 6000, 0}))
        << "under a pixel, state over 16 bits";
    EXPECT_EQ(usable({0, 0, 2147483647, 600000, 0}), V({0, 0, 57600, 16200, 0})) << "larger than the screens";
    EXPECT_EQ(usable({2147483647, 2147483647, 8000, 6000, 0}), V({0, 0, 8000, 6000, 0}))
        << "at the 32-bit limit";
}

}  // namespace
}  // namespace tunedeck
