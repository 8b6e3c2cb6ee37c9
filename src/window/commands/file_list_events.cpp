// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include "folder_path.h"
#include "input_state.h"
#include "number_format.h"

#include <algorithm>

namespace tunedeck {

// The kilobytes as the list shows them, each rounded down, not the exact bytes; a file the list shows no
// size of counts nothing.
void frmTunedeck::showSelectedTotal() {
    qint64 total = 0;
    for (const QModelIndex& selected : lvwFile->selectionModel()->selectedRows())
        total += std::max<qint64>(lvwFile->itemValue<qint64>(selected.row()), 0) / 1024;
    lblFileTotalSize->setText(groupedNumber(total) + QStringLiteral("kbyte選択"));
    nameAfterText(lblFileTotalSize, lblFileTotalSize->text());
}

void frmTunedeck::lvwFile_DblClick() {
    openCurrentFile();
}

void frmTunedeck::lvwFile_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode == input::kKeyReturn)
        openCurrentFile();
}

// The right button opens the file list's menu ("ファイルリスト側").
void frmTunedeck::lvwFile_MouseUp(int button, int /*shift*/, double x, double y) {
    if (button & 2)
        menuFileList->popup(lvwFile->viewport()->mapToGlobal(QPoint(twips_.toPixels(x), twips_.toPixels(y))));
}

// A second click on the sort column switches sorting off and leaves the rows as they are.
void frmTunedeck::lvwFile_ColumnClick(int column) {
    const int key = column - 1;
    if (lvwFile->isSorted() && lvwFile->sortKey() == key) {
        lvwFile->setSorted(false);
        return;
    }
    lvwFile->setSortKey(key);
    lvwFile->setSorted(true);
}

void frmTunedeck::openCurrentFile() {
    const int row = lvwFile->currentRow();  // -1 also for an empty list
    if (row < 0)
        return;
    if (environment_.shell->open(withSeparator(dirlst->path()), lvwFile->itemKey(row)) <= 32)
        environment_.prompts->message(this, QStringLiteral("ShellExecuteでエラーになりました。"),
                                      QStringLiteral("エラー"), Prompts::Icon::Exclamation);
}

}  // namespace tunedeck
