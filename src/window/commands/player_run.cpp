// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include <QScopeGuard>

namespace tunedeck {

// While a command works on the player nothing else may use or change it, so every song of a run goes where
// the run began. The upper pane stays usable.
BusyWindow frmTunedeck::holdPlayerPane(bool& flag, BusyWindow::Pointer pointer) {
    return BusyWindow(this, fraSong, flag, pointer,
                      {menuSend, menuMkDir, menuRmDir, menuFormat, menuDel, menuDown, menuRefSong});
}

Outcome frmTunedeck::showingRun(const QString& doing, BusyWindow::Pointer pointer,
                                const std::function<Outcome(PlayerSession&)>& run) {
    const BusyWindow held = holdPlayerPane(running_, pointer);
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
    const auto ended = qScopeGuard([&] {
        disconnect(started);
        disconnect(refused);
        disconnect(progressed);
        cancelKey->setEnabled(false);
        stbRioInfo->hideProgress();
    });
    return run(*session_);
}

}  // namespace tunedeck
