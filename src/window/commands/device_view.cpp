// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_window.h"
#include "frmTunedeck.h"
#include "number_format.h"

namespace tunedeck {

// Fills the player pane from the player. A player that is not there is the expected case; any other
// failure is reported with the player's description, and the pane shows what was read before it. A player
// that another program holds has told nothing new, so the pane keeps what it showed, and the memory and
// folder it showed them of. A card found gone leaves the internal memory chosen and read.
void frmTunedeck::refreshDeviceView(bool reloadFolders, std::function<void(bool read)> then) {
    const BusyWindow::Hold held = holdPlayerPane(BusyWindow::Pointer::Keep);
    setStatus(worded(QStringLiteral("Rio500を探しています..."), words_));

    std::optional<FolderRef> folder;
    if (cmbFolder->count() > 0 && !reloadFolders)
        folder = FolderRef{.index = qint16(cmbFolder->currentIndex()), .name = cmbFolder->currentText()};
    const QMetaObject::Connection opened = connect(session_.get(), &PlayerSession::opened, this, [this] {
        setStatus(QStringLiteral("曲リスト取得中..."));
    });
    session_->readPane(
        memory_, folder, [this, held, opened, then](const Outcome& outcome, const PaneReading& reading) {
            disconnect(opened);
            const auto ended = [&](bool read) {
                if (then)
                    then(read);
            };
            if (outcome.ending == Outcome::Ending::Cancelled)
                return ended(false);
            if (outcome.inUse) {
                memory_ = shownMemory_;
                optRam[int(shownMemory_)]->setChecked(true);
                cmbFolder->setCurrentIndex(shownFolder_);
                setStatus(worded(
                    QStringLiteral("Rioは別のプログラムが使用中のため、前に読んだ内容を表示しています。"),
                    words_));
                return ended(false);
            }
            lvwSong->removeAllItems();
            if (!outcome.notConnected)
                showPane(reading);
            shownMemory_ = memory_;
            shownFolder_ = cmbFolder->currentIndex();
            if (outcome.notConnected) {
                setStatus(worded(QStringLiteral("Rio500が接続されていません。"), words_));
                return ended(false);
            }
            if (memory_ == PlayerMemory::Card && reading.cardPresent == std::optional(false)) {
                // As a click on 内蔵 does.
                optRam[int(PlayerMemory::Internal)]->setChecked(true);
                memory_ = PlayerMemory::Internal;
                return refreshDeviceView(true, then);
            }
            if (!reading.cardPresent)  // nothing was read: the figures shown may no longer hold
                stbRioInfo->setPanelText(2, QString());
            if (!reportOutcome(QStringLiteral("曲リストの取得に失敗しました。 Err:"), outcome))
                return ended(false);
            setStatus(readyText());
            ended(true);
        });
}

void frmTunedeck::showPane(const PaneReading& reading) {
    if (reading.cardPresent)
        optRam[1]->setEnabled(*reading.cardPresent);
    if (reading.folders) {
        cmbFolder->clear();
        cmbFolder->addItems(*reading.folders);
        cmbFolder->setCurrentIndex(cmbFolder->count() > 0 ? 0 : -1);
    }
    qint64 usedTotal = 0;
    std::vector<ListRow> rows;
    for (const SongRef& song : reading.songs.value_or(std::vector<SongRef>{})) {
        rows.push_back(
            {.cells = {song.name, song.folderName, kilobyteText(song.size), memoryName()}, .value = song});
        usedTotal += song.size;
    }
    lvwSong->setItems(std::move(rows));
    if (reading.available)
        stbRioInfo->setPanelText(2, QStringLiteral("使用:") + groupedNumber(usedTotal / 1024) +
                                        QStringLiteral("KB 空き:") +
                                        groupedNumber(*reading.available / 1024) + QStringLiteral("KB"));
}

bool frmTunedeck::reportOutcome(const QString& failureText, const Outcome& outcome) {
    switch (outcome.ending) {
        case Outcome::Ending::Done:
            return true;
        case Outcome::Ending::Failed:
            setStatus(failureText + outcome.description);
            break;
        case Outcome::Ending::Changed:
            refreshDeviceView(true, [this](bool) {
                setStatus(worded(
                    QStringLiteral("Rioの内容が表示と違っていたため、何もせずに読み直しました。"), words_));
            });
            break;
        case Outcome::Ending::Cancelled:
            break;
    }
    return false;
}

// The change is done on the player whether or not the list can be read afterwards: the user must not take
// it for a failure, nor the old list for what the player now holds, so what the refresh said follows.
void frmTunedeck::refreshAfterChange(const QString& doneText, std::function<void(bool read)> then) {
    refreshDeviceView(true, [this, doneText, then](bool read) {
        setStatus(read ? doneText : doneText + QLatin1Char(' ') + stbRioInfo->panelText(1));
        if (then)
            then(read);
    });
}

QString frmTunedeck::keptFilesText(int kept) {
    return QStringLiteral("曲ではないファイル%1個は残しました。").arg(kept);
}

}  // namespace tunedeck
