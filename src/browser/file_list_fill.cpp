#include "frmTunedeck.h"

#include "display_title.h"
#include "folder_path.h"
#include "music_file_listing.h"

namespace tunedeck {

// No events are processed between files, so nothing can change the list while it fills. Nor can the
// program change the display format meanwhile, and the fill drops the titles it builds: the format is looked
// up once for the whole fill, not once for every file. Each row keeps its file's name as a path (the list
// shows it as a person reads it).
void frmTunedeck::fillFileList(const QString& folder) {
    setStatus(QStringLiteral("ファイル情報を取得中..."));
    const QString folderPath = withSeparator(folder);
    const QString displayFormat = readDisplayFormat(settings());

    std::vector<ListRow> rows;
    for (const ShownName& file : musicFileNames(folderPath)) {
        FileListRow line = fileListRow(folderPath, file.name, displayFormat);
        rows.push_back(
            {.cells = {file.text, std::move(line.artist), std::move(line.title), std::move(line.size)},
             .key = file.name});
    }
    lvwFile->setSorted(false);
    lvwFile->setItems(std::move(rows));
    showSelectedTotal();

    setStatus(readyText());
}

}  // namespace tunedeck
