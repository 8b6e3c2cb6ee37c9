// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include <algorithm>

namespace tunedeck {

// "削除(&D)" (also the Del key on the song list): deletes the selected songs, one bracket each, each only
// while the player still holds it where the list showed it. The player pane is held still for the run, so
// the songs deleted are the ones selected when the user said Yes.
void frmTunedeck::menuDel_Click() {
    const QList<SongRef> songs = selectedSongs();
    if (songs.isEmpty())
        return;
    if (!environment_.prompts->confirm(this, QStringLiteral("削除します。"), QStringLiteral("削除")))
        return;

    const Outcome outcome = showingRun(QStringLiteral(" を削除しています..."), BusyWindow::Pointer::Wait,
                                       [&](PlayerSession& session) { return session.remove(songs); });
    // The list read again, the arrow keys and the next Del go on from where the deleted songs were.
    const auto readAgain = [&] {
        refreshDeviceView(false);
        const int row = std::min(songs.first().index, lvwSong->itemCount() - 1);
        if (row >= 0)
            lvwSong->selectRow(row);
    };
    if (outcome.ending == Outcome::Ending::Cancelled) {
        readAgain();
        setStatus(QStringLiteral("削除を中止しました。%1曲を削除しました。").arg(outcome.done));
        return;
    }
    // Once the player has been asked to delete, the list may no longer match it, and a later command on it
    // would pick songs by positions that have moved; a failure is shown after the list is read again.
    if (outcome.ok() || (outcome.ending == Outcome::Ending::Failed && outcome.askedToChange))
        readAgain();
    if (reportOutcome(QStringLiteral("削除に失敗しました。 Err:"), outcome))
        setStatus(QStringLiteral("削除が終了しました。"));
}

}  // namespace tunedeck
