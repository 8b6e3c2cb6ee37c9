// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"
#include "player_settings.h"

#include <algorithm>

namespace tunedeck {
namespace {

QString busyPlayerText(const PlayerWords& words) {
    return worded(QStringLiteral("Rioとのやり取りが終わるまで、プレーヤーは変えられません。"), words);
}

std::vector<PlayerEntry>::const_iterator findPlayer(const std::vector<PlayerEntry>& players,
                                                    const QString& id) {
    return std::find_if(players.begin(), players.end(),
                        [&](const PlayerEntry& entry) { return entry.id == id; });
}

}  // namespace

PlayerEntry frmTunedeck::playerEntry(const QString& id) const {
    const auto found = findPlayer(foundPlayers_, id);
    if (found != foundPlayers_.end())
        return *found;
    return environment_.kinds.absent(id, settings().readString(player_settings::kPlayerName, id));
}

void frmTunedeck::fillPlayerMenu() {
    menuPlayer->clear();
    std::vector<PlayerEntry> listed{environment_.kinds.absent(QString(), QString())};
    listed.insert(listed.end(), foundPlayers_.begin(), foundPlayers_.end());
    if (findPlayer(listed, player_.id) == listed.end())
        listed.push_back(player_);
    for (const PlayerEntry& entry : listed) {
        const bool present = (entry.kind && entry.kind->reachable && entry.kind->reachable(entry)) ||
                             findPlayer(foundPlayers_, entry.id) != foundPlayers_.end();
        QAction* item = menuPlayer->addAction(
            present ? entry.name : entry.name + QStringLiteral("（接続されていません）"));
        item->setCheckable(true);
        item->setChecked(entry.id == player_.id);
        menuPlayers->addAction(item);
        connect(item, &QAction::triggered, this, [this, id = entry.id] { menuPlayer_Click(id); });
    }
    menuPlayer->addSeparator();
    // A player that says how it orders its songs is not asked; the emulated player keeps its own order. A
    // memory that keeps no order of entries cannot play in it.
    const bool ordered = player_.kind && player_.kind->songOrders;
    const SongOrder order = player_settings::songOrderOf(player_, settings());
    for (const auto& [each, caption] : {std::pair{SongOrder::Directory, QStringLiteral("曲順：書き込んだ順")},
                                        {SongOrder::Name, QStringLiteral("曲順：ファイル名順")},
                                        {SongOrder::Playlist, QStringLiteral("曲順：プレイリスト順")}}) {
        QAction* item = menuPlayer->addAction(caption);
        item->setCheckable(true);
        item->setChecked(ordered && each == order);
        item->setEnabled(ordered && !player_.order &&
                         (each != SongOrder::Directory || player_.keepsEntryOrder));
        menuOrders->addAction(item);
        connect(item, &QAction::triggered, this, [this, each = each] { menuOrder_Click(each); });
    }
    menuPlayer->addSeparator();
    menuRemove = menuPlayer->addAction(QStringLiteral("取り外し(&E)"));
    menuRemove->setObjectName(QStringLiteral("menuRemove"));
    menuRemove->setEnabled(player_.removable);
    connect(menuRemove, &QAction::triggered, this, &frmTunedeck::menuRemove_Click);
}

void frmTunedeck::connectPlayer(bool read) {
    std::unique_ptr<DeviceComponent> device;
    QString problem;
    try {
        device = player_settings::createPlayerDevice(environment_.createDevice, player_, settings());
    } catch (const DeviceError& error) {
        // Then every command on the player fails in its own handling.
        problem =
            player_.kind ? player_.kind->missingComponent.value_or(error.description()) : error.description();
    }
    const bool registered = device != nullptr;
    removedSafely_ = false;
    if (session_)
        session_->release();
    session_ = std::make_unique<PlayerSession>(std::move(device), words_);
    connect(session_.get(), &PlayerSession::noticed, this, &frmTunedeck::setStatus);
    session_->setDisplayFont(displayFontName_, displayFontSize_);
    fillPlayerMenu();
    if (!registered) {
        setStatus(problem);
        return;
    }
    if (read)
        readPlayerAgain();
}

void frmTunedeck::clearPlayerPane() {
    const BusyWindow::Hold held = holdPlayerPane(BusyWindow::Pointer::Keep);
    lvwSong->removeAllItems();
    cmbFolder->clear();
    stbRioInfo->setPanelText(2, QString());
}

void frmTunedeck::readPlayerAgain() {
    // Another player's folders and figures, or those of a player pulled out, are not what is there now.
    clearPlayerPane();
    refreshDeviceView(true);
}

void frmTunedeck::playersChanged() {
    const auto present = [this] { return findPlayer(foundPlayers_, player_.id) != foundPlayers_.end(); };
    const bool wasPresent = present();
    foundPlayers_ = environment_.players->players();
    if (present())
        setPlayer(playerEntry(player_.id));
    fillPlayerMenu();
    // A player removed safely is expected to go, however many changes UDisks2 tells on the way: the pane is
    // empty already and the status says it may. Plugged in again, it is read as any other.
    if (!wasPresent && present())
        removedSafely_ = false;
    const bool expected = removedSafely_ && !present();
    // Work under way meets the change itself and reads the pane again when it ends.
    if (wasPresent != present() && !expected && !isRunning())
        readPlayerAgain();
}

// An item of "プレーヤー(&L)" in the "操作(&D)" menu: the player the window manages from now on, and at the
// next start.
void frmTunedeck::menuPlayer_Click(const QString& id) {
    if (isRunning()) {
        fillPlayerMenu();
        setStatus(busyPlayerText(words_));
        return;
    }
    setPlayer(playerEntry(id));
    settings().write(player_settings::kPlayer, player_.id);
    settings().write(player_settings::kPlayerName, player_.name);
    connectPlayer(true);
}

// "曲順：書き込んだ順", "曲順：ファイル名順", "曲順：プレイリスト順" in "プレーヤー(&L)": the order the
// chosen player plays its songs in, kept for that player.
void frmTunedeck::menuOrder_Click(SongOrder order) {
    if (isRunning()) {
        fillPlayerMenu();
        setStatus(busyPlayerText(words_));
        return;
    }
    player_settings::keepSongOrder(player_, order, settings());
    connectPlayer(true);
}

}  // namespace tunedeck
