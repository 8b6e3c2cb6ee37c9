#include "busy_window.h"
#include "device_bracket.h"
#include "frmTunedeck.h"
#include "number_format.h"

namespace tunedeck {

// Fills the player pane from the player. Only a failing Open is the expected case ("not connected"); any
// later failure closes the device and is reported with its description.
bool frmTunedeck::refreshDeviceView(bool reloadFolders) {
    const BusyWindow busy(this, this, busy_, BusyWindow::Pointer::Keep);
    lvwSong->removeAllItems();
    setStatus(QStringLiteral("Rio500を探しています..."));

    const auto open = [this] {
        try {
            device_->Open();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    };
    if (!device_ || !open()) {
        setStatus(QStringLiteral("Rio500が接続されていません。"));
        return false;
    }

    const bool read = reportFailure(
        QStringLiteral("曲リストの取得に失敗しました。 Err:"), closeAfter(*device_, [&] {
            setStatus(QStringLiteral("曲リスト取得中..."));
            optRam[1]->setEnabled(device_->ExtFlash() == 1);
            qint64 usedTotal = 0;

            if (cmbFolder->count() == 0 || reloadFolders) {
                const std::vector<DeviceFolder> folders = device_->Folders(memoryNumber(memory_));
                cmbFolder->clear();
                for (const DeviceFolder& folder : folders)
                    cmbFolder->addItem(folder.name);
                cmbFolder->setCurrentIndex(cmbFolder->count() > 0 ? 0 : -1);
            }

            if (cmbFolder->currentIndex() >= 0) {
                const QString folderName = cmbFolder->currentText();
                const QString place = memoryName();
                for (const DeviceSong& song :
                     device_->Songs(memoryNumber(memory_), qint16(cmbFolder->currentIndex()))) {
                    const int row = lvwSong->addItem(song.name);
                    lvwSong->setSubItem(row, 1, folderName);
                    lvwSong->setSubItem(row, 2, kilobyteText(song.size));
                    usedTotal += song.size;
                    lvwSong->setSubItem(row, 3, place);
                }
            }

            const qint64 available = device_->AvailableMemory(memoryText(memory_));
            stbRioInfo->setPanelText(2, QStringLiteral("使用:") + groupedNumber(usedTotal / 1024) +
                                            QStringLiteral("KB 空き:") + groupedNumber(available / 1024) +
                                            QStringLiteral("KB"));
        }));
    if (read)
        setStatus(readyText());
    return read;
}

bool frmTunedeck::reportFailure(const QString& failureText, const std::optional<QString>& description) {
    if (description)
        setStatus(failureText + *description);
    return !description;
}

bool frmTunedeck::runOnDevice(const QString& failureText, const std::function<void(DeviceComponent&)>& work) {
    return reportFailure(failureText, deviceBracket(device_.get(), work));
}

// The change is done on the player whether or not the list can be read afterwards: the user must not take
// it for a failure, nor the old list for what the player now holds, so what the refresh said follows.
void frmTunedeck::refreshAfterChange(const QString& doneText) {
    if (refreshDeviceView(true))
        setStatus(doneText);
    else
        setStatus(doneText + QLatin1Char(' ') + stbRioInfo->panelText(1));
}

}  // namespace tunedeck
