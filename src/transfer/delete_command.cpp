#include "device_bracket.h"
#include "frmTunedeck.h"
#include "selected_songs.h"
#include "song_positions.h"

namespace tunedeck {

// "削除(&D)" (also the Del key on the song list): deletes the selected songs, one bracket each; every
// deletion moves the later songs up by one. The player pane is held still for the run, so the songs deleted
// are the ones selected when the user said Yes.
void frmTunedeck::menuDel_Click() {
    if (lvwSong->itemCount() == 0)
        return;
    if (!environment_.prompts->confirm(this, QStringLiteral("削除します。"), QStringLiteral("削除")))
        return;

    const BusyWindow hold = holdPlayerPane(BusyWindow::Pointer::Wait);
    const QList<SelectedSong> songs = selectedSongs(*lvwSong, *cmbFolder);
    int deleted = 0;
    bool askedToDelete = false;
    std::optional<QString> failure;
    for (const SelectedSong& song : songs) {
        setStatus(song.name + QStringLiteral(" を削除しています..."));
        failure = deviceBracket(device_.get(), [&](DeviceComponent& device) {
            askedToDelete = true;
            device.DeleteSong(song.folderIndex, deletedSongIndex(song.position, deleted),
                              memoryText(memory_));
        });
        if (failure)
            break;
        ++deleted;
    }
    // Once the player has been asked to delete, the list may no longer match it, and a later command on it
    // would pick songs by positions that have moved; a failure is shown after the list is read again.
    if (!failure || askedToDelete)
        refreshDeviceView(false);
    if (reportFailure(QStringLiteral("削除に失敗しました。 Err:"), failure))
        setStatus(QStringLiteral("削除が終了しました。"));
}

}  // namespace tunedeck
