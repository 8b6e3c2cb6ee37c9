#include "folder_path.h"
#include "frmTunedeck.h"
#include "selected_songs.h"
#include "song_positions.h"

namespace tunedeck {

// "ダウンロード": fetches the selected songs into the program folder, all in one bracket, the window held
// still throughout. Each file is named by the song's position; files written before a failure stay.
void frmTunedeck::menuDown_Click() {
    if (lvwSong->itemCount() == 0)
        return;
    const QString prefix = withSeparator(environment_.programFolder);
    if (!environment_.prompts->confirm(this, QStringLiteral("曲を取得します。"),
                                       QStringLiteral("ダウンロード")))
        return;

    bool fetched = false;
    {
        const BusyWindow busy(this, this, running_, BusyWindow::Pointer::Wait);
        const QList<SelectedSong> songs = selectedSongs(*lvwSong, *cmbFolder);
        fetched = runOnDevice(QStringLiteral("取得に失敗しました。 Err:"), [&](DeviceComponent& device) {
            for (const SelectedSong& song : songs) {
                setStatus(song.name + QStringLiteral(" を取得しています..."));
                device.GetSong(song.folderIndex, song.position - 1, prefix + downloadFileName(song.position),
                               memoryText(memory_));
            }
        });
    }
    if (fetched)
        setStatus(QStringLiteral("曲の取得が終了しました。"));
}

}  // namespace tunedeck
