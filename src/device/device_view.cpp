#include "frmTunedeck.h"

#include "input_state.h"
#include "number_format.h"

namespace tunedeck {

// Fills the player pane from the player. Only a failing Open is the expected case ("not connected"); any
// later failure closes the device and is reported with its description, so the window never stays disabled.
void frmTunedeck::refreshDeviceView(bool reloadFolders) {
    busy_ = true;
    setEnabled(false);
    lvwSong->removeAllItems();
    setStatus(QStringLiteral("Rio500を探しています..."));

    bool opened = false;
    if (device_) {
        try {
            device_->Open();
            opened = true;
        } catch (const std::exception&) {
            // No player answers; reported below.
        }
    }
    if (!opened) {
        setEnabled(true);
        busy_ = false;
        setStatus(QStringLiteral("Rio500が接続されていません。"));
        return;
    }

    try {
        setStatus(QStringLiteral("曲リスト取得中..."));
        optRam[1]->setEnabled(device_->ExtFlash() == 1);
        const qint32 memory = tag_.toInt();
        qint64 usedTotal = 0;

        if (cmbFolder->count() == 0 || reloadFolders) {
            const std::vector<DeviceFolder> folders = device_->Folders(memory);
            cmbFolder->clear();
            for (const DeviceFolder& folder : folders)
                cmbFolder->addItem(folder.name);
            cmbFolder->setCurrentIndex(cmbFolder->count() > 0 ? 0 : -1);
        }

        if (cmbFolder->currentIndex() >= 0) {
            const QString folderName = cmbFolder->currentText();
            const QString place = memory == 1 ? QStringLiteral("外部") : QStringLiteral("内蔵");
            lvwSong->setUpdatesEnabled(false);
            for (const DeviceSong& song : device_->Songs(memory, qint16(cmbFolder->currentIndex()))) {
                const int row = lvwSong->addItem(song.name);
                lvwSong->setSubItem(row, 1, folderName);
                lvwSong->setSubItem(row, 2, kilobyteText(song.size));
                usedTotal += song.size;
                lvwSong->setSubItem(row, 3, place);
            }
            lvwSong->setUpdatesEnabled(true);
        }

        const qint64 available = device_->AvailableMemory(tag_);
        stbRioInfo->setPanelText(2, QStringLiteral("使用:") + groupedNumber(usedTotal / 1024) +
                                        QStringLiteral("KB 空き:") + groupedNumber(available / 1024) +
                                        QStringLiteral("KB"));
        device_->Close();
    } catch (const std::exception& error) {
        lvwSong->setUpdatesEnabled(true);
        try {
            device_->Close();
        } catch (const std::exception&) {
            // Already failing: the first error is the one to report.
        }
        setEnabled(true);
        busy_ = false;
        const auto* deviceError = dynamic_cast<const DeviceError*>(&error);
        setStatus(QStringLiteral("曲リストの取得に失敗しました。 Err:") +
                  (deviceError ? deviceError->description() : QString::fromLocal8Bit(error.what())));
        return;
    }

    setStatus(QStringLiteral("Ready"));
    setEnabled(true);
    busy_ = false;
}

void frmTunedeck::optRam_Click(int index) {
    tag_ = QString::number(index);
    refreshDeviceView(true);
}

void frmTunedeck::cmbFolder_Click() {
    if (!busy_)
        refreshDeviceView(false);
}

void frmTunedeck::menuRefSong_Click() {
    refreshDeviceView(false);
}

void frmTunedeck::lvwSong_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode == input::kKeyF5)
        refreshDeviceView(true);
}

}  // namespace tunedeck
