#include "layout.h"
#include "window_geometry.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

using layout::Sizes;

// The window as designed: client 9240 x 5910, splitter 75, drive list 300, tree 3135, combo 300, status bar
// 255; `clientWidth` and `clientHeight` other than that where a case says so.
layout::Fixed designFixed(int clientWidth = 9240, int clientHeight = 5910) {
    return {clientWidth, clientHeight, 75, 300, 3135, 300, 255};
}

TEST(Layout, ArrangesFromTheSplitterAndKeepsSizesThatWouldVanish) {
    const Sizes previous{1, 2, 3, 4, 5, 6, 7, 8, 9};
    const auto sizes = [](const Sizes& s) {
        return std::vector{s.frameWidth,     s.frameTop,         s.frameHeight,
                           s.fileListHeight, s.folderTreeHeight, s.fileListWidth,
                           s.songListWidth,  s.songListHeight,   s.splitterWidth};
    };
    const struct {
        const char* name;
        layout::Fixed fixed;
        int splitterTop;
        std::vector<int> expected;
    } cases[] = {
        {"as designed", designFixed(), 2400, {9240, 2475, 3180, 2400, 2100, 6060, 9240, 2880, 9240}},
        {"splitter at the drive list's bottom",
         designFixed(),
         300,
         {9240, 375, 5280, 300, 5, 6060, 9240, 4980, 9240}},
        {"splitter below the status bar",
         designFixed(),
         5700,
         {9240, 5775, 3, 5700, 5400, 6060, 9240, 8, 9240}},
        {"frame as high as the combo box",
         designFixed(9240, 3030),
         2400,
         {9240, 2475, 300, 2400, 2100, 6060, 9240, 8, 9240}},
        {"narrower than tree and gap",
         designFixed(3180),
         2400,
         {3180, 2475, 3180, 2400, 2100, 6, 3180, 2880, 3180}},
        {"one twip wider", designFixed(3181), 2400, {3181, 2475, 3180, 2400, 2100, 1, 3181, 2880, 3181}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sizes(layout::arrange(c.fixed, c.splitterTop, previous)), c.expected) << c.name;
}

TEST(Layout, SplitterMovesOnlyWithTheLeftButtonStrictlyInsideTheMargins) {
    const struct {
        int buttons, y;
        std::optional<int> top;  // from 2000 in a client 5910 high
    } cases[] = {
        {1, 10, 2010},           {1 | 2 | 4, -1699, 301}, {1, -1700, std::nullopt}, {1, 3609, 5609},
        {1, 3610, std::nullopt}, {2, 10, std::nullopt},   {4, 10, std::nullopt},    {0, 10, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(layout::draggedSplitterTop(c.buttons, 2000, c.y, 5910), c.top) << c.buttons << " " << c.y;
    for (const auto& [stored, client, bounded] :
         {std::tuple{2000, 5910, 2000}, {-500, 5910, 301}, {99999, 5910, 5609}, {2000, 400, 301}})
        EXPECT_EQ(layout::boundedSplitterTop(stored, client), bounded) << stored << " in " << client;
}

TEST(WindowGeometry, StoredValuesTheWindowCannotTakeAreMadeUsable) {
    const QList<QRect> screens{{0, 0, 28800, 16200}, {28800, 0, 28800, 16200}};
    const struct {
        const char* name;
        StoredGeometry stored, usable;
    } cases[] = {
        {"partly on screen", {-1200, -600, 8000, 6000, 1}, {-1200, -600, 8000, 6000, 1}},
        {"on the second screen", {40000, 100, 8000, 6000, 2}, {40000, 100, 8000, 6000, 2}},
        {"wholly off every screen", {90000, 90000, 8000, 6000, 0}, {0, 0, 8000, 6000, 0}},
        {"under a pixel", {15, 15, 14, -5, 0}, {15, 15, 8000, 6000, 0}},
        {"one pixel", {15, 15, 15, 15, 0}, {15, 15, 15, 15, 0}},
        {"larger than the screens", {0, 0, 2147483647, 600000, 0}, {0, 0, 57600, 16200, 0}},
        {"state beyond 16 bits", {0, 0, 8000, 6000, 65538}, {0, 0, 8000, 6000, 0}},
        {"position at the 32-bit limit", {2147483647, 2147483647, 8000, 6000, 3}, {0, 0, 8000, 6000, 0}},
    };
    for (const auto& c : cases) {
        const StoredGeometry g = usableGeometry(c.stored, screens, 15);
        EXPECT_EQ(std::tie(g.left, g.top, g.width, g.height, g.state),
                  std::tie(c.usable.left, c.usable.top, c.usable.width, c.usable.height, c.usable.state))
            << c.name;
    }
}

}  // namespace
}  // namespace tunedeck
