// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {
namespace {

// The 1-based position of the song a left release at `at` exchanges with the one `pressed`; 0 when there is
// none: nothing pressed, nothing under the pointer, or the pressed song itself.
int swapPartner(const ListView& songs, int pressed, QPoint at) {
    const int under = songs.positionAt(at);
    return pressed > 0 && under > 0 && under != pressed ? under : 0;
}

}  // namespace

void frmTunedeck::lvwSong_MouseDown(int button, int /*shift*/, int x, int y) {
    if (!(button & 1))
        return;
    pressedSong_ = lvwSong->positionAt({x, y});
}

// While the left button is held, the song a release would exchange with is marked.
void frmTunedeck::lvwSong_MouseMove(int button, int /*shift*/, int x, int y) {
    lvwSong->setMarkedRow((button & 1) ? swapPartner(*lvwSong, pressedSong_, {x, y}) - 1 : -1);
}

// The right button opens the song list's menu ("曲リスト側"); the left one exchanges two songs. A failed
// exchange ends the release where it failed: the list and the pressed position stay as they were.
void frmTunedeck::lvwSong_MouseUp(int button, int /*shift*/, int x, int y) {
    lvwSong->setMarkedRow(-1);
    if (button & 2) {
        menuSongList->popup(lvwSong->viewport()->mapToGlobal(QPoint(x, y)));
    } else if (button & 1) {
        const int partner = swapPartner(*lvwSong, pressedSong_, {x, y});
        if (partner > 0) {
            swapSongs(pressedSong_ - 1, partner - 1, [this](bool swapped) {
                if (swapped)
                    pressedSong_ = 0;
            });
            return;
        }
    }
    pressedSong_ = 0;
}

void frmTunedeck::swapSongs(int row, int otherRow, std::function<void(bool swapped)> then) {
    session_->swap(songAt(row), songAt(otherRow),
                   holding(BusyWindow::Pointer::Keep, [this, then = std::move(then)](const Outcome& outcome) {
                       if (!reportOutcome(QStringLiteral("曲変更でエラーが発生しました。 Err:"), outcome))
                           return then(false);
                       refreshDeviceView(false, [then](bool) { then(true); });
                   }));
}

// The keyboard's way to reorder: the song moves one place and stays the current one.
void frmTunedeck::swapCurrentSong(int step) {
    const int row = lvwSong->currentRow();
    const int partner = row + step;
    if (row < 0 || partner < 0 || partner >= lvwSong->itemCount())
        return;
    swapSongs(row, partner, [this, partner](bool swapped) {
        if (swapped)
            lvwSong->selectRow(partner);
    });
}

}  // namespace tunedeck
