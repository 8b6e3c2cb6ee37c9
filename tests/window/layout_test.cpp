#include "layout.h"
#include "window_geometry.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

using layout::Fixed;
using layout::Sizes;

// The window as designed: client 9240 x 5910, status bar 255, splitter 75, drive list 300, tree 3135, combo
// 300.
Fixed designFixed(int clientWidth = 9240, int clientHeight = 5910) {
    return {.clientWidth = clientWidth,
            .clientHeight = clientHeight,
            .splitterHeight = 75,
            .driveListHeight = 300,
            .folderTreeWidth = 3135,
            .comboHeight = 300,
            .statusBarHeight = 255};
}

const Sizes kPrevious{.frameWidth = 1,
                      .frameTop = 2,
                      .frameHeight = 3,
                      .fileListHeight = 4,
                      .folderTreeHeight = 5,
                      .fileListWidth = 6,
                      .songListWidth = 7,
                      .songListHeight = 8,
                      .splitterWidth = 9};

TEST(Layout, DesignNumbers) {
    const Sizes s = layout::arrange(designFixed(), 2400, kPrevious);
    EXPECT_EQ(s.frameWidth, 9240);
    EXPECT_EQ(s.frameTop, 2475);
    EXPECT_EQ(s.fileListHeight, 2400);
    EXPECT_EQ(s.folderTreeHeight, 2100);
    EXPECT_EQ(s.frameHeight, 5910 - 2475 - 255);
    EXPECT_EQ(s.fileListWidth, 9240 - 3135 - 45);  // its right edge meets the client's: 3180 + 6060 = 9240
    EXPECT_EQ(s.songListWidth, 9240);
    EXPECT_EQ(s.songListHeight, 5910 - 2475 - 255 - 300);
    EXPECT_EQ(s.splitterWidth, 9240);
}

TEST(Layout, GuardedSizesKeepTheirLastValue) {
    struct Case {
        const char* name;
        Fixed fixed;
        int splitterTop;
        bool treeKept, frameKept, fileListWidthKept, songListKept;
    };
    const Case cases[] = {
        {"splitter at the drive list's bottom", designFixed(), 300, true, false, false, false},
        {"splitter above it", designFixed(), 100, true, false, false, false},
        {"splitter below the status bar", designFixed(), 5700, false, true, false, true},
        {"frame exactly as high as the combo box", designFixed(9240, 2475 + 255 + 300), 2400, false, false,
         false, true},
        {"window narrower than tree plus gap", designFixed(3180), 2400, false, false, true, false},
        {"window one twip wider", designFixed(3181), 2400, false, false, false, false},
        {"minimised: nothing left", designFixed(0, 0), 2400, false, true, true, true},
    };
    for (const Case& c : cases) {
        const Sizes s = layout::arrange(c.fixed, c.splitterTop, kPrevious);
        EXPECT_EQ(s.folderTreeHeight == kPrevious.folderTreeHeight, c.treeKept) << c.name;
        EXPECT_EQ(s.frameHeight == kPrevious.frameHeight, c.frameKept) << c.name;
        EXPECT_EQ(s.fileListWidth == kPrevious.fileListWidth, c.fileListWidthKept) << c.name;
        EXPECT_EQ(s.songListHeight == kPrevious.songListHeight, c.songListKept) << c.name;
        // The unguarded steps always follow the client and the splitter.
        EXPECT_EQ(s.frameWidth, c.fixed.clientWidth) << c.name;
        EXPECT_EQ(s.songListWidth, c.fixed.clientWidth) << c.name;
        EXPECT_EQ(s.splitterWidth, c.fixed.clientWidth) << c.name;
        EXPECT_EQ(s.fileListHeight, c.splitterTop) << c.name;
        EXPECT_EQ(s.frameTop, c.splitterTop + 75) << c.name;
    }
}

TEST(Layout, SplitterDrag) {
    constexpr int kClient = 5910;
    struct Case {
        int buttons, top, y;
        std::optional<int> result;
    };
    const Case cases[] = {
        {1, 2000, 10, 2010},
        {1, 2000, -1700, std::nullopt},  // 300: on the top limit
        {1, 2000, -1699, 301},
        {1, 2000, kClient - 300 - 2000, std::nullopt},  // on the bottom limit
        {1, 2000, kClient - 301 - 2000, kClient - 301},
        {1, 2000, 9000, std::nullopt},
        {2, 2000, 10, std::nullopt},  // right button alone
        {4, 2000, 10, std::nullopt},  // middle button alone
        {0, 2000, 10, std::nullopt},
        {1 | 2 | 4, 2000, 10, 2010},  // other buttons with the left one do not matter
        {1, 2000, 0, 2000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layout::draggedSplitterTop(c.buttons, c.top, c.y, kClient), c.result)
            << c.buttons << " " << c.top << " " << c.y;
}

TEST(Layout, StoredSplitterIsBoundedToTheDragLimits) {
    const std::tuple<int, int, int> cases[] = {
        {2000, 5910, 2000}, {-500, 5910, 301}, {0, 5910, 301}, {99999, 5910, 5609}, {2000, 400, 301},
    };
    for (const auto& [stored, client, bounded] : cases)
        EXPECT_EQ(layout::boundedSplitterTop(stored, client), bounded) << stored << " in " << client;
}

TEST(WindowGeometry, StoredValuesTheWindowCannotTakeAreMadeUsable) {
    const QList<QRect> screens{{0, 0, 28800, 16200}, {28800, 0, 28800, 16200}};
    const int smallest = 15;  // one pixel at 96 DPI
    struct Case {
        const char* name;
        StoredGeometry stored;
        StoredGeometry usable;
    };
    const Case cases[] = {
        {"defaults", {}, {}},
        {"negative position partly on screen", {-1200, -600, 8000, 6000, 0}, {-1200, -600, 8000, 6000, 0}},
        {"on the second screen", {40000, 100, 8000, 6000, 2}, {40000, 100, 8000, 6000, 2}},
        {"wholly off every screen", {90000, 90000, 8000, 6000, 0}, {0, 0, 8000, 6000, 0}},
        {"left of every screen", {-9000, 0, 8000, 6000, 1}, {0, 0, 8000, 6000, 1}},
        {"zero and negative size", {15, 15, 0, -5, 0}, {15, 15, 8000, 6000, 0}},
        {"under a pixel", {15, 15, 14, 1, 0}, {15, 15, 8000, 6000, 0}},
        {"one pixel", {15, 15, 15, 15, 0}, {15, 15, 15, 15, 0}},
        {"larger than the screens together", {0, 0, 2147483647, 600000, 0}, {0, 0, 57600, 16200, 0}},
        {"unknown state", {0, 0, 8000, 6000, 3}, {0, 0, 8000, 6000, 0}},
        {"state beyond 16 bits", {0, 0, 8000, 6000, 65538}, {0, 0, 8000, 6000, 0}},
        {"position at the 32-bit limit", {2147483647, 2147483647, 8000, 6000, 0}, {0, 0, 8000, 6000, 0}},
    };
    for (const Case& c : cases) {
        const StoredGeometry g = usableGeometry(c.stored, screens, smallest);
        EXPECT_EQ(std::tie(g.left, g.top, g.width, g.height, g.state),
                  std::tie(c.usable.left, c.usable.top, c.usable.width, c.usable.height, c.usable.state))
            << c.name;
    }
}

}  // namespace
}  // namespace tunedeck
