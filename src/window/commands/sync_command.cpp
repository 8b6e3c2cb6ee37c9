// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"
#include "sync_folder_name.h"
#include "sync_texts.h"

#include <QStorageInfo>

namespace tunedeck {
namespace {

// The combo box holds `folder` where the player listed it.
bool lists(const QComboBox& folders, const FolderRef& folder) {
    return folder.index >= 0 && folder.index < folders.count() &&
           folders.itemText(folder.index) == folder.name;
}

}  // namespace

// "フォルダを同期(&Y)", in the 操作 menu and the folder tree's: the player folder chosen, or the one named
// after the computer folder, made to hold the file list's files in the list's order. What a sync would do is
// read first, changing nothing, and put to the user in one question; the player pane stays held from the
// reading to the sync's end, so the answer is given to what was read.
void frmTunedeck::menuSync_Click() {
    if (lvwFile->itemCount() == 0) {
        setStatus(QStringLiteral("同期する音楽ファイルがありません。"));
        return;
    }
    const QString drive = drvList->drive();
    SyncRequest request{.memory = memory_,
                        .newFolder = syncFolderName(dirlst->path(), drive, QStorageInfo(drive).name()),
                        .files = listedFiles()};
    if (cmbFolder->currentIndex() >= 0)
        request.folder =
            FolderRef{.index = qint16(cmbFolder->currentIndex()), .name = cmbFolder->currentText()};
    setStatus(QStringLiteral("同期する曲を調べています..."));
    session_->previewSync(
        request, titleOfFiles(),
        [this, request, held = holdPlayerPane(BusyWindow::Pointer::Keep)](const Outcome& outcome,
                                                                          const SyncPreview& preview) {
            if (!reportOutcome(QStringLiteral("同期エラー Err:"), outcome))
                return;
            setStatus(readyText());
            const auto summaryFor = [&](const SyncChoice& choice) {
                return choice.newFolder ? syncSummaryText(preview.intoNewFolder, request.newFolder,
                                                          !preview.newFolderExists, choice.removeOnlyOnPlayer)
                                        : syncSummaryText(*preview.intoFolder, request.folder->name, false,
                                                          choice.removeOnlyOnPlayer);
            };
            const SyncChoice choice = environment_.prompts->chooseSync(
                this, QStringLiteral("フォルダを同期"),
                request.folder ? std::optional(request.folder->name) : std::nullopt, request.newFolder,
                summaryFor);
            if (!choice.accepted)
                return;
            SyncRequest chosen = request;
            if (choice.newFolder)
                chosen.folder.reset();
            chosen.removeOnlyOnPlayer = choice.removeOnlyOnPlayer;
            syncFolder(chosen);
        });
}

// Each song in status panel 1 as it goes, the run's progress beside it, Esc stopping it; the songs that are
// to go are removed before the first song is sent, so the status tells of the sync from its start.
void frmTunedeck::syncFolder(const SyncRequest& request) {
    const auto result = std::make_shared<SyncResult>();
    const auto syncing = [&](PlayerSession& session, PlayerSession::Done done) {
        session.sync(request, titleOfFiles(),
                     [result, done](const Outcome& outcome, const SyncResult& ended) {
                         *result = ended;
                         done(outcome);
                     });
    };
    setStatus(worded(QStringLiteral("Rioと同期しています..."), words_));
    showingRun(worded(QStringLiteral(" をRioに同期しています..."), words_), BusyWindow::Pointer::Keep,
               syncing, [this, result](const Outcome& outcome) {
                   showSyncedFolder(result->folder, syncEndingText(outcome, *result));
               });
}

// A folder the sync made is in the combo box only once the folders are read again; a sync that never found
// its folder may have made one all the same. The ending is said after the song list is read, whose "Ready"
// would hide it.
void frmTunedeck::showSyncedFolder(const FolderRef& synced, const QString& ending) {
    const auto said = [this, ending](bool) { setStatus(ending); };
    const auto show = [this, synced, said] {
        cmbFolder->setCurrentIndex(synced.index);
        refreshDeviceView(false, said);
    };
    if (lists(*cmbFolder, synced))
        return show();
    refreshDeviceView(true, [this, synced, said, show](bool read) {
        if (read && lists(*cmbFolder, synced) && cmbFolder->currentIndex() != synced.index)
            return show();
        said(read);
    });
}

}  // namespace tunedeck
