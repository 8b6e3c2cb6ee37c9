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
    if (cmbFolder->count() < 2) {
        formatMemory([this](const Outcome& outcome) {
            const QString said = stbRioInfo->panelText(1);
            refreshDeviceView(true, [this, outcome, said](bool read) {
                // The list's "Ready" is all a removal says when it works; a format that failed must not end
                // the same.
                if (!outcome.ok())
                    setStatus(said);
                else if (read && outcome.kept > 0)
                    setStatus(keptFilesText(outcome.kept));
            });
        });
        return;
    }
    session_->removeFolder(
        memory_, qint16(cmbFolder->currentIndex()), cmbFolder->currentText(),
        holding(BusyWindow::Pointer::Keep, [this](const Outcome& outcome) {
            if (reportOutcome(QStringLiteral("フォルダ削除に失敗しました。 Err:"), outcome))
                refreshDeviceView(true, [this, kept = outcome.kept](bool read) {
                    if (read && kept > 0)
                        setStatus(keptFilesText(kept));
                });
        }));
}

}  // namespace tunedeck
