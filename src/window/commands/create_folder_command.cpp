// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "Rioにフォルダを作る(&F)": the name goes to the player as typed, also empty when the box was cancelled: the
// player says what it takes.
void frmTunedeck::menuMkDir_Click() {
    const QString name = environment_.prompts->input(this, QStringLiteral("作るフォルダの名前を指定します。"),
                                                     QStringLiteral("フォルダ作成"), QString());
    setStatus(QStringLiteral("フォルダを作成しています..."));
    session_->createFolder(
        memory_, name, holding(BusyWindow::Pointer::Keep, [this](const Outcome& outcome) {
            if (reportOutcome(QStringLiteral("フォルダ作成に失敗しました。 Err:"), outcome))
                refreshAfterChange(QStringLiteral("フォルダを作成しました。"));
        }));
}

}  // namespace tunedeck
