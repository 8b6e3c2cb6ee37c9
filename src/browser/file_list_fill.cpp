#include "frmTunedeck.h"

#include "display_title.h"
#include "folder_path.h"
#include "music_file_listing.h"

namespace tunedeck {

// No events are processed between files, so nothing can change the list while it fills. Nor can the
// program change the display format meanwhile, and the fill drops the titles it builds: the format is looked
// up once for the whole fill, not once for every file.
void frmTunedeck::fillFileList(const QString& folder) {
    setStatus(QStringLiteral("ファイル情報を取得中..."));
    const QString folderPath = withSeparator(folder);
    const QString displayFormat = readDisplayFormat(settings());

    lvwFile->setUpdatesEnabled(false);
    lvwFile->setSorted(false);
    lvwFile->removeAllItems();
    for (const QString& name : musicFileNames(folderPath)) {
        const int row = lvwFile->addItem(name);
        const FileListRow line = fileListRow(folderPath, name, displayFormat);
        lvwFile->setSubItem(row, 1, line.artist);
        lvwFile->setSubItem(row, 2, line.title);
        lvwFile->setSubItem(row, 3, line.size);
    }
    lvwFile->setUpdatesEnabled(true);

    setStatus(readyText());
}

}  // namespace tunedeck
