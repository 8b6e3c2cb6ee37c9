// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// While a command works on the player nothing else may use or change it, so every song of a run goes where
// the run began. The upper pane stays usable.
BusyWindow::Hold frmTunedeck::holdPlayerPane(BusyWindow::Pointer pointer) {
    return playerPane_->hold(pointer);
}

PlayerSession::Done frmTunedeck::holding(BusyWindow::Pointer pointer, PlayerSession::Done then) {
    return
        [held = holdPlayerPane(pointer), then = std::move(then)](const Outcome& outcome) { then(outcome); };
}

void frmTunedeck::showingRun(const QString& doing, BusyWindow::Pointer pointer,
                             const std::function<void(PlayerSession&, PlayerSession::Done)>& run,
                             PlayerSession::Done then) {
    const BusyWindow::Hold held = holdPlayerPane(pointer);
    const QMetaObject::Connection started =
        connect(session_.get(), &PlayerSession::songStarted, this,
                [this, doing](int, int, const QString& name) { setStatus(name + doing); });
    const QMetaObject::Connection refused =
        connect(session_.get(), &PlayerSession::songRefused, this, &frmTunedeck::setStatus);
    const QMetaObject::Connection progressed =
        connect(session_.get(), &PlayerSession::progressed, this, [this](const RunProgress& progress) {
            const double done = progress.runTotal > 0 ? double(progress.runBytes) / double(progress.runTotal)
                                                      : double(progress.songsDone) / progress.songs;
            stbRioInfo->showProgress(done, QStringLiteral("%1/%2曲").arg(progress.song).arg(progress.songs));
        });
    cancelKey->setEnabled(true);
    run(*session_,
        [this, held, started, refused, progressed, then = std::move(then)](const Outcome& outcome) {
            disconnect(started);
            disconnect(refused);
            disconnect(progressed);
            cancelKey->setEnabled(false);
            stbRioInfo->hideProgress();
            then(outcome);
        });
}

}  // namespace tunedeck
