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

    const auto removal = [songs](PlayerSession& session, PlayerSession::Done done) {
        session.remove(songs, done);
    };
    showingRun(
        QStringLiteral(" を削除しています..."), BusyWindow::Pointer::Wait, removal,
        [this, first = songs.first().index](const Outcome& outcome) {
            const auto said = [this, outcome] {
                if (outcome.ending == Outcome::Ending::Cancelled)
                    setStatus(QStringLiteral("削除を中止しました。%1曲を削除しました。").arg(outcome.done));
                else if (reportOutcome(QStringLiteral("削除に失敗しました。 Err:"), outcome))
                    setStatus(QStringLiteral("削除が終了しました。"));
            };
            // Once the player has been asked to delete (a cancelled run too may have been), the list may no
            // longer match it, and a later command on it would pick songs by positions that have moved; how
            // the run ended is said after the list is read again.
            const bool mayHaveChanged = outcome.ending == Outcome::Ending::Cancelled || outcome.ok() ||
                                        (outcome.ending == Outcome::Ending::Failed && outcome.askedToChange);
            if (!mayHaveChanged)
                return said();
            // The arrow keys and the next Del go on from where the deleted songs were.
            refreshDeviceView(false, [this, first, said](bool) {
                const int row = std::min(first, lvwSong->itemCount() - 1);
                if (row >= 0)
                    lvwSong->selectRow(row);
                said();
            });
        });
}

}  // namespace tunedeck
