// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_title.h"
#include "folder_path.h"
#include "frmTunedeck.h"

namespace tunedeck {
namespace {

// Taken whole before anything is sent: the upper pane stays usable while a send or a sync runs, and another
// folder chosen in the tree meanwhile must not change what the run reads.
QStringList filesOf(const FolderTree& tree, const ListView& list, bool selectedOnly) {
    const QString folderPrefix = withSeparator(tree.path());
    QStringList files;
    for (int row = 0; row < list.itemCount(); ++row)
        if (!selectedOnly || list.isItemSelected(row))
            files.append(folderPrefix + list.itemKey(row));
    return files;
}

}  // namespace

QStringList frmTunedeck::selectedFiles() const {
    return filesOf(*dirlst, *lvwFile, true);
}

QStringList frmTunedeck::listedFiles() const {
    return filesOf(*dirlst, *lvwFile, false);
}

// The display format is read from the settings file for each file, so a change made during a run takes
// effect with the next file.
PlayerSession::TitleOf frmTunedeck::titleOfFiles() const {
    return [settings = settings()](const QString& path) {
        TagRecord record;
        return displayTitleFor(path, record, settings);
    };
}

// Each file goes to the folder chosen when the send began, in the display font of the moment it goes.
void frmTunedeck::sendFiles(const QStringList& files, PlayerSession::AfterRefusal afterRefusal,
                            PlayerSession::Done then) {
    const auto sending = [&, titleOf = titleOfFiles()](PlayerSession& session, PlayerSession::Done done) {
        session.send(memory_, qint16(cmbFolder->currentIndex()), files, titleOf, afterRefusal, done);
    };
    showingRun(worded(QStringLiteral(" をRioに転送しています..."), words_), BusyWindow::Pointer::Keep,
               sending, std::move(then));
}

// "Rioへ転送(&S)": the selected files in list order, stopping at the first failure.
void frmTunedeck::menuSend_Click() {
    if (lvwFile->itemCount() == 0)
        return;
    sendFiles(selectedFiles(), PlayerSession::AfterRefusal::Stop, [this](const Outcome& outcome) {
        QString ending = QStringLiteral("転送が終了しました。");
        if (outcome.ending == Outcome::Ending::Failed)
            ending = QStringLiteral("転送エラー Err:") + outcome.description;
        else if (outcome.ending == Outcome::Ending::Cancelled)
            ending = QStringLiteral("転送を中止しました。%1個のファイルを転送しました。").arg(outcome.done);
        // Said after the list is read again, whose "Ready" would hide it.
        refreshDeviceView(false, [this, ending](bool) { setStatus(ending); });
    });
}

// Files dropped on the song list: every one is tried, whatever it is, and the player's answer to each is
// shown as it comes. The end says how many went and how many did not, also after the list is read again.
void frmTunedeck::lvwSong_OLEDragDrop(const QStringList& files) {
    sendFiles(files, PlayerSession::AfterRefusal::GoOn, [this](const Outcome& outcome) {
        QString ending = QString::number(outcome.done) + QStringLiteral("個のファイルを転送しました。");
        if (outcome.failed > 0)
            ending += QStringLiteral(" %1個は転送できませんでした。 Err:").arg(outcome.failed) +
                      outcome.description;
        if (outcome.ending == Outcome::Ending::Cancelled)
            ending = QStringLiteral("転送を中止しました。") + ending;
        setStatus(ending);
        if (outcome.done > 0)
            refreshDeviceView(false, [this, ending](bool) { setStatus(ending); });
    });
}

}  // namespace tunedeck
