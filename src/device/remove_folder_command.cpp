// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "現在のフォルダを削除(&D)": the last folder goes by erasing the memory, on the one question that named the
// folder. The folder goes only while the player still holds it where the combo box showed it.
void frmTunedeck::menuRmDir_Click() {
    if (!environment_.prompts->confirm(
            this, cmbFolder->currentText() + QStringLiteral("を削除します。\rよろしいですか？"),
            QStringLiteral("確認")))
        return;
    setStatus(QStringLiteral("フォルダを削除しています..."));
    if (cmbFolder->count() < 2) {
        const bool formatted = formatMemory();
        const QString outcome = stbRioInfo->panelText(1);
        refreshDeviceView(true);
        // The list's "Ready" is all a removal says when it works; a format that failed must not end the same.
        if (!formatted)
            setStatus(outcome);
        return;
    }
    Outcome outcome;
    {
        const BusyWindow held = holdPlayerPane(running_, BusyWindow::Pointer::Keep);
        outcome =
            session_->removeFolder(memory_, qint16(cmbFolder->currentIndex()), cmbFolder->currentText());
    }
    if (reportOutcome(QStringLiteral("フォルダ削除に失敗しました。 Err:"), outcome))
        refreshDeviceView(true);
}

}  // namespace tunedeck
