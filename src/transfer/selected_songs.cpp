#include "selected_songs.h"

#include "song_positions.h"

namespace tunedeck {

QList<SelectedSong> selectedSongs(const ListView& songs, const QComboBox& folders) {
    QStringList folderNames;
    for (int i = 0; i < folders.count(); ++i)
        folderNames << folders.itemText(i);

    QList<SelectedSong> selected;
    for (int row = 0; row < songs.itemCount(); ++row) {
        if (songs.isItemSelected(row))
            selected.append({.position = row + 1,
                             .name = songs.itemText(row),
                             .folderIndex = folderPosition(folderNames, songs.subItemText(row, 1))});
    }
    return selected;
}

}  // namespace tunedeck
