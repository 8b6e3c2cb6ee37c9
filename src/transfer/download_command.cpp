// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_path.h"
#include "frmTunedeck.h"
#include "song_positions.h"

namespace tunedeck {

// "ダウンロード": fetches the selected songs into the program folder, all in one bracket, the player pane
// held still throughout. Each file is named by the song's position; files written before a failure or a
// cancel stay, and the song in flight leaves nothing half written.
void frmTunedeck::menuDown_Click() {
    if (lvwSong->itemCount() == 0)
        return;
    const QString prefix = withSeparator(environment_.programFolder);
    if (!environment_.prompts->confirm(this, QStringLiteral("曲を取得します。"),
                                       QStringLiteral("ダウンロード")))
        return;

    const QList<SongRef> songs = selectedSongs();
    const Outcome outcome = showingRun(
        QStringLiteral(" を取得しています..."), BusyWindow::Pointer::Wait, [&](PlayerSession& session) {
            return session.download(
                songs, [&prefix](const SongRef& song) { return prefix + downloadFileName(song.position()); });
        });
    if (outcome.ending == Outcome::Ending::Cancelled)
        setStatus(QStringLiteral("取得を中止しました。%1曲を取得しました。").arg(outcome.done));
    else if (reportOutcome(QStringLiteral("取得に失敗しました。 Err:"), outcome))
        setStatus(QStringLiteral("曲の取得が終了しました。"));
}

}  // namespace tunedeck
