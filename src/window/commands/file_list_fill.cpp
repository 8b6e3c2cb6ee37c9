// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include "display_settings.h"
#include "folder_path.h"
#include "local_path.h"
#include "music_file_listing.h"
#include "parallel_map.h"

namespace tunedeck {

// No events are processed between files, so nothing can change the list while it fills. Nor can the
// program change the display format meanwhile, and the fill drops the titles it builds: the format is looked
// up once for the whole fill, not once for every file. The files' tags are read on every core. Each row
// keeps its file's name as a path (the list shows it as a person reads it) and its size in bytes.
void frmTunedeck::fillFileList(const QString& folder) {
    setStatus(QStringLiteral("ファイル情報を取得中..."));
    const QString folderPath = withSeparator(folder);
    const QString displayFormat = readDisplayFormat(settings());

    lvwFile->setSorted(false);
    lvwFile->removeAllItems();  // before the new rows are read: a large folder's rows are not held twice
    const QStringList files = musicFileNames(folderPath);
    lvwFile->setItems(mapInParallel<ListRow>(files.size(), [&](qsizetype i) {
        FileListRow line = fileListRow(folderPath, files[i], displayFormat);
        return ListRow{.cells = {nameText(files[i]), std::move(line.artist), std::move(line.title),
                                 std::move(line.size)},
                       .key = files[i],
                       .value = line.bytes};
    }));
    showSelectedTotal();

    setStatus(readyText());
}

}  // namespace tunedeck
