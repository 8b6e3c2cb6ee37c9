// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// An unreadable drive leaves the tree where it was, and the tree is re-read all the same; setting the path
// reports the change, which fills the file list before the tree is re-read.
void frmTunedeck::drvList_Change() {
    setStatus(QStringLiteral("ディスクのフォルダ情報を取得中..."));
    dirlst->setPath(drvList->currentFolder());
    dirlst->refresh();
    setStatus(readyText());
}

// "最新の状態に更新(&R)" in the folder tree's menu ("フォルダツリー"): the chosen drive read again, as
// choosing it does.
void frmTunedeck::menuFolRef_Click() {
    drvList_Change();
}

}  // namespace tunedeck
