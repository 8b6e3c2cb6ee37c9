// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

#include <algorithm>

namespace tunedeck::layout {
namespace {

constexpr int kLeftButton = 1;

int positiveOr(int value, int previous) {
    return value > 0 ? value : previous;
}

}  // namespace

Sizes arrange(const Fixed& fixed, int splitterTop, const Sizes& previous) {
    Sizes s = previous;
    s.frameWidth = fixed.clientWidth;
    s.frameTop = splitterTop + fixed.splitterHeight;
    s.fileListHeight = splitterTop;
    s.folderTreeHeight = positiveOr(splitterTop - fixed.driveListHeight, previous.folderTreeHeight);
    s.frameHeight = positiveOr(fixed.clientHeight - s.frameTop - fixed.statusBarHeight, previous.frameHeight);
    s.fileListWidth =
        positiveOr(fixed.clientWidth - fixed.folderTreeWidth - kTreeToFileListGap, previous.fileListWidth);
    s.songListWidth = s.frameWidth;
    s.songListHeight = positiveOr(s.frameHeight - fixed.comboHeight, previous.songListHeight);
    s.splitterWidth = fixed.clientWidth;
    return s;
}

std::optional<int> draggedSplitterTop(int buttons, int splitterTop, int y, int clientHeight) {
    if (!(buttons & kLeftButton))
        return std::nullopt;
    const int top = splitterTop + y;
    if (top > kSplitterMargin && top < clientHeight - kSplitterMargin)
        return top;
    return std::nullopt;
}

int boundedSplitterTop(int stored, int clientHeight) {
    const int lowest = kSplitterMargin + 1;
    const int highest = std::max(lowest, clientHeight - kSplitterMargin - 1);
    return std::clamp(stored, lowest, highest);
}

}  // namespace tunedeck::layout
