// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "取り外し(&E)" in "プレーヤー(&L)": the player unmounted and powered off, so it may be pulled out; not
// while a command works on it.
void frmTunedeck::menuRemove_Click() {
    if (isRunning()) {
        setStatus(worded(QStringLiteral("Rioとのやり取りが終わるまで、取り外せません。"), words_));
        return;
    }
    const auto removal = [directory = environment_.players, id = player_.id] {
        if (!directory)
            throw DeviceError(QStringLiteral("このプレーヤーは取り外せません。"));
        directory->safelyRemove(id);
    };
    const PlayerSession::Done removed = holding(BusyWindow::Pointer::Wait, [this](const Outcome& outcome) {
        if (!reportOutcome(QStringLiteral("取り外せませんでした。 Err:"), outcome))
            return;
        clearPlayerPane();
        removedSafely_ = true;
        setStatus(QStringLiteral("取り外しました。プレーヤーを抜いてもかまいません。"));
    });
    setStatus(QStringLiteral("取り外しています..."));
    session_->aside(removal, removed);
}

}  // namespace tunedeck
