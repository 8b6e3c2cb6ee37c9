// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"
#include "player_settings.h"

#include <QFileInfo>

#include <algorithm>

namespace tunedeck {
namespace {

const QString kNotRegistered = QStringLiteral("Rio500Remix.dllが登録されていません。");
const QString kBusyPlayer = QStringLiteral("Rioとのやり取りが終わるまで、プレーヤーは変えられません。");
const QString kBusyRemoval = QStringLiteral("Rioとのやり取りが終わるまで、取り外せません。");

bool isFolderId(const QString& id) {
    return id.startsWith(QLatin1Char('/'));
}

}  // namespace

PlayerEntry frmTunedeck::playerEntry(const QString& id) const {
    const auto found = std::find_if(foundPlayers_.begin(), foundPlayers_.end(),
                                    [&](const PlayerEntry& entry) { return entry.id == id; });
    if (found != foundPlayers_.end())
        return *found;
    return player_settings::absentPlayerEntry(id, settings().readString(player_settings::kPlayerName, id));
}

void frmTunedeck::fillPlayerMenu() {
    menuPlayer->clear();
    std::vector<PlayerEntry> listed{emulatedPlayerEntry()};
    listed.insert(listed.end(), foundPlayers_.begin(), foundPlayers_.end());
    if (std::none_of(listed.begin(), listed.end(), [&](const PlayerEntry& e) { return e.id == player_.id; }))
        listed.push_back(player_);
    for (const PlayerEntry& entry : listed) {
        const bool present = entry.id == kEmulatedPlayerId ||
                             (isFolderId(entry.id) && QFileInfo(entry.id).isDir()) ||
                             std::any_of(foundPlayers_.begin(), foundPlayers_.end(),
                                         [&](const PlayerEntry& e) { return e.id == entry.id; });
        QAction* item = menuPlayer->addAction(
            present ? entry.name : entry.name + QStringLiteral("（接続されていません）"));
        item->setCheckable(true);
        item->setChecked(entry.id == player_.id);
        menuPlayers->addAction(item);
        connect(item, &QAction::triggered, this, [this, id = entry.id] { menuPlayer_Click(id); });
    }
    menuPlayer->addSeparator();
    // A player that says how it orders its songs is not asked; the emulated player keeps its own order.
    const bool ordered = player_.progId == kMassStorageProgId;
    const SongOrder order = player_settings::songOrderOf(player_, settings());
    for (const auto& [each, caption] : {std::pair{SongOrder::Directory, QStringLiteral("曲順：書き込んだ順")},
                                        {SongOrder::Name, QStringLiteral("曲順：ファイル名順")},
                                        {SongOrder::Playlist, QStringLiteral("曲順：プレイリスト順")}}) {
        QAction* item = menuPlayer->addAction(caption);
        item->setCheckable(true);
        item->setChecked(ordered && each == order);
        item->setEnabled(ordered && !player_.order);
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
    QString problem = kNotRegistered;
    try {
        device = player_settings::createPlayerDevice(environment_.createDevice, player_, settings());
    } catch (const DeviceError& error) {
        // Then every command on the player fails in its own handling.
        if (player_.progId != kPlayerProgId)
            problem = error.description();
    }
    const bool registered = device != nullptr;
    if (session_)
        session_->release();
    session_ = std::make_unique<PlayerSession>(std::move(device));
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
    const BusyWindow held = holdPlayerPane(busy_, BusyWindow::Pointer::Keep);
    lvwSong->removeAllItems();
    songRows_.clear();
    cmbFolder->clear();
    stbRioInfo->setPanelText(2, QString());
}

void frmTunedeck::readPlayerAgain() {
    // Another player's folders and figures, or those of a player pulled out, are not what is there now.
    clearPlayerPane();
    refreshDeviceView(true);
}

void frmTunedeck::playersChanged() {
    const auto present = [this] {
        return std::any_of(foundPlayers_.begin(), foundPlayers_.end(),
                           [this](const PlayerEntry& entry) { return entry.id == player_.id; });
    };
    const bool wasPresent = present();
    foundPlayers_ = environment_.players->players();
    if (present())
        player_ = playerEntry(player_.id);
    fillPlayerMenu();
    // Work under way meets the change itself and reads the pane again when it ends.
    if (wasPresent != present() && !busy_ && !running_ && !loading_)
        readPlayerAgain();
}

void frmTunedeck::menuPlayer_Click(const QString& id) {
    if (busy_ || running_) {
        fillPlayerMenu();
        setStatus(kBusyPlayer);
        return;
    }
    player_ = playerEntry(id);
    settings().write(player_settings::kPlayer, player_.id);
    settings().write(player_settings::kPlayerName, player_.name);
    connectPlayer(true);
}

void frmTunedeck::menuOrder_Click(SongOrder order) {
    if (busy_ || running_) {
        fillPlayerMenu();
        setStatus(kBusyPlayer);
        return;
    }
    player_settings::keepSongOrder(player_, order, settings());
    connectPlayer(true);
}

void frmTunedeck::menuRemove_Click() {
    if (busy_ || running_) {
        setStatus(kBusyRemoval);
        return;
    }
    Outcome outcome;
    {
        const BusyWindow held = holdPlayerPane(busy_, BusyWindow::Pointer::Wait);
        setStatus(QStringLiteral("取り外しています..."));
        outcome = session_->aside([directory = environment_.players, id = player_.id] {
            if (!directory)
                throw DeviceError(QStringLiteral("このプレーヤーは取り外せません。"));
            directory->safelyRemove(id);
        });
    }
    if (!reportOutcome(QStringLiteral("取り外せませんでした。 Err:"), outcome))
        return;
    clearPlayerPane();
    setStatus(QStringLiteral("取り外しました。プレーヤーを抜いてもかまいません。"));
}

}  // namespace tunedeck
