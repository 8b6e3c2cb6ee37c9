// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "現在のフォルダを削除(&D)": the last folder goes by erasing the memory, on the one question that named the
// folder. The folder goes only while the player still holds it where the combo box showed it. The files in
// it that were not songs stay, and the end says how many.
void frmTunedeck::menuRmDir_Click() {
    if (!environment_.prompts->confirm(
            this, cmbFolder->currentText() + QStringLiteral("を削除します。\rよろしいですか？"),
            QStringLiteral("確認")))
        return;
    setStatus(QStringLiteral("フォルダを削除しています..."));
    Outcome outcome;
    if (cmbFolder->count() < 2) {
        outcome = formatMemory();
        const QString said = stbRioInfo->panelText(1);
        const bool read = refreshDeviceView(true);
        // The list's "Ready" is all a removal says when it works; a format that failed must not end the same.
        if (!outcome.ok())
            setStatus(said);
        else if (read && outcome.kept > 0)
            setStatus(keptFilesText(outcome.kept));
        return;
    }
    {
        const BusyWindow held = holdPlayerPane(running_, BusyWindow::Pointer::Keep);
        outcome =
            session_->removeFolder(memory_, qint16(cmbFolder->currentIndex()), cmbFolder->currentText());
    }
    if (reportOutcome(QStringLiteral("フォルダ削除に失敗しました。 Err:"), outcome) &&
        refreshDeviceView(true) && outcome.kept > 0)
        setStatus(keptFilesText(outcome.kept));
}

}  // namespace tunedeck
