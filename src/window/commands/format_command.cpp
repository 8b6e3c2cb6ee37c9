// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "メモリフォーマット": the chosen memory is erased after one question.
void frmTunedeck::menuFormat_Click() {
    if (environment_.prompts->confirm(
            this, memoryName() + QStringLiteral("メモリをフォーマットします。\rよろしいですか？"),
            QStringLiteral("確認")))
        formatMemory();
}

// Erases the chosen memory. A failure is shown without its description and the panes keep what they showed.
// What the player kept, not being its songs, is said with the end.
void frmTunedeck::formatMemory(PlayerSession::Done then) {
    setStatus(memoryName() + QStringLiteral("メモリを初期化しています..."));
    session_->format(
        memory_, holding(BusyWindow::Pointer::Wait, [this, then](const Outcome& outcome) {
            const auto ended = [then, outcome] {
                if (then)
                    then(outcome);
            };
            if (outcome.ending == Outcome::Ending::Failed)
                setStatus(memoryName() + QStringLiteral("メモリの初期化でエラーが発生しました。"));
            if (!outcome.ok())
                return ended();
            QString done = memoryName() + QStringLiteral("メモリの初期化が終了しました。");
            if (outcome.kept > 0)
                done += QLatin1Char(' ') + keptFilesText(outcome.kept);
            refreshAfterChange(done, [ended](bool) { ended(); });
        }));
}

}  // namespace tunedeck
