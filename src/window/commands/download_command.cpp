// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_path.h"
#include "frmTunedeck.h"
#include "local_path.h"
#include "song_positions.h"

#include <sys/stat.h>

namespace tunedeck {
namespace {

// Any entry counts, a dangling link or a FIFO too: the song's rename would replace it.
bool entryExists(const QString& path) {
    struct stat status;
    return ::lstat(NativePath(path).c_str(), &status) == 0;
}

}  // namespace

// "ダウンロード": fetches the selected songs into the program folder, all in one bracket, the player pane
// held still throughout. Each file is named by the song's position, numbered on where that name is taken,
// so nothing there is replaced; files written before a failure or a cancel stay, and the song in flight
// leaves nothing half written. The end says where the songs went.
void frmTunedeck::menuDown_Click() {
    if (lvwSong->itemCount() == 0)
        return;
    const QString folder = environment_.programFolder;
    if (!environment_.prompts->confirm(this, QStringLiteral("曲を取得します。"),
                                       QStringLiteral("ダウンロード")))
        return;

    const QList<SongRef> songs = selectedSongs();
    // Named right before each song is written: the folder may have changed since the run began.
    const auto targetOf = [prefix = withSeparator(folder)](const SongRef& song) {
        return prefix + freeFileName(downloadFileName(song.position()),
                                     [&](const QString& name) { return entryExists(prefix + name); });
    };
    const auto fetching = [&](PlayerSession& session, PlayerSession::Done done) {
        session.download(songs, targetOf, done);
    };
    showingRun(
        QStringLiteral(" を取得しています..."), BusyWindow::Pointer::Wait, fetching,
        [this, savedIn = QStringLiteral("保存先：") + pathText(folder)](const Outcome& outcome) {
            if (outcome.ending == Outcome::Ending::Cancelled)
                setStatus(QStringLiteral("取得を中止しました。%1曲を取得しました。").arg(outcome.done) +
                          (outcome.done > 0 ? savedIn : QString()));
            else if (reportOutcome(QStringLiteral("取得に失敗しました。 Err:"), outcome))
                setStatus(QStringLiteral("曲の取得が終了しました。") + savedIn);
        });
}

}  // namespace tunedeck
