#include "busy_window.h"
#include "device_bracket.h"
#include "display_title.h"
#include "folder_path.h"
#include "frmTunedeck.h"

#include <QCoreApplication>

namespace tunedeck {

// The device is touched only when there is a folder to put the song in; the folder is the one chosen at
// the moment of the call. The bracket never yields, so no input reaches the window while the device is
// open; the player pane is already held by the run. Disabling the whole window as well would change nothing
// the user can see or do, and its repaint would cost more than the window's whole share of a send.
bool frmTunedeck::sendOneFile(const QString& displayTitle, const QString& fullPath, QString& failureText) {
    if (cmbFolder->currentIndex() < 0) {
        failureText = QStringLiteral("Rioにフォルダがありません。フォルダは必ず必要です。");
        return false;
    }
    const BusyWindow busy(this, nullptr, running_, BusyWindow::Pointer::Wait);
    const std::optional<QString> failure =
        deviceBracket(device_.get(), [this, &displayTitle, &fullPath](DeviceComponent& device) {
            device.FontName(displayFontName_);
            device.FontSize(displayFontSize_);
            device.AddSong(qint16(cmbFolder->currentIndex()), displayTitle, fullPath, memoryText(memory_));
        });
    if (failure)
        failureText = *failure;
    return !failure;
}

// The title, the progress text and the send of one file, as both ways in do it.
bool frmTunedeck::sendWithProgress(const QString& fullPath, QString& failureText) {
    TagRecord record;
    const QString displayTitle = displayTitleFor(fullPath, record, settings());
    setStatus(displayTitle + QStringLiteral(" をRioに転送しています..."));
    return sendOneFile(displayTitle, fullPath, failureText);
}

// Taken whole before anything is sent: the upper pane stays usable while a send yields, and another folder
// chosen in the tree meanwhile must not change what this send reads.
QStringList frmTunedeck::selectedFiles() const {
    const QString folderPrefix = withSeparator(dirlst->path());
    QStringList files;
    for (int row = 0; row < lvwFile->itemCount(); ++row)
        if (lvwFile->isItemSelected(row))
            files.append(folderPrefix + lvwFile->itemText(row));
    return files;
}

// "Rioへ転送(&S)": the selected files in list order, stopping at the first failure.
void frmTunedeck::menuSend_Click() {
    if (lvwFile->itemCount() == 0)
        return;
    const QStringList files = selectedFiles();
    std::optional<QString> failure;
    {
        const BusyWindow held = holdPlayerPane(BusyWindow::Pointer::Keep);
        for (const QString& fullPath : files) {
            QString failureText;
            if (!sendWithProgress(fullPath, failureText)) {
                failure = QStringLiteral("転送エラー Err:") + failureText;
                setStatus(*failure);
                break;
            }
        }
    }
    // The refresh holds the whole window itself from its first step; the pane is let go just before. Its
    // "Ready" would hide a failure, which is said again after it.
    refreshDeviceView(false);
    setStatus(failure.value_or(QStringLiteral("転送が終了しました。")));
}

// Files dropped on the song list: every one is tried, whatever it is, and the player's answer is shown.
void frmTunedeck::lvwSong_OLEDragDrop(const QStringList& files) {
    const BusyWindow held = holdPlayerPane(BusyWindow::Pointer::Keep);
    int sent = 0;
    for (const QString& fullPath : files) {
        QString failureText;
        if (sendWithProgress(fullPath, failureText))
            ++sent;
        else
            setStatus(failureText);
        QCoreApplication::processEvents();
    }
    setStatus(QString::number(sent) + QStringLiteral("個のファイルを転送しました。"));
    if (sent > 0)
        refreshDeviceView(false);
}

}  // namespace tunedeck
