#include "frmTunedeck.h"

#include "folder_path.h"
#include "music_file_listing.h"

namespace tunedeck {

// No events are processed between files, so nothing can change the list while it fills.
void frmTunedeck::fillFileList(const QString& folder) {
    setStatus(QStringLiteral("ファイル情報を取得中..."));
    const QString folderPath = withSeparator(folder);
    const SettingsFile settingsFile = settings();

    lvwFile->setUpdatesEnabled(false);
    lvwFile->setSorted(false);
    lvwFile->removeAllItems();
    for (const QString& name : musicFileNames(folderPath)) {
        const int row = lvwFile->addItem(name);
        const FileListRow line = fileListRow(folderPath, name, settingsFile);
        lvwFile->setSubItem(row, 1, line.artist);
        lvwFile->setSubItem(row, 2, line.title);
        lvwFile->setSubItem(row, 3, line.size);
    }
    lvwFile->setUpdatesEnabled(true);

    setStatus(readyText());
}

}  // namespace tunedeck
