// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

// The window's arrangement in twips: the splitter bar divides the computer pane above from the player pane
// below, and everything else follows from the splitter's top and the client size.
namespace tunedeck::layout {

// What the arrangement is computed from; none of it changes by the arrangement.
struct Fixed {
    int clientWidth = 0;
    int clientHeight = 0;  // includes the status bar
    int splitterHeight = 0;
    int driveListHeight = 0;
    int folderTreeWidth = 0;
    int comboHeight = 0;
    int statusBarHeight = 0;
};

// The sizes and positions the arrangement sets.
struct Sizes {
    int frameWidth = 0;
    int frameTop = 0;
    int frameHeight = 0;
    int fileListHeight = 0;
    int folderTreeHeight = 0;
    int fileListWidth = 0;
    int songListWidth = 0;
    int songListHeight = 0;
    int splitterWidth = 0;
};

// The gap between the folder tree's right edge and the file list's left edge.
inline constexpr int kTreeToFileListGap = 45;
// How far a dragged splitter bar keeps from the top and the bottom of the client area.
inline constexpr int kSplitterMargin = 300;

// Arranges the controls for `splitterTop`. A size that would come out zero or negative (folder tree height,
// frame height, file list width, song list height) keeps its value from `previous`.
Sizes arrange(const Fixed& fixed, int splitterTop, const Sizes& previous);

// The splitter bar's new top for a mouse move `y` twips below its top edge, or nullopt when it stays: only
// with the left button held, and only strictly inside the margins.
std::optional<int> draggedSplitterTop(int buttons, int splitterTop, int y, int clientHeight);

// A stored splitter top brought within the drag margins of a client area `clientHeight` high, so that no
// size goes negative; where the client is too low for the margins, the top margin wins.
int boundedSplitterTop(int stored, int clientHeight);

}  // namespace tunedeck::layout
