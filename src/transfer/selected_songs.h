#pragma once

#include "list_view.h"

#include <QComboBox>
#include <QList>
#include <QString>

namespace tunedeck {

// A song the user chose in the song list, taken when a command starts so that the whole run works on the
// songs chosen then.
struct SelectedSong {
    int position = 0;      // 1-based, in the song list
    QString name;          // the list's first column
    qint32 folderIndex{};  // of the folder the list's second column names
};

// The selected songs of `songs` in list order, each folder looked up among the entries of `folders`.
QList<SelectedSong> selectedSongs(const ListView& songs, const QComboBox& folders);

}  // namespace tunedeck
